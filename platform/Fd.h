#pragma once
// A file or directory descriptor that is closed on every way out of a scope.

#include <unistd.h>

#include <utility>

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd)
        : fd_(fd)
    {
    }
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept
        : fd_(std::exchange(other.fd_, -1))
    {
    }
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, -1); }
    // The result of close(2), which can carry a late write error.
    int close()
    {
        const int rc = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return rc;
    }

private:
    int fd_ = -1;
};
