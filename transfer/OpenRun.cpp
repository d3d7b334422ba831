// Opening things with the user's own programs: web addresses in the browser.
#include "transfer/OpenRun.h"

#include "platform/Shell.h"

#include <QStringList>

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

}  // namespace

bool Is_url(const QString& text)
{
    static const QStringList prefixes = {QStringLiteral("https://"), QStringLiteral("ftp://"),
                                         QStringLiteral("http://"), www};
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
