// Opening things with the user's own programs: files, folders, web addresses and web searches.
#include "transfer/OpenRun.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/Trace.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <QUrl>

namespace {

// A text dropped or typed may hold several lines; only the first counts. Both line ends are
// recognised, since texts here usually end their lines with LF alone.
QString first_line(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' || text.at(i) == u'\n')
            return text.left(i);
    }
    return text;
}

const QString www = QStringLiteral("www.");

} // namespace

bool Is_url(const QString& text)
{
    static const QStringList prefixes
        = { QStringLiteral("https://"), QStringLiteral("ftp://"), QStringLiteral("http://"), www };
    const QString line = first_line(text);
    for (const QString& prefix : prefixes) {
        if (line.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool Open_url(Shell& shell, const QString& text)
{
    const QString url = first_line(text);
    if (!Is_url(url))
        return false;
    // A browser needs a scheme: "www.x" alone would be taken for a file name.
    shell.open_url(url.startsWith(www, Qt::CaseInsensitive) ? QStringLiteral("https://") + url : url);
    return true;
}

QString web_search_url(const QString& text)
{
    return QStringLiteral("https://duckduckgo.com/?q=") + QString::fromLatin1(QUrl::toPercentEncoding(text))
        + QStringLiteral("&ia=web");
}

void Shell_open(const FileSystem& fs, Trace* trace, Shell& shell, const QString& text)
{
    const QString target = first_line(text);
    if (Path_exist(fs, trace, target)) {
        // A pattern names no one file to open.
        if (!target.contains(u'*'))
            shell.open_path(target);
        return;
    }
    if (!Open_url(shell, target))
        Open_url(shell, web_search_url(target));
}

namespace {

QString file_details(const FileSystem& fs, const QString& path)
{
    const Result<FileInfo> info = fs.info(path);
    if (!info.ok())
        return {};
    const QDateTime when = QDateTime::fromSecsSinceEpoch(info.value.mtime);
    return QStringLiteral("   date = ") + QLocale::system().toString(when, QStringLiteral("dd/MMM/yyyy hh:mm.ss"))
        + QStringLiteral("    length = ") + QString::number(info.value.length);
}

// A list entry names one file exactly: its whole name is opened, whatever characters it holds (a
// line feed, "*"), and nothing is opened when it is not there.
void open_entry(const FileSystem& fs, Trace* trace, Shell& shell, const QString& path, QStringList& details)
{
    const Result<bool> there = fs.exists(path);
    if (!there.ok() && trace)
        trace->write_trace(QStringLiteral("open_list_entry - err = ") + QString::number(there.error.number) + u' '
            + there.error.description + QStringLiteral(" - ") + path);
    if (!there.ok() || !there.value)
        return;
    shell.open_path(path);
    details << file_details(fs, path);
}

} // namespace

QString open_list_entry(const FileSystem& fs, Trace* trace, Shell& shell, int list, const QString& name,
    const DirPath& dir1, const DirPath& dir2, const std::function<void(int)>& wait_seconds)
{
    if (list < 1 || list > 5 || name.isEmpty())
        return {};
    // Entries of lists 3 to 5 are spelled as in dir 1; the dir 2 copy may differ in case.
    const QString first = (list == 2 ? dir2 : dir1).file(name);
    const QString second = list == 3 || list == 4 ? dir2.file(fs.resolve_case(dir2.path(), name)) : QString();
    QStringList details;
    open_entry(fs, trace, shell, first, details);
    if (wait_seconds)
        wait_seconds(2);
    if (!second.isEmpty())
        open_entry(fs, trace, shell, second, details);
    if (!second.isEmpty() && details.size() == 2)
        return QStringLiteral("in path 1: ") + details[0] + u'\n' + QStringLiteral("in path 2: ") + details[1];
    return details.value(0);
}
