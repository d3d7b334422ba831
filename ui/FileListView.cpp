#include "ui/FileListView.h"

#include "compare/FileListsModel.h"

#include <QMouseEvent>

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
    setAccessibleName(QStringLiteral("List %1").arg(number));
    setAccessibleDescription(list_description(number));
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    QListView::mouseMoveEvent(event);
    emit hovered(number_, indexAt(event->position().toPoint()).row());
}

void FileListView::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    emit clicked_list(number_);
}

void FileListView::keyReleaseEvent(QKeyEvent* event)
{
    QListView::keyReleaseEvent(event);
    emit clicked_list(number_);
}
