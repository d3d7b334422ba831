#pragma once
// The window as the transfer and delete commands see it: options a test sets, and a record of
// what the commands asked of it.

#include "transfer/TransferContext.h"

#include <QStringList>

#include <functional>

struct RecordingHost final : TransferHost {
    // Tests never fill the desktop trash of the account they run as.
    bool ignore_one_hour = false, to_trash = false, skip_confirmations = true;
    QList<bool> cancel_enabled;
    // Sees every progress shown, and does what the person does while an alignment lets events run.
    std::function<void(const AlignProgress&)> on_progress = [](const AlignProgress&) {};
    QStringList waits; // in seconds
    int labels_cleared = 0, exit_focused = 0, auto_nexts = 0, refills = 0;

    bool ignore_one_hour_diff() const override { return ignore_one_hour; }
    bool delete_to_trash() const override { return to_trash; }
    bool skip_delete_confirmations() const override { return skip_confirmations; }
    void clear_free_space_labels() override { ++labels_cleared; }
    void set_cancel_enabled(bool on) override { cancel_enabled << on; }
    void show_progress(const AlignProgress& shown) override { on_progress(shown); }
    void focus_exit() override { ++exit_focused; }
    void auto_next() override { ++auto_nexts; }
    void refill_lists() override { ++refills; }
    void wait(double seconds) override { waits << QString::number(seconds); }
};
