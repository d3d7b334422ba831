#include "history/HistoryStore.h"

#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/UserPort.h"

namespace {

const QString separator = QStringLiteral(" <-> ");

// No line the program writes is longer than two paths; a longer one is not an entry.
constexpr qsizetype max_line_chars = 2 * 4096 + 64;

// Makes `dir` and any missing folders above it.
FsError make_folders(FileSystem& fs, const QString& dir)
{
    if (dir.isEmpty() || fs.dir_exists(dir))
        return {};
    const QString parent = parent_path(dir);
    if (parent != dir) {
        if (FsError e = make_folders(fs, parent))
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

void HistoryStore::add_to_history(const QString& entry)
{
    for (qsizetype i = 0; i < entries_.size();) {
        if (entries_[i].compare(entry, Qt::CaseInsensitive) == 0)
            entries_.removeAt(i);
        else
            ++i;
    }
    while (entries_.size() >= history_max_entries)
        entries_.removeLast();
    entries_.prepend(entry);
    emit changed();
    save_history();
}

void HistoryStore::remove_at(int index)
{
    if (index < 0 || index >= entries_.size())
        return;
    entries_.removeAt(index);
    emit changed();
    save_history();
}

void HistoryStore::clear()
{
    entries_.clear();
    emit changed();
    save_history();
}

FsError HistoryStore::write_to(const QString& file)
{
    if (file.isEmpty())
        return make_error(err_bad_file_name);
    if (FsError e = make_folders(fs_, parent_path(file)))
        return e;
    QByteArray data;
    for (const QString& entry : std::as_const(entries_))
        data += entry.toUtf8() + "\r\n";
    return fs_.write_file(file, data);
}

bool HistoryStore::save_history()
{
    FsError e = write_to(file_);
    // A program folder that cannot be written (an installed program, a read-only stick): the
    // history moves to the user's data folder for good.
    if (e.failed() && !fallback_.isEmpty() && fallback_ != file_ && !write_to(fallback_).failed()) {
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

void HistoryStore::load_history()
{
    entries_.clear();
    Result<bool> there = fs_.exists(file_);
    // An earlier run that could not write beside the program kept the history in the data folder.
    if (there.ok() && !there.value && !fallback_.isEmpty() && fallback_ != file_) {
        const Result<bool> moved = fs_.exists(fallback_);
        if (moved.ok() && moved.value) {
            file_ = fallback_;
            there = moved;
        }
    }
    if (there.ok() && !there.value) {
        emit changed();
        return;
    }
    Result<QByteArray> data;
    for (int attempt = 1; attempt <= read_attempts; ++attempt) {
        const Result<FileInfo> info = fs_.info(file_);
        if (!info.ok()) {
            data.error = info.error;
        } else if (info.value.is_dir) {
            data.error = make_error(err_path_file_access);
        } else {
            data
                = info.value.length > max_file_bytes ? fs_.read_file_head(file_, max_file_bytes) : fs_.read_file(file_);
        }
        if (data.error.number != err_bad_file_name)
            break;
    }
    if (data.ok()) {
        QByteArray bytes = data.value;
        if (bytes.size() >= max_file_bytes) {
            // The last line may be cut in the middle of a character: drop it.
            const qsizetype end = bytes.lastIndexOf('\n');
            bytes.truncate(end < 0 ? 0 : end + 1);
        }
        entries_ = lines_of(bytes);
    } else {
        port_.message(report_error_text(data.error) + QStringLiteral(" (") + file_ + u')');
    }
    emit changed();
}
