// The desktop trash: where a deleted file can still be taken back from.
#include "platform/Trash.h"

#include "platform/Fd.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int name_max = 255;
const QByteArray info_suffix = ".trashinfo";

struct Mount {
    dev_t dev = 0;
    ino_t ino = 0;
    bool id_known = false;
    quint64 id = 0;
};

bool mount_of(int fd, Mount& m)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return false;
    m.dev = st.st_dev;
    m.ino = st.st_ino;
    struct statx stx { };
    m.id_known = ::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &stx) == 0
        && (stx.stx_mask & STATX_MNT_ID);
    m.id = m.id_known ? stx.stx_mnt_id : 0;
    return true;
}

// A rename works only within one mount: a bind mount of a folder keeps its disk's device number.
bool same_mount(const Mount& a, const Mount& b)
{
    return a.dev == b.dev && (!a.id_known || !b.id_known || a.id == b.id);
}

Fd open_dir_at(int at, const char* name)
{
    return Fd(::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The real path of the directory open at `fd`, as the system tracks it; empty when it is gone.
QByteArray path_of(int fd)
{
    char buffer[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer) || buffer[0] != '/')
        return {};
    const QByteArray path(buffer, n);
    return path.endsWith(" (deleted)") ? QByteArray() : path;
}

// The user's data folder: $XDG_DATA_HOME when it is an absolute path (a relative one is ignored,
// as the base directory rules say), else ~/.local/share.
QByteArray data_home()
{
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    if (xdg.startsWith('/'))
        return xdg;
    QByteArray home = qgetenv("HOME");
    if (!home.startsWith('/')) {
        const passwd* pw = ::getpwuid(::geteuid());
        home = pw && pw->pw_dir ? QByteArray(pw->pw_dir) : QByteArray();
    }
    return home.startsWith('/') ? home + "/.local/share" : QByteArray();
}

// The deepest existing folder on the way to `path`, open.
Fd nearest_existing(QByteArray path)
{
    for (;;) {
        Fd fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.valid() || path.size() <= 1)
            return fd;
        const qsizetype cut = path.lastIndexOf('/');
        path.truncate(cut > 0 ? cut : 1);
    }
}

// Opens the folder `name` in `at`, made private to the user when missing. It must be the user's
// own folder, not a link: another user's folder there would see (or swap) what is trashed.
Fd own_dir(int at, const char* name)
{
    if (::mkdirat(at, name, 0700) != 0 && errno != EEXIST)
        return {};
    Fd fd = open_dir_at(at, name);
    struct stat st { };
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || st.st_uid != ::geteuid())
        return {};
    return fd;
}

struct TrashDir {
    Fd files, info;
    QByteArray top; // "": the home trash, whose entries name their absolute path
    QByteArray shown; // the trash folder, for a message
};

// The "files" and "info" folders of the trash open at `trash`.
bool open_parts(Fd trash, TrashDir& out)
{
    if (!trash.valid())
        return false;
    out.files = own_dir(trash.get(), "files");
    out.info = own_dir(trash.get(), "info");
    return out.files.valid() && out.info.valid();
}

// Makes every missing folder of `path` (absolute), private to the user, and opens the last.
Fd make_path(const QByteArray& path)
{
    Fd at(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (::mkdirat(at.get(), part.constData(), 0700) != 0 && errno != EEXIST)
            return {};
        at = Fd(::openat(at.get(), part.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!at.valid())
            return {};
    }
    return at;
}

// The top of the mount that holds the directory open at `dir_fd`, and how many levels below it
// that directory lies.
Fd mount_top(int dir_fd, int& levels)
{
    Fd cur(::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Mount here;
    if (!cur.valid() || !mount_of(cur.get(), here))
        return {};
    for (levels = 0; levels < 4096; ++levels) {
        Fd up(::openat(cur.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        Mount above;
        if (!up.valid() || !mount_of(up.get(), above))
            return {};
        if ((above.dev == here.dev && above.ino == here.ino) || !same_mount(above, here))
            return cur;
        cur = std::move(up);
        here = above;
    }
    return {};
}

// The user's trash at the top of a volume: "$top/.Trash/$uid" where an administrator made
// ".Trash" for everyone (a real folder with the sticky bit, never a link), else "$top/.Trash-$uid".
bool volume_trash(int top, TrashDir& out, bool make)
{
    const QByteArray uid = QByteArray::number(quint64(::geteuid()));
    struct stat st { };
    if (::fstatat(top, ".Trash", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const Fd shared = open_dir_at(top, ".Trash");
        if (shared.valid()
            && open_parts(
                make ? own_dir(shared.get(), uid.constData()) : open_dir_at(shared.get(), uid.constData()), out))
            return true;
    }
    const QByteArray own = ".Trash-" + uid;
    return open_parts(make ? own_dir(top, own.constData()) : open_dir_at(top, own.constData()), out);
}

// The name the entry takes in the trash: its own, unless that is taken or too long for the info
// file's name, then shortened (keeping a short extension) and numbered.
QByteArray trash_name(const QByteArray& name, int attempt)
{
    const QByteArray number = attempt == 0 ? QByteArray() : '.' + QByteArray::number(attempt + 1);
    const qsizetype room = name_max - info_suffix.size() - number.size();
    if (name.size() <= room)
        return name + number;
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray ext = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QByteArray();
    qsizetype keep = room - ext.size();
    while (keep > 0 && (uchar(name[keep]) & 0xc0) == 0x80)
        --keep; // never cut a character in two
    return name.left(keep) + number + ext;
}

int write_all(int fd, const QByteArray& data)
{
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

bool still_there(int dir_fd, const QByteArray& name, const struct stat& expected)
{
    struct stat now { };
    return ::fstatat(dir_fd, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == expected.st_dev
        && now.st_ino == expected.st_ino;
}

// The info file first, made exclusively, so that two programs never claim one name; then the one
// rename of the entry. Any failure takes the info file back.
TrashResult place(
    int dir_fd, const QByteArray& name, const struct stat& expected, const TrashDir& trash, const QByteArray& original)
{
    const QByteArray info = "[Trash Info]\nPath=" + original.toPercentEncoding("/") + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() + '\n';
    for (int attempt = 0; attempt < 10000; ++attempt) {
        const QByteArray base = trash_name(name, attempt);
        const QByteArray info_name = base + info_suffix;
        Fd out(::openat(
            trash.info.get(), info_name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!out.valid()) {
            if (errno == EEXIST || errno == EINTR)
                continue;
            return { TrashResult::NoTrash, errno,
                QStringLiteral("the trash ") + QFile::decodeName(trash.shown) + QStringLiteral(" cannot be written") };
        }
        auto take_back = [&](TrashResult r) {
            out.close();
            ::unlinkat(trash.info.get(), info_name.constData(), 0);
            return r;
        };
        if (const int err = write_all(out.get(), info))
            return take_back({ TrashResult::NoTrash, err,
                QStringLiteral("the trash ") + QFile::decodeName(trash.shown) + QStringLiteral(" cannot be written") });
        ::fsync(out.get());
        out.close();
        if (!still_there(dir_fd, name, expected))
            return take_back({ TrashResult::Failed, ENOENT, {} });
        if (::renameat2(dir_fd, name.constData(), trash.files.get(), base.constData(), RENAME_NOREPLACE) == 0) {
            ::fsync(trash.files.get());
            return { TrashResult::Moved, 0, {} };
        }
        const int err = errno;
        if (err == EEXIST || err == ENOTEMPTY) {
            take_back({});
            continue; // a name left by someone else in "files": the next one
        }
        if (err == EXDEV)
            return take_back({ TrashResult::NoTrash, err,
                QStringLiteral("the trash ") + QFile::decodeName(trash.shown)
                    + QStringLiteral(" is on another volume") });
        return take_back({ TrashResult::Failed, err, {} });
    }
    return { TrashResult::Failed, EEXIST, {} };
}

} // namespace

TrashResult move_to_trash(int dir_fd, const QByteArray& name, const struct stat& expected)
{
    if (name.isEmpty() || name.contains('/') || name == "." || name == "..")
        return { TrashResult::Failed, EINVAL, {} };
    if (!still_there(dir_fd, name, expected))
        return { TrashResult::Failed, ENOENT, {} };
    const QByteArray dir_path = path_of(dir_fd);
    Mount here;
    if (dir_path.isEmpty() || !mount_of(dir_fd, here))
        return { TrashResult::NoTrash, 0, QStringLiteral("its folder can no longer be found by its path") };
    const QByteArray original = (dir_path == "/" ? dir_path : dir_path + '/') + name;

    // The home folder's volume: the home trash, made when missing.
    const QByteArray home = data_home();
    const Fd home_side = home.isEmpty() ? Fd() : nearest_existing(home + "/Trash");
    Mount home_mount;
    if (home_side.valid() && mount_of(home_side.get(), home_mount) && same_mount(home_mount, here)) {
        TrashDir trash;
        trash.shown = home + "/Trash";
        const Fd data = make_path(home);
        if (!data.valid() || !open_parts(own_dir(data.get(), "Trash"), trash))
            return { TrashResult::NoTrash, errno,
                QStringLiteral("the trash ") + QFile::decodeName(trash.shown) + QStringLiteral(" cannot be made") };
        return place(dir_fd, name, expected, trash, original);
    }

    // Any other volume: the user's trash at its top, where the entry's path is kept relative to it.
    int levels = 0;
    const Fd top = mount_top(dir_fd, levels);
    const QList<QByteArray> parts = original.split('/');
    if (!top.valid() || parts.size() < levels + 2)
        return { TrashResult::NoTrash, errno, QStringLiteral("the top of its volume cannot be found") };
    QByteArray top_path = parts.mid(0, parts.size() - 1 - levels).join('/');
    if (top_path.isEmpty())
        top_path = "/";
    TrashDir trash;
    if (!volume_trash(top.get(), trash, true))
        return { TrashResult::NoTrash, errno,
            QStringLiteral("no trash can be made at the top of its volume, ") + QFile::decodeName(top_path) };
    trash.shown = top_path;
    return place(dir_fd, name, expected, trash, parts.mid(parts.size() - 1 - levels).join('/'));
}

namespace {

// What the entries of the directory open at `fd` take up on their device, links not followed and
// other mounts not entered; `depth` bounds the descriptors held open at once.
qint64 bytes_below(int fd, const Mount& mount, int depth)
{
    qint64 total = 0;
    Fd dup(::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* d = dup.valid() ? ::fdopendir(dup.release()) : nullptr;
    if (!d)
        return 0;
    while (const dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        struct stat st { };
        if (::fstatat(::dirfd(d), n, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        total += qint64(st.st_blocks) * 512;
        if (S_ISDIR(st.st_mode) && depth < 64) {
            const Fd sub = open_dir_at(::dirfd(d), n);
            Mount m;
            if (sub.valid() && mount_of(sub.get(), m) && same_mount(m, mount))
                total += bytes_below(sub.get(), mount, depth + 1);
        }
    }
    ::closedir(d);
    return total;
}

} // namespace

qint64 volume_trash_bytes(const QString& dir)
{
    const Fd at(::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Mount here, home_mount;
    if (!at.valid() || !mount_of(at.get(), here))
        return 0;
    const QByteArray home = data_home();
    const Fd home_side = home.isEmpty() ? Fd() : nearest_existing(home + "/Trash");
    if (home_side.valid() && mount_of(home_side.get(), home_mount) && same_mount(home_mount, here))
        return 0;
    int levels = 0;
    const Fd top = mount_top(at.get(), levels);
    TrashDir trash;
    if (!top.valid() || !volume_trash(top.get(), trash, false))
        return 0;
    return bytes_below(trash.files.get(), here, 0) + bytes_below(trash.info.get(), here, 0);
}
