#pragma once
// A bind mount for a test, made in a mount namespace of the test process's own, so that nothing
// shows outside the test and nothing outlives it. `why_not()` says why mounting was not possible.

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

class BindMount {
public:
    BindMount(const QString& source, const QString& target)
        : target_(QFile::encodeName(target))
    {
        static const QByteArray own_namespace = []() -> QByteArray {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return QByteArray("mounting needs CAP_SYS_ADMIN (run the tests as root): ") + std::strerror(errno);
            return {};
        }();
        why_not_ = own_namespace;
        if (why_not_.isEmpty()
            && ::mount(QFile::encodeName(source).constData(), target_.constData(), nullptr, MS_BIND, nullptr) != 0)
            why_not_ = QByteArray("bind mount refused: ") + std::strerror(errno);
    }
    ~BindMount()
    {
        if (ok())
            ::umount2(target_.constData(), MNT_DETACH);
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool ok() const { return why_not_.isEmpty(); }
    const char* why_not() const { return why_not_.constData(); }

private:
    QByteArray target_;
    QByteArray why_not_;
};
