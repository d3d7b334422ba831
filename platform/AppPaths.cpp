#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

QString program_folder()
{
    return QCoreApplication::applicationDirPath();
}

QString history_file_path()
{
    // The folder is made by the first save, not here.
    const QFileInfo beside(program_folder() + QStringLiteral("/tmp"));
    const bool usable = beside.isDir() ? beside.isWritable() : QFileInfo(program_folder()).isWritable();
    if (usable)
        return beside.filePath() + QStringLiteral("/tandrel_his.tmp");
    return history_fallback_path();
}

QString history_fallback_path()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
        + QStringLiteral("/tmp/tandrel_his.tmp");
}
