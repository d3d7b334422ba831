#pragma once
// The UserPort of the running program: message and input boxes, the hourglass, window events and
// the main window's visibility, with Qt's widgets.

#include "platform/UserPort.h"

#include <QPointer>

class QDialog;
class QLabel;
class QWidget;

class QtPort : public UserPort {
public:
    QtPort() = default;
    ~QtPort() override;
    QtPort(const QtPort&) = delete;
    QtPort& operator=(const QtPort&) = delete;

    // The window the boxes belong to and whose visibility the logic switches.
    void set_main_window(QWidget* window) { main_window_ = window; }

    Answer message_box(
        const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& title) override;
    std::optional<QString> input_box(const QString& prompt, const QString& title, const QString& default_text) override;
    // A switch, not a counter: however often it was switched on, one call with false restores
    // the normal pointer.
    void set_busy(bool on) override;
    void process_events() override;
    void set_main_window_visible(bool visible) override;
    bool main_window_visible() const override;
    // A small window of its own ("tree_progress"), since the main window is hidden.
    void show_progress(const QString& text, CancelToken* cancel) override;
    // Closes every window and leaves the event loop with `exit_code`. Called before the loop runs
    // (a start-up error), the loop ends as soon as it starts; main() returns exit_code() whenever
    // ended() is true, since closing the last window may also end the loop with 0.
    void end_program(int exit_code) override;

    bool ended() const { return ended_; }
    int exit_code() const { return exit_code_; }
    bool busy() const { return busy_; }

private:
    // Takes the hourglass away while a box waits for the person, and puts it back after.
    class BusyPause;

    // Gives the main window, shown again, the keyboard and its control the focus.
    void reactivate_main_window();
    QWidget* dialog_parent() const;
    static QString shown_text(const QString& text);

    QPointer<QWidget> main_window_;
    QPointer<QDialog> progress_box_;
    QLabel* progress_text_ = nullptr;
    CancelToken* progress_cancel_ = nullptr;
    bool busy_ = false;
    bool visible_without_window_ = true;
    // The main window was hidden through this port and is to be activated when shown again.
    bool hidden_here_ = false;
    bool ended_ = false;
    int exit_code_ = 0;
};
