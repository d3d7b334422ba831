#pragma once
// The file system of the machine, through POSIX calls.

#include "platform/FileSystem.h"

#include <QSet>

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class RealFileSystem : public FileSystem {
public:
    Result<QVector<DirEntry>> list(const QString& dir, EntryKind kind, bool include_hidden) const override;
    Result<FileListing> list_files(const QString& dir, qsizetype limit) const override;
    Result<BranchListing> list_branch(const QString& root, const QString& dir) const override;
    Result<BranchFiles> list_branch_files(const QString& root, const QString& dir, qsizetype limit) const override;
    FsError make_branch(const QString& root, const QString& dir) override;
    std::shared_ptr<const void> anchor_branch(const QString& root, const QString& dir) const override;
    Result<FileInfo> info(const QString& path) const override;
    Result<bool> exists(const QString& path) const override;
    bool dir_exists(const QString& path) const override;
    Result<QString> canonical_path(const QString& path) const override;
    bool is_mount_point(const QString& path) const override;
    QString resolve_case(const QString& dir, const QString& name) const override;

    std::shared_ptr<const HeldDir> hold_dir(const QString& path) override;
    bool still_names(const HeldDir& held) const override;

    CopyResult copy_into(
        const QString& from, const QString& dir, const QString& name, const CopyOptions& options) override;
    CopyResult place_file(const QString& dir, const QString& temp_name, const QString& name, const FileInfo& source,
        const CopyOptions& options) override;
    CopyResult commit_copy(const PendingCopy& copy, const CopyOptions& options) override;
    void discard_copy(const PendingCopy& copy) override;
    FsError sync_dir(const QString& dir) override;
    QString temp_name() const override;
    FsError sync_volume(const QString& dir) override;
    FsError remove_file(const QString& path) override;
    FsError remove_entry(const QString& dir, const QString& name, bool any_case, bool to_trash) override;
    FsError make_dir(const QString& path) override;
    FsError remove_dir(const QString& path) override;
    FsError rename(const QString& from, const QString& to) override;
    FsError delete_tree(const QString& path) override;
    Result<HeldTarget> hold_target(const QString& path) const override;
    FsError delete_held_tree(const HeldTarget& dir, bool to_trash) override;
    FsError make_dir_in(const HeldTarget& dir, const QString& name) override;
    FsError rename_held(const HeldTarget& dir, const QString& to) override;

    Result<QByteArray> read_file(const QString& path) const override;
    Result<QByteArray> read_file_head(const QString& path, qint64 max_bytes) const override;
    FsError write_file(const QString& path, const QByteArray& data) override;
    FsError append_file(const QString& path, const QByteArray& data) override;

    qint64 trash_bytes(const QString& dir) const override;
    QVector<Volume> volumes() const override;
    bool keeps_fat_dates(const QString& dir) const override;
    QString volume_root(const QString& path) const override;
    QString current_dir() const override;

protected:
    // Every byte the program writes into a file goes through here: `offset` is the position of
    // `data` in the file being written. Returns 0 or an errno value. Tests override it to make a
    // device fail part-way.
    virtual int write_bytes(int fd, const char* data, std::size_t size, qint64 offset);
    // Whether a copy may let the kernel move the bytes (copy_file_range) instead of reading and
    // writing them here; tests that fail writes turn it off.
    virtual bool kernel_copy() const { return true; }
    // Renames `from` to `to` inside the directory `dir_fd` (renameat2 with `flags`). Returns 0 or
    // an errno value.
    virtual int rename_at(int dir_fd, const char* from, const char* to, unsigned flags);
    // Flushes the directory open at `dir_fd` (its entries) or, with `whole_volume`, every written
    // block of its volume. Returns 0 or an errno value; a volume that has no such flush is no error.
    virtual int flush_at(int dir_fd, bool whole_volume);
    // Flushes the bytes of the file open at `fd`. Returns 0 or an errno value, as flush_at.
    virtual int flush_file(int fd);
    // Whether the volume of the directory open at `dir_fd` is served by a user-space driver,
    // which a flush of the whole volume does not reach.
    virtual bool user_space_volume(int dir_fd) const;
    // Called by delete_tree for every entry of a directory it has read, before the entry is
    // removed or entered; tests change the tree here to race the deletion.
    std::function<void(const QString& dir, const QString& name)> before_tree_entry_;
    // Called by a replacing copy once its last byte is written, before the file it replaces is
    // checked once more; tests edit that file here.
    std::function<void()> before_replace_check_;

    // Opens the directory `dir_path` (with its final separator; `native` its bytes) for changes
    // in it: through the held directory of that path when there is one. Returns -1 with errno.
    int open_dir_for_change(const QString& dir_path, const QByteArray& native) const;
    // The held directory opened by `dir_path` (with its final separator), if any.
    std::shared_ptr<const HeldDir> held_path(const QString& dir_path) const;

    // A path as it goes to the system: `rel` relative to the directory open at `at`, which is
    // AT_FDCWD, or an anchored directory (anchor_branch) that the path lies in, kept open by
    // `keep` for the call; the directory itself is ".".
    struct SysPath {
        int at = -100; // AT_FDCWD
        QByteArray rel;
        std::shared_ptr<const void> keep;
        const char* c_str() const { return rel.constData(); }
    };
    // Where the lookups and listings make a path into the arguments of a system call: false when
    // the path cannot be given to the system exactly (see native_path).
    bool sys_path(const QString& path, SysPath& out) const;
    // Opens the directory `path` (through sys_path); -1 with errno set when it cannot.
    int open_dir_path(const QString& path) const;

private:
    // Deletes the directory `leaf` of the directory open at `parent`, which must still be the one
    // with `device` and `inode`; `shown` is its path for errors.
    FsError delete_tree_at(int parent, const QByteArray& leaf, const QString& shown, quint64 device, quint64 inode);

    // Opens `dir`, `root` or a directory below it, from the root one name at a time without
    // following a link below the root, starting from the deepest anchored directory on the way.
    int open_branch(const QString& root, const QString& dir, FsError& error) const;

    // The directories reached below one root by anchor_branch, and the anchors taken there.
    struct BranchChain;
    struct Anchor;
    mutable std::mutex anchors_mutex_;
    mutable std::vector<std::weak_ptr<BranchChain>> chains_;
    mutable std::vector<std::weak_ptr<const Anchor>> anchors_;
    // The directories held open (hold_dir); expired ones are dropped as they are met.
    mutable std::vector<std::weak_ptr<const HeldDir>> held_;
    // The folded names of a directory a copy looked into, and the change time it had then; a
    // bulk copy into one directory reads it once instead of once per file.
    struct NameCache {
        quint64 device = 0, inode = 0;
        qint64 ctime_sec = -1, ctime_nsec = -1; // the directory's change time when read
        QSet<QString> folded;
    };
    NameCache names_;
    // The directories (device, inode) already rid of temporary files left by killed programs.
    QSet<std::pair<quint64, quint64>> swept_;
    friend struct CopyInto;
};
