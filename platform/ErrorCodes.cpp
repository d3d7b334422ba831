#include "platform/ErrorCodes.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

QString error_description(int number)
{
    switch (number) {
    case err_none:
        return {};
    case err_bad_file_name:
        return QStringLiteral("Bad file name or number");
    case err_file_not_found:
        return QStringLiteral("File not found");
    case err_device_io:
        return QStringLiteral("Device I/O error");
    case err_file_exists:
        return QStringLiteral("File already exists");
    case err_disk_full:
        return QStringLiteral("Disk full");
    case err_device_unavailable:
        return QStringLiteral("Device unavailable");
    case err_permission_denied:
        return QStringLiteral("Permission denied");
    case err_disk_not_ready:
        return QStringLiteral("Disk not ready");
    case err_path_file_access:
        return QStringLiteral("Path/File access error");
    case err_path_not_found:
        return QStringLiteral("Path not found");
    }
    return QStringLiteral("Application-defined or object-defined error");
}

FsError make_error(int number)
{
    return FsError { number, error_description(number) };
}

// Whether ENOENT for `path` means only its last component is missing (53) rather than a directory
// on the way to it (76). A path ending in "/" names a directory, so its own absence is a path error.
static bool parent_exists(const QString& path)
{
    if (path.isEmpty())
        return true;
    if (path.size() > 1 && path.endsWith(u'/'))
        return false;
    const qsizetype cut = path.lastIndexOf(u'/');
    if (cut < 0)
        return true;
    const QByteArray parent = QFile::encodeName(cut == 0 ? QStringLiteral("/") : path.left(cut));
    struct stat st { };
    return ::stat(parent.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

static FsError mapped_error(int errnum, const QString& path);

FsError error_from_errno(int errnum, const QString& path)
{
    FsError e = mapped_error(errnum, path);
    if (e.failed())
        e.os_error = errnum;
    // Which volume went away is where it was met.
    if (e.number == err_disk_not_ready)
        e.path = path;
    return e;
}

static FsError mapped_error(int errnum, const QString& path)
{
    switch (errnum) {
    case 0:
        return {};
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return make_error(err_bad_file_name);
    case ENOENT:
        return make_error(parent_exists(path) ? err_file_not_found : err_path_not_found);
    case ENOTDIR:
        return make_error(err_path_not_found);
    case EIO:
        return make_error(err_device_io);
    case EEXIST:
        return make_error(err_file_exists);
    case ENOSPC:
    case EDQUOT:
        return make_error(err_disk_full);
    case ENXIO:
    case ENODEV:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return make_error(err_device_unavailable);
    // A volume that went away under the program: an unplugged disk behind a user-space driver, a
    // network share whose server is gone.
    case ENOTCONN:
    case ESTALE:
    case ESHUTDOWN:
    case EHOSTDOWN:
        return make_error(err_disk_not_ready);
    case EACCES:
    case EPERM:
    case ETXTBSY:
    case EBUSY:
        return make_error(err_permission_denied);
    default:
        return make_error(err_path_file_access);
    }
}

QString report_error_text(const FsError& error)
{
    QString text = QStringLiteral("Error ") + QString::number(error.number) + QStringLiteral(" - ") + error.description;
    if (!error.path.isEmpty())
        text += QStringLiteral(" (") + error.path + u')';
    return text;
}
