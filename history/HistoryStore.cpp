#include "history/HistoryStore.h"

#include "platform/DirLock.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/UserPort.h"

namespace {

const QString separator = QStringLiteral(" <-> ");

// No line the program writes is longer than two paths; a longer one is not an entry.
constexpr qsizetype max_line_chars = 2 * 4096 + 64;

// Makes `dir`, and with `chain` any missing folders above it.
FsError make_folders(FileSystem& fs, const QString& dir, bool chain)
{
    if (dir.isEmpty() || fs.dir_exists(dir))
        return {};
    const QString parent = parent_path(dir);
    if (chain && parent != dir) {
        if (FsError e = make_folders(fs, parent, chain))
            return e;
    }
    FsError e = fs.make_dir(dir);
    if (e.number == err_file_exists && fs.dir_exists(dir))
        return {};
    return e;
}

QStringList lines_of(const QByteArray& data)
{
    QStringList lines;
    const QString text = QString::fromUtf8(data);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        QString line = text.mid(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.size() <= max_line_chars)
            lines << line;
        start = end + 1;
    }
    return lines;
}

} // namespace

QString history_entry(const QString& dir1, const QString& dir2)
{
    return dir1.leftJustified(history_padding, u' ') + separator + dir2;
}

bool split_history_entry(const QString& entry, QString& dir1, QString& dir2)
{
    const qsizetype at = entry.indexOf(separator);
    if (at < 0)
        return false;
    dir1 = entry.left(at).trimmed();
    dir2 = entry.mid(at + separator.size()).trimmed();
    return true;
}

HistoryStore::HistoryStore(FileSystem& fs, UserPort& port, QObject* parent)
    : QObject(parent)
    , fs_(fs)
    , port_(port)
{
}

void HistoryStore::set_files(const QString& file, const QString& fallback)
{
    file_ = file;
    fallback_ = fallback;
}

void HistoryStore::apply(QStringList& entries, const Change& change)
{
    switch (change.kind) {
    case Change::Add:
        for (qsizetype i = 0; i < entries.size();) {
            if (entries[i].compare(change.entry, Qt::CaseInsensitive) == 0)
                entries.removeAt(i);
            else
                ++i;
        }
        while (entries.size() >= history_max_entries)
            entries.removeLast();
        entries.prepend(change.entry);
        break;
    case Change::Remove:
        entries.removeOne(change.entry);
        break;
    case Change::Clear:
        entries.clear();
        break;
    }
}

void HistoryStore::add_to_history(const QString& entry)
{
    changes_.push_back({ Change::Add, entry });
    apply(entries_, changes_.last());
    emit changed();
    save_history();
}

void HistoryStore::remove_at(int index)
{
    if (index < 0 || index >= entries_.size())
        return;
    changes_.push_back({ Change::Remove, entries_[index] });
    entries_.removeAt(index);
    emit changed();
    save_history();
}

void HistoryStore::clear()
{
    changes_.push_back({ Change::Clear, {} });
    entries_.clear();
    emit changed();
    save_history();
}

FsError HistoryStore::write_to(const QString& file, bool moving)
{
    if (file.isEmpty())
        return make_error(err_bad_file_name);
    // The folder beside the program is made one level only: a program started from a stick that
    // is gone must not rebuild the stick's path on another disk.
    const QString folder = parent_path(file);
    if (FsError e = make_folders(fs_, folder, file == fallback_))
        return e;
    // Another program saving at the same moment waits for this one, and then reads what it wrote.
    const DirLock lock(folder);
    QStringList merged;
    if (const Result<bool> read = read_entries(file, merged); !read.ok() || !read.value)
        merged = saved_;
    // The list moves to a file of another program's: ours goes on top of what it holds.
    for (qsizetype i = saved_.size() - 1; moving && i >= 0; --i)
        apply(merged, { Change::Add, saved_[i] });
    for (const Change& change : std::as_const(changes_))
        apply(merged, change);
    QByteArray data;
    for (const QString& entry : std::as_const(merged))
        data += entry.toUtf8() + "\r\n";
    if (FsError e = fs_.write_file(file, data))
        return e;
    changes_.clear();
    saved_ = merged;
    if (merged != entries_) {
        entries_ = merged;
        emit changed();
    }
    return {};
}

bool HistoryStore::save_history()
{
    FsError e = write_to(file_);
    // A program folder that cannot be written (an installed program, a read-only stick): the
    // history moves to the user's data folder for good.
    if (e.failed() && !fallback_.isEmpty() && fallback_ != file_ && !write_to(fallback_, true).failed()) {
        file_ = fallback_;
        return true;
    }
    if (e.failed() && !save_failure_said_) {
        save_failure_said_ = true;
        port_.message(QStringLiteral("The history of compared directories could not be saved in ") + file_
                + QStringLiteral(" (") + report_error_text(e)
                + QStringLiteral("). The pairs compared since the program started stay in the "
                                 "history until it ends."),
            MsgIcon::Exclamation);
    }
    return !e.failed();
}

Result<bool> HistoryStore::read_entries(const QString& file, QStringList& entries)
{
    const Result<bool> there = fs_.exists(file);
    if (there.ok() && !there.value)
        return there;
    Result<QByteArray> data;
    for (int attempt = 1; attempt <= read_attempts; ++attempt) {
        const Result<FileInfo> info = fs_.info(file);
        if (!info.ok()) {
            data.error = info.error;
        } else if (info.value.is_dir) {
            data.error = make_error(err_path_file_access);
        } else {
            data = info.value.length > max_file_bytes ? fs_.read_file_head(file, max_file_bytes) : fs_.read_file(file);
        }
        if (data.error.number != err_bad_file_name)
            break;
    }
    if (!data.ok())
        return { true, data.error };
    QByteArray bytes = data.value;
    if (bytes.size() >= max_file_bytes) {
        // The last line may be cut in the middle of a character: drop it.
        const qsizetype end = bytes.lastIndexOf('\n');
        bytes.truncate(end < 0 ? 0 : end + 1);
    }
    entries = lines_of(bytes);
    return { true, {} };
}

void HistoryStore::load_history()
{
    entries_.clear();
    changes_.clear();
    // Once the history has gone to the data folder it is read from there: the file beside the
    // program holds what the list was when it moved.
    if (!fallback_.isEmpty() && fallback_ != file_) {
        const Result<bool> moved = fs_.exists(fallback_);
        if (moved.ok() && moved.value) {
            const Result<FileInfo> beside = fs_.info(file_);
            const Result<FileInfo> away = fs_.info(fallback_);
            QStringList newer;
            // A run that could write beside the program since then (a stick writable again)
            // left entries there that the data folder lacks: they are taken in, on top.
            const bool take
                = beside.ok() && away.ok() && beside.value.mtime > away.value.mtime && read_entries(file_, newer).ok();
            file_ = fallback_;
            for (qsizetype i = newer.size() - 1; take && i >= 0; --i) {
                if (!newer[i].trimmed().isEmpty())
                    changes_.push_back({ Change::Add, newer[i] });
            }
        }
    }
    const Result<bool> read = read_entries(file_, entries_);
    if (read.error.failed())
        port_.message(report_error_text(read.error) + QStringLiteral(" (") + file_ + u')');
    saved_ = entries_;
    for (const Change& change : std::as_const(changes_))
        apply(entries_, change);
    emit changed();
    if (!changes_.isEmpty())
        save_history();
}
