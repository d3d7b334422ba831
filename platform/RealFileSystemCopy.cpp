// Copying a file into a directory by descriptor, and flushing a volume.
#include "platform/Fd.h"
#include "platform/HeldDir.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <vector>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// A chunk of a large copy takes about a tenth of a second, so the window answers between chunks on
// a slow stick as on a fast disk; its size stays within these bounds.
constexpr qint64 min_chunk = qint64(1) << 20;
constexpr qint64 max_chunk = qint64(64) << 20;
constexpr qint64 chunk_target_ns = 100'000'000;
constexpr qint64 buffer_size = qint64(1) << 20; // when the bytes pass through the program
constexpr char temp_prefix[] = ".tandrel-tmp-";

bool to_native(const QString& text, QByteArray& out)
{
    out = QFile::encodeName(text);
    return !out.contains('\0') && QFile::decodeName(out) == text;
}

// A bare name of one directory entry: no separator, not "." or "..".
bool plain_name(const QString& name, QByteArray& out)
{
    return !name.isEmpty() && !name.contains(path_separator) && name != u"." && name != u".." && to_native(name, out);
}

int open_dir_fd(const QByteArray& path)
{
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

FileInfo info_of(const struct stat& st)
{
    FileInfo i;
    i.is_dir = S_ISDIR(st.st_mode);
    i.is_file = S_ISREG(st.st_mode);
    i.length = i.is_file ? qint64(st.st_size) : 0;
    i.mtime = st.st_mtim.tv_sec;
    i.device = st.st_dev;
    i.inode = st.st_ino;
    i.mtime_ns = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    i.ctime_ns = qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    i.mode = st.st_mode & 07777;
    return i;
}

CopyResult failure(const FsError& error, CopyRefusal refusal = CopyRefusal::None, const QString& existing = {})
{
    CopyResult r;
    r.error = error;
    r.refusal = refusal;
    r.existing = existing;
    return r;
}

// Volumes without a flush of their own report one of these; there is nothing more to do there.
bool flush_unsupported(int err)
{
    return err == EINVAL || err == ENOTSUP || err == ENOSYS;
}

// The volumes of sticks, which keep no Unix modes; FAT and exFAT keep dates from 1980 to 2107 only.
enum class VolumeKind { Unix, Fat, Ntfs };

// The kind of the volume whose boot sector is on the device `source`; Unix when it cannot be read.
VolumeKind boot_sector_kind(const QByteArray& source)
{
    const Fd dev(::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    char boot[90] {};
    if (!dev.valid() || ::pread(dev.get(), boot, sizeof boot, 0) != ssize_t(sizeof boot))
        return VolumeKind::Unix;
    if (std::memcmp(boot + 3, "NTFS    ", 8) == 0)
        return VolumeKind::Ntfs;
    if (std::memcmp(boot + 3, "EXFAT   ", 8) == 0 || std::memcmp(boot + 82, "FAT32   ", 8) == 0
        || std::memcmp(boot + 54, "FAT1", 4) == 0)
        return VolumeKind::Fat;
    return VolumeKind::Unix;
}

// The kind of the volume of `fd`: known by the file system's type, or for a user-space driver by
// its name or, when it does not say, by the volume's boot sector.
VolumeKind volume_kind(int fd)
{
    constexpr long msdos_magic = 0x4d44, exfat_magic = 0x2011bab0, ntfs_magic = 0x5346544e, ntfs3_magic = 0x7366746e,
                   fuse_magic = 0x65735546;
    struct statfs vfs { };
    struct stat st { };
    if (::fstatfs(fd, &vfs) != 0 || ::fstat(fd, &st) != 0)
        return VolumeKind::Unix;
    if (vfs.f_type == msdos_magic || vfs.f_type == exfat_magic)
        return VolumeKind::Fat;
    if (vfs.f_type == ntfs_magic || vfs.f_type == ntfs3_magic)
        return VolumeKind::Ntfs;
    if (vfs.f_type != fuse_magic)
        return VolumeKind::Unix;
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (!mounts.open(QIODevice::ReadOnly))
        return VolumeKind::Unix;
    const QByteArray dev = QByteArray::number(major(st.st_dev)) + ':' + QByteArray::number(minor(st.st_dev));
    // "id parent major:minor root mount-point options... - type source super-options"
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        const qsizetype dash = f.indexOf("-");
        if (f.size() < 3 || f[2] != dev || dash < 0 || dash + 2 >= f.size())
            continue;
        const QByteArray type = f[dash + 1].toLower();
        if (type.startsWith("fuse.") && type.contains("fat"))
            return VolumeKind::Fat;
        if (type.startsWith("fuse.") && type.contains("ntfs"))
            return VolumeKind::Ntfs;
        if (type == "fuseblk" || type == "fuse")
            return boot_sector_kind(f[dash + 2]);
    }
    return VolumeKind::Unix;
}

bool fuse_volume(int fd)
{
    struct statfs vfs { };
    return ::fstatfs(fd, &vfs) == 0 && vfs.f_type == 0x65735546;
}

// The mode of a new file from a volume that keeps no modes: the person's default one.
mode_t default_file_mode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    mode_t mask = 022;
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                mask = mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
    return 0666 & ~mask;
}

// Whether a volume with FAT's dates holds `mtime`. FAT keeps local time, so a day either side
// of its range counts as outside it, whatever the time zone.
bool fat_date_holds(qint64 mtime)
{
    constexpr qint64 day = 86400, from_1980 = 315532800, to_2108 = 4354819200;
    return mtime >= from_1980 + day && mtime < to_2108 - day;
}

} // namespace

// The steps of one copy that need the file system's hooks and its cache of names.
struct CopyInto {
    RealFileSystem& fs;
    const QString& shown_dir;
    int dir_fd;

    // Removes the temporary files that programs of ours left in the directory when they were
    // killed: a temporary file is locked while it is written, so a free lock means nobody will
    // ever finish it. Once per directory and run of the program.
    void sweep_left_temps()
    {
        struct stat dir_st { };
        if (::fstat(dir_fd, &dir_st) != 0)
            return;
        const std::pair<quint64, quint64> id { dir_st.st_dev, dir_st.st_ino };
        if (fs.swept_.contains(id))
            return;
        fs.swept_.insert(id);
        std::vector<QByteArray> left;
        {
            const int fd = ::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            DIR* d = fd < 0 ? nullptr : ::fdopendir(fd);
            if (!d) {
                if (fd >= 0)
                    ::close(fd);
                return;
            }
            while (const dirent* e = ::readdir(d))
                if (std::strncmp(e->d_name, temp_prefix, sizeof temp_prefix - 1) == 0)
                    left.emplace_back(e->d_name);
            ::closedir(d);
        }
        for (const QByteArray& name : left) {
            const Fd f(::openat(dir_fd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
            struct stat st {
            }, now {};
            if (!f.valid() || ::fstat(f.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()
                || ::flock(f.get(), LOCK_EX | LOCK_NB) != 0)
                continue;
            // Still the file just locked under that name.
            if (::fstatat(dir_fd, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev
                && now.st_ino == st.st_ino)
                ::unlinkat(dir_fd, name.constData(), 0);
        }
    }

    // Refuses the copy when the destination is not what the options allow. One lookup of the
    // name itself; for a copy that never replaces, the directory's names ignoring case too.
    CopyResult check_destination(const QByteArray& name, const QString& shown_name, const FileInfo& source,
        const CopyOptions& options, FileInfo* seen = nullptr)
    {
        struct stat st { };
        if (!options.replace) {
            if (::fstatat(dir_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                // A volume that ignores case finds a name differing only in case too.
                const QString there = fs.resolve_case(shown_dir, shown_name);
                if (there != shown_name)
                    return failure(make_error(err_file_exists), CopyRefusal::CaseTwin, there);
                return failure(make_error(err_file_exists), CopyRefusal::Exists, shown_name);
            }
            if (errno != ENOENT)
                return failure(error_from_errno(errno, shown_dir + shown_name));
            QString twin;
            if (FsError e = case_twin(shown_name, twin))
                return failure(e);
            if (!twin.isEmpty())
                return failure(make_error(err_file_exists), CopyRefusal::CaseTwin, twin);
            return {};
        }
        if (::fstatat(dir_fd, name.constData(), &st, 0) != 0) {
            if (errno == ENOENT)
                return failure(make_error(err_file_not_found), CopyRefusal::Changed);
            return failure(error_from_errno(errno, shown_dir + shown_name));
        }
        const FileInfo there = info_of(st);
        if (there.device == source.device && there.inode == source.inode)
            return failure(make_error(err_path_file_access), CopyRefusal::SameFile);
        if (!there.is_file || (options.may_replace && !options.may_replace(source, there)))
            return failure(make_error(err_path_file_access), CopyRefusal::Changed);
        if (seen)
            *seen = there;
        return {};
    }

    // Just before a replacing rename: the file there is still the one `seen` when the copy began
    // (same file, length, and dates of change to the nanosecond) and still older than the source.
    // An edit made while the new bytes were written is kept.
    CopyResult still_replaceable(
        const QByteArray& name, const FileInfo& source, const FileInfo& seen, const CopyOptions& options)
    {
        if (fs.before_replace_check_)
            fs.before_replace_check_();
        struct stat st { };
        if (::fstatat(dir_fd, name.constData(), &st, 0) != 0)
            return failure(make_error(err_path_file_access), CopyRefusal::EditedMeanwhile);
        const FileInfo now = info_of(st);
        if (now.device != seen.device || now.inode != seen.inode || now.length != seen.length
            || now.mtime_ns != seen.mtime_ns || now.ctime_ns != seen.ctime_ns || !now.is_file
            || (options.may_replace && !options.may_replace(source, now)))
            return failure(make_error(err_path_file_access), CopyRefusal::EditedMeanwhile);
        return {};
    }

    // The name in the directory that equals `name` ignoring case (but is not `name` itself).
    FsError case_twin(const QString& name, QString& twin)
    {
        struct stat st { };
        if (::fstat(dir_fd, &st) != 0)
            return error_from_errno(errno, shown_dir);
        RealFileSystem::NameCache& c = fs.names_;
        if (c.device != st.st_dev || c.inode != st.st_ino || c.ctime_sec != st.st_ctim.tv_sec
            || c.ctime_nsec != st.st_ctim.tv_nsec) {
            if (FsError e = read_folded(c.folded)) {
                c.ctime_sec = -1; // a names list cut short is no list
                return e;
            }
            remember(st);
        }
        if (!c.folded.contains(fold_name(name)))
            return {};
        // Rare: find the spelling to tell the person.
        twin = fs.resolve_case(shown_dir, name);
        if (twin == name)
            twin = name.toUpper();
        return {};
    }

    FsError read_folded(QSet<QString>& folded)
    {
        folded.clear();
        const int fd = ::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return error_from_errno(errno, shown_dir);
        DIR* d = ::fdopendir(fd);
        if (!d) {
            ::close(fd);
            return error_from_errno(errno, shown_dir);
        }
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(d);
            if (!e)
                break;
            // A name that does not decode exactly still blocks whatever it decodes to.
            folded.insert(fold_name(QFile::decodeName(e->d_name)));
        }
        const int err = errno;
        ::closedir(d);
        return err ? error_from_errno(err, shown_dir) : FsError {};
    }

    void remember(const struct stat& dir_st)
    {
        RealFileSystem::NameCache& c = fs.names_;
        c.device = dir_st.st_dev;
        c.inode = dir_st.st_ino;
        c.ctime_sec = dir_st.st_ctim.tv_sec;
        c.ctime_nsec = dir_st.st_ctim.tv_nsec;
    }

    // After a name of ours went in: the cache stays good when nobody else changed the directory.
    void added(const QString& name)
    {
        struct stat st { };
        RealFileSystem::NameCache& c = fs.names_;
        if (::fstat(dir_fd, &st) != 0 || c.device != st.st_dev || c.inode != st.st_ino) {
            c.ctime_sec = -1;
            return;
        }
        c.folded.insert(fold_name(name));
        remember(st);
    }

    // After a temporary file of ours was made: its name is none a copy looks for, so the cached
    // names stay good, as after added().
    void made_temp()
    {
        struct stat st { };
        const RealFileSystem::NameCache& c = fs.names_;
        if (c.ctime_sec >= 0 && ::fstat(dir_fd, &st) == 0 && c.device == st.st_dev && c.inode == st.st_ino)
            remember(st);
    }

    // After the file went in place under `name`: whether a fresh lookup finds the source's date
    // there. Some drivers stamp the time of the rename on the file; it is given its date once
    // more. A date outside what the volume holds is never held, whatever the lookup says; it is
    // still given, so that the volume keeps its own stand-in for it, not the time of the rename.
    bool placed_date_held(const QByteArray& name, const timespec& mtime)
    {
        const bool holds = volume_kind(dir_fd) != VolumeKind::Fat || fat_date_holds(mtime.tv_sec);
        struct stat st { };
        const auto close_enough = [&] {
            const qint64 shift = qint64(st.st_mtim.tv_sec) - qint64(mtime.tv_sec);
            return shift >= -2 && shift <= 2; // FAT keeps dates to two seconds
        };
        if (::fstatat(dir_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (close_enough())
            return holds;
        const timespec times[2] = { st.st_atim, mtime };
        return ::utimensat(dir_fd, name.constData(), times, AT_SYMLINK_NOFOLLOW) == 0
            && ::fstatat(dir_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && close_enough() && holds;
    }

    // Moves `temp` to `name`: over the file there when replacing, else only where no entry of
    // that name exists, even one that appeared a moment ago.
    CopyResult commit(
        const QByteArray& temp, const QByteArray& name, const QString& shown_name, const CopyOptions& options)
    {
        const QString shown = shown_dir + shown_name;
        if (options.replace) {
            if (const int err = fs.rename_at(dir_fd, temp.constData(), name.constData(), 0))
                return failure(error_from_errno(err, shown));
            return {};
        }
        int err = fs.rename_at(dir_fd, temp.constData(), name.constData(), RENAME_NOREPLACE);
        if (err == 0) {
            added(shown_name);
            return {};
        }
        if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
            // Volumes that cannot rename without replacing: a hard link refuses an existing name
            // just as well; where there are no hard links, look once more and rename.
            if (::linkat(dir_fd, temp.constData(), dir_fd, name.constData(), 0) == 0) {
                ::unlinkat(dir_fd, temp.constData(), 0);
                added(shown_name);
                return {};
            }
            err = errno;
            if (err != EEXIST) {
                struct stat st { };
                if (::fstatat(dir_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                    err = EEXIST;
                else
                    err = fs.rename_at(dir_fd, temp.constData(), name.constData(), 0);
            }
        }
        if (err == 0) {
            added(shown_name);
            return {};
        }
        if (err == EEXIST) {
            const QString there = fs.resolve_case(shown_dir, shown_name);
            return failure(
                make_error(err_file_exists), there != shown_name ? CopyRefusal::CaseTwin : CopyRefusal::Exists, there);
        }
        // The new file is there and whole, yet it cannot take its name: a stick's driver answers
        // a name its volume cannot store (":" on exFAT, a trailing dot on FAT) with one of these.
        struct stat st { };
        if ((err == ENOENT || err == EINVAL || err == EILSEQ || err == EPERM || err == ENAMETOOLONG)
            && ::fstatat(dir_fd, temp.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            return failure(error_from_errno(err == ENAMETOOLONG ? err : EINVAL, shown), CopyRefusal::NameRefused);
        return failure(error_from_errno(err, shown));
    }

    // The bytes of `in` (of length `size`) into `out`, in chunks, with the progress callback
    // between them. Only the parts of a sparse source that hold data are copied: its holes stay
    // holes in the copy, which then takes no more room than the source.
    CopyResult copy_bytes(
        int in, int out, qint64 size, const QString& shown_from, const QString& shown_to, const CopyOptions& options)
    {
        CopyResult r;
        ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
        bool kernel = fs.kernel_copy();
        qint64 chunk = qint64(8) << 20;
        std::vector<char> buffer;
        qint64 done = 0;
        qint64 data_end = -1; // where the data part being copied ends
        while (done < size) {
            if (done >= data_end) {
                const off_t data = ::lseek(in, done, SEEK_DATA);
                const off_t hole = data < 0 ? -1 : ::lseek(in, data, SEEK_HOLE);
                if (data < 0 && errno == ENXIO) {
                    done = size; // nothing but a hole up to the end
                    break;
                }
                if (data < 0 || hole < 0) {
                    data_end = size; // a volume that cannot tell: everything is data
                } else {
                    // A hole is skipped; so is everything beyond the length we copy.
                    done = std::min<qint64>(data, size);
                    data_end = std::min<qint64>(hole, size);
                    if (done >= size)
                        break;
                    if (!kernel && ::lseek(out, done, SEEK_SET) < 0)
                        return failure(error_from_errno(errno, shown_to));
                }
            }
            const qint64 want = std::min({ chunk, size - done, data_end - done });
            const auto started = std::chrono::steady_clock::now();
            qint64 got = 0;
            if (kernel) {
                loff_t in_off = done, out_off = done;
                const ssize_t n = ::copy_file_range(in, &in_off, out, &out_off, size_t(want), 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && r.bytes == 0
                    && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL || errno == EBADF
                        || errno == EPERM)) {
                    kernel = false; // not between these two files: read and write instead
                    if (::lseek(out, done, SEEK_SET) < 0)
                        return failure(error_from_errno(errno, shown_to));
                    continue;
                }
                if (n < 0)
                    return failure(error_from_errno(errno, shown_to));
                got = n;
            } else {
                if (buffer.empty())
                    buffer.resize(size_t(std::min<qint64>(buffer_size, size)));
                const ssize_t n = ::pread(in, buffer.data(), size_t(std::min<qint64>(want, buffer_size)), done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    return failure(error_from_errno(errno, shown_from));
                if (n > 0)
                    if (const int err = fs.write_bytes(out, buffer.data(), size_t(n), done))
                        return failure(error_from_errno(err, shown_to));
                got = n;
            }
            if (got == 0) { // the source shrank under us
                CopyResult shrank = failure(make_error(err_path_file_access));
                shrank.source_changed = true;
                return shrank;
            }
            // Start writing the chunk out now: the flush at the end then has little left to wait
            // for, and a large copy does not pile up unwritten memory.
            if (got >= min_chunk)
                ::sync_file_range(out, done, got, SYNC_FILE_RANGE_WRITE);
            done += got;
            const qint64 took = std::chrono::nanoseconds(std::chrono::steady_clock::now() - started).count();
            if (took < chunk_target_ns / 2 && got == chunk)
                chunk = std::min(chunk * 2, max_chunk);
            else if (took > chunk_target_ns * 2)
                chunk = std::max(chunk / 2, min_chunk);
            r.bytes = done;
            if (options.progress && !options.progress(done)) {
                r.abandoned = true;
                r.error = make_error(err_path_file_access);
                return r;
            }
        }
        // A hole at the end has no bytes to write: the length makes it. Only then, as some stick
        // drivers refuse to set a length at all.
        struct stat written { };
        if ((::fstat(out, &written) != 0 || written.st_size != size) && ::ftruncate(out, size) != 0)
            return failure(error_from_errno(errno, shown_to));
        r.bytes = size;
        return r;
    }
};

std::shared_ptr<const HeldDir> RealFileSystem::hold_dir(const QString& path)
{
    const QString dir_path = with_final_separator(path);
    Fd fd(open_dir_path(dir_path));
    struct stat st { };
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
        return {};
    auto held = std::make_shared<const HeldDir>(dir_path, std::move(fd), st.st_dev, st.st_ino);
    std::erase_if(held_, [](const std::weak_ptr<const HeldDir>& h) { return h.expired(); });
    held_.push_back(held);
    return held;
}

bool RealFileSystem::still_names(const HeldDir& held) const
{
    SysPath at;
    struct stat st { };
    return sys_path(held.path(), at) && ::fstatat(at.at, at.c_str(), &st, 0) == 0 && st.st_dev == held.device()
        && st.st_ino == held.inode();
}

std::shared_ptr<const HeldDir> RealFileSystem::held_path(const QString& dir_path) const
{
    for (const std::weak_ptr<const HeldDir>& h : held_)
        if (std::shared_ptr<const HeldDir> held = h.lock(); held && held->path() == dir_path)
            return held;
    return {};
}

int RealFileSystem::open_dir_for_change(const QString& dir_path, const QByteArray& native) const
{
    if (const std::shared_ptr<const HeldDir> held = held_path(dir_path)) {
        int fd;
        do
            fd = ::openat(held->fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        return fd;
    }
    return open_dir_fd(native);
}

CopyResult RealFileSystem::copy_into(
    const QString& from, const QString& dir, const QString& name, const CopyOptions& options)
{
    const QString dir_path = with_final_separator(dir);
    QByteArray src_path, dir_native, name_native;
    if (!to_native(from, src_path) || !to_native(dir_path, dir_native) || !plain_name(name, name_native))
        return failure(make_error(err_bad_file_name));

    // Non-blocking, so that a pipe standing where a file was expected cannot hang the program. A
    // source in a held directory is opened in it.
    const qsizetype cut = from.lastIndexOf(path_separator);
    const QString from_dir = from.left(cut + 1);
    QByteArray from_dir_native;
    Fd from_dir_fd;
    if (cut >= 0 && to_native(from_dir, from_dir_native) && held_path(from_dir))
        from_dir_fd = Fd(open_dir_for_change(from_dir, from_dir_native));
    const QByteArray from_leaf = QFile::encodeName(from.mid(cut + 1));
    int fd;
    do
        fd = from_dir_fd.valid()
            ? ::openat(from_dir_fd.get(), from_leaf.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)
            : ::open(src_path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failure(error_from_errno(errno, from));
    Fd src(fd);
    struct stat src_st { };
    if (::fstat(src.get(), &src_st) != 0)
        return failure(error_from_errno(errno, from));
    if (!S_ISREG(src_st.st_mode))
        return failure(make_error(err_path_file_access));
    const FileInfo source = info_of(src_st);

    Fd dir_fd(open_dir_for_change(dir_path, dir_native));
    if (!dir_fd.valid())
        return failure(error_from_errno(errno, dir_path));
    CopyInto op { *this, dir_path, dir_fd.get() };
    op.sweep_left_temps();
    // The same file under another name (a hard link, the same directory twice) is never copied
    // onto itself.
    struct stat there { };
    if (::fstatat(dir_fd.get(), name_native.constData(), &there, 0) == 0 && there.st_dev == src_st.st_dev
        && there.st_ino == src_st.st_ino)
        return failure(make_error(err_path_file_access), CopyRefusal::SameFile);
    FileInfo older;
    if (CopyResult r = op.check_destination(name_native, name, source, options, &older); !r.ok())
        return r;

    QByteArray temp;
    Fd out;
    for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
        temp = QFile::encodeName(temp_name());
        const int t = ::openat(
            dir_fd.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (t >= 0) {
            out = Fd(t);
            // Held until the file is renamed or removed: a free lock marks a file left behind.
            ::flock(t, LOCK_EX | LOCK_NB);
        } else if (errno != EEXIST && errno != EINTR)
            return failure(error_from_errno(errno, dir_path + name));
    }
    if (!out.valid())
        return failure(make_error(err_file_exists));
    op.made_temp();
    const QString shown_to = dir_path + name;
    auto fail = [&](CopyResult r) {
        out.close();
        ::unlinkat(dir_fd.get(), temp.constData(), 0);
        return r;
    };

    CopyResult r = op.copy_bytes(src.get(), out.get(), qint64(src_st.st_size), from, shown_to, options);
    if (!r.ok())
        return fail(r);
    // A source that changed while it was read would leave a copy of neither version.
    struct stat after { };
    if (::fstat(src.get(), &after) != 0)
        return fail(failure(error_from_errno(errno, from)));
    if (after.st_size != src_st.st_size || after.st_mtim.tv_sec != src_st.st_mtim.tv_sec
        || after.st_mtim.tv_nsec != src_st.st_mtim.tv_nsec) {
        r = failure(make_error(err_path_file_access));
        r.source_changed = true;
        return fail(r);
    }
    // Best effort: some volumes (FAT) have no modes to set. The modes a volume without any reports
    // (0777 on exFAT) say nothing: the copy of such a file keeps the mode of the file it replaces,
    // and a new one gets the person's default mode.
    mode_t mode = src_st.st_mode & 0777;
    if (volume_kind(src.get()) != VolumeKind::Unix)
        mode = options.replace && older.is_file ? mode_t(older.mode & 0777) : default_file_mode();
    ::fchmod(out.get(), mode);
    if (options.flush && !options.defer && ::fsync(out.get()) != 0 && !flush_unsupported(errno))
        return fail(failure(error_from_errno(errno, shown_to)));
    const timespec times[2] = { src_st.st_atim, src_st.st_mtim };
    if (::futimens(out.get(), times) != 0)
        return fail(failure(error_from_errno(errno, shown_to)));
    struct stat written { };
    if (::fstat(out.get(), &written) != 0)
        return fail(failure(error_from_errno(errno, shown_to)));
    // Its date is checked once it is in place: a rename may change it.
    if (written.st_size != src_st.st_size)
        return fail(failure(make_error(err_device_io)));
    if (out.close() != 0)
        return fail(failure(error_from_errno(errno, shown_to)));

    const qint64 bytes = r.bytes;
    if (options.defer) {
        r.pending = { dir_path, QFile::decodeName(temp), name, options.replace, source, older };
        return r;
    }
    if (options.replace)
        if (CopyResult changed = op.still_replaceable(name_native, source, older, options); !changed.ok())
            return fail(changed);
    r = op.commit(temp, name_native, name, options);
    if (!r.ok()) {
        ::unlinkat(dir_fd.get(), temp.constData(), 0);
        return r;
    }
    r.date_not_held = !op.placed_date_held(name_native, src_st.st_mtim);
    // So that the new name itself survives a power cut.
    if (options.flush)
        if (const int err = flush_at(dir_fd.get(), false))
            return failure(error_from_errno(err, shown_to));
    r.bytes = bytes;
    return r;
}

CopyResult RealFileSystem::place_file(const QString& dir, const QString& temp_name, const QString& name,
    const FileInfo& source, const CopyOptions& options)
{
    const QString dir_path = with_final_separator(dir);
    QByteArray dir_native, temp_native, name_native;
    if (!to_native(dir_path, dir_native) || !plain_name(temp_name, temp_native) || !plain_name(name, name_native))
        return failure(make_error(err_bad_file_name));
    Fd dir_fd(open_dir_for_change(dir_path, dir_native));
    if (!dir_fd.valid())
        return failure(error_from_errno(errno, dir_path));
    CopyInto op { *this, dir_path, dir_fd.get() };
    struct stat st { };
    if (::fstatat(dir_fd.get(), temp_native.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return failure(error_from_errno(errno, dir_path + temp_name));
    if (!S_ISREG(st.st_mode))
        return failure(make_error(err_path_file_access));
    if (options.flush) {
        // The outside copy did not flush what it wrote.
        Fd written(::openat(dir_fd.get(), temp_native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!written.valid() || (::fsync(written.get()) != 0 && !flush_unsupported(errno))) {
            const int err = errno;
            ::unlinkat(dir_fd.get(), temp_native.constData(), 0);
            return failure(error_from_errno(err, dir_path + name));
        }
    }
    CopyResult r = op.check_destination(name_native, name, source, options);
    if (r.ok())
        r = op.commit(temp_native, name_native, name, options);
    if (!r.ok()) {
        ::unlinkat(dir_fd.get(), temp_native.constData(), 0);
        return r;
    }
    r.date_not_held = !op.placed_date_held(
        name_native, { time_t(source.mtime_ns / 1'000'000'000), long(source.mtime_ns % 1'000'000'000) });
    if (options.flush)
        flush_at(dir_fd.get(), false);
    r.bytes = st.st_size;
    return r;
}

CopyResult RealFileSystem::commit_copy(const PendingCopy& copy, const CopyOptions& options)
{
    QByteArray dir_native, temp_native, name_native;
    if (!to_native(copy.dir, dir_native) || !plain_name(copy.temp, temp_native) || !plain_name(copy.name, name_native))
        return failure(make_error(err_bad_file_name));
    Fd dir_fd(open_dir_for_change(copy.dir, dir_native));
    if (!dir_fd.valid())
        return failure(error_from_errno(errno, copy.dir));
    CopyInto op { *this, copy.dir, dir_fd.get() };
    // The flush of the volume (syncfs) does not reach the device behind a user-space driver: there
    // each file is flushed on its own before it goes in place.
    if (user_space_volume(dir_fd.get())) {
        const Fd written(::openat(dir_fd.get(), temp_native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (const int err = written.valid() ? flush_file(written.get()) : errno) {
            ::unlinkat(dir_fd.get(), temp_native.constData(), 0);
            return failure(error_from_errno(err, copy.dir + copy.name));
        }
    }
    CopyOptions o = options;
    o.replace = copy.replace;
    CopyResult r = copy.replace ? op.still_replaceable(name_native, copy.source, copy.older, o)
                                : op.check_destination(name_native, copy.name, copy.source, o);
    if (r.ok())
        r = op.commit(temp_native, name_native, copy.name, o);
    if (!r.ok()) {
        ::unlinkat(dir_fd.get(), temp_native.constData(), 0);
        return r;
    }
    r.date_not_held = !op.placed_date_held(
        name_native, { time_t(copy.source.mtime_ns / 1'000'000'000), long(copy.source.mtime_ns % 1'000'000'000) });
    r.bytes = copy.source.length;
    return r;
}

void RealFileSystem::discard_copy(const PendingCopy& copy)
{
    QByteArray dir_native, temp_native;
    if (!to_native(copy.dir, dir_native) || !plain_name(copy.temp, temp_native))
        return;
    const Fd dir_fd(open_dir_for_change(copy.dir, dir_native));
    if (dir_fd.valid())
        ::unlinkat(dir_fd.get(), temp_native.constData(), 0);
}

FsError RealFileSystem::sync_dir(const QString& dir)
{
    QByteArray native;
    if (!to_native(with_final_separator(dir), native))
        return make_error(err_bad_file_name);
    const Fd fd(open_dir_for_change(with_final_separator(dir), native));
    if (!fd.valid())
        return error_from_errno(errno, with_final_separator(dir));
    const int err = flush_at(fd.get(), false);
    return err ? error_from_errno(err, with_final_separator(dir)) : FsError {};
}

bool RealFileSystem::keeps_fat_dates(const QString& dir) const
{
    const Fd fd(open_dir_path(with_final_separator(dir)));
    return fd.valid() && volume_kind(fd.get()) == VolumeKind::Fat;
}

int RealFileSystem::flush_file(int fd)
{
    return ::fsync(fd) == 0 || flush_unsupported(errno) ? 0 : errno;
}

bool RealFileSystem::user_space_volume(int dir_fd) const
{
    return fuse_volume(dir_fd);
}

int RealFileSystem::flush_at(int dir_fd, bool whole_volume)
{
    if ((whole_volume ? ::syncfs(dir_fd) : ::fsync(dir_fd)) == 0 || flush_unsupported(errno))
        return 0;
    return errno;
}

QString RealFileSystem::temp_name() const
{
    return QString::fromLatin1(temp_prefix)
        + QString::number(QRandomGenerator::global()->generate64(), 36).rightJustified(13, u'0');
}

int RealFileSystem::rename_at(int dir_fd, const char* from, const char* to, unsigned flags)
{
    return ::renameat2(dir_fd, from, dir_fd, to, flags) == 0 ? 0 : errno;
}

FsError RealFileSystem::sync_volume(const QString& dir)
{
    QByteArray native;
    if (!to_native(with_final_separator(dir), native))
        return make_error(err_bad_file_name);
    Fd fd(open_dir_fd(native));
    if (!fd.valid())
        return error_from_errno(errno, with_final_separator(dir));
    const int err = flush_at(fd.get(), true);
    return err ? error_from_errno(err, with_final_separator(dir)) : FsError {};
}
