#pragma once
// The message window: a long text in a resizable window with a fixed-pitch font and an OK button,
// shown beside the main window without blocking it.

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

class MsgBoxWindow final : public QDialog {
    Q_OBJECT
public:
    // The open message window, or nullptr; there is at most one.
    static MsgBoxWindow* current();
    // The open window, created when there is none; it is destroyed when it is closed.
    static MsgBoxWindow* open_window();

    // The text the window shows. It cannot be changed in the window: any edit is undone at once.
    void set_box_text(const QString& text);
    QString box_text() const { return box_text_; }

    // Places the text box and the button from the window's size; raises a low window to the
    // minimum height.
    void set_layout();

    static constexpr double min_outer_height = 2000;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MsgBoxWindow();
    void show_box_text();
    void put_text_back();

    QPlainTextEdit* text_;
    QPushButton* ok_;
    QString box_text_;
    // The text as the text box holds it (line ends normalised), to tell an edit from our own.
    QString shown_;
};

// Shows `text` in the message window under the caption `caption` and returns at once; an open
// window takes the new text and caption.
void show_box(const QString& text, const QString& caption);
