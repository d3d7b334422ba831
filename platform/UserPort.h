#pragma once
// The one way the logic talks to the person: messages, questions, input boxes, the busy cursor,
// letting window events run, and the main window's visibility. The window implements it with
// dialogs; tests script the answers and record what was shown.

#include <QString>

#include <optional>

class CancelToken;

enum class MsgIcon { None, Critical, Exclamation, Question, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class UserPort {
public:
    virtual ~UserPort() = default;

    // A modal message box titled `title` ("Tandrel" when empty); returns the button pressed.
    // The busy cursor is off while the box is up and comes back after.
    virtual Answer message_box(
        const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& title)
        = 0;
    // A modal input box; nullopt when the person cancels.
    virtual std::optional<QString> input_box(const QString& prompt, const QString& title, const QString& default_text)
        = 0;
    virtual void set_busy(bool on) = 0;
    // Lets pending window events run (repainting, a press of "cancel").
    virtual void process_events() = 0;
    virtual void set_main_window_visible(bool visible) = 0;
    virtual bool main_window_visible() const = 0;
    // While the main window is hidden for a long operation: a small box with the progress `text`
    // and a Cancel button that requests `cancel`. An empty text takes the box away, and so does
    // showing the main window. A port without a window has nothing to show.
    virtual void show_progress(const QString& text, CancelToken* cancel)
    {
        (void)text;
        (void)cancel;
    }
    // Ends the program once control returns to the event loop; the caller returns at once.
    virtual void end_program(int exit_code) = 0;

    // Conveniences over message_box.
    void message(const QString& text, MsgIcon icon = MsgIcon::None, const QString& title = {})
    {
        message_box(text, MsgButtons::Ok, icon, Answer::Ok, title);
    }
    Answer ask(const QString& text, MsgButtons buttons, Answer default_button, MsgIcon icon = MsgIcon::Question,
        const QString& title = {})
    {
        return message_box(text, buttons, icon, default_button, title);
    }
};

// The title of every message box.
inline QString app_title()
{
    return QStringLiteral("Tandrel");
}
