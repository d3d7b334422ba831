#pragma once
// An exclusive lock on a directory, shared by every program that takes it there: held while the
// object lives.

#include "platform/Fd.h"

#include <QString>

class DirLock {
public:
    // Waits at most `wait_ms` for the lock: a program stuck while holding it cannot hang another.
    explicit DirLock(const QString& dir, int wait_ms = 3000);
    bool held() const { return held_; }

private:
    Fd fd_;
    bool held_ = false;
};
