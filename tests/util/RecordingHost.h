#pragma once
// The window as the transfer and delete commands see it: options a test sets, and a record of
// what the commands asked the window to do.

#include "transfer/TransferContext.h"

#include <QList>
#include <QStringList>

#include <functional>

struct RecordingHost final : TransferHost {
    bool ignore_one_hour = false;
    bool to_trash = false; // tests never fill the desktop trash of the account they run as
    bool skip_confirmations = true;

    QList<bool> cancel_enabled; // every change, in order
    QList<AlignProgress> progress; // every progress shown
    // Runs as progress is shown: what the person does while an alignment lets events run.
    std::function<void(const AlignProgress&)> on_progress;
    QStringList waits; // the seconds of every wait
    int labels_cleared = 0, exit_focused = 0, auto_nexts = 0, refills = 0;

    bool ignore_one_hour_diff() const override { return ignore_one_hour; }
    bool delete_to_trash() const override { return to_trash; }
    bool skip_delete_confirmations() const override { return skip_confirmations; }
    void clear_free_space_labels() override { ++labels_cleared; }
    void set_cancel_enabled(bool on) override { cancel_enabled << on; }
    void show_progress(const AlignProgress& shown) override
    {
        if (on_progress)
            on_progress(shown);
        progress << shown;
    }
    void focus_exit() override { ++exit_focused; }
    void auto_next() override { ++auto_nexts; }
    void refill_lists() override { ++refills; }
    void wait(double seconds) override { waits << QString::number(seconds); }
};
