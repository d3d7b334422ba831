#pragma once
// The history of compared pairs: at most 30 entries, most recent first, mirrored to a text file
// after every change. Several programs may share the file: each save reads it again and applies
// this program's changes to what it finds, so no program's entry is lost.

#include "platform/ErrorCodes.h"

#include <QObject>
#include <QStringList>

class FileSystem;
class UserPort;

inline constexpr int history_max_entries = 30;
// A dir-1 path shorter than this is padded with blanks so the separators line up.
inline constexpr int history_padding = 35;

// "DIR1<blanks> <-> DIR2", from the paths as the panes show them.
QString history_entry(const QString& dir1, const QString& dir2);
// The two paths of an entry, trimmed; false when the entry holds no " <-> ".
bool split_history_entry(const QString& entry, QString& dir1, QString& dir2);

class HistoryStore final : public QObject {
    Q_OBJECT
public:
    // Loading gives up on a file larger than this: no history the program writes comes near it.
    static constexpr qint64 max_file_bytes = 1 << 20;
    // How often a read that fails with error 52 is tried before loading gives up.
    static constexpr int read_attempts = 3;

    HistoryStore(FileSystem& fs, UserPort& port, QObject* parent = nullptr);

    // Where the list is saved; `fallback` (the user's data folder) takes over when `file` cannot
    // be written. Of `file` only the last folder is ever made; of `fallback` every missing one.
    void set_files(const QString& file, const QString& fallback = {});
    QString file() const { return file_; }

    const QStringList& entries() const { return entries_; }
    int count() const { return int(entries_.size()); }

    // Puts `entry` at the top, drops every same entry (ignoring case) and the oldest beyond 30,
    // then saves.
    void add_to_history(const QString& entry);
    void remove_at(int index);
    void clear();
    // Under a lock on the file's folder: reads the file, applies the changes made since the last
    // save to it, and writes it. A failure is said once per run; the list in memory keeps every
    // entry either way.
    bool save_history();
    // Fills the list from the file: what can be read is kept, a missing file gives an empty list.
    // Once the history lives in the fallback, it is read from there; a file beside the program
    // that was written later (by a run that could) is merged into it.
    void load_history();

signals:
    void changed();

private:
    // A change to the list, to be applied to the file as another program may have left it.
    struct Change {
        enum { Add, Remove, Clear } kind;
        QString entry;
    };
    static void apply(QStringList& entries, const Change& change);
    // Reads `file` into `entries`; a missing file gives no entries and no error.
    Result<bool> read_entries(const QString& file, QStringList& entries);
    // Writes the list to `file` (see save_history); `moving` puts the list as last saved on top
    // of what `file` holds, when the history moves there.
    FsError write_to(const QString& file, bool moving = false);

    FileSystem& fs_;
    UserPort& port_;
    QString file_;
    QString fallback_;
    QStringList entries_;
    QStringList saved_; // the list as last read from or written to the file
    QVector<Change> changes_; // made since then
    bool save_failure_said_ = false;
};
