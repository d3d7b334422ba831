#include "tests/util/BindMount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

namespace {

// Empty once the process has a mount namespace of its own, else why it has none.
QByteArray private_namespace()
{
    static const QByteArray why = []() -> QByteArray {
        if (::unshare(CLONE_NEWNS) != 0)
            return QByteArray("mounting needs CAP_SYS_ADMIN (run the tests as root); unshare: ") + std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return QByteArray("cannot make the test's mounts private: ") + std::strerror(errno);
        return QByteArray();
    }();
    return why;
}

} // namespace

BindMount::BindMount(const QString& source, const QString& target)
{
    why_not_ = private_namespace();
    if (!why_not_.isEmpty())
        return;
    if (::mount(QFile::encodeName(source).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND, nullptr)
        != 0) {
        why_not_ = QByteArray("bind mount refused: ") + std::strerror(errno);
        return;
    }
    target_ = QFile::encodeName(target);
}

BindMount::~BindMount()
{
    if (!target_.isEmpty())
        ::umount2(target_.constData(), MNT_DETACH);
}
