#pragma once
// The machine's file system with faults on request, for tests: the Nth call of an operation fails,
// a write stops at a chosen byte, or the lookups of a chosen path fail.

#include "platform/RealFileSystem.h"

#include <QHash>

#include <array>

class FaultyFileSystem : public RealFileSystem {
public:
    enum class Op {
        List, Info, Exists, ReadFile,                                          // reading
        CopyFile, RemoveFile, MakeDir, RemoveDir, Rename, WriteFile, AppendFile,  // changing
        AnyMutating,  // every changing operation counted together
        Count_
    };

    // The `nth` call of `op` from now on (1 = the next one) does nothing and fails with the
    // program's error `error_number` (err_permission_denied...). One such fault per `op`; arming
    // it again replaces it.
    void fail_call(Op op, int nth, int error_number);
    // Every write into a file stops at byte `offset` of that file: the bytes before it are written,
    // then the write fails with the errno value `errnum` (ENOSPC: "Disk full"). It happens to the
    // next `times` files that reach that byte; -1 means every one.
    void fail_write_at(qint64 offset, int errnum, int times = -1);
    // info(), exists() and list() of `path` (with or without a final separator) fail with the
    // program's error `error_number`; dir_exists() of it is false.
    void fail_path(const QString& path, int error_number);
    void clear_faults();
    // The calls of `op` made so far (AnyMutating: all changing calls together).
    int calls(Op op) const { return calls_[size_t(op)]; }

    Result<QVector<DirEntry>> list(const QString& dir, EntryKind kind, bool include_hidden) const override;
    Result<FileInfo> info(const QString& path) const override;
    Result<bool> exists(const QString& path) const override;
    bool dir_exists(const QString& path) const override;
    FsError copy_file(const QString& from, const QString& to) override;
    FsError remove_file(const QString& path) override;
    FsError make_dir(const QString& path) override;
    FsError remove_dir(const QString& path) override;
    FsError rename(const QString& from, const QString& to) override;
    Result<QByteArray> read_file(const QString& path) const override;
    FsError write_file(const QString& path, const QByteArray& data) override;
    FsError append_file(const QString& path, const QByteArray& data) override;

protected:
    int write_bytes(int fd, const char* data, std::size_t size, qint64 offset) override;

private:
    struct CallFault {
        int countdown = 0;  // 0: not armed
        int error_number = 0;
    };
    static constexpr size_t op_count = size_t(Op::Count_);

    // Counts the call and gives the fault when it is due.
    FsError enter(Op op) const;
    FsError path_fault(const QString& path) const;

    mutable std::array<int, op_count> calls_{};
    mutable std::array<CallFault, op_count> faults_{};
    QHash<QString, int> path_faults_;
    qint64 write_fail_offset_ = -1;
    int write_errno_ = 0;
    int write_fail_times_ = 0;
};
