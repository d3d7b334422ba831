#include "tests/util/ScriptedPort.h"

#include "platform/CancelToken.h"

#include <QTest>

ScriptedPort::~ScriptedPort()
{
    // Outside a test function (a port held by the test object) there is no test left to fail.
    if ((!answers_.empty() || !inputs_.empty()) && QTest::currentTestFunction())
        QTest::qFail("scripted answers left over: a question the test expected was never asked", __FILE__, __LINE__);
}

Answer ScriptedPort::message_box(
    const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& title)
{
    shown.push_back({ text, title.isEmpty() ? app_title() : title, buttons, icon, default_button });
    if (buttons == MsgButtons::Ok)
        return Answer::Ok;
    if (while_asked)
        while_asked();
    if (answers_.empty()) {
        ++unexpected_questions;
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__, __LINE__);
        return default_button;
    }
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<QString> ScriptedPort::input_box(const QString& prompt, const QString& title, const QString&)
{
    prompts.push_back(prompt + u'|' + title);
    if (while_asked)
        while_asked();
    if (inputs_.empty()) {
        ++unexpected_questions;
        QTest::qFail(qPrintable(QStringLiteral("unexpected input box: ") + prompt), __FILE__, __LINE__);
        return std::nullopt;
    }
    const Typed typed = inputs_.front();
    inputs_.pop_front();
    if (typed.cancel)
        return std::nullopt;
    return typed.text;
}

void ScriptedPort::process_events()
{
    ++events_run;
    if (during_events) {
        auto step = std::move(during_events);
        if (!step())
            during_events = std::move(step);
    }
}

void ScriptedPort::set_busy(bool on)
{
    busy = on;
    busy_changes.push_back(on);
}

void ScriptedPort::set_main_window_visible(bool visible)
{
    visible_ = visible;
    visibility_changes.push_back(visible);
    if (visible)
        progress_up = false;
}

void ScriptedPort::show_progress(const QString& text, CancelToken* cancel)
{
    progress_up = !text.isEmpty();
    if (!progress_up)
        return;
    progress << text;
    if (progress.size() == cancel_at_progress && cancel)
        cancel->request();
}

void ScriptedPort::end_program(int)
{
    ended = true;
}

QStringList ScriptedPort::texts() const
{
    QStringList t;
    for (const Shown& s : shown)
        t << s.text;
    return t;
}
