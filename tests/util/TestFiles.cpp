#include "tests/util/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

bool make_file(const QString& path, const QByteArray& content, qint64 mtime)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return false;
    f.close(); // the time is set after the last write, or the write would change it again
    if (mtime == 0)
        return true;
    return f.open(QIODevice::ReadWrite)
        && f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime);
}

bool make_tree(const QString& base, const QStringList& dirs, const QStringList& files)
{
    for (const QString& d : dirs) {
        if (!QDir().mkpath(base + u'/' + d))
            return false;
    }
    for (const QString& f : files) {
        if (!make_file(base + u'/' + f))
            return false;
    }
    return true;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

Fd make_deep_dirs(const QString& base, int levels, QString* path)
{
    Fd dir(::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY));
    for (int level = 0; dir.valid() && level < levels; ++level) {
        const QByteArray name(200, char('a' + level % 26));
        if (::mkdirat(dir.get(), name.constData(), 0755) != 0)
            return Fd();
        dir = Fd(::openat(dir.get(), name.constData(), O_RDONLY | O_DIRECTORY));
        if (path)
            *path += u'/' + QString::fromLatin1(name);
    }
    return dir;
}
