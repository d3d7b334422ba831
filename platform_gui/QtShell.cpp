// The Shell of the real desktop: the user's default programs, detached processes and the beep.
#include "platform_gui/QtShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool QtShell::open_url(const QString& url)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    return parsed.isValid() && QDesktopServices::openUrl(parsed);
}

bool QtShell::open_path(const QString& path)
{
    return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtShell::start_detached(const QString& program, const QStringList& arguments)
{
    // An argument list, never a command line: no shell sees the names.
    return QProcess::startDetached(program, arguments);
}

void QtShell::beep()
{
    QApplication::beep();
}
