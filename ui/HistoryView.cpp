#include "ui/HistoryView.h"

#include "app/HistoryCommands.h"
#include "ui/MainWindow.h"
#include "ui/Placement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

HistoryView::HistoryView(MainWindow& window, HistoryCommands& history)
    : QObject(&window)
    , window_(&window)
    , history_(history)
    , list_(window.history_list())
    , client_(window.centralWidget())
{
    list_->setAccessibleName(QStringLiteral("History of compared directories"));
    list_->setAccessibleDescription(QStringLiteral(
        "Pairs of directories compared before, the most recent first. Enter or a double click compares the pair "
        "again, Delete removes it from the history."));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);

    QMenuBar* bar = window.menuBar();
    m_file_ = window.file_menu()->menuAction();
    QAction* before = window.help_menu()->menuAction();
    // Each slot holds the history itself: a `this` taken by a lambda nested in one that captures
    // by reference was read from this constructor's stack when the action fired.
    HistoryCommands* commands = &history_;
    auto add = [&](const char* name, const QString& caption, void (HistoryCommands::*command)()) {
        auto* a = new QAction(caption, bar);
        a->setObjectName(QString::fromLatin1(name));
        captions_[a] = caption;
        bar->insertAction(before, a);
        connect(a, &QAction::triggered, commands, [commands, command] { (commands->*command)(); });
        return a;
    };
    m_history_ = add("m_history", QStringLiteral("&History"), &HistoryCommands::m_history_Click);
    m_close_ = add("m_close", QStringLiteral("&Close"), &HistoryCommands::m_close_Click);
    m_select_ = add("m_select", QStringLiteral("&Select"), &HistoryCommands::m_select_Click);
    m_delete_ = add("m_delete", QStringLiteral("&Delete"), &HistoryCommands::m_delete_Click);
    m_clear_all_ = add("m_clear_all", QStringLiteral("Clear &all"), &HistoryCommands::m_clear_all_Click);

    connect(&history_.store(), &HistoryStore::changed, this, &HistoryView::fill_list);
    connect(&history_, &HistoryCommands::view_changed, this, &HistoryView::sync_view);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { history_.set_selected(row); });
    connect(list_, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem* item) { history_.history_DblClick(list_->row(item)); });

    // The main window sees every key before its controls do.
    qApp->installEventFilter(this);
    client_->installEventFilter(this);
    fill_list();
    sync_view();
}

HistoryView::~HistoryView()
{
    qApp->removeEventFilter(this);
}

void HistoryView::fill_list()
{
    const QSignalBlocker quiet(list_);
    list_->clear();
    list_->addItems(history_.store().entries());
    mark_current();
}

void HistoryView::mark_current()
{
    // Qt reports a view's current entry as focused whether the view shows or not: a closed list
    // keeps none, or a screen reader hears the hidden entry beside the control that has the focus.
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(history_.view_open() ? history_.selected() : -1);
}

void HistoryView::place_list()
{
    list_->setGeometry(to_pixels(20), 0, to_pixels(client_width(window_)), to_pixels(client_height(window_)));
}

void HistoryView::sync_view()
{
    const bool open = history_.view_open();
    if (m_file_)
        m_file_->setVisible(!open);
    auto show = [this](QAction* a, bool visible) {
        a->setVisible(visible);
        // A hidden command keeps no mnemonic: Alt+C, Alt+D and the others stay the buttons' own.
        a->setText(visible ? captions_.value(a) : QString(captions_.value(a)).remove(u'&'));
    };
    show(m_history_, !open);
    for (QAction* a : { m_close_, m_select_, m_delete_, m_clear_all_ })
        show(a, open);
    mark_current();
    if (open) {
        place_list();
        list_->show();
        list_->raise();
        if (!list_->hasFocus())
            focus_before_ = QApplication::focusWidget();
        list_->setFocus();
    } else {
        const bool had_focus = list_->hasFocus();
        list_->hide();
        if (had_focus && focus_before_ && focus_before_->isVisible() && focus_before_->isEnabled())
            focus_before_->setFocus();
    }
}

QAction* HistoryView::command_for(const QKeyEvent& key) const
{
    // A shown command owns its Alt key. Qt hands a key shared with another control to each in
    // turn: Alt+H would open Help every other time, and Alt+C and Alt+D in the open view would
    // compare, or delete files, with the buttons the list covers.
    const QKeySequence pressed(key.keyCombination());
    for (auto it = captions_.cbegin(); it != captions_.cend(); ++it)
        if (it.key()->isVisible() && QKeySequence::mnemonic(it.value()) == pressed)
            return it.key();
    return nullptr;
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event)
{
    // The list would keep Esc for itself; in this window Esc ends the program wherever the focus is.
    if (event->type() == QEvent::ShortcutOverride && watched == list_
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        return true;
    const bool key_event = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (key_event && widget && widget->window() == window_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (QAction* command = command_for(*key)) {
            if (event->type() == QEvent::KeyPress)
                command->trigger();
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && history_.Form_KeyDown(key->key(), list_->hasFocus()))
            return true;
    } else if (watched == client_ && event->type() == QEvent::MouseButtonPress) {
        // A press a control let through reaches the surface too: only one where no control is
        // counts.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && !client_->childAt(mouse->position().toPoint())) {
            history_.Form_MouseDown_right();
            return true;
        }
    } else if (watched == client_ && event->type() == QEvent::Resize && list_->isVisible()) {
        place_list();
    }
    return QObject::eventFilter(watched, event);
}
