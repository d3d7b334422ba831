#include "platform/RealFileSystem.h"

#include "platform/Fd.h"
#include "platform/Names.h"
#include "platform/Trash.h"

#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every name crosses to the system as bytes. A name on disk that is not valid in the user's
// encoding decodes to replacement characters, and encoding those back gives other bytes, which may
// name another file. So a path is used only when its text and bytes convert into each other
// exactly, and a listed name only when its bytes do; other names are left out of listings, so no
// operation can reach the wrong file through them.
bool native_path(const QString& path, QByteArray& out)
{
    out = QFile::encodeName(path);
    return !out.contains('\0') && QFile::decodeName(out) == path;
}

bool round_trips(const QByteArray& raw, QString& name)
{
    if (std::all_of(raw.cbegin(), raw.cend(), [](char c) { return uchar(c) < 0x80; })) {
        name = QString::fromLatin1(raw); // ASCII is the same in every encoding
        return true;
    }
    name = QFile::decodeName(raw);
    return QFile::encodeName(name) == raw;
}

FsError bad_name()
{
    return make_error(err_bad_file_name);
}

QString leaf_of(const QString& path)
{
    const QString p = without_final_separator(path);
    return p.mid(p.lastIndexOf(path_separator) + 1);
}

QByteArray dir_of(const QByteArray& path)
{
    const qsizetype cut = path.lastIndexOf('/');
    return cut < 0 ? QByteArray(".") : cut == 0 ? QByteArray("/") : path.left(cut);
}

int open_retry(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool same_file(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void sort_entries(QVector<DirEntry>& entries)
{
    sort_by_name(entries, [](const DirEntry& e) -> const QString& { return e.name; });
}

bool is_dot_or_dotdot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

struct MountId {
    bool known = false;
    quint64 id = 0;
};

MountId mount_id(int fd)
{
    struct statx stx { };
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &stx) == 0 && (stx.stx_mask & STATX_MNT_ID))
        return { true, stx.stx_mnt_id };
    return {};
}

// True when the directory open at `fd` (`st` its status) lies on the mount of `top`: the same
// device, and the same mount, since a bind mount of a folder of the same disk keeps the device.
bool on_mount_of(int fd, const struct stat& st, dev_t top_dev, const MountId& top_mount)
{
    if (st.st_dev != top_dev)
        return false;
    const MountId m = mount_id(fd);
    return !m.known || !top_mount.known || m.id == top_mount.id;
}

// True when the directory open at `fd` is the root of a mount or of the whole file system. When
// its parent cannot be opened the answer is yes, the safe one for every caller.
bool is_mount_root(int fd)
{
    struct stat st { };
    struct stat up_st { };
    const Fd up(::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!up.valid() || ::fstat(fd, &st) != 0 || ::fstat(up.get(), &up_st) != 0)
        return true;
    if (same_file(st, up_st))
        return true;
    return !on_mount_of(fd, st, up_st.st_dev, mount_id(up.get()));
}

// The entries of the directory open at `fd` ("." and ".." left out), as bytes with the type the
// directory gives; errno is set when it cannot be read to its end.
struct RawEntry {
    QByteArray name;
    unsigned char type = DT_UNKNOWN;
};

bool read_raw_entries(int fd, std::vector<RawEntry>& out)
{
    // Straight from the descriptor, from its start: no second descriptor or stream per directory,
    // which a deep tree would pay for at every level.
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const dirent64*>(buffer + at);
            if (!is_dot_or_dotdot(e->d_name))
                out.push_back({ QByteArray(e->d_name), e->d_type });
            at += e->d_reclen;
        }
    }
}

// The names of the open directory `fd` whose bytes round-trip; errno is set when it cannot be read.
bool names_at(int fd, QStringList& names)
{
    std::vector<RawEntry> raw;
    if (!read_raw_entries(fd, raw))
        return false;
    for (const RawEntry& e : raw) {
        QString name;
        if (round_trips(e.name, name))
            names << name;
    }
    return true;
}

// The spelling of `name` that exists in the open directory `dfd` ignoring case, the first in name
// order; empty when none does.
QString spelling_at(int dfd, const QString& name)
{
    QStringList names;
    QString best;
    if (names_at(dfd, names)) {
        for (const QString& n : std::as_const(names))
            if (names_equal(n, name) && (best.isEmpty() || name_less(n, best)))
                best = n;
    }
    return best;
}

// The file a write to `path` replaces: the path itself, or the file a symbolic link points to, so
// the link stays a link (it takes part as that file).
QByteArray write_target(const QByteArray& path)
{
    struct stat st { };
    if (::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(path.constData(), &st) == 0
        && S_ISREG(st.st_mode)) {
        if (char* real = ::realpath(path.constData(), nullptr)) {
            QByteArray r(real);
            std::free(real);
            return r;
        }
    }
    return path;
}

mode_t new_file_mode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// So that the rename itself survives a power cut; some file systems cannot, which is harmless.
void sync_dir(const QByteArray& dir)
{
    const int fd = open_retry(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes a new hidden file beside `target` with `fill`, flushes it, gives it `times` (when set), and
// renames it over `target`. Any failure removes the new file and leaves `target` as it was.
// `shown` is the path errors are reported for.
FsError replace_file(const QString& shown, const QByteArray& target, mode_t mode, const timespec* times,
    const std::function<FsError(int)>& fill)
{
    // Renaming over a link to a directory would replace the link; a directory is never a file's
    // destination.
    struct stat st { };
    if (::stat(target.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return make_error(err_path_file_access);
    const QByteArray dir = dir_of(target);
    QByteArray temp = dir + "/.tandrel-tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return error_from_errno(errno, shown);
    Fd out(fd);
    auto fail = [&](const FsError& e) {
        out.close();
        ::unlink(temp.constData());
        return e;
    };
    // Best effort: some volumes (FAT) have no modes to set.
    ::fchmod(fd, mode);
    if (FsError e = fill(fd))
        return fail(e);
    // Volumes without a flush of their own report EINVAL or ENOTSUP; there is nothing more to do.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        return fail(error_from_errno(errno, shown));
    if (times && ::futimens(fd, times) != 0)
        return fail(error_from_errno(errno, shown));
    if (out.close() != 0)
        return fail(error_from_errno(errno, shown));
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail(error_from_errno(errno, shown));
    sync_dir(dir);
    return {};
}

} // namespace

Result<QVector<DirEntry>> RealFileSystem::list(const QString& dir, EntryKind kind, bool include_hidden) const
{
    Result<QVector<DirEntry>> r;
    // With the final separator a missing directory reports "Path not found".
    const QString dir_path = with_final_separator(dir);
    QByteArray native;
    if (!native_path(dir_path, native)) {
        r.error = bad_name();
        return r;
    }
    DirHandle d(::opendir(native.constData()));
    if (!d) {
        r.error = error_from_errno(errno, dir_path);
        return r;
    }
    const int dfd = ::dirfd(d.get());
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(d.get());
        if (!e) {
            // A listing cut short would look like missing files and invite wrong copies or deletes.
            if (errno != 0) {
                r.value.clear();
                r.error = error_from_errno(errno, dir_path);
                return r;
            }
            break;
        }
        const QByteArray raw(e->d_name);
        DirEntry entry;
        if (raw == "." || raw == ".." || !round_trips(raw, entry.name))
            continue;
        entry.hidden = entry.name.startsWith(u'.');
        if (entry.hidden && !include_hidden)
            continue;
        // The entry's type from the listing itself spares a lookup of every entry of the other
        // kind; a file system that does not give it (DT_UNKNOWN) is asked as before.
        if ((kind == EntryKind::Directories && e->d_type != DT_DIR && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
            || (kind == EntryKind::Files && e->d_type == DT_DIR))
            continue;
        struct stat st { };
        if (::fstatat(dfd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Removed or out of reach since the directory was read: a plain file stays in, marked,
            // so the caller can say that it could not be read.
            if (kind == EntryKind::Files && e->d_type == DT_REG) {
                entry.readable = false;
                r.value.push_back(entry);
            }
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            entry.is_link = true;
            if (::fstatat(dfd, raw.constData(), &st, 0) != 0) {
                if (kind == EntryKind::Others)
                    r.value.push_back(entry);
                continue; // a broken link takes part in nothing else
            }
        }
        if (kind == EntryKind::Others) {
            if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
                r.value.push_back(entry);
            continue;
        }
        if (kind == EntryKind::Files ? !S_ISREG(st.st_mode) : !S_ISDIR(st.st_mode))
            continue;
        if (kind == EntryKind::Files)
            entry.length = st.st_size;
        entry.mtime = st.st_mtim.tv_sec;
        r.value.push_back(entry);
    }
    sort_entries(r.value);
    return r;
}

namespace {

// Opens `dir_path` and reads all its entries, keeping the directory open for lookups.
FsError open_and_read(const QString& dir_path, Fd& dfd, std::vector<RawEntry>& raw)
{
    QByteArray native;
    if (!native_path(dir_path, native))
        return bad_name();
    dfd = Fd(open_retry(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dfd.valid() || !read_raw_entries(dfd.get(), raw))
        return error_from_errno(errno, dir_path);
    return {};
}

} // namespace

Result<QVector<NamedEntry>> RealFileSystem::list_names(const QString& dir) const
{
    Result<QVector<NamedEntry>> r;
    const QString dir_path = with_final_separator(dir);
    Fd dfd;
    std::vector<RawEntry> raw;
    if ((r.error = open_and_read(dir_path, dfd, raw)))
        return r;
    for (const RawEntry& e : raw) {
        NamedEntry entry;
        if (!round_trips(e.name, entry.name))
            continue;
        unsigned char type = e.type;
        if (type == DT_UNKNOWN) {
            struct stat st { };
            if (::fstatat(dfd.get(), e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
        }
        entry.is_dir = type == DT_DIR;
        entry.is_file = type == DT_REG;
        entry.is_link = type == DT_LNK;
        if (entry.is_dir || entry.is_file || entry.is_link)
            r.value.push_back(entry);
    }
    return r;
}

Result<FileListing> RealFileSystem::list_files(const QString& dir, qsizetype limit) const
{
    Result<FileListing> r;
    const QString dir_path = with_final_separator(dir);
    Fd dfd;
    std::vector<RawEntry> raw;
    if ((r.error = open_and_read(dir_path, dfd, raw)))
        return r;

    struct Candidate {
        QString name;
        QByteArray raw;
        DirEntry entry;
        bool looked_up = false;
    };
    std::vector<Candidate> found;
    found.reserve(raw.size());
    for (RawEntry& e : raw) {
        if (e.name.startsWith('.'))
            continue;
        Candidate c;
        struct stat st { };
        // The directory tells plain files apart; only a link, or a volume that does not say,
        // needs a look at the entry itself to know whether it takes part.
        if (e.type == DT_LNK || e.type == DT_UNKNOWN) {
            c.looked_up = true;
            if (::fstatat(dfd.get(), e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
                c.entry.is_link = true;
                e.type = DT_LNK;
            }
            if (::fstatat(dfd.get(), e.name.constData(), &st, 0) == 0) {
                if (!S_ISREG(st.st_mode))
                    continue;
                c.entry.length = st.st_size;
                c.entry.mtime = st.st_mtim.tv_sec;
            } else if (e.type == DT_LNK && (errno == ENOENT || errno == ENOTDIR || errno == ELOOP)) {
                continue; // a broken link takes part in nothing
            } else {
                c.entry.readable = false; // it may be a file; nobody can tell
            }
        } else if (e.type != DT_REG) {
            continue;
        }
        if (!decode_name(e.name, c.name)) {
            r.value.undecodable << escaped_bytes(e.name);
            continue;
        }
        c.raw = std::move(e.name);
        found.push_back(std::move(c));
    }

    r.value.overflow = qsizetype(found.size()) > limit;
    sort_by_name(
        found, [](const Candidate& c) -> const QString& { return c.name; }, nullptr, limit);
    r.value.files.reserve(qsizetype(found.size()));
    for (Candidate& c : found) {
        c.entry.name = std::move(c.name);
        if (!c.looked_up) {
            struct stat st { };
            if (::fstatat(dfd.get(), c.raw.constData(), &st, 0) == 0 && S_ISREG(st.st_mode)) {
                c.entry.length = st.st_size;
                c.entry.mtime = st.st_mtim.tv_sec;
            } else {
                c.entry.readable = false; // gone, out of reach, or no longer a file since it was listed
            }
        }
        r.value.files.push_back(std::move(c.entry));
    }
    return r;
}

Result<FileInfo> RealFileSystem::info(const QString& path) const
{
    Result<FileInfo> r;
    QByteArray native;
    if (!native_path(without_final_separator(path), native)) {
        r.error = bad_name();
        return r;
    }
    struct stat st { };
    if (::lstat(native.constData(), &st) != 0) {
        r.error = error_from_errno(errno, path);
        return r;
    }
    r.value.is_link = S_ISLNK(st.st_mode);
    if (r.value.is_link && ::stat(native.constData(), &st) != 0) {
        r.error = error_from_errno(errno, path);
        return r;
    }
    r.value.is_dir = S_ISDIR(st.st_mode);
    r.value.is_file = S_ISREG(st.st_mode);
    r.value.hidden = leaf_of(path).startsWith(u'.');
    r.value.length = r.value.is_file ? qint64(st.st_size) : 0;
    r.value.mtime = st.st_mtim.tv_sec;
    r.value.device = st.st_dev;
    r.value.inode = st.st_ino;
    return r;
}

Result<bool> RealFileSystem::exists(const QString& path) const
{
    Result<bool> r;
    QByteArray native;
    if (!native_path(without_final_separator(path), native)) {
        r.error = bad_name();
        return r;
    }
    struct stat st { };
    if (::lstat(native.constData(), &st) == 0)
        r.value = true;
    else if (errno != ENOENT && errno != ENOTDIR)
        r.error = error_from_errno(errno, path);
    return r;
}

bool RealFileSystem::dir_exists(const QString& path) const
{
    QByteArray native;
    struct stat st { };
    return native_path(path, native) && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

Result<QString> RealFileSystem::canonical_path(const QString& path) const
{
    Result<QString> r;
    QByteArray native;
    if (!native_path(path, native)) {
        r.error = bad_name();
        return r;
    }
    char* real = ::realpath(native.constData(), nullptr);
    if (!real) {
        r.error = error_from_errno(errno, path);
        return r;
    }
    r.value = QFile::decodeName(real);
    std::free(real);
    return r;
}

bool RealFileSystem::is_mount_point(const QString& path) const
{
    QByteArray native;
    if (!native_path(path, native))
        return false;
    const Fd fd(open_retry(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && is_mount_root(fd.get());
}

QString RealFileSystem::resolve_case(const QString& dir, const QString& name) const
{
    const QString dir_path = with_final_separator(dir);
    QByteArray native_dir, native;
    if (name.isEmpty() || !native_path(dir_path, native_dir) || !native_path(dir_path + name, native))
        return name;
    struct stat st { };
    if (::lstat(native.constData(), &st) == 0)
        return name;
    const Fd dfd(open_retry(native_dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const QString best = dfd.valid() ? spelling_at(dfd.get(), name) : QString();
    return best.isEmpty() ? name : best;
}

FsError RealFileSystem::remove_file(const QString& path)
{
    QByteArray native;
    // Without a final separator, so that a link is removed and never followed.
    if (!native_path(without_final_separator(path), native))
        return bad_name();
    return ::unlink(native.constData()) == 0 ? FsError {} : error_from_errno(errno, path);
}

FsError RealFileSystem::remove_entry(const QString& dir, const QString& name, bool any_case, bool to_trash)
{
    const QString dir_path = with_final_separator(dir);
    QByteArray native_dir, leaf;
    if (name.isEmpty() || name.contains(path_separator) || name == u"." || name == u".."
        || !native_path(dir_path, native_dir) || !native_path(name, leaf))
        return bad_name();
    const int dfd = open_retry(native_dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return error_from_errno(errno, dir_path);
    const Fd dir_fd(dfd);
    QString spelled = name;
    struct stat st { };
    if (::fstatat(dfd, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        const int err = errno;
        const QString other = err == ENOENT && any_case ? spelling_at(dfd, name) : QString();
        if (other.isEmpty())
            return error_from_errno(err, dir_path + name);
        spelled = other;
        leaf = QFile::encodeName(other);
        if (::fstatat(dfd, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return error_from_errno(errno, dir_path + name);
    }
    if (S_ISDIR(st.st_mode))
        return error_from_errno(EISDIR, dir_path + name);
    if (to_trash) {
        // The trash takes a path, not a descriptor: it is used only while it still names the
        // entry just looked at. Whatever it moves stays in the trash, so nothing is lost even then.
        const QString path = dir_path + spelled;
        struct stat now { };
        if (::lstat(QFile::encodeName(path).constData(), &now) == 0 && same_file(now, st) && move_to_trash(path))
            return {};
    }
    return ::unlinkat(dfd, leaf.constData(), 0) == 0 ? FsError {} : error_from_errno(errno, dir_path + name);
}

FsError RealFileSystem::make_dir(const QString& path)
{
    QByteArray native;
    if (!native_path(path, native))
        return bad_name();
    return ::mkdir(native.constData(), 0777) == 0 ? FsError {} : error_from_errno(errno, path);
}

FsError RealFileSystem::remove_dir(const QString& path)
{
    QByteArray native;
    if (!native_path(without_final_separator(path), native))
        return bad_name();
    struct stat st { };
    if (::lstat(native.constData(), &st) != 0)
        return error_from_errno(errno, with_final_separator(path));
    if (S_ISLNK(st.st_mode)) {
        if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return error_from_errno(ENOTDIR, path);
        return ::unlink(native.constData()) == 0 ? FsError {} : error_from_errno(errno, path);
    }
    return ::rmdir(native.constData()) == 0 ? FsError {} : error_from_errno(errno, path);
}

FsError RealFileSystem::rename(const QString& from, const QString& to)
{
    QByteArray a, b;
    if (!native_path(without_final_separator(from), a) || !native_path(without_final_separator(to), b))
        return bad_name();
    struct stat sa {
    }, sb {};
    if (::lstat(a.constData(), &sa) != 0)
        return error_from_errno(errno, from);
    // Never over an existing entry: a rename that silently replaced a file would lose it.
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return {};
    int err = errno;
    if (err == EEXIST || err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        const bool b_exists = ::lstat(b.constData(), &sb) == 0;
        // On a volume that ignores case, the "existing" destination of a change of case is the
        // source itself.
        const bool case_change
            = b_exists && same_file(sa, sb) && dir_of(a) == dir_of(b) && names_equal(leaf_of(from), leaf_of(to));
        if (!b_exists || case_change)
            err = ::rename(a.constData(), b.constData()) == 0 ? 0 : errno;
        else
            err = EEXIST;
    }
    return err == 0 ? FsError {} : error_from_errno(err, to);
}

FsError RealFileSystem::delete_tree(const QString& path)
{
    const QString top_path = without_final_separator(path);
    QByteArray native;
    if (top_path.isEmpty())
        return {};
    if (!native_path(top_path, native))
        return bad_name();
    auto failure = [](int errnum, const QString& at) {
        FsError e = error_from_errno(errnum, at);
        e.path = at;
        return e;
    };
    auto refusal = [](const QString& why, const QString& at) {
        FsError e = make_error(err_permission_denied);
        e.description += QStringLiteral(": ") + why;
        e.path = at;
        return e;
    };

    struct stat st { };
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FsError {} : failure(errno, top_path);
    if (S_ISLNK(st.st_mode))
        return ::unlink(native.constData()) == 0 ? FsError {} : failure(errno, top_path);
    if (!S_ISDIR(st.st_mode))
        return {};

    // Everything below is reached from the descriptor of its own directory, so no name met on the
    // way is ever looked up again as a path: a directory swapped for a link after it was listed is
    // opened with O_NOFOLLOW and refused, and then removed as the link it has become.
    Fd cur(open_retry(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat top { };
    if (!cur.valid() || ::fstat(cur.get(), &top) != 0)
        return failure(errno, top_path);
    if (is_mount_root(cur.get()))
        return refusal(QStringLiteral("it is the root of a volume"), top_path);
    // The parent stays open: the top is removed from it at the end, once it is known to be the
    // directory that was emptied.
    const QByteArray leaf = native.mid(native.lastIndexOf('/') + 1);
    const Fd parent(open_retry(dir_of(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid())
        return failure(errno, top_path);
    const MountId top_mount = mount_id(cur.get());

    // One frame per directory entered: its entries are read once, up front, so that only the
    // descriptor of the current directory is open, whatever the depth.
    struct Frame {
        QByteArray name; // in its parent
        dev_t dev = 0;
        ino_t ino = 0;
        std::vector<RawEntry> entries;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    auto shown = [&](size_t depth, const QByteArray& name = {}) {
        QString p = top_path;
        for (size_t i = 1; i <= depth && i < stack.size(); ++i)
            p += path_separator + QFile::decodeName(stack[i].name);
        return name.isEmpty() ? p : p + path_separator + QFile::decodeName(name);
    };
    auto enter = [&](Fd&& fd, const struct stat& dir_st, QByteArray name) -> FsError {
        Frame f { std::move(name), dir_st.st_dev, dir_st.st_ino, {}, 0 };
        if (!read_raw_entries(fd.get(), f.entries))
            return failure(errno, shown(stack.size(), f.name));
        cur = std::move(fd);
        stack.push_back(std::move(f));
        return {};
    };
    if (const FsError e = enter(std::move(cur), top, {}))
        return e;

    while (!stack.empty()) {
        Frame& f = stack.back();
        const size_t depth = stack.size() - 1;
        if (f.next < f.entries.size()) {
            RawEntry& e = f.entries[f.next++];
            if (before_tree_entry_)
                before_tree_entry_(shown(depth), QFile::decodeName(e.name));
            if (e.type != DT_DIR && e.type != DT_UNKNOWN) {
                if (::unlinkat(cur.get(), e.name.constData(), 0) == 0 || errno == ENOENT)
                    continue;
                if (errno != EISDIR)
                    return failure(errno, shown(depth, e.name));
                e.type = DT_DIR; // a directory stands there now: enter it instead
                --f.next;
                continue;
            }
            Fd child(::openat(cur.get(), e.name.constData(),
                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
            if (!child.valid()) {
                if (errno == ENOENT)
                    continue;
                if (errno != ENOTDIR && errno != ELOOP)
                    return failure(errno, shown(depth, e.name));
                // Not a directory (any more): a link or a file, removed as such.
                if (::unlinkat(cur.get(), e.name.constData(), 0) == 0 || errno == ENOENT)
                    continue;
                return failure(errno, shown(depth, e.name));
            }
            struct stat child_st { };
            if (::fstat(child.get(), &child_st) != 0)
                return failure(errno, shown(depth, e.name));
            if (!on_mount_of(child.get(), child_st, top.st_dev, top_mount))
                return refusal(QStringLiteral("another volume is mounted there"), shown(depth, e.name));
            if (const FsError err = enter(std::move(child), child_st, e.name))
                return err;
            continue;
        }

        // Every entry is gone: back to the parent, which must still be the directory we came from.
        const QByteArray name = f.name;
        if (depth == 0) {
            cur.close();
            stack.pop_back();
            struct stat now { };
            if (::fstatat(parent.get(), leaf.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0)
                return errno == ENOENT ? FsError {} : failure(errno, top_path);
            if (!same_file(now, top))
                return failure(EXDEV, top_path);
            return ::unlinkat(parent.get(), leaf.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT
                ? FsError {}
                : failure(errno, top_path);
        }
        const Frame& up = stack[depth - 1];
        Fd up_fd(::openat(cur.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat up_st { };
        if (!up_fd.valid() || ::fstat(up_fd.get(), &up_st) != 0)
            return failure(errno, shown(depth - 1));
        if (up_st.st_dev != up.dev || up_st.st_ino != up.ino)
            return failure(EXDEV, shown(depth)); // moved away while it was being emptied
        cur = std::move(up_fd);
        if (::unlinkat(cur.get(), name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
            return failure(errno, shown(depth));
        stack.pop_back();
    }
    return {};
}

Result<QByteArray> RealFileSystem::read_file(const QString& path) const
{
    return RealFileSystem::read_file_head(path, -1);
}

Result<QByteArray> RealFileSystem::read_file_head(const QString& path, qint64 max_bytes) const
{
    Result<QByteArray> r;
    QByteArray native;
    if (!native_path(path, native)) {
        r.error = bad_name();
        return r;
    }
    const int fd = open_retry(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        r.error = error_from_errno(errno, path);
        return r;
    }
    Fd in(fd);
    struct stat st { };
    if (::fstat(fd, &st) != 0) {
        r.error = error_from_errno(errno, path);
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        r.error = make_error(err_path_file_access);
        return r;
    }
    const qint64 wanted = max_bytes < 0 ? qint64(st.st_size) : std::min(max_bytes, qint64(st.st_size));
    r.value.reserve(qsizetype(wanted));
    char buffer[65536];
    for (;;) {
        const qint64 room
            = max_bytes < 0 ? qint64(sizeof buffer) : std::min(qint64(sizeof buffer), max_bytes - r.value.size());
        if (room <= 0)
            return r;
        const ssize_t n = ::read(fd, buffer, size_t(room));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.value.clear();
            r.error = error_from_errno(errno, path);
            return r;
        }
        if (n == 0)
            return r;
        r.value.append(buffer, qsizetype(n));
    }
}

FsError RealFileSystem::write_file(const QString& path, const QByteArray& data)
{
    QByteArray native;
    if (!native_path(path, native))
        return bad_name();
    const QByteArray target = write_target(native);
    struct stat st { };
    const mode_t mode = ::stat(target.constData(), &st) == 0 ? st.st_mode & 0777 : new_file_mode();
    return replace_file(path, target, mode, nullptr, [&](int out) -> FsError {
        const int err = write_bytes(out, data.constData(), size_t(data.size()), 0);
        return err ? error_from_errno(err, path) : FsError {};
    });
}

FsError RealFileSystem::append_file(const QString& path, const QByteArray& data)
{
    QByteArray native;
    if (!native_path(path, native))
        return bad_name();
    // Never through a link, and never blocking on a pipe that stands where the file should be.
    const int fd = open_retry(
        native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0)
        return errno == ENXIO ? make_error(err_path_file_access) : error_from_errno(errno, path);
    Fd out(fd);
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return error_from_errno(errno, path);
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1)
        return make_error(err_path_file_access);
    if (const int err = write_bytes(fd, data.constData(), size_t(data.size()), st.st_size))
        return error_from_errno(err, path);
    return out.close() == 0 ? FsError {} : error_from_errno(errno, path);
}

QVector<Volume> RealFileSystem::volumes() const
{
    static const QList<QByteArray> pseudo = {
        "proc",
        "sysfs",
        "cgroup",
        "cgroup2",
        "devpts",
        "mqueue",
        "debugfs",
        "tracefs",
        "securityfs",
        "pstore",
        "bpf",
        "configfs",
        "fusectl",
        "hugetlbfs",
        "autofs",
        "binfmt_misc",
        "squashfs",
        "devtmpfs",
        "nsfs",
        "rpc_pipefs",
        "efivarfs",
        "selinuxfs",
    };
    QVector<Volume> result;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady())
            continue;
        const QString root = v.rootPath();
        const QByteArray type = v.fileSystemType();
        if (pseudo.contains(type))
            continue;
        if (type == "tmpfs"
            && (root.startsWith(QStringLiteral("/run")) || root.startsWith(QStringLiteral("/sys"))
                || root.startsWith(QStringLiteral("/dev"))))
            continue;
        // Containers bind single files (/etc/hosts) as mounts; only directories can be drives.
        if (!dir_exists(root))
            continue;
        if (std::any_of(result.cbegin(), result.cend(), [&](const Volume& x) { return x.root == root; }))
            continue;
        const QString label = v.name();
        result.push_back({ root, label.isEmpty() ? root : root + QStringLiteral(" [") + label + u']' });
    }
    std::sort(result.begin(), result.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return result;
}

QString RealFileSystem::volume_root(const QString& path) const
{
    QString p = is_absolute_path(path) ? path : current_dir() + path;
    // A path that does not exist (yet) lies on the volume of its nearest existing parent.
    for (;;) {
        const QStorageInfo v(p);
        if (v.isValid())
            return v.rootPath();
        p = without_final_separator(p);
        const qsizetype cut = p.lastIndexOf(path_separator);
        if (cut <= 0)
            return QStringLiteral("/");
        p.truncate(cut);
    }
}

QString RealFileSystem::current_dir() const
{
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return QStringLiteral("/");
    const QString dir = QFile::decodeName(cwd);
    std::free(cwd);
    return with_final_separator(dir);
}

int RealFileSystem::write_bytes(int fd, const char* data, std::size_t size, qint64 offset)
{
    Q_UNUSED(offset);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        data += n;
        size -= size_t(n);
    }
    return 0;
}
