// One directory pane: drive selector, directory list and the unshown file list.
#include "app/DirPane.h"

#include "platform/DirPath.h"
#include "platform/Names.h"
#include "platform/Paths.h"

#include <algorithm>

DirPane::DirPane(FileSystem& fs, QObject* parent)
    : QObject(parent)
    , fs_(fs)
{
}

QVector<Volume> DirPane::drives() const
{
    return fs_.volumes();
}

FsError DirPane::set_drive(const QString& volume_root)
{
    const QString root = DirPath(volume_root).bare();
    const QVector<Volume> volumes = drives();
    const bool known
        = std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return DirPath(v.root).bare() == root; });
    if (root.isEmpty() || !known || !fs_.dir_exists(root))
        return make_error(err_device_unavailable);

    // The directory last shown there; when it has gone since, the nearest ancestor still there.
    QString target = last_dir_on_volume_.value(root, root);
    for (;;) {
        const FsError e = set_path(target);
        if (!e || target == root || !is_same_or_below(target, root))
            return e;
        target = parent_path(target);
    }
}

namespace {

// True when `path` is absolute and clean_path would give it back as it is: the paths of the walk
// and of the rows, whose cleaning would cost a list of every name at every move of a deep pane.
bool already_clean(const QString& path)
{
    if (!path.startsWith(path_separator))
        return false;
    if (path.size() == 1)
        return true;
    qsizetype start = 1;
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != path_separator)
            continue;
        const QStringView name = QStringView(path).mid(start, i - start);
        if (name.isEmpty() || name == u"." || name == u"..")
            return false;
        start = i + 1;
    }
    return true;
}

} // namespace

Result<QString> DirPane::existing_dir(const QString& path) const
{
    if (path.trimmed().isEmpty())
        return { {}, make_error(err_path_not_found) };
    QString dir = already_clean(path)
        ? path
        : clean_path(is_absolute_path(path) ? path : DirPath(fs_.current_dir()).file(path));

    Result<FileInfo> info = fs_.info(dir);
    if (!info.ok() && is_missing(info.error)) {
        // Paths reach the pane from history entries and command lines typed in any case.
        QString resolved(path_separator);
        for (const QString& part : dir.split(path_separator, Qt::SkipEmptyParts))
            resolved = DirPath(resolved).file(fs_.resolve_case(resolved, part));
        if (resolved != dir) {
            const Result<FileInfo> other = fs_.info(resolved);
            if (other.ok()) {
                dir = resolved;
                info = other;
            }
        }
    }
    if (!info.ok()) {
        // What is missing is a directory, whether or not its parent is there.
        if (info.error.number == err_file_not_found)
            return { {}, make_error(err_path_not_found) };
        return { {}, info.error };
    }
    if (!info.value.is_dir)
        return { {}, make_error(err_path_not_found) };
    return { dir, {} };
}

FsError DirPane::set_path(const QString& path)
{
    const Result<QString> dir = existing_dir(path);
    if (!dir.ok())
        return dir.error;
    return move_to(dir.value);
}

int DirPane::shared_component_rows(const QString& dir) const
{
    // Each component row is the one before it and one more name, so the rows that `dir` shares
    // with the current path are found by comparing the two paths once.
    if (rows_.isEmpty() || dir == path_)
        return 0;
    const qsizetype common = std::mismatch(dir.begin(), dir.end(), path_.begin(), path_.end()).first - dir.begin();
    int kept = 1; // the root
    while (kept < component_count_) {
        const qsizetype end = rows_[kept].size();
        if (end > common || (end < dir.size() && dir[end] != path_separator))
            break;
        ++kept;
    }
    return kept;
}

FsError DirPane::move_to(const QString& dir)
{
    const Result<QVector<DirEntry>> subdirs = fs_.list(dir, EntryKind::Directories, false);
    if (!subdirs.ok())
        return subdirs.error;

    const bool moved = dir != path_;
    const QString keep_highlight = moved ? QString() : highlighted_path();

    // The path rows shared with the directory shown before stay, with the volume each lies on; the
    // rest are built from the path. A re-read of the same directory builds them all again and asks
    // for every volume afresh, since something may have been mounted meanwhile.
    const int kept = shared_component_rows(dir);
    rows_.erase(rows_.begin() + kept, rows_.end());
    row_volumes_.erase(row_volumes_.begin() + kept, row_volumes_.end());
    if (kept == 0) {
        rows_ << QString(path_separator);
        row_volumes_ << fs_.volume_root(rows_[0]);
    }
    for (qsizetype from = rows_.last().size() == 1 ? 1 : rows_.last().size() + 1; from < dir.size();) {
        qsizetype end = dir.indexOf(path_separator, from);
        if (end < 0)
            end = dir.size();
        const QString row = dir.left(end);
        // Only a link or a mount point leads to another volume than its parent's; asking for the
        // volume of every row would resolve the whole path once per row.
        const Result<FileInfo> info = fs_.info(row);
        const bool other_volume = !info.ok() || info.value.is_link || fs_.is_mount_point(row);
        row_volumes_ << (other_volume ? fs_.volume_root(row) : row_volumes_.last());
        rows_ << row;
        from = end + 1;
    }
    component_count_ = int(rows_.size());
    const DirPath base(dir);
    for (const DirEntry& e : subdirs.value)
        rows_ << base.file(e.name);

    path_ = dir;
    list_index_ = -1;
    if (moved)
        hidden_shown_ = false;
    else if (hidden_shown_)
        insert_hidden_rows();
    if (!keep_highlight.isEmpty())
        highlight_path(keep_highlight);

    const QString volume = row_volumes_.last();
    last_dir_on_volume_.insert(DirPath(volume).bare(), path_);
    const bool new_drive = volume != drive_;
    drive_ = volume;

    emit rows_changed();
    if (new_drive)
        emit drive_changed();
    if (moved)
        emit path_changed();
    return {};
}

QString DirPane::row_text(int row) const
{
    if (row < 0 || row >= row_count())
        return {};
    return row == 0 ? rows_[0] : leaf_name(rows_[row]);
}

void DirPane::set_ListIndex(int i)
{
    if (i < -component_count_ || i >= ListCount())
        i = -1;
    if (i == list_index_)
        return;
    list_index_ = i;
    emit rows_changed();
}

int DirPane::highlighted_row() const
{
    return rows_.isEmpty() ? -1 : component_count_ + list_index_;
}

void DirPane::highlight_row(int row)
{
    if (row >= 0 && row < row_count())
        set_ListIndex(row - component_count_);
}

QString DirPane::highlighted_path() const
{
    return rows_.value(highlighted_row());
}

void DirPane::highlight_path(const QString& path)
{
    const int row = int(rows_.indexOf(path));
    list_index_ = row >= 0 ? row - component_count_ : -1;
}

FsError DirPane::open_row(int row)
{
    if (row < 0 || row >= row_count())
        return make_error(err_path_not_found);
    return set_path(rows_[row]);
}

void DirPane::refresh()
{
    if (path_.isEmpty())
        return;
    for (QString dir = path_;; dir = parent_path(dir)) {
        if (fs_.dir_exists(dir)) {
            move_to(dir);
            return;
        }
        if (dir.size() <= 1)
            return;
    }
}

void DirPane::add_hidden_folders()
{
    if (path_.isEmpty())
        return;
    hidden_shown_ = true;
    const QString keep = highlighted_path();
    if (insert_hidden_rows()) {
        highlight_path(keep);
        emit rows_changed();
    }
}

bool DirPane::insert_hidden_rows()
{
    const Result<QVector<DirEntry>> all = fs_.list(path_, EntryKind::Directories, true);
    if (!all.ok())
        return false;
    const DirPath base(path_);
    bool inserted = false;
    for (const DirEntry& e : all.value) {
        if (!e.hidden)
            continue;
        // The subdirectory rows are sorted by name; the hidden one goes to its place among them,
        // unless a row of that exact name is there already.
        const auto first = rows_.begin() + component_count_;
        const auto at = std::lower_bound(first, rows_.end(), e.name,
            [](const QString& row, const QString& name) { return name_less(leaf_name(row), name); });
        if (at != rows_.end() && leaf_name(*at) == e.name)
            continue;
        rows_.insert(at, base.file(e.name));
        inserted = true;
    }
    return inserted;
}

FsError DirPane::refresh_files()
{
    files_.clear();
    if (path_.isEmpty())
        return make_error(err_path_not_found);
    // Only the names show: the directory's own listing tells the plain files apart, so a large
    // directory is not looked up file by file.
    const Result<FileListing> r = fs_.list_files(path_, names_only);
    files_.reserve(r.value.files.size());
    for (const DirEntry& e : r.value.files)
        files_ << e.name;
    return r.error;
}
