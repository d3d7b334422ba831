#include "tree/TreeLog.h"

#include "platform/DirPath.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/UserPort.h"

QByteArray tree_log_content(const QString& report, const QDateTime& now, const QLocale& locale)
{
    const QString heading = QStringLiteral("tandrel.LOG ") + locale.toString(now.date(), QLocale::ShortFormat) + u' '
        + locale.toString(now.time(), QLocale::ShortFormat);
    return (heading + QStringLiteral("\r\n") + report + QStringLiteral("\r\n")).toUtf8();
}

QString show_text_in_notepad(
    FileSystem& fs, Shell& shell, UserPort& port, const QString& report, const QDateTime& now, const QLocale& locale)
{
    const QString path = DirPath(fs.current_dir()).file(tree_log_name);
    // Never through a link or into anything but a plain file standing at that name: a link planted
    // in an unpacked folder would have the report replace the file it points to.
    if (FsError e = fs.write_file(path, tree_log_content(report, now, locale))) {
        e.path.clear(); // the message names the file already
        port.message(QStringLiteral("The list could not be saved in ") + path + QStringLiteral(": ")
                + report_error_text(e) + QStringLiteral("."),
            MsgIcon::Exclamation);
        return {};
    }
    for (int i = 0; i < 3; ++i)
        shell.beep();
    if (!shell.open_path(path))
        port.message(QStringLiteral("The list was saved in ") + path
                + QStringLiteral(", but no program could be started to show it."),
            MsgIcon::Exclamation);
    return path;
}
