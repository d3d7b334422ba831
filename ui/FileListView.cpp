#include "ui/FileListView.h"

#include "compare/FileListsModel.h"
#include "transfer/DragDrop.h"
#include "ui/ListDrag.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

QString list_description(int number)
{
    switch (number) {
    case 1:
        return QStringLiteral("Files only in directory 1, or all files of directory 1 before a comparison");
    case 2:
        return QStringLiteral("Files only in directory 2, or all files of directory 2 before a comparison");
    case 3:
        return QStringLiteral("Files newer in directory 1 than in directory 2");
    case 4:
        return QStringLiteral("Files newer in directory 2 than in directory 1");
    default:
        return QStringLiteral("Files that are the same in both directories");
    }
}

} // namespace

FileListView::FileListView(FileListModel& model, int number, QWidget* parent)
    : QListView(parent)
    , number_(number)
{
    setObjectName(QStringLiteral("List%1").arg(number));
    setModel(&model);
    setSelectionModel(model.selection());
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setMouseTracking(true);
    // Drags start here by hand; the view's own drag would move rows of the model.
    setDragEnabled(false);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setAccessibleName(QStringLiteral("List %1").arg(number));
    setAccessibleDescription(list_description(number)
        + QStringLiteral(". Ctrl+Enter opens the focused file, Delete deletes it after asking, Shift+F10 opens the "
                         "list's menu."));
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    // Only the left button drags; the right one is for the list's context menu.
    press_row_ = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()).row() : -1;
    press_pos_ = event->position().toPoint();
    QListView::mousePressEvent(event);
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit hovered(number_, indexAt(pos).row());
    if (press_row_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        // The drag takes the pressed entry alone; no move, not even one below the drag
        // distance, stretches the selection.
        if ((pos - press_pos_).manhattanLength() >= QApplication::startDragDistance()) {
            const int row = press_row_;
            press_row_ = -1;
            start_drag(row);
        }
        return;
    }
    QListView::mouseMoveEvent(event);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event)
{
    press_row_ = -1;
    QListView::mouseReleaseEvent(event);
    emit clicked_list(number_);
}

void FileListView::keyReleaseEvent(QKeyEvent* event)
{
    QListView::keyReleaseEvent(event);
    emit clicked_list(number_);
}

void FileListView::start_drag(int row)
{
    const QModelIndex index = model()->index(row, 0);
    if (!index.isValid())
        return;
    const QString name = index.data().toString();

    // The outline of one list row follows the pointer.
    const QRect rect = visualRect(index);
    QPixmap outline(QSize(viewport()->width(), rect.height()) * devicePixelRatioF());
    outline.setDevicePixelRatio(devicePixelRatioF());
    outline.fill(Qt::transparent);
    {
        QPainter p(&outline);
        p.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        p.drawRect(QRect(QPoint(0, 0), QSize(viewport()->width(), rect.height())).adjusted(0, 0, -1, -1));
        p.drawText(
            QRect(QPoint(4, 0), QSize(viewport()->width() - 8, rect.height())), Qt::AlignVCenter | Qt::AlignLeft, name);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(ListDrag { number_, name }.to_mime());
    drag->setPixmap(outline);
    drag->setHotSpot(QPoint(press_pos_.x(), rect.height() / 2));
    // The view may go while the drag runs (the program ends); nothing more is done then.
    const QPointer<FileListView> self(this);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (!self)
        return;
    // The drag took the button's release: the view still counts the button as held and would
    // make the next plain click stretch a range from the pressed entry.
    QMouseEvent release(QEvent::MouseButtonRelease, press_pos_, viewport()->mapToGlobal(press_pos_), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QListView::mouseReleaseEvent(&release);
    setState(NoState);
    emit clicked_list(number_);
}

bool FileListView::takes(const QMimeData* mime) const
{
    const std::optional<ListDrag> drag = ListDrag::from_mime(mime);
    return drag && drop_rule(drag->list, number_).action != DropAction::Refused;
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    // Refused drops show the no-drop pointer.
    if (takes(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (takes(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileListView::dropEvent(QDropEvent* event)
{
    const std::optional<ListDrag> drag = ListDrag::from_mime(event->mimeData());
    if (!drag || !takes(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The transfer runs once the drag is over, so its messages are not shown inside the drag.
    QMetaObject::invokeMethod(
        this, [this, source = drag->list, name = drag->name] { emit dropped(source, number_, name); },
        Qt::QueuedConnection);
}
