#include "tests/util/FaultyFileSystem.h"

#include "platform/Names.h"

#include <algorithm>

void FaultyFileSystem::fail_call(Op op, int nth, int error_number)
{
    faults_[size_t(op)] = {nth, error_number};
}

void FaultyFileSystem::fail_write_at(qint64 offset, int errnum, int times)
{
    write_fail_offset_ = offset;
    write_errno_ = errnum;
    write_fail_times_ = times;
}

void FaultyFileSystem::fail_path(const QString& path, int error_number)
{
    path_faults_.insert(without_final_separator(path), error_number);
}

void FaultyFileSystem::clear_faults()
{
    faults_ = {};
    path_faults_.clear();
    write_fail_offset_ = -1;
    write_fail_times_ = 0;
}

FsError FaultyFileSystem::enter(Op op) const
{
    const bool mutating = op >= Op::CopyFile && op < Op::AnyMutating;
    FsError due;
    for (const Op o : {op, Op::AnyMutating}) {
        if (o == Op::AnyMutating && !mutating)
            continue;
        ++calls_[size_t(o)];
        CallFault& f = faults_[size_t(o)];
        if (f.countdown > 0 && --f.countdown == 0 && !due.failed())
            due = make_error(f.error_number);
    }
    return due;
}

FsError FaultyFileSystem::path_fault(const QString& path) const
{
    const auto it = path_faults_.constFind(without_final_separator(path));
    return it == path_faults_.cend() ? FsError{} : make_error(*it);
}

Result<QVector<DirEntry>> FaultyFileSystem::list(const QString& dir, EntryKind kind, bool include_hidden) const
{
    FsError e = enter(Op::List);
    if (!e.failed())
        e = path_fault(dir);
    if (e.failed())
        return {{}, e};
    return RealFileSystem::list(dir, kind, include_hidden);
}

Result<FileInfo> FaultyFileSystem::info(const QString& path) const
{
    FsError e = enter(Op::Info);
    if (!e.failed())
        e = path_fault(path);
    if (e.failed())
        return {{}, e};
    return RealFileSystem::info(path);
}

Result<bool> FaultyFileSystem::exists(const QString& path) const
{
    FsError e = enter(Op::Exists);
    if (!e.failed())
        e = path_fault(path);
    if (e.failed())
        return {false, e};
    return RealFileSystem::exists(path);
}

bool FaultyFileSystem::dir_exists(const QString& path) const
{
    return !path_fault(path).failed() && RealFileSystem::dir_exists(path);
}

FsError FaultyFileSystem::copy_file(const QString& from, const QString& to)
{
    const FsError e = enter(Op::CopyFile);
    return e.failed() ? e : RealFileSystem::copy_file(from, to);
}

FsError FaultyFileSystem::remove_file(const QString& path)
{
    const FsError e = enter(Op::RemoveFile);
    return e.failed() ? e : RealFileSystem::remove_file(path);
}

FsError FaultyFileSystem::make_dir(const QString& path)
{
    const FsError e = enter(Op::MakeDir);
    return e.failed() ? e : RealFileSystem::make_dir(path);
}

FsError FaultyFileSystem::remove_dir(const QString& path)
{
    const FsError e = enter(Op::RemoveDir);
    return e.failed() ? e : RealFileSystem::remove_dir(path);
}

FsError FaultyFileSystem::rename(const QString& from, const QString& to)
{
    const FsError e = enter(Op::Rename);
    return e.failed() ? e : RealFileSystem::rename(from, to);
}

Result<QByteArray> FaultyFileSystem::read_file(const QString& path) const
{
    const FsError e = enter(Op::ReadFile);
    if (e.failed())
        return {{}, e};
    return RealFileSystem::read_file(path);
}

FsError FaultyFileSystem::write_file(const QString& path, const QByteArray& data)
{
    const FsError e = enter(Op::WriteFile);
    return e.failed() ? e : RealFileSystem::write_file(path, data);
}

FsError FaultyFileSystem::append_file(const QString& path, const QByteArray& data)
{
    const FsError e = enter(Op::AppendFile);
    return e.failed() ? e : RealFileSystem::append_file(path, data);
}

int FaultyFileSystem::write_bytes(int fd, const char* data, std::size_t size, qint64 offset)
{
    if (write_fail_times_ == 0 || write_fail_offset_ < 0 || offset + qint64(size) <= write_fail_offset_)
        return RealFileSystem::write_bytes(fd, data, size, offset);
    const qint64 before = std::max<qint64>(0, write_fail_offset_ - offset);
    if (before > 0)
        if (const int err = RealFileSystem::write_bytes(fd, data, std::size_t(before), offset))
            return err;
    if (write_fail_times_ > 0)
        --write_fail_times_;
    return write_errno_;
}
