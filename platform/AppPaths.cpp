#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

QString program_folder()
{
    return QCoreApplication::applicationDirPath();
}

bool installed_program(const QString& folder)
{
    const QFileInfo bin(folder);
    return bin.fileName() == QStringLiteral("bin")
        && QFileInfo(bin.absolutePath() + QStringLiteral("/share/tandrel/installed")).isFile();
}

QString user_data_folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString trace_folder(const QString& folder)
{
    return installed_program(folder) ? user_data_folder() : folder;
}

QString history_file_path(const QString& folder)
{
    if (installed_program(folder))
        return history_fallback_path();
    // The folder is made by the first save, not here.
    const QFileInfo beside(folder + QStringLiteral("/tmp"));
    const bool usable = beside.isDir() ? beside.isWritable() : QFileInfo(folder).isWritable();
    if (usable)
        return beside.filePath() + QStringLiteral("/tandrel_his.tmp");
    return history_fallback_path();
}

QString history_fallback_path()
{
    return user_data_folder() + QStringLiteral("/tmp/tandrel_his.tmp");
}
