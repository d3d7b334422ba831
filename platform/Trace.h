#pragma once
// The diagnostic trace: with the marker "trace.flg" beside the program, time-stamped lines are
// appended to "trace.txt" there, until the file reaches its size limit.

#include <QString>

class FileSystem;
class UserPort;

class Trace {
public:
    static constexpr qint64 size_limit = 100000;

    // `folder` is the program's folder; tracing is on when it holds "trace.flg".
    Trace(FileSystem& fs, UserPort& port, const QString& folder);

    bool enabled() const { return enabled_; }
    QString trace_file() const { return trace_file_; }
    void write_trace(const QString& text);

private:
    FileSystem& fs_;
    UserPort& port_;
    QString trace_file_;
    bool enabled_ = false;
};
