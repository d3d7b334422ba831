#pragma once
// A UserPort for tests: records every message and answers every question and input box from a
// script, in order. A question that the script did not expect fails the test, and so does an
// answer that no question took.

#include "platform/CancelToken.h"
#include "platform/UserPort.h"

#include <QStringList>
#include <QTest>
#include <QVector>

#include <deque>
#include <functional>

class ScriptedPort : public UserPort {
public:
    ~ScriptedPort() override
    {
        // Outside a test function (a port held by the test object) there is no test left to fail.
        if ((!answers_.empty() || !inputs_.empty()) && QTest::currentTestFunction())
            QTest::qFail(
                "scripted answers left over: a question the test expected was never asked", __FILE__, __LINE__);
    }

    struct Shown {
        QString text;
        MsgButtons buttons;
        MsgIcon icon;
        Answer default_button;
    };

    // Answers for the next questions (boxes with more than an OK button), in order.
    void answer(Answer a) { answers_.push_back(a); }
    // Answers for the next input boxes, in order; nullopt is a cancel.
    void type(const std::optional<QString>& text) { inputs_.push_back(text); }

    Answer message_box(
        const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& /*title*/) override
    {
        shown.push_back({ text, buttons, icon, default_button });
        if (buttons == MsgButtons::Ok)
            return Answer::Ok;
        return next(answers_, text).value_or(default_button);
    }
    std::optional<QString> input_box(const QString& prompt, const QString& title, const QString&) override
    {
        prompts.push_back(prompt + u'|' + title);
        return next(inputs_, prompt).value_or(std::nullopt);
    }
    void set_busy(bool on) override { busy_changes.push_back(busy = on); }
    void process_events() override
    {
        ++events_run;
        if (during_events) {
            auto step = std::move(during_events);
            if (!step())
                during_events = std::move(step);
        }
    }
    void set_main_window_visible(bool visible) override
    {
        visibility_changes.push_back(visible_ = visible);
        progress_up = progress_up && !visible;
    }
    bool main_window_visible() const override { return visible_; }
    void show_progress(const QString& text, CancelToken* cancel) override
    {
        progress_up = !text.isEmpty();
        if (progress_up && (progress << text).size() == cancel_at_progress && cancel)
            cancel->request();
    }
    void end_program(int) override { ended = true; }

    // Runs when a question or an input box is up, before it is answered: a test changes the disk
    // there as someone else could while the person reads.
    std::function<void()> while_asked;

    // Every box shown, in order, and their texts alone.
    QVector<Shown> shown;
    QStringList texts() const
    {
        QStringList t;
        for (const Shown& s : shown)
            t << s.text;
        return t;
    }
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

private:
    // The next scripted answer of `script`, after `while_asked` ran; nothing, and the test fails,
    // when none is left.
    template <class T> std::optional<T> next(std::deque<T>& script, const QString& asked)
    {
        if (while_asked)
            while_asked();
        if (script.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + asked), __FILE__, __LINE__);
            return std::nullopt;
        }
        T a = std::move(script.front());
        script.pop_front();
        return a;
    }

    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> inputs_; // nullopt: cancel
    bool visible_ = true;
};
