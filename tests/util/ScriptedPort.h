#pragma once
// A UserPort for tests: records every message and answers every question and input box from a
// script, in order. A question that the script did not expect fails the test, and so does an
// answer that no question took.

#include "platform/UserPort.h"

#include <QStringList>
#include <QVector>

#include <deque>
#include <functional>

class ScriptedPort : public UserPort {
public:
    // Fails the running test when scripted answers were left over: a question the test expected
    // was never asked.
    ~ScriptedPort() override;

    struct Shown {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
        Answer default_button;
    };

    // Answers for the next questions (boxes with more than an OK button), in order.
    void answer(Answer a) { answers_.push_back(a); }
    // Answers for the next input boxes, in order; nullopt is a cancel.
    void type(const std::optional<QString>& text)
    {
        inputs_.push_back({ !text.has_value(), text.value_or(QString()) });
    }

    Answer message_box(
        const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& title) override;
    std::optional<QString> input_box(const QString& prompt, const QString& title, const QString& default_text) override;
    void set_busy(bool on) override;
    void process_events() override;
    void set_main_window_visible(bool visible) override;
    bool main_window_visible() const override { return visible_; }
    void show_progress(const QString& text, CancelToken* cancel) override;
    void end_program(int exit_code) override;

    // Runs when a question or an input box is up, before it is answered: a test changes the disk
    // there as someone else could while the person reads.
    std::function<void()> while_asked;

    // Every box shown, in order, and their texts alone.
    QVector<Shown> shown;
    QStringList texts() const;
    QStringList prompts; // prompt and title of each input box, as "prompt|title"
    QVector<bool> busy_changes; // every set_busy call
    QVector<bool> visibility_changes;
    int events_run = 0;
    // The texts of the progress box, in order; whether it is up now; and the update (counted
    // from 1) at which the person presses its Cancel, 0 for never.
    QStringList progress;
    bool progress_up = false;
    int cancel_at_progress = 0;
    // Runs where the logic lets window events through, until it returns true: what a person
    // does while a long command runs.
    std::function<bool()> during_events;
    bool ended = false;
    bool busy = false;
    // Questions asked with no scripted answer left; a test checks it stays 0.
    int unexpected_questions = 0;

private:
    std::deque<Answer> answers_;
    struct Typed {
        bool cancel;
        QString text;
    };
    std::deque<Typed> inputs_;
    bool visible_ = true;
};
