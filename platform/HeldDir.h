#pragma once
// A directory kept open: the pair a comparison looked at, held until the next comparison, so that
// what is copied, moved and deleted afterwards is done in those directories and no others.

#include "platform/Fd.h"

#include <QString>

class HeldDir {
public:
    HeldDir(QString path, Fd fd, quint64 device, quint64 inode)
        : path_(std::move(path))
        , fd_(std::move(fd))
        , device_(device)
        , inode_(inode)
    {
    }
    HeldDir(const HeldDir&) = delete;
    HeldDir& operator=(const HeldDir&) = delete;

    // The path it was opened by, with its final separator.
    const QString& path() const { return path_; }
    int fd() const { return fd_.get(); }
    quint64 device() const { return device_; }
    quint64 inode() const { return inode_; }

private:
    QString path_;
    Fd fd_;
    quint64 device_ = 0, inode_ = 0;
};
