#pragma once
// The file system as the program sees it: every read and change of files and directories goes
// through this interface, so tests can run against a real temporary tree or a failing one.

#include "platform/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class HeldDir;

// What one lookup of a path says. Times are seconds since the epoch, truncated to whole seconds.
struct FileInfo {
    bool is_dir = false;
    bool is_file = false; // a plain file, or a link to one
    bool is_link = false; // the path itself is a symbolic link
    bool hidden = false;
    qint64 length = 0;
    qint64 mtime = 0;
    quint64 device = 0;
    quint64 inode = 0;
    // The modification and status change times in nanoseconds since the epoch: whether a file
    // changed between two lookups.
    qint64 mtime_ns = 0;
    qint64 ctime_ns = 0;
    quint32 mode = 0; // the permission bits, where the lookup took them (a copy's)
};

// One entry of a directory listing. For files, length and mtime are those of the file (of the
// target for a link); `readable` is false when the name was listed but its length and date could
// not be read (removed or locked since).
struct DirEntry {
    QString name;
    bool is_link = false;
    bool hidden = false;
    bool readable = true;
    qint64 length = 0;
    qint64 mtime = 0;
};

// The plain files of one directory as a comparison takes them (see FileSystem::list_files).
struct FileListing {
    QVector<DirEntry> files; // sorted with name_less, at most the limit asked for
    bool overflow = false; // more plain files stand in the directory than were listed
    // Plain files whose names are not valid in the user's encoding: no other name can stand for
    // them, so they take part in nothing. Written as escaped_bytes writes them.
    QStringList undecodable;
};

// One entry of a directory in a tree, as the tree scan takes it.
struct BranchEntry {
    QString name;
    bool is_dir = false; // a directory (not a link to one)
    bool is_file = false; // a plain file, or a link to one
    bool is_link = false; // a symbolic link, whatever it points to
};

// A directory of a tree: every entry whose name decodes (hidden ones included, in no set order),
// and the subdirectories whose names do not, shown with "\xNN" for each byte that is not valid.
struct BranchListing {
    QVector<BranchEntry> entries;
    QStringList undecodable_dirs;
};

// A directory of a tree read once for both the tree scan and the comparison of its files.
struct BranchFiles {
    BranchListing branch;
    std::optional<FileListing> files; // unset when they could not be read with the branch
};

enum class EntryKind {
    Files, // plain files and links to plain files; broken links are left out
    Directories, // subdirectories, links to directories included (is_link set); never "." or ".."
    Others, // everything else: broken links, pipes, sockets, devices (only a deletion wants them)
};

// A mounted volume: the program's "drive".
struct Volume {
    QString root; // "/", "/media/usb"
    QString display_name; // what the drive selector shows
};

// How one copy into a directory treats what it finds there.
struct CopyOptions {
    // False: nothing is ever replaced; a name there in any spelling of case ends the copy.
    bool replace = false;
    // For a replacing copy: asked once, just before the new file is written, with the source and
    // the file at the destination (links followed); false leaves the destination alone.
    std::function<bool(const FileInfo& source, const FileInfo& destination)> may_replace;
    // The file and its directory entry reach the device before the copy returns.
    bool flush = true;
    // The written file stays under its temporary name (CopyResult::pending) and nothing is
    // flushed: a bulk copy flushes the volume once for many files (sync_volume), and only then
    // puts them in place (commit_copy), so a failed flush leaves every older copy as it was.
    bool defer = false;
    // Called between chunks with the bytes copied so far; returning false abandons the copy.
    std::function<bool(qint64 done)> progress;
};

// Why a copy did not even start writing.
enum class CopyRefusal {
    None,
    Exists, // a file of that name is there (no replacing)
    CaseTwin, // a name differing only in case is there (no replacing)
    Changed, // the destination is no longer what the caller expected, or is gone
    SameFile, // source and destination are one file
    EditedMeanwhile, // the file to be replaced changed while the new bytes were written; it stays
    NameRefused, // the volume cannot store the name (error.os_error says why); the bytes were fine
};

// A copy written under its temporary name and not yet in place (CopyOptions::defer).
struct PendingCopy {
    QString dir; // with its final separator
    QString temp;
    QString name;
    bool replace = false;
    FileInfo source; // the source as it was copied
    FileInfo older; // the file it replaces, as it was when the copy began
    bool valid() const { return !temp.isEmpty(); }
};

struct CopyResult {
    FsError error; // set for every failure and refusal
    CopyRefusal refusal = CopyRefusal::None;
    QString existing; // the name found at the destination (Exists, CaseTwin)
    bool abandoned = false; // the progress callback said stop
    bool source_changed = false; // the source changed (length or date) while it was read
    // The file is in place with its bytes, but its volume does not keep the source's date (FAT
    // holds 1980 to 2107): the pair is not aligned, whatever a lookup says now.
    bool date_not_held = false;
    PendingCopy pending; // a deferred copy that worked
    qint64 bytes = 0;
    bool ok() const { return !error.failed(); }
};

// A directory as a command found it when it started: its parent held open, its name there and its
// identity (device and inode). The steps after a question act on that directory or on nothing, even
// when a folder on its path was swapped for a link while the question was up.
struct HeldTarget {
    QString path; // as the command was given it, without a final separator
    quint64 device = 0, inode = 0;
    std::shared_ptr<const void> handle; // the open descriptors (see RealFileSystem)
    bool held() const { return handle != nullptr; }
};

// The limit of FileSystem::list_files for the names alone.
inline constexpr qsizetype names_only = -1;

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The entries of one kind in `dir`, sorted with name_less. Hidden entries (a name beginning
    // with ".") only when asked for.
    virtual Result<QVector<DirEntry>> list(const QString& dir, EntryKind kind, bool include_hidden) const = 0;
    // The visible plain files of `dir` (links to plain files included) for a comparison: their
    // names and types come from the directory itself, they are sorted, the list is cut after
    // `limit` names, and only the names kept are looked up for their length and date. A name that
    // cannot be looked up, or whose kind cannot be told, is kept with `readable` false. With the
    // limit `names_only`, every name is kept and none is looked up beyond telling its kind (a link,
    // or an entry of a volume that does not say): a view of the names, without lengths or dates.
    virtual Result<FileListing> list_files(const QString& dir, qsizetype limit) const = 0;
    // Lists `dir`, which is `root` or a directory below it, reached from `root` one name at a
    // time without following a symbolic link below the root (the root itself may be one: the
    // person chose it). A link or a file on the way is an error, as is a name "." or "..".
    virtual Result<BranchListing> list_branch(const QString& root, const QString& dir) const = 0;
    // list_branch and list_files(dir, limit) from one reading of the directory, the files being
    // those of the directory list_branch reaches.
    virtual Result<BranchFiles> list_branch_files(const QString& root, const QString& dir, qsizetype limit) const
    {
        Result<BranchFiles> r;
        Result<BranchListing> branch = list_branch(root, dir);
        r.error = branch.error;
        r.value.branch = std::move(branch.value);
        if (Result<FileListing> files = list_files(dir, limit); r.ok() && files.ok())
            r.value.files = std::move(files.value);
        return r;
    }
    // Creates the directory `dir` (below `root`) in its parent, reached the same way.
    virtual FsError make_branch(const QString& root, const QString& dir) = 0;
    // Reaches `dir` from `root` as list_branch does and keeps it open while the result lives:
    // meanwhile every path at or below `dir` (below the root itself: the root keeps its links) is
    // looked up from that directory, never again through the names above it, however deep it
    // lies, and a directory reached next below the same root starts from the nearest one reached
    // before. Null when `dir` cannot be reached that way, or where nothing is kept open.
    virtual std::shared_ptr<const void> anchor_branch(const QString& root, const QString& dir) const
    {
        Q_UNUSED(root);
        Q_UNUSED(dir);
        return {};
    }
    // Looks `path` up following links; a broken link or a missing path is an error.
    virtual Result<FileInfo> info(const QString& path) const = 0;
    // True when an entry of any kind stands at `path` (a broken link too). The error is set only
    // when the question itself could not be answered (a malformed name, a device gone).
    virtual Result<bool> exists(const QString& path) const = 0;
    virtual bool dir_exists(const QString& path) const = 0;
    // `path` with every symbolic link, "." and ".." resolved: the one spelling of the entry on
    // disk, for telling whether two paths name the same place.
    virtual Result<QString> canonical_path(const QString& path) const = 0;
    // True when the directory at `path` is the root of a mounted volume (a bind mount included).
    virtual bool is_mount_point(const QString& path) const = 0;
    // The spelling of `name` that exists in `dir`, ignoring case; `name` itself when none does
    // (or when it exists exactly as given).
    virtual QString resolve_case(const QString& dir, const QString& name) const = 0;

    // Opens the directory `path` and keeps it open while the result lives: meanwhile every copy
    // into or out of that path, and every removal of an entry of it (copy_into, place_file,
    // commit_copy, remove_entry), works in the directory opened now, whatever the path names
    // later. Null when it cannot be opened.
    virtual std::shared_ptr<const HeldDir> hold_dir(const QString& path) = 0;
    // True when the path of `held` still leads to that directory (links followed).
    virtual bool still_names(const HeldDir& held) const = 0;

    // Copies the file `from` to `name` in `dir` by descriptor: the directory is opened once, the
    // new file is written under a temporary hidden name made there exclusively, given the
    // source's modification time, and renamed into place in that directory. A destination that is
    // a symbolic link is replaced by the file, never written through. On any failure the
    // temporary file is removed and the destination is as it was.
    virtual CopyResult copy_into(
        const QString& from, const QString& dir, const QString& name, const CopyOptions& options)
        = 0;
    // Renames `temp_name` in `dir` (a file an outside copy wrote) to `name` by the same rules as
    // copy_into; `source` is what the destination is checked against.
    virtual CopyResult place_file(const QString& dir, const QString& temp_name, const QString& name,
        const FileInfo& source, const CopyOptions& options)
        = 0;
    // Puts a deferred copy in place by the rules of copy_into: never over a name that appeared
    // since, and over the older copy only while it is still the file seen when the copy began. On
    // a refusal or failure its temporary file is removed. Nothing is flushed (see sync_dir).
    virtual CopyResult commit_copy(const PendingCopy& copy, const CopyOptions& options) = 0;
    // Removes the temporary file of a deferred copy.
    virtual void discard_copy(const PendingCopy& copy) = 0;
    // Puts the entries of `dir` (names renamed into it) on the device.
    virtual FsError sync_dir(const QString& dir) = 0;
    // A fresh hidden name for a temporary file in `dir`; nothing is created.
    virtual QString temp_name() const = 0;
    // Puts every written block of the volume that holds `dir` on its device.
    virtual FsError sync_volume(const QString& dir) = 0;
    // Removes a file, or a symbolic link (never its target).
    virtual FsError remove_file(const QString& path) = 0;
    // Removes the entry `name` of directory `dir` (a file, a link, or anything else that is not a
    // directory). The directory is opened once and every step works relative to it, so nothing
    // swapped into the path on the way can redirect the removal; a link goes, never its target.
    // With `any_case`, a name missing as spelled stands for the spelling that exists ignoring
    // case (the first in name order). With `to_trash`, the entry goes to the desktop trash; where
    // no trash can take it, it stays and the error has `no_trash` set (never deleted instead).
    virtual FsError remove_entry(const QString& dir, const QString& name, bool any_case, bool to_trash) = 0;
    virtual FsError make_dir(const QString& path) = 0;
    // Removes an empty directory, or a symbolic link to a directory (never its target).
    virtual FsError remove_dir(const QString& path) = 0;
    virtual FsError rename(const QString& from, const QString& to) = 0;
    // Deletes the directory `path` with everything in it, hidden entries included. When `path`
    // is a symbolic link, the link is removed and its target left alone. Inside the tree nothing
    // is followed: an entry swapped for a link while the deletion runs is removed as a link, and
    // a directory on another volume or mount is never entered (error 70). A volume root is never
    // deleted. A missing path is no error. Stops at the first failure, with the path that failed
    // in the error; what was deleted stays deleted.
    virtual FsError delete_tree(const QString& path) = 0;

    // Holds the directory at `path` (or the link to one standing there) for the commands below.
    virtual Result<HeldTarget> hold_target(const QString& path) const = 0;
    // Each of these first checks that `dir.path` still leads to the held directory and refuses
    // (error 75) when it does not. delete_held_tree deletes it by delete_tree's rules, working from
    // the held parent; with `to_trash` it goes to the desktop trash whole, in one rename, or, where
    // no trash can take it, stays with `no_trash` set in the error. make_dir_in makes the
    // subdirectory `name` in it; rename_held renames or moves it to `to`, never over an entry.
    virtual FsError delete_held_tree(const HeldTarget& dir, bool to_trash) = 0;
    virtual FsError make_dir_in(const HeldTarget& dir, const QString& name) = 0;
    virtual FsError rename_held(const HeldTarget& dir, const QString& to) = 0;

    virtual Result<QByteArray> read_file(const QString& path) const = 0;
    // The first `max_bytes` of a file (a negative number: all of it), without reading the rest.
    virtual Result<QByteArray> read_file_head(const QString& path, qint64 max_bytes) const
    {
        Result<QByteArray> r = read_file(path);
        if (max_bytes >= 0 && r.value.size() > max_bytes)
            r.value.truncate(qsizetype(max_bytes));
        return r;
    }
    // Replaces the whole file through a temporary file, so a failure leaves the old content.
    virtual FsError write_file(const QString& path, const QByteArray& data) = 0;
    // Appends to a plain file of its own, created when missing: never through a symbolic link, to
    // a file with other names (hard links), or to a pipe or device (error 75).
    virtual FsError append_file(const QString& path, const QByteArray& data) = 0;

    // The bytes the user's desktop trash keeps on the volume that holds `dir`, where that volume
    // is not the home folder's; 0 when it has none.
    virtual qint64 trash_bytes(const QString& dir) const = 0;

    // The ready, real volumes (no pseudo file systems), sorted by root.
    virtual QVector<Volume> volumes() const = 0;
    // Whether the volume of `dir` keeps dates as FAT does (FAT, exFAT): from 1980 to 2107, with
    // a stand-in for any other date.
    virtual bool keeps_fat_dates(const QString& dir) const
    {
        Q_UNUSED(dir);
        return false;
    }
    // The root of the volume that holds `path`.
    virtual QString volume_root(const QString& path) const = 0;
    // The process's working directory, with a final separator.
    virtual QString current_dir() const = 0;
};
