#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString program_folder()
{
    return QCoreApplication::applicationDirPath();
}

QString history_file_path()
{
    const QString beside = program_folder() + QStringLiteral("/tmp");
    if ((QFileInfo(beside).isDir() || QDir().mkpath(beside)) && QFileInfo(beside).isWritable())
        return beside + QStringLiteral("/tandrel_his.tmp");
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/tmp/tandrel_his.tmp");
}
