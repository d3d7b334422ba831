#include "ui/MainWindow.h"

#include "app/MainController.h"
#include "platform/Shell.h"
#include "platform/UserPort.h"
#include "transfer/TransferContext.h"
#include "ui/DirPaneWidget.h"
#include "ui/FileListView.h"
#include "ui/HelpTexts.h"
#include "ui/ListDrag.h"
#include "ui/MainLayout.h"
#include "ui/Placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace {

QLabel* make_label(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    // Names of files and folders reach labels: they are text, never markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* make_button(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// A drop target: a framed box the person drops list entries on.
QLabel* make_drop_target(const QString& name, const QString& description, QWidget* parent)
{
    auto* box = new QLabel(parent);
    box->setObjectName(name);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAutoFillBackground(true);
    box->setBackgroundRole(QPalette::Base);
    box->setAccessibleName(description);
    box->setAccessibleDescription(description);
    box->setMouseTracking(true);
    return box;
}

QLabel* make_picture(const QString& name, QStyle::StandardPixmap pixmap, QWidget* parent)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(parent->style()->standardIcon(pixmap).pixmap(24, 24));
    picture->setAlignment(Qt::AlignCenter);
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

// A caption too long for its button at the window's size is drawn in a smaller font, never clipped.
void fit_caption(QPushButton* button)
{
    const QFont normal = button->parentWidget()->font();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto fits = [&](const QFont& font) {
        const QSize text = QFontMetrics(font).size(Qt::TextShowMnemonic, button->text());
        return button->style()->sizeFromContents(QStyle::CT_PushButton, &option, text, button).width()
            <= button->width();
    };
    QFont font = normal;
    while (!fits(font) && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    if (font == normal)
        button->setFont(QFont()); // back to the window's font
    else
        button->setFont(font);
}

// Hands the events of the widgets it watches to a function; true from it ends an event there.
class EventHook final : public QObject {
public:
    EventHook(QObject* parent, std::function<bool(QObject*, QEvent*)> handler)
        : QObject(parent)
        , handler_(std::move(handler))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override { return handler_(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> handler_;
};

} // namespace

MainWindow::MainWindow(MainController& controller, UserPort& port, Shell& shell)
    : controller_(controller)
    , port_(port)
    , shell_(shell)
{
    setObjectName(QStringLiteral("form_mirror"));
    setWindowTitle(app_title());
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setMouseTracking(true);
    client_->installEventFilter(this);
    setCentralWidget(client_);
    build_menus();
    build_controls();
    connect_models();
    sync_state();
    place_designed(this);

    connect(&controller_, &MainController::placing_window, this, [this] { place_main_window(this); });
    connect(&controller_, &MainController::layout_wanted, this, [this] { apply_layout(); });
    // A hidden window remembers the focus and gives it when it is shown again.
    connect(&controller_, &MainController::plain_view_shown, this, [this] {
        if (bot_compare_tree_->isVisibleTo(this))
            bot_compare_tree_->setFocus();
    });
    connect(&controller_, &MainController::exit_focus_wanted, this, [this] { bot_exit_->setFocus(); });
    connect(&controller_, &MainController::alignment_progress, this, &MainWindow::show_progress);
}

MainWindow::~MainWindow()
{
    // The hooks call into this window: none may run while its parts are being destroyed.
    for (const QPointer<QObject>& hook : std::as_const(hooks_))
        delete hook.data();
    // The controller outlives the window: its signals must not reach the parts being destroyed.
    disconnect(&controller_, nullptr, this, nullptr);
}

void MainWindow::build_menus()
{
    QMenu* m_file = m_file_ = menuBar()->addMenu(QStringLiteral("&File"));
    m_file->setObjectName(QStringLiteral("m_file"));
    m_ignore_one_hour_differences_ = m_file->addAction(QStringLiteral("Ignore 1-hour differences on/off"));
    m_ignore_one_hour_differences_->setObjectName(QStringLiteral("m_ignore_one_hour_differences"));
    m_ignore_one_hour_differences_->setCheckable(true);
    connect(m_ignore_one_hour_differences_, &QAction::triggered, this,
        [this] { controller_.m_ignore_one_hour_differences_Click(); });
    m_skip_delete_confirmations_ = m_file->addAction(QStringLiteral("Skip &delete confirmations on/off"));
    m_skip_delete_confirmations_->setObjectName(QStringLiteral("m_skip_delete_confirmations"));
    m_skip_delete_confirmations_->setCheckable(true);
    connect(m_skip_delete_confirmations_, &QAction::triggered, this,
        [this] { controller_.m_skip_delete_confirmations_Click(); });
    m_delete_to_trash_ = m_file->addAction(QStringLiteral("delete to &trash"));
    m_delete_to_trash_->setObjectName(QStringLiteral("m_delete_to_trash"));
    m_delete_to_trash_->setCheckable(true);
    m_delete_to_trash_->setStatusTip(
        QStringLiteral("Deleted files go to the desktop trash, where they can be restored; on a volume other than "
                       "the home folder's, its trash keeps taking up that volume's space until it is emptied"));
    connect(m_delete_to_trash_, &QAction::triggered, this, [this] { controller_.m_delete_to_trash_Click(); });
    QAction* m_refresh = m_file->addAction(QStringLiteral("&Refresh directories"));
    m_refresh->setObjectName(QStringLiteral("m_refresh"));
    connect(m_refresh, &QAction::triggered, this, [this] { controller_.m_refresh_Click(); });
    QAction* exit = m_file->addAction(QStringLiteral("&Exit program (you can also use the ESC key)"));
    exit->setObjectName(QStringLiteral("exit"));
    connect(exit, &QAction::triggered, this, [this] { controller_.exit_Click(); });

    QMenu* m_help = m_help_ = menuBar()->addMenu(QStringLiteral("&Help"));
    m_help->setObjectName(QStringLiteral("m_help"));
    auto add_help = [&](const char* name, const QString& caption, auto handler) {
        QAction* a = m_help->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
    };
    add_help("m_comman_line", QStringLiteral("&Command line"), [this] { show_command_line_help(port_); });
    add_help(
        "m_directory_flags", QStringLiteral("&Directory flags"), [this] { port_.message(directory_flags_text()); });
    add_help("m_version_history", QStringLiteral("Version history"), [] { show_version_history(); });
    add_help("m_web_site", QStringLiteral("Author's web site"), [this] { open_web_site(shell_); });
    add_help("m_about", QStringLiteral("A&bout Tandrel"), [this] { show_about(port_); });

    m_popup_dir_ = new QMenu(QStringLiteral("Popup_dir"), this);
    m_popup_dir_->setObjectName(QStringLiteral("m_popup_dir"));
    for (auto [name, caption, command] :
        { std::tuple { "m_rename_dir", "Rename directory", &DirectoryCommands::m_rename_dir },
            std::tuple { "m_delete_dir", "Delete directory", &DirectoryCommands::m_delete_dir },
            std::tuple { "m_create_dir", "Create subdirectory", &DirectoryCommands::m_create_dir } }) {
        QAction* a = m_popup_dir_->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, command] { controller_.directory_command(command); });
    }

    build_list_popup();

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { controller_.exit_Click(); });
}

void MainWindow::build_controls()
{
    build_panes();
    build_drop_targets();
    build_lists();
    build_command_frame();
    set_tab_order();
}

void MainWindow::build_panes()
{
    for (int n = 1; n <= 2; ++n) {
        bytes_free_[size_t(n - 1)]
            = make_label(QStringLiteral("lab_bytes_dir%1").arg(n), QStringLiteral("bytes free:"), client_);
        make_label(QStringLiteral("lab_dir%1").arg(n), QStringLiteral("dir %1").arg(n), client_);
        auto* pane = new DirPaneWidget(controller_.pane(n), n, client_);
        panes_[size_t(n - 1)] = pane;
        // The pointer's moves reach the list's viewport, not the list itself.
        pane->dir_list()->viewport()->installEventFilter(this);
        pane->dir_list()->viewport()->setMouseTracking(true);
        connect(pane, &DirPaneWidget::drive_chosen, this,
            [this, n](const QString& root) { controller_.Drive_Change(n, root); });
        connect(pane, &DirPaneWidget::context_menu_requested, this,
            [this, n](const QPoint& pos) { show_dir_popup(n, pos); });
        connect(pane, &DirPaneWidget::open_failed, this, [this](const QString& text) { port_.message(text); });
    }
    // Between the panes: the tree walk's next step.
    next_alignment_ = make_button(QStringLiteral("b_next_alignment"), QStringLiteral("next subdir"), client_);
    next_alignment_->setMouseTracking(true);
    next_alignment_->installEventFilter(this);
    next_alignment_->hide();
    connect(next_alignment_, &QPushButton::clicked, this, &MainWindow::next_alignment_clicked);
}

void MainWindow::build_drop_targets()
{
    // The drop targets are narrow: their captions take two lines.
    for (auto [name, caption] : { std::pair { "lab_drop_to_see", "drop here to open/run file" },
             std::pair { "lab_drop_to_delete", "drop here to delete file" } }) {
        QLabel* label = make_label(QString::fromLatin1(name), QString::fromLatin1(caption), client_);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    }
    text1_ = make_drop_target(
        QStringLiteral("Text1"), QStringLiteral("Drop a file entry here to open or run the file"), client_);
    text1_->installEventFilter(this);
    text2_ = make_drop_target(
        QStringLiteral("Text2"), QStringLiteral("Drop a file entry here to delete the file"), client_);
    text2_->installEventFilter(this);
    auto* drops = new EventHook(this, [this](QObject* watched, QEvent* event) {
        return drop_target_event(watched == text1_ ? text1_ : text2_, event);
    });
    hooks_ << drops;
    for (QLabel* target : { text1_, text2_ }) {
        target->setAcceptDrops(true);
        target->installEventFilter(drops);
    }
    make_picture(QStringLiteral("Picture1"), QStyle::SP_FileIcon, client_);
    make_picture(QStringLiteral("Picture2"), QStyle::SP_TrashIcon, client_);
}

void MainWindow::build_lists()
{
    FileListsModel& model = controller_.lists();
    for (int n = 1; n <= 5; ++n) {
        auto* caption = make_label(QStringLiteral("lab_list%1").arg(n), model.caption(n), client_);
        list_captions_[size_t(n - 1)] = caption;
        auto* view = new FileListView(model.list(n), n, client_);
        caption->setBuddy(view);
        lists_[size_t(n - 1)] = view;
        // A right click opens the lists' menu and leaves the selection alone: it is what the
        // menu's "delete selected" acts on. The menu key opens it too.
        auto* keys = new EventHook(view, [this, view, n](QObject*, QEvent* event) {
            if (event->type() == QEvent::MouseButtonPress
                && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                show_list_popup(n, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
                return true;
            }
            const QRect row = view->visualRect(view->currentIndex());
            const QPoint at_entry = view->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint());
            if (event->type() == QEvent::ContextMenu) {
                if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse)
                    show_list_popup(n, at_entry);
                return true;
            }
            if (event->type() == QEvent::KeyPress)
                return list_key(n, static_cast<QKeyEvent*>(event), at_entry);
            return false;
        });
        hooks_ << keys;
        view->installEventFilter(keys); // keys reach the view, a click its viewport
        view->viewport()->installEventFilter(keys);
        // An entry reached with the arrow keys shows its details as hovering does.
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, view, n](const QModelIndex& current) {
                if (view->hasFocus())
                    controller_.list_mouse_move(n, current.row());
            });
        connect(
            view, &FileListView::hovered, this, [this](int list, int row) { controller_.list_mouse_move(list, row); });
        connect(view, &FileListView::dropped, this, [this, &model](int source, int target, const QString& name) {
            controller_.list_drag_drop(source, target, name);
            // The pressed entry may have left its list: the buttons say what they would align now.
            for (int list = 1; list <= 4; ++list)
                model.set_align_caption(list);
        });
        if (n <= 4) {
            connect(view, &FileListView::clicked_list, this, [&model](int list) { model.set_align_caption(list); });
            auto* button = make_button(QStringLiteral("bot_list%1").arg(n), model.align_caption(n), client_);
            button->setAccessibleDescription(QStringLiteral("Copies the selected files of list %1, or all of them when "
                                                            "none is selected, to the other directory")
                                                 .arg(n));
            connect(button, &QPushButton::clicked, this, [this, n] { controller_.bot_list_Click(n); });
            align_buttons_[size_t(n - 1)] = button;
        }
    }
}

// The hint line, the command buttons in their frame, the progress bar and the history list.
void MainWindow::build_command_frame()
{
    // The hint holds two lines at most (the details of a pair): a path is not wrapped into more.
    hint_ = make_label(QStringLiteral("lab_drag_drop"), QString(), client_);
    hint_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hint_->setAccessibleName(QStringLiteral("Hint line"));

    frame_ = new QFrame(client_);
    frame_->setObjectName(QStringLiteral("Frame_bottoni"));
    frame_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame_->setAccessibleName(QStringLiteral("Commands"));
    bot_compare_tree_ = make_button(QStringLiteral("bot_compare_tree"), QStringLiteral("compare &trees"), frame_);
    connect(bot_compare_tree_, &QPushButton::clicked, this, &MainWindow::compare_trees_clicked);
    bot_compare_ = make_button(QStringLiteral("bot_compare"), QStringLiteral("&compare dir's"), frame_);
    connect(bot_compare_, &QPushButton::clicked, this, [this] { controller_.bot_compare_Click(); });
    bot_delete_ = make_button(QStringLiteral("bot_delete"), QStringLiteral("&delete selected files"), frame_);
    connect(bot_delete_, &QPushButton::clicked, this, [this] { controller_.bot_delete_Click(); });
    bot_cancel_ = make_button(QStringLiteral("bot_cancel"), QStringLiteral("ca&ncel"), frame_);
    connect(bot_cancel_, &QPushButton::clicked, this, [this] { controller_.bot_cancel_Click(); });
    bot_exit_ = make_button(QStringLiteral("bot_exit"), QStringLiteral("&exit"), frame_);
    connect(bot_exit_, &QPushButton::clicked, this, [this] { controller_.exit_Click(); });
    progress_ = new QProgressBar(frame_);
    progress_->setObjectName(QStringLiteral("align_progress"));
    progress_->setAccessibleName(QStringLiteral("Alignment progress"));
    progress_->setAccessibleDescription(QStringLiteral("Files and bytes copied so far of the files being aligned"));
    progress_->setTextVisible(true);
    progress_->hide();

    history_ = new QListWidget(client_);
    history_->setObjectName(QStringLiteral("history"));
    history_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    history_->hide();
}

void MainWindow::set_tab_order()
{
    QList<QWidget*> order = { panes_[0]->drive_box(), panes_[0]->dir_list(), next_alignment_, panes_[1]->drive_box(),
        panes_[1]->dir_list() };
    for (int n : { 1, 3, 5, 4, 2 })
        order << lists_[size_t(n - 1)];
    for (int n : { 1, 3, 4, 2 })
        order << align_buttons_[size_t(n - 1)];
    order << bot_compare_tree_ << bot_compare_ << bot_delete_ << bot_cancel_ << bot_exit_;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::connect_models()
{
    FileListsModel& model = controller_.lists();
    connect(&model, &FileListsModel::caption_changed, this, [this](int n) { show_list_caption(n); });
    connect(&model, &FileListsModel::align_button_changed, this, [this](int n) { show_align_button(n); });
    connect(&model, &FileListsModel::hint_changed, this, [this] { show_hint(); });
    connect(&controller_.state(), &WindowState::changed, this, [this] { sync_state(); });
    connect(&controller_.gate(), &RunGate::changed, this, [this] { update_actions(); });
    connect(&controller_.gate(), &RunGate::refused, this, [] { QApplication::beep(); });
}

void MainWindow::update_actions()
{
    // While a command runs, the panes stay where it works and nothing takes a dragged entry; the
    // other commands are refused with a beep when they are given.
    const bool idle = controller_.gate().idle();
    for (DirPaneWidget* pane : panes_) {
        pane->drive_box()->setEnabled(idle);
        pane->dir_list()->setEnabled(idle);
    }
    text1_->setAcceptDrops(idle);
    text2_->setAcceptDrops(idle);
    for (FileListView* list : lists_) {
        list->setAcceptDrops(idle);
        list->viewport()->setAcceptDrops(idle);
    }
}

void MainWindow::sync_state()
{
    const WindowState& state = controller_.state();
    bot_cancel_->setEnabled(state.cancel_enabled());
    next_alignment_->setVisible(state.next_alignment_visible());
    m_ignore_one_hour_differences_->setChecked(state.ignore_one_hour_checked());
    m_skip_delete_confirmations_->setChecked(state.skip_delete_confirmations_checked());
    m_delete_to_trash_->setChecked(state.delete_to_trash_checked());
    bytes_free_[0]->setText(state.bytes_free(1));
    bytes_free_[1]->setText(state.bytes_free(2));
    for (int n = 1; n <= 5; ++n)
        show_list_caption(n);
    show_hint();
}

void MainWindow::show_list_caption(int n)
{
    // A screen reader announces a list, and the button that aligns it, by the caption it shows.
    const QString caption = controller_.lists().caption(n);
    list_captions_[size_t(n - 1)]->setText(caption);
    lists_[size_t(n - 1)]->setAccessibleName(caption);
    if (n <= 4)
        show_align_button(n);
}

void MainWindow::show_align_button(int n)
{
    const FileListsModel& model = controller_.lists();
    QPushButton* button = align_buttons_[size_t(n - 1)];
    button->setVisible(model.align_button_visible(n));
    button->setText(model.align_caption(n));
    button->setAccessibleName(QString(model.align_caption(n)).remove(u'&') + QStringLiteral(" of ") + model.caption(n));
    fit_caption(button);
}

void MainWindow::show_hint()
{
    const QString text = controller_.lists().hint();
    hint_->setText(text);
    // A screen reader reads the label's name; the text it shows follows as its description.
    hint_->setAccessibleDescription(text);
}

void MainWindow::show_dir_popup(int pane, const QPoint& global_pos)
{
    controller_.set_popup_dir_pane(pane);
    m_popup_dir_->popup(global_pos);
}

void MainWindow::build_list_popup()
{
    m_popup_ = new QMenu(QStringLiteral("popup"), this);
    m_popup_->setObjectName(QStringLiteral("m_popup"));
    auto add = [&](const char* name, const QString& caption, auto handler) {
        QAction* a = m_popup_->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
    };
    add("m_select_all", QStringLiteral("Select all files in list"), [this] {
        controller_.m_select_all_Click();
        const int list = controller_.popup_list();
        if (list >= 1 && list <= 5)
            lists_[size_t(list - 1)]->scrollToTop();
    });
    add("m_delete_selected_files", QStringLiteral("Delete selected files in list"),
        [this] { controller_.m_delete_selected_files_Click(); });
    add("m_delete_all_files", QStringLiteral("Delete all files in list"),
        [this] { controller_.m_delete_all_files_Click(); });
}

void MainWindow::show_list_popup(int list, const QPoint& global_pos)
{
    controller_.set_popup_list(list);
    m_popup_->popup(global_pos);
}

bool MainWindow::list_key(int list, const QKeyEvent* key, const QPoint& at_entry)
{
    // Shift+F10 opens the menu as the menu key does; Ctrl+Enter and Delete do on the focused
    // entry what the open/run and delete targets do with a dropped one.
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
        show_list_popup(list, at_entry);
        return true;
    }
    const QModelIndex current = lists_[size_t(list - 1)]->currentIndex();
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && key->modifiers() == Qt::ControlModifier) {
        if (current.isValid())
            text1_->setToolTip(controller_.Text1_DragDrop(shell_, list, current.data().toString()));
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        if (current.isValid())
            controller_.Text2_DragDrop(list, current.data().toString());
        return true;
    }
    return false;
}

bool MainWindow::drop_target_event(QLabel* target, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* mime = drop->mimeData();
    const std::optional<ListDrag> entry = ListDrag::from_mime(mime);
    // The open/run target also takes a text or a file dropped from elsewhere.
    const bool text = target == text1_ && mime && (mime->hasUrls() || mime->hasText());
    if (!entry && !text) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type != QEvent::Drop)
        return true;
    // The drop's work asks questions and waits; it runs once the drag has ended.
    QString dropped;
    if (!entry) {
        const QUrl url = mime->hasUrls() ? mime->urls().value(0) : QUrl();
        dropped = url.isLocalFile() ? url.toLocalFile() : url.isValid() ? url.toString() : mime->text();
    }
    QTimer::singleShot(0, this, [this, target, entry, dropped] {
        if (target == text2_)
            controller_.Text2_DragDrop(entry->list, entry->name);
        else if (entry)
            text1_->setToolTip(controller_.Text1_DragDrop(shell_, entry->list, entry->name));
        else
            controller_.Text1_drop_text(shell_, dropped);
    });
    return true;
}

void MainWindow::apply_layout()
{
    ::apply_layout(this, controller_.starting_up());
    for (QPushButton* button : client_->findChildren<QPushButton*>())
        fit_caption(button);
    place_progress();
}

void MainWindow::place_progress()
{
    // Over the first three command buttons, which have nothing to do while files are copied.
    const QRect first = bot_compare_tree_->geometry();
    const QRect third = bot_delete_->geometry();
    progress_->setGeometry(QRect(first.topLeft(), third.bottomRight()));
}

void MainWindow::show_progress(const AlignProgress& p)
{
    if (!p.visible) {
        progress_->hide();
        return;
    }
    // Bytes drive the bar (a few large files would leave a file count standing still); both
    // counts are in its text.
    const int scale = 10000;
    progress_->setRange(0, scale);
    progress_->setValue(p.bytes_total > 0 ? int(double(p.bytes_done) / double(p.bytes_total) * scale)
                                          : (p.files_total > 0 ? p.files_done * scale / p.files_total : 0));
    const QLocale locale;
    progress_->setFormat(QStringLiteral("%1 of %2 files, %3 of %4")
                             .arg(p.files_done)
                             .arg(p.files_total)
                             .arg(locale.formattedDataSize(p.bytes_done), locale.formattedDataSize(p.bytes_total)));
    if (!progress_->isVisible()) {
        place_progress();
        progress_->show();
        progress_->raise();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    apply_layout();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program; nothing is saved at exit.
    event->accept();
    if (!closing_) {
        closing_ = true;
        controller_.exit_Click();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == text1_) {
            controller_.set_hint(QString());
            return true; // the move would go on to the surface, which restores the hint
        }
        controller_.set_default_comment();
    }
    return QMainWindow::eventFilter(watched, event);
}
