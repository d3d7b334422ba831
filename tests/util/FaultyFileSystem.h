#pragma once
// The machine's file system with faults on request, for tests: the Nth call of an operation fails,
// a write stops at a chosen byte, or the lookups of a chosen path fail.

#include "platform/Names.h"
#include "platform/RealFileSystem.h"

#include <QFile>
#include <QHash>
#include <QStringList>

#include <array>

class FaultyFileSystem : public RealFileSystem {
    using Real = RealFileSystem;

public:
    // List and Info read; the others change. Sync: a flush of a whole volume. AnyMutating counts them
    // all, and the removals of folders, renames and appends.
    enum class Op { List, Info, CopyFile, RemoveFile, Sync, AnyMutating, Count_ };

    // The `nth` call of `op` from now on (1 = the next one) does nothing and fails with the
    // program's error `error_number`. One such fault per `op`; arming it again replaces it.
    void fail_call(Op op, int nth, int error_number) { faults_[size_t(op)] = { nth, error_number }; }
    // Every write into a file stops at byte `offset` of that file: the bytes before it are written,
    // then the write fails with the errno value `errnum`. It happens to the next `times` files that
    // reach that byte; -1 means every one.
    void fail_write_at(qint64 offset, int errnum, int times = -1) { write_fault_ = { offset, errnum, times }; }
    // info(), exists() and list() of `path` (with or without a final separator) fail with the
    // program's error `error`; dir_exists() of it is false.
    void fail_path(const QString& path, int error) { path_faults_.insert(without_final_separator(path), error); }
    // Only the listings of the directory `dir` fail (list, list_files, list_branch), as for a
    // drive that is not ready or a folder the user may not read; the folder itself is there.
    void fail_listing(const QString& dir, int error) { listing_faults_.insert(without_final_separator(dir), error); }
    // Files of this name are listed, but cannot be read.
    QString unreadable_name;
    // The next `times` renames of a copied file into place fail with the errno value `errnum`.
    void fail_rename_into_place(int errnum, int times = 1) { rename_fault_ = { errnum, times }; }
    int calls(Op op) const { return calls_[size_t(op)]; }
    // What reached the disk, in order: "sync" (the volume), "dir" (a directory's entries), "file"
    // (one file's bytes, on a user-space volume), and "rename NAME" for every file put in place.
    QStringList flushes;
    // Every volume counts as served by a user-space driver.
    bool user_space = false;
    // Runs `hook(dir, name)` in delete_tree for every entry of a directory it has read, before it acts on it.
    void on_tree_entry(decltype(before_tree_entry_) hook) { before_tree_entry_ = std::move(hook); }

    // Runs `hook` in a replacing copy between its last byte and the last look at the older copy.
    void on_replace_check(std::function<void()> hook) { before_replace_check_ = std::move(hook); }

    Result<QVector<DirEntry>> list(const QString& d, EntryKind k, bool h) const override
    {
        return failed(Op::List, d) ? Result<QVector<DirEntry>> { {}, due_ } : Real::list(d, k, h);
    }
    Result<FileListing> list_files(const QString& d, qsizetype limit) const override
    {
        if (failed(Op::List, d))
            return { {}, due_ };
        Result<FileListing> r = Real::list_files(d, limit);
        for (DirEntry& e : r.value.files)
            e.readable = e.readable && e.name != unreadable_name;
        return r;
    }
    Result<BranchListing> list_branch(const QString& root, const QString& dir) const override
    {
        return failed(Op::List, dir) ? Result<BranchListing> { {}, due_ } : Real::list_branch(root, dir);
    }
    Result<FileInfo> info(const QString& p) const override
    {
        return failed(Op::Info, p) ? Result<FileInfo> { {}, due_ } : Real::info(p);
    }
    Result<bool> exists(const QString& p) const override
    {
        const FsError e = path_fault(p);
        return e ? Result<bool> { false, e } : Real::exists(p);
    }
    bool dir_exists(const QString& p) const override { return !path_fault(p) && Real::dir_exists(p); }
    // The source's path faults (set with fail_path) make the source missing.
    CopyResult copy_into(const QString& from, const QString& d, const QString& n, const CopyOptions& o) override
    {
        if (!failed(Op::CopyFile, from))
            return Real::copy_into(from, d, n, o);
        CopyResult r;
        r.error = due_;
        return r;
    }
    FsError sync_volume(const QString& d) override { return failed(Op::Sync) ? due_ : Real::sync_volume(d); }
    FsError remove_file(const QString& p) override { return failed(Op::RemoveFile) ? due_ : Real::remove_file(p); }
    // Counts as a RemoveFile call.
    FsError remove_entry(const QString& d, const QString& n, bool any_case, bool to_trash) override
    {
        return failed(Op::RemoveFile) ? due_ : Real::remove_entry(d, n, any_case, to_trash);
    }
    FsError remove_dir(const QString& p) override { return failed(Op::AnyMutating) ? due_ : Real::remove_dir(p); }
    FsError rename(const QString& a, const QString& b) override
    {
        return failed(Op::AnyMutating) ? due_ : Real::rename(a, b);
    }
    FsError append_file(const QString& p, const QByteArray& data) override
    {
        return failed(Op::AnyMutating) ? due_ : Real::append_file(p, data);
    }

protected:
    int write_bytes(int fd, const char* data, std::size_t size, qint64 offset) override;
    // Failing writes need the bytes to pass through write_bytes.
    bool kernel_copy() const override { return write_fault_.times == 0; }
    int flush_at(int dir_fd, bool whole_volume) override
    {
        flushes << QString::fromLatin1(whole_volume ? "sync" : "dir");
        return Real::flush_at(dir_fd, whole_volume);
    }
    int flush_file(int fd) override
    {
        flushes << QStringLiteral("file");
        return Real::flush_file(fd);
    }
    bool user_space_volume(int dir_fd) const override { return user_space || Real::user_space_volume(dir_fd); }
    int rename_at(int dir_fd, const char* from, const char* to, unsigned flags) override
    {
        if (rename_fault_.times == 0) {
            flushes << QStringLiteral("rename ") + QFile::decodeName(to);
            return Real::rename_at(dir_fd, from, to, flags);
        }
        --rename_fault_.times;
        return rename_fault_.errnum;
    }

private:
    // Counts the call of `op`; true when it is to fail: by its own fault when due, else by the fault
    // of `path`. The error is then in `due_`.
    bool failed(Op op, const QString& path = {}) const;
    FsError path_fault(const QString& path) const;

    struct CallFault {
        int countdown = 0, error_number = 0;
    }; // countdown 0: not armed
    struct WriteFault {
        qint64 offset = -1;
        int errnum = 0, times = 0;
    };
    mutable std::array<int, size_t(Op::Count_)> calls_ {};
    mutable std::array<CallFault, size_t(Op::Count_)> faults_ {};
    mutable FsError due_;
    QHash<QString, int> path_faults_, listing_faults_;
    WriteFault write_fault_;
    struct {
        int errnum = 0, times = 0;
    } rename_fault_;
};
