#include "tests/util/FaultyFileSystem.h"

FsError FaultyFileSystem::path_fault(const QString& path) const
{
    const auto it = path_faults_.constFind(without_final_separator(path));
    return it == path_faults_.cend() ? FsError {} : make_error(*it);
}

bool FaultyFileSystem::failed(Op op, const QString& path) const
{
    due_ = {};
    for (const Op o : { op, Op::AnyMutating }) {
        ++calls_[size_t(o)];
        CallFault& f = faults_[size_t(o)];
        if (f.countdown > 0 && --f.countdown == 0 && !due_)
            due_ = make_error(f.error_number);
        if (op < Op::CopyFile || op == Op::AnyMutating)
            break; // reads, and AnyMutating itself, have no second counter
    }
    if (!due_ && !path.isEmpty())
        due_ = path_fault(path);
    if (!due_ && op == Op::List && listing_faults_.contains(without_final_separator(path)))
        due_ = make_error(listing_faults_.value(without_final_separator(path)));
    return due_.failed();
}

int FaultyFileSystem::write_bytes(int fd, const char* data, std::size_t size, qint64 offset)
{
    WriteFault& w = write_fault_;
    if (w.times == 0 || w.offset < 0 || offset + qint64(size) <= w.offset)
        return Real::write_bytes(fd, data, size, offset);
    if (w.offset > offset)
        if (const int err = Real::write_bytes(fd, data, std::size_t(w.offset - offset), offset))
            return err;
    if (w.times > 0)
        --w.times;
    return w.errnum;
}
