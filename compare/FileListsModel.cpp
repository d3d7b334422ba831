#include "compare/FileListsModel.h"

#include "platform/Names.h"

#include <algorithm>

namespace {

// The captions of the five lists as the window is first built, before any view is entered.
const std::array<QString, FileListsModel::list_count> initial_captions { QStringLiteral("only in dir1"),
    QStringLiteral("only in dir 2"), QStringLiteral("newer in dir1"), QStringLiteral("newer in dir 2"),
    QStringLiteral("aligned") };

} // namespace

// ---- FileListModel ----

FileListModel::FileListModel(QObject* parent)
    : QAbstractListModel(parent)
    , selection_(this)
{
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return names_.at(index.row());
    default:
        return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

int FileListModel::index_of(const QString& name) const
{
    const auto it = std::lower_bound(names_.cbegin(), names_.cend(), name, name_less);
    if (it == names_.cend() || *it != name)
        return -1;
    return int(it - names_.cbegin());
}

void FileListModel::add(const QString& name)
{
    const auto it = std::lower_bound(names_.cbegin(), names_.cend(), name, name_less);
    if (it != names_.cend() && *it == name)
        return;
    const int row = int(it - names_.cbegin());
    beginInsertRows({}, row, row);
    names_.insert(row, name);
    endInsertRows();
}

bool FileListModel::remove(const QString& name)
{
    const int row = index_of(name);
    if (row < 0)
        return false;
    remove_at(row);
    return true;
}

void FileListModel::remove_at(int row)
{
    if (row < 0 || row >= names_.size())
        return;
    beginRemoveRows({}, row, row);
    names_.removeAt(row);
    endRemoveRows();
}

void FileListModel::add_names(QStringList names)
{
    sort_names(names);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    // Each run of names that go in at the same place goes in as one block.
    auto next = names.cbegin();
    while (next != names.cend()) {
        const auto at = std::lower_bound(names_.cbegin(), names_.cend(), *next, name_less);
        if (at != names_.cend() && *at == *next) {
            ++next;
            continue;
        }
        const int row = int(at - names_.cbegin());
        auto end = next + 1;
        while (end != names.cend() && (at == names_.cend() || name_less(*end, *at)))
            ++end;
        const int count = int(end - next);
        beginInsertRows({}, row, row + count - 1);
        names_.insert(row, count, QString());
        std::copy(next, end, names_.begin() + row);
        endInsertRows();
        next = end;
    }
}

void FileListModel::remove_names(const QStringList& names)
{
    QList<int> rows;
    rows.reserve(names.size());
    for (const QString& n : names)
        if (const int row = index_of(n); row >= 0)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the last run back, so the rows of the runs still to go stay where they are.
    qsizetype last = rows.size() - 1;
    while (last >= 0) {
        qsizetype first = last;
        while (first > 0 && rows[first - 1] == rows[first] - 1)
            --first;
        beginRemoveRows({}, rows[first], rows[last]);
        names_.remove(rows[first], rows[last] - rows[first] + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void FileListModel::clear()
{
    set_names({});
}

void FileListModel::set_names(QStringList names)
{
    sort_names(names);
    // Equal spellings sit next to each other once sorted.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
    selection_.clear();
}

bool FileListModel::any_selected() const
{
    return selection_.hasSelection();
}

QStringList FileListModel::selected_names() const
{
    QModelIndexList rows = selection_.selectedIndexes();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList out;
    out.reserve(rows.size());
    for (const QModelIndex& i : rows)
        out.push_back(names_.at(i.row()));
    return out;
}

void FileListModel::select_row(int row, bool selected)
{
    if (row < 0 || row >= names_.size())
        return;
    selection_.select(index(row), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

// ---- FileListsModel ----

FileListsModel::FileListsModel(QObject* parent)
    : QObject(parent)
{
    for (auto& l : lists_)
        l = std::make_unique<FileListModel>(this);
    captions_ = initial_captions;
    align_captions_.fill(QStringLiteral("align these files"));
    hint_ = QStringLiteral("drag/drop file names over file boxes to align or move files between the directories");
}

FileListModel& FileListsModel::list(int number)
{
    Q_ASSERT(number >= 1 && number <= list_count);
    return *lists_[size_t(number - 1)];
}

const FileListModel& FileListsModel::list(int number) const
{
    Q_ASSERT(number >= 1 && number <= list_count);
    return *lists_[size_t(number - 1)];
}

void FileListsModel::set_caption(int number, const QString& caption)
{
    Q_ASSERT(number >= 1 && number <= list_count);
    QString& c = captions_[size_t(number - 1)];
    if (c == caption)
        return;
    c = caption;
    emit caption_changed(number);
}

void FileListsModel::set_comparison_captions()
{
    set_caption(1, QStringLiteral("only in dir 1"));
    set_caption(3, QStringLiteral("newer in dir 1"));
    set_caption(5, QStringLiteral("aligned"));
    set_caption(4, QStringLiteral("newer in dir 2"));
    set_caption(2, QStringLiteral("only in dir 2"));
}

void FileListsModel::set_plain_captions()
{
    set_caption(1, QStringLiteral("files in dir 1"));
    set_caption(3, QString());
    set_caption(5, QString());
    set_caption(4, QString());
    set_caption(2, QStringLiteral("files in dir 2"));
}

void FileListsModel::set_align_buttons_visible(bool visible)
{
    for (int n = 1; n <= 4; ++n) {
        bool& v = button_visible_[size_t(n - 1)];
        if (v == visible)
            continue;
        v = visible;
        emit align_button_changed(n);
    }
}

void FileListsModel::set_align_caption(int number)
{
    Q_ASSERT(number >= 1 && number <= 4);
    const QString caption
        = list(number).any_selected() ? QStringLiteral("align selected files") : QStringLiteral("align all files");
    QString& c = align_captions_[size_t(number - 1)];
    if (c == caption)
        return;
    c = caption;
    emit align_button_changed(number);
}

void FileListsModel::set_hint(const QString& text)
{
    if (hint_ == text)
        return;
    hint_ = text;
    emit hint_changed();
}

void FileListsModel::set_default_comment()
{
    set_hint(difference_count() < 1 ? QString() : standing_hint());
}

QString FileListsModel::standing_hint()
{
    return QStringLiteral("Drag/drop file names over file boxes to align or move files between the directories");
}

qint64 FileListsModel::difference_count() const
{
    qint64 n = 0;
    for (int i = 1; i <= 4; ++i)
        n += list(i).count();
    return n;
}

void FileListsModel::clear_all()
{
    for (auto& l : lists_)
        l->clear();
}
