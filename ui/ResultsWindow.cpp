#include "ui/ResultsWindow.h"

#include "tree/TreeLog.h"
#include "ui/Placement.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr double window_width = 9615;
constexpr double window_height = 7230;

QPushButton* make_button(const char* name, const QString& caption, const QString& description, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleDescription(description);
    b->setAutoDefault(false);
    return b;
}

} // namespace

ResultsWindow::ResultsWindow(QString& report, FileSystem& fs, Shell& shell, UserPort& port, QWidget* parent)
    : QDialog(parent)
    , report_(report)
    , fs_(fs)
    , shell_(shell)
    , port_(port)
    , text_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("f_results"));
    setWindowTitle(QStringLiteral("Tree comparison"));
    setModal(true);

    auto* title = new QLabel(QStringLiteral("The following branches do not match:"), this);
    title->setObjectName(QStringLiteral("l_title"));
    title->setBuddy(text_);

    text_->setObjectName(QStringLiteral("Text1"));
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setReadOnly(true);
    text_->setUndoRedoEnabled(false);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setAccessibleName(QStringLiteral("Branches that do not match"));
    text_->setAccessibleDescription(
        QStringLiteral("Directories that exist in only one of the two trees, one per line"));
    connect(text_, &QPlainTextEdit::textChanged, this, &ResultsWindow::put_text_back);

    QPushButton* proceed = make_button("b_proceed", QStringLiteral("proceed with common branches"),
        QStringLiteral("Compare the branches both trees have, one pair after another"), this);
    QPushButton* cancel = make_button("b_cancel", QStringLiteral("cancel operation"),
        QStringLiteral("End the tree comparison without comparing any branch"), this);
    QPushButton* save = make_button("b_save_notepad", QStringLiteral("save text in notepad file"),
        QStringLiteral("Write this list to tandrel.log in the working folder and open it"), this);
    proceed->setDefault(true); // Enter proceeds, as the first button of the window
    connect(proceed, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, [this] {
        report_.clear();
        reject();
    });
    connect(save, &QPushButton::clicked, this, [this] { show_text_in_notepad(fs_, shell_, port_, report_); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(proceed);
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);

    show_text();
    setFixedSize(to_pixels(window_width), to_pixels(window_height));
    proceed->setFocus();
}

void ResultsWindow::show_text()
{
    const QSignalBlocker quiet(text_);
    // The report begins with the CR LF that introduces its first line.
    text_->setPlainText(report_.mid(2).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    shown_ = text_->toPlainText();
}

void ResultsWindow::put_text_back()
{
    if (text_->toPlainText() != shown_)
        show_text();
}

void ResultsWindow::show_report(QString& report, FileSystem& fs, Shell& shell, UserPort& port, QWidget* parent)
{
    ResultsWindow window(report, fs, shell, port, parent);
    center_window(&window);
    window.exec();
}
