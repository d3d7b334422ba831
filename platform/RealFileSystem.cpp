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
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Every name crosses to the system as bytes. A name on disk that is not valid in the user's
// encoding decodes to replacement characters, and encoding those back gives other bytes, which may
// name another file. So a path is used only when its text and bytes convert into each other
// exactly, and a listed name only when its bytes do; other names are left out of listings, so no
// operation can reach the wrong file through them.
bool native_path(const QString& path, QByteArray& out)
{
    // ASCII without a zero is the same in every encoding: the usual path needs no round trip.
    if (std::all_of(path.cbegin(), path.cend(), [](QChar c) { return c.unicode() - 1u < 0x7fu; })) {
        out = path.toLatin1();
        return true;
    }
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

// Calls `take(name, length, type)` for every entry of the directory open at `fd` ("." and ".."
// left out), from its start (`rewind`: the descriptor may have been read before); false with errno
// set when it cannot be read to its end. The name stays valid only during the call.
template <typename Take> bool for_each_raw_entry(int fd, Take&& take, bool rewind = true)
{
    // Straight from the descriptor, from its start: no second descriptor or stream per directory,
    // which a deep tree would pay for at every level.
    if (rewind && ::lseek(fd, 0, SEEK_SET) != 0)
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
                take(e->d_name, std::strlen(e->d_name), e->d_type);
            at += e->d_reclen;
        }
    }
}

bool read_raw_entries(int fd, std::vector<RawEntry>& out)
{
    return for_each_raw_entry(fd, [&](const char* name, size_t length, unsigned char type) {
        out.push_back({ QByteArray(name, qsizetype(length)), type });
    });
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

mode_t new_file_mode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

Result<QVector<DirEntry>> RealFileSystem::list(const QString& dir, EntryKind kind, bool include_hidden) const
{
    Result<QVector<DirEntry>> r;
    // With the final separator a missing directory reports "Path not found".
    const QString dir_path = with_final_separator(dir);
    SysPath at;
    if (!sys_path(dir_path, at)) {
        r.error = bad_name();
        return r;
    }
    int opened;
    do
        opened = ::openat(at.at, at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (opened < 0 && errno == EINTR);
    DirHandle d(opened < 0 ? nullptr : ::fdopendir(opened));
    if (!d) {
        const int err = errno;
        if (opened >= 0)
            ::close(opened);
        r.error = error_from_errno(err, dir_path);
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

int openat_retry(int at, const char* path, int flags)
{
    int fd;
    do
        fd = ::openat(at, path, flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

namespace {

// The plain files of a directory as it is read (see FileSystem::list_files): every name taken,
// with the bytes of all of them one after another, each ended by a zero, for the lookups after the
// sort, so a directory of many files costs no allocation per name beyond its text.
class FileCollector {
public:
    explicit FileCollector(int dfd)
        : dfd_(dfd)
    {
        // Room for about as many names as the directory's size says, so that a large one is not
        // moved again and again as it is read (an entry takes some 24 to 40 bytes of it).
        struct stat st { };
        if (::fstat(dfd, &st) == 0 && st.st_size > 0)
            found_.reserve(size_t(std::min<off_t>(st.st_size / 40, 1 << 20)));
    }

    void take(const char* raw, size_t raw_length, unsigned char type)
    {
        if (raw[0] == '.')
            return;
        Candidate c;
        struct stat st { };
        // The directory tells plain files apart; only a link, or a volume that does not say,
        // needs a look at the entry itself to know whether it takes part.
        if (type == DT_LNK || type == DT_UNKNOWN) {
            c.looked_up = true;
            if (::fstatat(dfd_, raw, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
                c.is_link = true;
                type = DT_LNK;
            }
            if (::fstatat(dfd_, raw, &st, 0) == 0) {
                if (!S_ISREG(st.st_mode))
                    return;
                c.length = st.st_size;
                c.mtime = st.st_mtim.tv_sec;
            } else if (type == DT_LNK && (errno == ENOENT || errno == ENOTDIR || errno == ELOOP)) {
                return; // a broken link takes part in nothing
            } else {
                c.readable = false; // it may be a file; nobody can tell
            }
        } else if (type != DT_REG) {
            return;
        }
        const QByteArray bytes = QByteArray::fromRawData(raw, qsizetype(raw_length));
        if (!decode_name(bytes, c.name)) {
            undecodable_ << escaped_bytes(bytes);
            return;
        }
        c.raw_at = raw_names_.size();
        raw_names_.append(raw, raw_length + 1);
        found_.push_back(std::move(c));
    }

    // Sorts, cuts at `limit` and looks the names kept up (none with names_only).
    FileListing finish(qsizetype limit)
    {
        FileListing listing;
        listing.undecodable = std::move(undecodable_);
        const bool look_up = limit != names_only;
        listing.overflow = look_up && qsizetype(found_.size()) > limit;
        sort_by_name(
            found_, [](const Candidate& c) -> const QString& { return c.name; }, nullptr, look_up ? limit : -1);
        listing.files.reserve(qsizetype(found_.size()));
        for (Candidate& c : found_) {
            if (look_up && !c.looked_up) {
                struct stat st { };
                if (::fstatat(dfd_, raw_names_.data() + c.raw_at, &st, 0) == 0 && S_ISREG(st.st_mode)) {
                    c.length = st.st_size;
                    c.mtime = st.st_mtim.tv_sec;
                } else {
                    c.readable = false; // gone, out of reach, or no longer a file since it was listed
                }
            }
            DirEntry e;
            e.name = std::move(c.name);
            e.is_link = c.is_link;
            e.readable = c.readable;
            e.length = c.length;
            e.mtime = c.mtime;
            listing.files.push_back(std::move(e));
        }
        return listing;
    }

private:
    struct Candidate {
        QString name;
        size_t raw_at = 0;
        qint64 length = 0;
        qint64 mtime = 0;
        bool is_link = false;
        bool readable = true;
        bool looked_up = false;
    };
    int dfd_;
    std::vector<Candidate> found_;
    std::string raw_names_;
    QStringList undecodable_;
};

// Takes one entry of a directory of a tree (see FileSystem::list_branch).
void take_branch_entry(int dfd, const char* raw, size_t raw_length, unsigned char type, BranchListing& listing)
{
    struct stat st { };
    if (type == DT_UNKNOWN) {
        if (::fstatat(dfd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return; // gone since the listing
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
    }
    const QByteArray bytes = QByteArray::fromRawData(raw, qsizetype(raw_length));
    BranchEntry entry;
    if (!round_trips(bytes, entry.name)) {
        if (type == DT_DIR && raw[0] != '.')
            listing.undecodable_dirs << escaped_bytes(bytes);
        return;
    }
    entry.is_dir = type == DT_DIR;
    entry.is_link = type == DT_LNK;
    entry.is_file = type == DT_REG || (entry.is_link && ::fstatat(dfd, raw, &st, 0) == 0 && S_ISREG(st.st_mode));
    listing.entries.push_back(std::move(entry));
}

} // namespace

Result<FileListing> RealFileSystem::list_files(const QString& dir, qsizetype limit) const
{
    Result<FileListing> r;
    const QString dir_path = with_final_separator(dir);
    SysPath at;
    if (!sys_path(dir_path, at)) {
        r.error = bad_name();
        return r;
    }
    const Fd dfd(openat_retry(at.at, at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dfd.valid()) {
        r.error = error_from_errno(errno, dir_path);
        return r;
    }
    FileCollector files(dfd.get());
    const auto take = [&](const char* raw, size_t length, unsigned char type) { files.take(raw, length, type); };
    if (!for_each_raw_entry(dfd.get(), take, false)) { // opened just now
        r.error = error_from_errno(errno, dir_path);
        return r;
    }
    r.value = files.finish(limit);
    return r;
}

namespace {

// Opens the directory `dir`, `root` or a path below it, from the root one name at a time: the root
// is opened as named, and no symbolic link below it is followed. The kernel does it in one call
// where it can; a kernel without that call, or a path too long for it, is walked here.
Fd open_below_root(const QString& root, const QString& dir, FsError& error)
{
    const QString top = without_final_separator(root);
    const QString below = without_final_separator(dir);
    QString relative;
    if (below != top) {
        const QString prefix = with_final_separator(top);
        if (!below.startsWith(prefix)) {
            error = bad_name();
            return {};
        }
        relative = below.mid(prefix.size());
    }
    QByteArray native_root, native_relative;
    if (!native_path(with_final_separator(top), native_root) || !native_path(relative, native_relative)) {
        error = bad_name();
        return {};
    }
    const QList<QByteArray> names = native_relative.isEmpty() ? QList<QByteArray>() : native_relative.split('/');
    for (const QByteArray& n : names) {
        if (n.isEmpty() || n == "." || n == "..") {
            error = bad_name();
            return {};
        }
    }
    auto open2 = [](int at, const QByteArray& path, quint64 resolve) {
        open_how how {};
        how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
        how.resolve = resolve;
        long got;
        do
            got = ::syscall(SYS_openat2, at, path.constData(), &how, sizeof how);
        while (got < 0 && errno == EINTR);
        return Fd(got < 0 ? -1 : int(got));
    };
    // Where the root's own path holds no link (the usual case), the whole path is opened at once.
    if (!names.isEmpty()) {
        Fd whole = open2(AT_FDCWD, native_root + native_relative, RESOLVE_NO_SYMLINKS);
        if (whole.valid())
            return whole;
        if (errno != ELOOP && errno != ENOSYS && errno != ENAMETOOLONG && errno != EPERM) {
            error = error_from_errno(errno, with_final_separator(dir));
            return {};
        }
    }
    Fd fd(open_retry(native_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        error = error_from_errno(errno, with_final_separator(top));
        return {};
    }
    if (names.isEmpty())
        return fd;
    if (Fd below = open2(fd.get(), native_relative, RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH); below.valid())
        return below;
    if (errno != ENOSYS && errno != ENAMETOOLONG && errno != EPERM) {
        error = error_from_errno(errno, with_final_separator(dir));
        return {};
    }
    for (const QByteArray& n : names) {
        int next;
        do
            next = ::openat(fd.get(), n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        while (next < 0 && errno == EINTR);
        if (next < 0) {
            error = error_from_errno(errno, with_final_separator(dir));
            return {};
        }
        fd = Fd(next);
    }
    return fd;
}

// True when `rest` (a path relative to a directory) names something below that directory by its
// names alone: no empty, "." or ".." component.
bool plain_relative(const QByteArray& rest)
{
    for (qsizetype from = 0; from <= rest.size();) {
        qsizetype end = rest.indexOf('/', from);
        if (end < 0)
            end = rest.size();
        const qsizetype n = end - from;
        if (n == 0 || (rest[from] == '.' && (n == 1 || (n == 2 && rest[from + 1] == '.'))))
            return false;
        from = end + 1;
    }
    return true;
}

// The length of `prefix` when `path` is `prefix` or lies below it, else -1.
qsizetype below_prefix(const QString& path, const QString& prefix)
{
    if (!path.startsWith(prefix))
        return -1;
    if (path.size() == prefix.size() || prefix.endsWith(path_separator) || path[prefix.size()] == path_separator)
        return prefix.size();
    return -1;
}

// Descriptors the chain of one root keeps open: those of the last levels reached, and one every
// so many levels, so a step back up reopens a few levels at most, whatever the depth.
constexpr size_t recent_levels = 32;
constexpr size_t kept_level_every = 64;

} // namespace

// The directories last reached below one root, from the root down, each reached from the one above
// it without following a link.
struct RealFileSystem::BranchChain {
    QString root; // without its final separator
    QByteArray native; // the path of the deepest level relative to the root, as bytes
    struct Level {
        qsizetype end = 0; // the length of `native` that names it (0: the root)
        std::shared_ptr<const Fd> fd; // null once let go (see recent_levels)
    };
    std::vector<Level> levels;
};

struct RealFileSystem::Anchor {
    std::shared_ptr<BranchChain> chain; // kept while the anchor lives
    QString root; // without its final separator
    QString path; // the directory, without its final separator
    std::shared_ptr<const Fd> fd;
    bool below_root = false; // paths are looked up from it only below the root
};

std::shared_ptr<const void> RealFileSystem::anchor_branch(const QString& root, const QString& dir) const
{
    const QString top = without_final_separator(root);
    const QString below = without_final_separator(dir);
    QByteArray relative;
    if (below != top) {
        const qsizetype at = below_prefix(below, top);
        if (at < 0 || !native_path(below.mid(top == QString(path_separator) ? at : at + 1), relative))
            return {};
    }

    const std::lock_guard lock(anchors_mutex_);
    std::erase_if(anchors_, [](const std::weak_ptr<const Anchor>& a) { return a.expired(); });
    std::erase_if(chains_, [](const std::weak_ptr<BranchChain>& c) { return c.expired(); });
    std::shared_ptr<BranchChain> chain;
    for (const std::weak_ptr<BranchChain>& c : chains_)
        if (std::shared_ptr<BranchChain> live = c.lock(); live && live->root == top)
            chain = std::move(live);
    if (!chain) {
        QByteArray native_root;
        if (!native_path(top, native_root))
            return {};
        auto fd = std::make_shared<const Fd>(open_retry(native_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd->valid())
            return {};
        chain = std::make_shared<BranchChain>();
        chain->root = top;
        chain->levels.push_back({ 0, std::move(fd) });
        chains_.push_back(chain);
    }

    // The levels the directory shares with the last one reached stay; below the deepest of them
    // still open, the names are opened one at a time.
    const qsizetype common
        = std::mismatch(relative.cbegin(), relative.cend(), chain->native.cbegin(), chain->native.cend()).first
        - relative.cbegin();
    auto shared = [&](qsizetype end) { return end <= common && (end == relative.size() || relative[end] == '/'); };
    while (chain->levels.size() > 1 && (!shared(chain->levels.back().end) || !chain->levels.back().fd))
        chain->levels.pop_back();
    chain->native.truncate(chain->levels.back().end);
    // The levels kept were checked when they were reached: only the names below them are new.
    const qsizetype kept_end = chain->levels.back().end;
    if (kept_end < relative.size() && !plain_relative(relative.mid(kept_end == 0 ? 0 : kept_end + 1)))
        return {};
    for (qsizetype from = chain->levels.back().end; from < relative.size();) {
        if (from > 0)
            ++from; // the separator
        qsizetype end = relative.indexOf('/', from);
        if (end < 0)
            end = relative.size();
        const QByteArray name = relative.mid(from, end - from);
        int next;
        do
            next = ::openat(
                chain->levels.back().fd->get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        while (next < 0 && errno == EINTR);
        if (next < 0)
            return {};
        chain->native = relative.left(end);
        chain->levels.push_back({ end, std::make_shared<const Fd>(next) });
        const size_t n = chain->levels.size() - 1;
        if (n > recent_levels && (n - recent_levels) % kept_level_every != 0)
            chain->levels[n - recent_levels].fd.reset();
        from = end;
    }

    auto anchor = std::make_shared<const Anchor>(Anchor { chain, top, below, chain->levels.back().fd, below != top });
    anchors_.push_back(anchor);
    return anchor;
}

bool RealFileSystem::sys_path(const QString& path, SysPath& out) const
{
    out.at = AT_FDCWD;
    out.keep.reset();
    {
        const std::lock_guard lock(anchors_mutex_);
        const Anchor* best = nullptr;
        qsizetype best_at = -1;
        for (const std::weak_ptr<const Anchor>& w : anchors_) {
            const std::shared_ptr<const Anchor> a = w.lock();
            if (!a || !a->below_root)
                continue;
            if (const qsizetype at = below_prefix(path, a->path); at > best_at) {
                best = a.get();
                best_at = at;
                out.keep = a;
            }
        }
        if (best) {
            QStringView rest = QStringView(path).mid(best_at);
            while (rest.startsWith(path_separator))
                rest = rest.mid(1);
            while (rest.endsWith(path_separator))
                rest.chop(1);
            if (rest.isEmpty()) {
                out.at = best->fd->get();
                out.rel = QByteArrayLiteral(".");
                return true;
            }
            if (native_path(rest.toString(), out.rel) && plain_relative(out.rel)) {
                out.at = best->fd->get();
                return true;
            }
            out.keep.reset(); // a name ".." climbs out of it: the whole path is taken as given
        }
    }
    return native_path(path, out.rel);
}

int RealFileSystem::open_dir_path(const QString& path) const
{
    SysPath at;
    if (!sys_path(path, at)) {
        errno = EINVAL;
        return -1;
    }
    return openat_retry(at.at, at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int RealFileSystem::open_branch(const QString& root, const QString& dir, FsError& error) const
{
    const QString top = without_final_separator(root);
    const QString below = without_final_separator(dir);
    std::shared_ptr<const Anchor> from;
    {
        const std::lock_guard lock(anchors_mutex_);
        qsizetype best_at = -1;
        for (const std::weak_ptr<const Anchor>& w : anchors_) {
            std::shared_ptr<const Anchor> a = w.lock();
            if (!a || a->root != top)
                continue;
            if (const qsizetype at = below_prefix(below, a->path); at > best_at) {
                best_at = at;
                from = std::move(a);
            }
        }
    }
    if (!from)
        return open_below_root(root, dir, error).release();
    QByteArray rest;
    if (below.size() > from->path.size()
        && (!native_path(below.mid(from->path.size() + (from->path.endsWith(path_separator) ? 0 : 1)), rest)
            || !plain_relative(rest))) {
        error = bad_name();
        return -1;
    }
    // The rest, below the anchored directory, is walked as from the root: never through a link.
    Fd fd(::openat(from->fd->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (qsizetype at = 0; fd.valid() && at < rest.size();) {
        qsizetype end = rest.indexOf('/', at);
        if (end < 0)
            end = rest.size();
        int next;
        do
            next = ::openat(
                fd.get(), rest.mid(at, end - at).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        while (next < 0 && errno == EINTR);
        fd = Fd(next);
        at = end + 1;
    }
    if (!fd.valid())
        error = error_from_errno(errno, with_final_separator(dir));
    return fd.release();
}

Result<BranchListing> RealFileSystem::list_branch(const QString& root, const QString& dir) const
{
    Result<BranchListing> r;
    const Fd dfd(open_branch(root, dir, r.error));
    if (!dfd.valid())
        return r;
    const auto take = [&](const char* raw, size_t length, unsigned char type) {
        take_branch_entry(dfd.get(), raw, length, type, r.value);
    };
    if (!for_each_raw_entry(dfd.get(), take, false)) { // opened just now
        r.value = {};
        r.error = error_from_errno(errno, with_final_separator(dir));
    }
    return r;
}

Result<BranchFiles> RealFileSystem::list_branch_files(const QString& root, const QString& dir, qsizetype limit) const
{
    Result<BranchFiles> r;
    const Fd dfd(open_branch(root, dir, r.error));
    if (!dfd.valid())
        return r;
    FileCollector files(dfd.get());
    const auto take = [&](const char* raw, size_t length, unsigned char type) {
        take_branch_entry(dfd.get(), raw, length, type, r.value.branch);
        files.take(raw, length, type);
    };
    if (!for_each_raw_entry(dfd.get(), take, false)) { // opened just now
        r.value = {};
        r.error = error_from_errno(errno, with_final_separator(dir));
        return r;
    }
    r.value.files = files.finish(limit);
    return r;
}

FsError RealFileSystem::make_branch(const QString& root, const QString& dir)
{
    const QString path = without_final_separator(dir);
    const QString leaf = leaf_of(path);
    QByteArray native_leaf;
    if (path == without_final_separator(root) || leaf.isEmpty() || leaf == u"." || leaf == u".."
        || !native_path(leaf, native_leaf))
        return bad_name();
    FsError error;
    const Fd parent(open_branch(root, path.left(path.size() - leaf.size()), error));
    if (!parent.valid())
        return error;
    return ::mkdirat(parent.get(), native_leaf.constData(), 0777) == 0 ? FsError {} : error_from_errno(errno, path);
}

Result<FileInfo> RealFileSystem::info(const QString& path) const
{
    Result<FileInfo> r;
    SysPath at;
    if (!sys_path(without_final_separator(path), at)) {
        r.error = bad_name();
        return r;
    }
    struct stat st { };
    if (::fstatat(at.at, at.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        r.error = error_from_errno(errno, path);
        return r;
    }
    r.value.is_link = S_ISLNK(st.st_mode);
    if (r.value.is_link && ::fstatat(at.at, at.c_str(), &st, 0) != 0) {
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
    r.value.mtime_ns = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    r.value.ctime_ns = qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    return r;
}

Result<bool> RealFileSystem::exists(const QString& path) const
{
    Result<bool> r;
    SysPath at;
    if (!sys_path(without_final_separator(path), at)) {
        r.error = bad_name();
        return r;
    }
    struct stat st { };
    if (::fstatat(at.at, at.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        r.value = true;
    else if (errno != ENOENT && errno != ENOTDIR)
        r.error = error_from_errno(errno, path);
    return r;
}

bool RealFileSystem::dir_exists(const QString& path) const
{
    SysPath at;
    struct stat st { };
    return sys_path(path, at) && ::fstatat(at.at, at.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode);
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
    SysPath at;
    if (!sys_path(path, at))
        return false;
    const Fd fd(openat_retry(at.at, at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && is_mount_root(fd.get());
}

QString RealFileSystem::resolve_case(const QString& dir, const QString& name) const
{
    const QString dir_path = with_final_separator(dir);
    SysPath at_dir, at;
    if (name.isEmpty() || !sys_path(dir_path, at_dir) || !sys_path(dir_path + name, at))
        return name;
    struct stat st {
    }, other {};
    if (::fstatat(at.at, at.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        // A volume that ignores case (a stick) finds the name in any spelling: only where nothing
        // answers to the name with every letter's case swapped is the lookup the spelling on
        // disk; elsewhere the listing tells.
        QString swapped = name;
        for (QChar& c : swapped)
            c = c.isUpper() ? c.toLower() : c.toUpper();
        SysPath at_swapped;
        if (swapped == name || !sys_path(dir_path + swapped, at_swapped)
            || ::fstatat(at_swapped.at, at_swapped.c_str(), &other, AT_SYMLINK_NOFOLLOW) != 0
            || other.st_dev != st.st_dev)
            return name;
    }
    const Fd dfd(openat_retry(at_dir.at, at_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dfd.valid())
        return name;
    QStringList names;
    if (names_at(dfd.get(), names) && names.contains(name))
        return name;
    const QString best = spelling_at(dfd.get(), name);
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

namespace {

FsError failure(int errnum, const QString& at)
{
    FsError e = error_from_errno(errnum, at);
    e.path = at;
    return e;
}

FsError refusal(int number, const QString& why, const QString& at)
{
    FsError e = make_error(number);
    e.description += QStringLiteral(": ") + why;
    e.path = at;
    return e;
}

FsError no_longer_held(const QString& at)
{
    return refusal(err_path_file_access, QStringLiteral("it is no longer the directory the command started on"), at);
}

FsError from_trash(const TrashResult& r, const QString& at)
{
    if (r.outcome == TrashResult::Moved)
        return {};
    if (r.outcome == TrashResult::Failed)
        return error_from_errno(r.errnum, at);
    FsError e = make_error(err_path_file_access);
    e.description = QStringLiteral("No trash can take it (") + r.why + u')';
    e.path = at;
    e.no_trash = true;
    return e;
}

// What a HeldTarget holds open: the parent, and the directory itself (through the link, when a link
// to a directory stands at the name).
struct Held {
    Fd parent;
    Fd self;
    QByteArray leaf; // empty for the root
    bool is_link = false;
};

const Held* held_of(const HeldTarget& dir)
{
    return static_cast<const Held*>(dir.handle.get());
}

// True when the held parent still has the held entry under its name, and the path, looked up now,
// leads to that same entry.
bool still_held(const HeldTarget& dir)
{
    const Held* h = held_of(dir);
    if (!h || h->leaf.isEmpty())
        return false;
    struct stat st { };
    if (::fstatat(h->parent.get(), h->leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_dev != dir.device
        || st.st_ino != dir.inode)
        return false;
    QByteArray native;
    return native_path(dir.path, native) && ::lstat(native.constData(), &st) == 0 && st.st_dev == dir.device
        && st.st_ino == dir.inode;
}

} // namespace

FsError RealFileSystem::remove_entry(const QString& dir, const QString& name, bool any_case, bool to_trash)
{
    const QString dir_path = with_final_separator(dir);
    QByteArray native_dir, leaf;
    if (name.isEmpty() || name.contains(path_separator) || name == u"." || name == u".."
        || !native_path(dir_path, native_dir) || !native_path(name, leaf))
        return bad_name();
    const int dfd = open_dir_for_change(dir_path, native_dir);
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
        return from_trash(move_to_trash(dfd, leaf, st), dir_path + spelled);
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
    const QByteArray leaf = native.mid(native.lastIndexOf('/') + 1);
    if (leaf.isEmpty())
        return refusal(err_permission_denied, QStringLiteral("it is the root of a volume"), top_path);
    const Fd parent(open_retry(dir_of(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st { };
    if (!parent.valid() || ::fstatat(parent.get(), leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FsError {} : failure(errno, top_path);
    if (S_ISLNK(st.st_mode))
        return ::unlinkat(parent.get(), leaf.constData(), 0) == 0 ? FsError {} : failure(errno, top_path);
    if (!S_ISDIR(st.st_mode))
        return {};
    return delete_tree_at(parent.get(), leaf, top_path, st.st_dev, st.st_ino);
}

Result<HeldTarget> RealFileSystem::hold_target(const QString& path) const
{
    Result<HeldTarget> r;
    r.value.path = without_final_separator(path);
    QByteArray native;
    if (r.value.path.isEmpty() || !native_path(r.value.path, native)) {
        r.error = bad_name();
        return r;
    }
    auto h = std::make_shared<Held>();
    h->leaf = native.mid(native.lastIndexOf('/') + 1);
    struct stat st { };
    if (!h->leaf.isEmpty()) {
        h->parent = Fd(open_retry(dir_of(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!h->parent.valid() || ::fstatat(h->parent.get(), h->leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            r.error = error_from_errno(errno, r.value.path);
            return r;
        }
        h->is_link = S_ISLNK(st.st_mode);
        h->self = Fd(::openat(h->parent.get(), h->leaf.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    } else {
        h->self = Fd(open_retry("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!h->self.valid() || (h->leaf.isEmpty() && ::fstat(h->self.get(), &st) != 0)) {
        r.error = error_from_errno(errno, r.value.path);
        return r;
    }
    r.value.device = st.st_dev;
    r.value.inode = st.st_ino;
    r.value.handle = std::move(h);
    return r;
}

FsError RealFileSystem::delete_held_tree(const HeldTarget& dir, bool to_trash)
{
    if (!still_held(dir))
        return no_longer_held(dir.path);
    const Held& h = *held_of(dir);
    struct stat st { };
    if (::fstatat(h.parent.get(), h.leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failure(errno, dir.path);
    if (to_trash)
        return from_trash(move_to_trash(h.parent.get(), h.leaf, st), dir.path);
    if (h.is_link)
        return ::unlinkat(h.parent.get(), h.leaf.constData(), 0) == 0 ? FsError {} : failure(errno, dir.path);
    return delete_tree_at(h.parent.get(), h.leaf, dir.path, dir.device, dir.inode);
}

FsError RealFileSystem::make_dir_in(const HeldTarget& dir, const QString& name)
{
    QByteArray leaf;
    if (name.isEmpty() || name.contains(path_separator) || name == u"." || name == u".." || !native_path(name, leaf))
        return bad_name();
    const Held* h = held_of(dir);
    // The root has no parent to hold: its descriptor is the root all the same.
    if (!h || (!h->leaf.isEmpty() && !still_held(dir)))
        return no_longer_held(dir.path);
    const QString shown = with_final_separator(dir.path) + name;
    return ::mkdirat(h->self.get(), leaf.constData(), 0777) == 0 ? FsError {} : error_from_errno(errno, shown);
}

FsError RealFileSystem::rename_held(const HeldTarget& dir, const QString& to)
{
    QByteArray target;
    if (!native_path(without_final_separator(to), target))
        return bad_name();
    const QByteArray to_leaf = target.mid(target.lastIndexOf('/') + 1);
    if (to_leaf.isEmpty() || to_leaf == "." || to_leaf == "..")
        return bad_name();
    if (!still_held(dir))
        return no_longer_held(dir.path);
    const Held& h = *held_of(dir);
    const Fd to_dir(open_retry(dir_of(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!to_dir.valid())
        return error_from_errno(errno, to);
    // Never over an existing entry: a rename that silently replaced a folder would lose it.
    if (::renameat2(h.parent.get(), h.leaf.constData(), to_dir.get(), to_leaf.constData(), RENAME_NOREPLACE) == 0)
        return {};
    int err = errno;
    if (err == EEXIST || err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        struct stat there { };
        const bool exists = ::fstatat(to_dir.get(), to_leaf.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0;
        // On a volume that ignores case, the "existing" destination of a change of case is the
        // directory itself.
        const bool case_change = exists && there.st_dev == dir.device && there.st_ino == dir.inode;
        if (!exists || case_change)
            err = ::renameat(h.parent.get(), h.leaf.constData(), to_dir.get(), to_leaf.constData()) == 0 ? 0 : errno;
        else
            err = EEXIST;
    }
    return err == 0 ? FsError {} : error_from_errno(err, to);
}

FsError RealFileSystem::delete_tree_at(
    int parent, const QByteArray& leaf, const QString& top_path, quint64 device, quint64 inode)
{
    // Everything below is reached from the descriptor of its own directory, so no name met on the
    // way is ever looked up again as a path: a directory swapped for a link after it was listed is
    // opened with O_NOFOLLOW and refused, and then removed as the link it has become.
    Fd cur(::openat(parent, leaf.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat top { };
    if (!cur.valid() || ::fstat(cur.get(), &top) != 0)
        return failure(errno, top_path);
    if (top.st_dev != device || top.st_ino != inode)
        return no_longer_held(top_path);
    if (is_mount_root(cur.get()))
        return refusal(err_permission_denied, QStringLiteral("it is the root of a volume"), top_path);
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
                return refusal(
                    err_permission_denied, QStringLiteral("another volume is mounted there"), shown(depth, e.name));
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
            if (::fstatat(parent, leaf.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0)
                return errno == ENOENT ? FsError {} : failure(errno, top_path);
            if (!same_file(now, top))
                return failure(EXDEV, top_path);
            return ::unlinkat(parent, leaf.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT
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
    if (!native_path(without_final_separator(path), native))
        return bad_name();
    const qsizetype cut = native.lastIndexOf('/');
    const QByteArray leaf = native.mid(cut + 1);
    if (leaf.isEmpty() || leaf == "." || leaf == "..")
        return bad_name();
    const Fd dir(open_retry(dir_of(native).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return error_from_errno(errno, path);
    // The name itself is never followed: a link planted there would have the write land on
    // whatever it points to, and a pipe or a device is no file to replace.
    struct stat st { };
    mode_t mode = new_file_mode();
    if (::fstatat(dir.get(), leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(st.st_mode)) {
            FsError e = make_error(err_path_file_access);
            e.description += S_ISLNK(st.st_mode) ? QStringLiteral(": a link stands there, and it is not followed")
                                                 : QStringLiteral(": something other than a plain file stands there");
            e.path = path;
            return e;
        }
        mode = st.st_mode & 0777;
    } else if (errno != ENOENT) {
        return error_from_errno(errno, path);
    }

    QByteArray temp;
    Fd out;
    for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
        temp = QFile::encodeName(temp_name());
        out = Fd(::openat(dir.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!out.valid() && errno != EEXIST && errno != EINTR)
            return error_from_errno(errno, path);
    }
    if (!out.valid())
        return error_from_errno(EEXIST, path);
    auto fail = [&](const FsError& e) {
        out.close();
        ::unlinkat(dir.get(), temp.constData(), 0);
        return e;
    };
    // Best effort: some volumes (FAT) have no modes to set.
    ::fchmod(out.get(), mode);
    if (const int err = write_bytes(out.get(), data.constData(), size_t(data.size()), 0))
        return fail(error_from_errno(err, path));
    // Volumes without a flush of their own report EINVAL or ENOTSUP; there is nothing more to do.
    if (::fsync(out.get()) != 0 && errno != EINVAL && errno != ENOTSUP && errno != ENOSYS)
        return fail(error_from_errno(errno, path));
    if (out.close() != 0)
        return fail(error_from_errno(errno, path));
    // Whatever stands at the name now is replaced as an entry, never written through.
    if (::renameat(dir.get(), temp.constData(), dir.get(), leaf.constData()) != 0)
        return fail(error_from_errno(errno, path));
    // So that the rename itself survives a power cut; some file systems cannot, which is harmless.
    ::fsync(dir.get());
    return {};
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

qint64 RealFileSystem::trash_bytes(const QString& dir) const
{
    return volume_trash_bytes(dir);
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
        // A volume whose driver reports no size (0 blocks) is still one.
        if (!v.isValid())
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
    // The list above leaves out every volume that reports no size, as some user-space drivers
    // (a FAT stick's) do: theirs are taken from the mount table.
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (mounts.open(QIODevice::ReadOnly)) {
        // "id parent major:minor root mount-point options... - type source super-options"
        for (const QByteArray& line : mounts.readAll().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            const qsizetype dash = f.indexOf("-");
            if (f.size() < 5 || dash < 0 || dash + 1 >= f.size() || !f[dash + 1].startsWith("fuse"))
                continue;
            QByteArray point = f[4]; // with " ", tab, newline and "\\" written as octal escapes
            for (const char* code : { "\\040", "\\011", "\\012", "\\134" })
                point.replace(code, QByteArray(1, char(QByteArray(code + 1).toInt(nullptr, 8))));
            const QString root = QFile::decodeName(point);
            if (dir_exists(root)
                && std::none_of(result.cbegin(), result.cend(), [&](const Volume& x) { return x.root == root; }))
                result.push_back({ root, root });
        }
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
