#pragma once
// The UserPort of the command-line tool: messages go to standard error, each line led by the
// program's name, questions take their default answer, and there is no window to show, hide or
// make busy.

#include "platform/UserPort.h"

#include <cstdio>

class ConsolePort : public UserPort {
public:
    explicit ConsolePort(std::FILE* out = stderr, const QString& prefix = {})
        : out_(out)
        , prefix_(prefix)
    {
    }

    Answer message_box(
        const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& title) override;
    std::optional<QString> input_box(const QString& prompt, const QString& title, const QString& default_text) override;
    void set_busy(bool) override { }
    void process_events() override { }
    void set_main_window_visible(bool) override { }
    bool main_window_visible() const override { return false; }
    // There is no event loop to return to; the request is only remembered.
    void end_program(int exit_code) override { requested_exit_ = exit_code; }

    int requested_exit() const { return requested_exit_; }

private:
    std::FILE* out_;
    QString prefix_;
    int requested_exit_ = -1;
};
