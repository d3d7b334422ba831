// The message window: a long text in a resizable window with a fixed-pitch font and an OK button,
// shown beside the main window without blocking it.
#include "ui/MsgBoxWindow.h"

#include "platform/UserPort.h"
#include "ui/Placement.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

QPointer<MsgBoxWindow> the_window;

constexpr double text_top = 90;
constexpr double side_margins = 300;
constexpr double button_width = 1500;
constexpr double button_height = 300;
constexpr double button_gap = 120;
// What lies below the text box within the outer height: the button and the gaps, the caption
// and the border.
constexpr double below_text = 650 + 200;
// The first size; the window can be made any size later.
constexpr double first_width = 10500;
constexpr double first_height = 6750;

} // namespace

MsgBoxWindow* MsgBoxWindow::current()
{
    return the_window.data();
}

MsgBoxWindow* MsgBoxWindow::open_window()
{
    if (!the_window) {
        the_window = new MsgBoxWindow;
        center_window(the_window);
    }
    return the_window;
}

MsgBoxWindow::MsgBoxWindow()
    : text_(new QPlainTextEdit(this))
    , ok_(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("f_msgbox"));
    // A dialog, as window managers and screen readers know it, but one that does not block the
    // main window.
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    // An open message window does not keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(app_title());
    setWindowIcon(QApplication::windowIcon());

    text_->setObjectName(QStringLiteral("Text1"));
    text_->setAccessibleName(QStringLiteral("Message text"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    text_->setFont(font);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setReadOnly(true);
    text_->setUndoRedoEnabled(false);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Read-only stops typing; this also undoes what reaches the text any other way.
    connect(text_, &QPlainTextEdit::textChanged, this, &MsgBoxWindow::put_text_back);

    ok_->setObjectName(QStringLiteral("b_ok"));
    connect(ok_, &QPushButton::clicked, this, &QWidget::close);

    // Escape closes the window whichever control has the focus: the window sees the keys of
    // its controls before they do.
    text_->installEventFilter(this);
    ok_->installEventFilter(this);

    resize(to_pixels(first_width), to_pixels(first_height));
}

void MsgBoxWindow::set_box_text(const QString& text)
{
    box_text_ = text;
    show_box_text();
}

void MsgBoxWindow::show_box_text()
{
    // Our own change must not look like an edit to put back.
    const QSignalBlocker quiet(text_);
    text_->setPlainText(box_text_);
    shown_ = text_->toPlainText();
}

void MsgBoxWindow::put_text_back()
{
    if (text_->toPlainText() != shown_)
        show_box_text();
}

void MsgBoxWindow::set_layout()
{
    if (isMinimized())
        return;
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    if (normal && outer_height(this) < min_outer_height) {
        const int frame_extra = frameGeometry().height() - height();
        resize(width(), to_pixels_at_least(min_outer_height) - frame_extra);
    }
    const double cw = client_width(this);
    TwipRect text;
    text.top = text_top;
    text.width = cw - side_margins;
    text.left = (cw - text.width) / 2;
    text.height = outer_height(this) - button_height - below_text;
    TwipRect button;
    button.width = button_width;
    button.height = button_height;
    button.top = text.bottom() + button_gap;
    button.left = (cw - button.width) / 2;
    text_->setGeometry(to_pixel_rect(text));
    ok_->setGeometry(to_pixel_rect(button));
}

void MsgBoxWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    set_layout();
}

bool MsgBoxWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MsgBoxWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QDialog::keyPressEvent(event);
}

void MsgBoxWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    text_->setFocus();
}

void show_box(const QString& text, const QString& caption)
{
    MsgBoxWindow* window = MsgBoxWindow::open_window();
    window->set_box_text(text);
    window->setWindowTitle(caption);
    window->show();
    window->raise();
    window->activateWindow();
}
