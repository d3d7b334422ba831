#include "platform_gui/QtPort.h"

#include "platform/CancelToken.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>

class QtPort::BusyPause {
public:
    explicit BusyPause(bool busy)
        : busy_(busy)
    {
        if (busy_)
            QApplication::restoreOverrideCursor();
    }
    ~BusyPause()
    {
        if (busy_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    BusyPause(const BusyPause&) = delete;
    BusyPause& operator=(const BusyPause&) = delete;

private:
    bool busy_;
};

namespace {

QMessageBox::Icon to_qt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None:
        break;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons to_qt(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        break;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton to_qt(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        break;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

} // namespace

QString QtPort::shown_text(const QString& text)
{
    // The texts carry the program's CR LF line ends; a label breaks lines at LF alone.
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

namespace {

// The widest a box may grow: most of the screen.
int usable_width(const QScreen* screen)
{
    return screen ? screen->availableGeometry().width() * 9 / 10 : 1000;
}

// The widest text a message box shows unwrapped. The box itself never grows beyond the
// screen's width less 480 px, at most 1000 px, or the whole width of a screen up to 1024 px; a
// label wider than that would be cut. Its icon and margins take the rest.
int widest_message_line(const QScreen* screen)
{
    const int screen_width = screen ? screen->availableGeometry().width() : 1024;
    const int box = screen_width <= 1024 ? screen_width : std::min(screen_width - 480, 1000);
    return box - 140;
}

// A line too wide for the box may break after a path separator: a path has no blanks to
// break at.
QString breakable(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (metrics.horizontalAdvance(line) > width)
            line.replace(u'/', QStringLiteral("/\u200b"));
    return lines.join(u'\n');
}

} // namespace

QWidget* QtPort::dialog_parent() const
{
    // A hidden window cannot carry a box (it would be placed off its invisible parent).
    return main_window_ && main_window_->isVisible() ? main_window_.data() : nullptr;
}

Answer QtPort::message_box(
    const QString& text, MsgButtons buttons, MsgIcon icon, Answer default_button, const QString& title)
{
    QMessageBox box(
        to_qt(icon), title.isEmpty() ? app_title() : title, shown_text(text), to_qt(buttons), dialog_parent());
    box.setTextFormat(Qt::PlainText);
    // A line breaks where the text breaks it, not where the box would like to be narrower; only
    // a line wider than the box can be is wrapped.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        const QFontMetrics metrics(label->font());
        const int widest = widest_message_line(box.screen());
        const int text_width = metrics.size(0, shown_text(text)).width();
        label->setMinimumWidth(std::min(text_width, widest));
        if (text_width > widest) {
            label->setWordWrap(true);
            label->setText(breakable(shown_text(text), metrics, widest));
        }
    }
    if (QAbstractButton* def = box.button(to_qt(default_button)))
        box.setDefaultButton(qobject_cast<QPushButton*>(def));
    {
        const BusyPause pause(busy_);
        box.exec();
    }
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        break;
    }
    // Closed without a button (the program ending under it): the answer that changes nothing.
    switch (buttons) {
    case MsgButtons::Ok:
        return Answer::Ok;
    case MsgButtons::YesNo:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> QtPort::input_box(const QString& prompt, const QString& title, const QString& default_text)
{
    QInputDialog dialog(dialog_parent());
    const QString caption = title.isEmpty() ? app_title() : title;
    dialog.setWindowTitle(caption);
    dialog.setLabelText(shown_text(prompt));
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    dialog.setTextValue(default_text);
    // Wide enough for the prompt and the caption, which name the directory the answer is for.
    const QFontMetrics metrics(dialog.font());
    int needed = metrics.horizontalAdvance(caption) + 120;
    for (const QString& line : shown_text(prompt).split(u'\n'))
        needed = std::max(needed, metrics.horizontalAdvance(line) + 60);
    dialog.setMinimumWidth(std::min(needed, usable_width(dialog.screen())));
    int result = QDialog::Rejected;
    {
        const BusyPause pause(busy_);
        result = dialog.exec();
    }
    if (result != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtPort::set_busy(bool on)
{
    if (on == busy_)
        return;
    busy_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtPort::process_events()
{
    QCoreApplication::processEvents();
}

QtPort::~QtPort()
{
    delete progress_box_.data();
}

void QtPort::show_progress(const QString& text, CancelToken* cancel)
{
    progress_cancel_ = cancel;
    if (text.isEmpty()) {
        if (progress_box_)
            progress_box_->hide();
        return;
    }
    if (!progress_box_) {
        auto* box = new QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
        box->setObjectName(QStringLiteral("tree_progress"));
        box->setWindowTitle(app_title());
        box->setAccessibleName(QStringLiteral("Tree comparison progress"));
        box->setAccessibleDescription(
            QStringLiteral("The directory being checked while the main window is hidden, and a button to stop"));
        auto* layout = new QVBoxLayout(box);
        progress_text_ = new QLabel(box);
        progress_text_->setObjectName(QStringLiteral("tree_progress_text"));
        progress_text_->setTextFormat(Qt::PlainText);
        progress_text_->setAccessibleName(QStringLiteral("Directory being checked"));
        progress_text_->setAccessibleDescription(QStringLiteral("The directory the tree comparison checks now"));
        layout->addWidget(progress_text_);
        auto* cancel_button = new QPushButton(QStringLiteral("Cancel"), box);
        cancel_button->setObjectName(QStringLiteral("tree_progress_cancel"));
        cancel_button->setAccessibleName(QStringLiteral("Cancel tree comparison"));
        cancel_button->setAccessibleDescription(QStringLiteral(
            "Stops the tree comparison: a scan ends with nothing compared, a walk waits for next subdir"));
        layout->addWidget(cancel_button, 0, Qt::AlignRight);
        QObject::connect(cancel_button, &QPushButton::clicked, box, [this] {
            if (progress_cancel_)
                progress_cancel_->request();
        });
        // Closing the box is a Cancel too.
        QObject::connect(box, &QDialog::rejected, box, [this] {
            if (progress_cancel_)
                progress_cancel_->request();
        });
        box->setMinimumWidth(std::min(600, usable_width(box->screen())));
        progress_box_ = box;
    }
    const QFontMetrics metrics(progress_text_->font());
    progress_text_->setText(metrics.elidedText(text, Qt::ElideMiddle, progress_box_->minimumWidth() - 40));
    if (!progress_box_->isVisible())
        progress_box_->show();
}

void QtPort::set_main_window_visible(bool visible)
{
    if (visible && progress_box_)
        progress_box_->hide();
    if (main_window_) {
        const bool shown_again = visible && hidden_here_;
        if (!visible && main_window_->isVisible())
            hidden_here_ = true;
        else if (visible)
            hidden_here_ = false;
        main_window_->setVisible(visible);
        // A window shown again is not given the keyboard by every window manager: ask for it,
        // so the control that had the focus has it again.
        if (shown_again)
            reactivate_main_window();
    } else
        visible_without_window_ = visible;
}

void QtPort::reactivate_main_window()
{
    main_window_->activateWindow();
    // Hiding the window made it inactive for the widgets, while the window system may never have
    // seen it lose the keyboard (hidden and shown between two of its events). Then no
    // activation follows: keys still reach the window, but nothing counts as focused, and a
    // screen reader hears neither the active window nor the focused control. Told directly,
    // the window is active again and its control gets the focus and announces it.
    const QWindow* handle = main_window_->windowHandle();
    if (handle && handle == QGuiApplication::focusWindow() && QApplication::activeWindow() != main_window_) {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(main_window_);
        QT_WARNING_POP
    }
}

bool QtPort::main_window_visible() const
{
    return main_window_ ? main_window_->isVisible() : visible_without_window_;
}

void QtPort::end_program(int exit_code)
{
    // Closing the main window may come back here through its close handler.
    if (ended_)
        return;
    ended_ = true;
    exit_code_ = exit_code;
    set_busy(false);
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget>& w : std::as_const(windows))
        if (w)
            w->close();
    QCoreApplication::exit(exit_code);
    // exit() does nothing while no event loop runs; this ends the loop once it starts.
    QMetaObject::invokeMethod(
        qApp, [exit_code] { QCoreApplication::exit(exit_code); }, Qt::QueuedConnection);
}
