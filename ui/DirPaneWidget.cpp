// What the person sees of one directory pane: its drive selector and its directory list.
#include "ui/DirPaneWidget.h"

#include "app/DirPane.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

namespace {

constexpr int path_role = Qt::UserRole;
constexpr int depth_role = Qt::UserRole + 1;

// A drive selector that reads the volumes again whenever it opens.
class DriveBox final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> before_popup;

    void showPopup() override
    {
        if (before_popup)
            before_popup();
        QComboBox::showPopup();
    }
};

// What a screen reader learns of a drive selector. On this platform a combo box takes its
// current text as its name; ours keeps the name of its pane ("dir 1 drive"), and the chosen
// volume is its value.
class DriveBoxAccessible final : public QAccessibleWidget {
public:
    explicit DriveBoxAccessible(DriveBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return { showMenuAction() }; }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    DriveBox* box() const { return static_cast<DriveBox*>(widget()); }
};

QAccessibleInterface* drive_box_accessible(const QString&, QObject* object)
{
    if (auto* box = dynamic_cast<DriveBox*>(object))
        return new DriveBoxAccessible(box);
    return nullptr;
}

} // namespace

// Indents each row by its depth, so the path components read as a tree down to the current
// directory and its subdirectories stand one step further in. Where the path is too deep for the
// list's width, the indents start further down, so that the current directory and its
// subdirectories keep theirs and stay in view; the rows above them line up at the left.
class PaneRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int deepest = 0; // the depth of the subdirectory rows

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.adjust(indent(option, index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // One fixed row height for every row, whatever the style makes of a long or indented one.
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        const int height = std::max(option.fontMetrics.height(), option.decorationSize.height()) + 4;
        return QSize(base.width() + indent(option, index), height);
    }

    int indent(const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const int room = view ? view->viewport()->width() / 2 / step : deepest;
        return step * std::max(0, index.data(depth_role).toInt() - std::max(0, deepest - room));
    }

private:
    static constexpr int step = 12;
};

DirPaneWidget::DirPaneWidget(DirPane& pane, int number, QWidget* parent)
    : QObject(parent)
    , pane_(pane)
    , number_(number)
{
    const QString n = QString::number(number);

    static const bool factory_installed = [] {
        QAccessible::installFactory(drive_box_accessible);
        return true;
    }();
    Q_UNUSED(factory_installed);
    auto* box = new DriveBox(parent);
    box->before_popup = [this] { reload_drives(); };
    drive_box_ = box;
    drive_box_->setObjectName(QStringLiteral("Drive") + n);
    // Named for its pane, not for the volume it shows, which a screen reader reads as its value.
    drive_box_->setAccessibleName(QStringLiteral("dir ") + n + QStringLiteral(" drive"));
    drive_box_->setAccessibleDescription(QStringLiteral("The volume of directory ") + n
        + QStringLiteral("; choosing one shows the directory last shown there"));

    dir_list_ = new QListWidget(parent);
    dir_list_->setObjectName(QStringLiteral("Dir") + n);
    dir_list_->setAccessibleName(QStringLiteral("Directory ") + n);
    dir_list_->setAccessibleDescription(QStringLiteral("Directory ") + n
        + QStringLiteral(": folders of the current directory; double-click or "
                         "Enter opens one"));
    dir_list_->setSelectionMode(QAbstractItemView::SingleSelection);
    dir_list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dir_list_->setUniformItemSizes(true);
    // Small icons keep as many rows in sight as the pane's few lines allow.
    const int icon = dir_list_->style()->pixelMetric(QStyle::PM_SmallIconSize);
    dir_list_->setIconSize(QSize(icon, icon));
    delegate_ = new PaneRowDelegate(dir_list_);
    dir_list_->setItemDelegate(delegate_);
    dir_list_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Opening is ours alone: a style that activates items on a single click must not move the pane.
    dir_list_->installEventFilter(this);
    dir_list_->viewport()->installEventFilter(this);

    connect(dir_list_, &QListWidget::currentRowChanged, this, [this](int row) { pane_.highlight_row(row); });
    connect(dir_list_, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { emit context_menu_requested(dir_list_->viewport()->mapToGlobal(pos)); });
    connect(drive_box_, &QComboBox::activated, this, [this](int index) {
        const QString root = drive_box_->itemData(index).toString();
        emit drive_chosen(root);
        // The handler ran in the meantime: show where the pane is now, which undoes a refused choice.
        show_drive();
    });
    connect(&pane_, &DirPane::rows_changed, this, &DirPaneWidget::show_rows);
    connect(&pane_, &DirPane::drive_changed, this, &DirPaneWidget::show_drive);

    reload_drives();
    show_rows();
}

void DirPaneWidget::reload_drives()
{
    const QSignalBlocker block(drive_box_);
    drive_box_->clear();
    const QIcon icon = drive_box_->style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Volume& v : pane_.drives()) {
        QString text = v.display_name.isEmpty() ? v.root : v.display_name;
        if (!text.contains(v.root))
            text += QStringLiteral("  (") + v.root + u')';
        drive_box_->addItem(icon, text, v.root);
    }
    drive_box_->setCurrentIndex(drive_box_->findData(pane_.drive()));
}

void DirPaneWidget::show_drive()
{
    int index = drive_box_->findData(pane_.drive());
    if (index < 0 && !pane_.drive().isEmpty()) {
        reload_drives();
        return;
    }
    const QSignalBlocker block(drive_box_);
    drive_box_->setCurrentIndex(index);
}

void DirPaneWidget::show_rows()
{
    const QSignalBlocker block(dir_list_);
    // The items that still show the pane's rows stay; the others go and the rows after them come
    // in, so a move one level down changes a few items however deep the path is. Path rows nest:
    // when one is still in place, so are all above it.
    const int components = pane_.component_count();
    int kept = std::min({ shown_components_, components, dir_list_->count() });
    while (kept > 0 && dir_list_->item(kept - 1)->data(path_role).toString() != pane_.row_path(kept - 1))
        --kept;
    if (kept == components && kept == shown_components_) {
        const int rows = std::min(dir_list_->count(), pane_.row_count());
        while (kept < rows && dir_list_->item(kept)->data(path_role).toString() == pane_.row_path(kept))
            ++kept;
    }
    if (kept < dir_list_->count())
        dir_list_->model()->removeRows(kept, dir_list_->count() - kept);
    shown_components_ = components;
    if (kept < pane_.row_count() && open_icon_.isNull()) {
        open_icon_ = dir_list_->style()->standardIcon(QStyle::SP_DirOpenIcon);
        folder_icon_ = dir_list_->style()->standardIcon(QStyle::SP_DirIcon);
    }
    for (int i = kept; i < pane_.row_count(); ++i) {
        const bool component = i < components;
        auto* item = new QListWidgetItem(component ? open_icon_ : folder_icon_, pane_.row_text(i));
        item->setData(path_role, pane_.row_path(i));
        item->setData(depth_role, component ? i : components);
        // A tool tip that looks like markup is shown as markup: spell the path out as text.
        item->setToolTip(QStringLiteral("<p style=\"white-space:pre\">") + pane_.row_path(i).toHtmlEscaped()
            + QStringLiteral("</p>"));
        dir_list_->addItem(item);
    }
    delegate_->deepest = components;
    dir_list_->setCurrentRow(pane_.highlighted_row());
    // A hidden list (the window hides during a tree walk) is scrolled when it shows: placing every
    // row to scroll costs the depth of the pane at each move.
    scroll_pending_ = !dir_list_->isVisible();
    if (!scroll_pending_)
        scroll_to_current();
}

void DirPaneWidget::scroll_to_current()
{
    scroll_pending_ = false;
    const int row = pane_.highlighted_row();
    if (row < 0 || row >= dir_list_->count())
        return;
    // The current directory's subdirectories come into view, as many as fit below it, and the
    // path above it takes what room is left; a highlighted subdirectory only needs to be visible.
    if (row == pane_.component_count() - 1 && dir_list_->count() > row + 1)
        dir_list_->scrollToItem(dir_list_->item(dir_list_->count() - 1), QAbstractItemView::EnsureVisible);
    dir_list_->scrollToItem(dir_list_->item(row), QAbstractItemView::EnsureVisible);
    dir_list_->horizontalScrollBar()->setValue(0);
}

void DirPaneWidget::open(int row)
{
    // A disabled pane (something runs) stays where it is, whatever event reaches it.
    if (row < 0 || !dir_list_->isEnabled())
        return;
    if (const FsError e = pane_.open_row(row))
        emit open_failed(report_error_text(e));
}

bool DirPaneWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dir_list_ && event->type() == QEvent::Show && scroll_pending_)
        scroll_to_current();
    if (watched == dir_list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            open(dir_list_->currentRow());
            return true;
        }
    }
    // The context menu acts on the directory the pane shows: a right click must not highlight
    // another row and suggest otherwise.
    if (watched == dir_list_->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
        && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true;
    if (watched == dir_list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex index = dir_list_->indexAt(mouse->position().toPoint());
            if (index.isValid()) {
                // The rows are rebuilt by the move: the view must not go on with this event.
                open(index.row());
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
