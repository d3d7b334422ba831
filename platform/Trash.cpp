// The desktop trash: where a deleted file can still be taken back from.
#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

namespace {

// The user's own trash, which the toolkit falls back on when a volume has no trash of its own.
// When it cannot be set up, the toolkit would move the entry into "files" under the working
// directory, where nobody would look for it; so it must be there, private to the user, first.
bool home_trash_ready()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return false;
    const QByteArray trash = QFile::encodeName(data + QStringLiteral("/Trash"));
    const QByteArray dirs[] = { trash, trash + "/files", trash + "/info" };
    for (const QByteArray& dir : dirs) {
        if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        struct stat st { };
        if (::stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
    }
    return true;
}

} // namespace

bool move_to_trash(const QString& path)
{
    if (!QFileInfo(path).isAbsolute() || !home_trash_ready())
        return false;
    QString where;
    if (!QFile::moveToTrash(path, &where))
        return false;
    if (QFileInfo(where).isAbsolute())
        return true;
    // Moved to a place relative to the working directory after all: put it back, never over
    // anything, and let the caller delete it as if there were no trash.
    ::renameat2(AT_FDCWD, QFile::encodeName(where).constData(), AT_FDCWD, QFile::encodeName(path).constData(),
        RENAME_NOREPLACE);
    return false;
}
