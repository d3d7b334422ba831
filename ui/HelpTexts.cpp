// The texts of the Help menu (version history, about box, command-line help, the maker's web
// site) and the commands that show them.
#include "ui/HelpTexts.h"

#include "platform/UserPort.h"
#include "transfer/OpenRun.h"
#include "ui/MsgBoxWindow.h"

#include <QDate>

namespace {

const QString crlf = QStringLiteral("\r\n");

} // namespace

QString web_site_address()
{
    return QStringLiteral("www.tandrel.example");
}

const QStringList& version_history_entries()
{
    // Entry 21 must stay the newest: the version string is read from it.
    static const QStringList entries = {
        QStringLiteral("21^080919.1) F: Layout with very large screen had slight overlapping of graphic elements."),
        QStringLiteral("20^080801.1) I: On wide screens the directory panes stop growing and the five lists take the "
                       "extra width."),
        QStringLiteral("19^080616.1) F: Main window placed in wrong position."),
        QStringLiteral("18^080312.1) I: Version history shown in its own resizable window, where it can be copied."),
        QStringLiteral("17^070925.1) F: Tree scanning could ignore folders used as webs by Frontpage 2003."),
        QStringLiteral(
            "16^070410.1) N: Directories holding the file \"_no_mirror.flg\" are left out of tree comparisons."),
        QStringLiteral(
            "15^061120.1) N: History of the last 30 compared pairs of directories, the newest reopened at start-up."),
        QStringLiteral("14^060705.1) I: Tree walk stops at each pair of directories with differences until \"next "
                       "subdir\" is pressed."),
        QStringLiteral("13^060214.1) N: Branches missing in tree 2 can be created during the tree scan."),
        QStringLiteral(
            "12^051101.10) F: On error due to access denied, do not display error message if error recovered."),
        QStringLiteral("11^051101.9) I: Dates and lengths of a file shown when the mouse rests on its name."),
        QStringLiteral("10^051101.8) N: Dropping a file name on the delete target deletes the file."),
        QStringLiteral("09^051101.7) N: Dropping a file name on the open/run target opens the file with its program."),
        QStringLiteral("08^051101.6) I: Cancel button stops the alignment of a list after the current file."),
        QStringLiteral(
            "07^051101.5) F: Equal dates with different lengths make the larger file the newer one, with a warning."),
        QStringLiteral("06^051101.4) N: Selected files can be deleted after a confirmation."),
        QStringLiteral(
            "05^051101.3) N: Command line with \"\u00a7\" between the directories starts a tree comparison."),
        QStringLiteral("04^051101.2) I: Option to ignore 1-hour differences."),
        QStringLiteral("03^050620.1) N: Drag and drop of file names between the lists copies or moves single files."),
        QStringLiteral(
            "02^050101.3) I: Max nr of folders and files per folder now=3000 and introduced check on limit reached."),
        QStringLiteral("01^050101.2) F: Dates that differ by up to two seconds count as equal."),
        QStringLiteral(
            "00^050101.1) N: First release: two directories compared and their files sorted into five lists."),
    };
    return entries;
}

QString version_1_0_line()
{
    return QStringLiteral("------------------------- VERSION 1.0 -----------------------------");
}

QString date_separator(const QLocale& locale)
{
    // The first run of characters between two fields of the short date format ("d MMM yyyy",
    // "dd.MM.yy", "M/d/yy"); quoted literals are not separators.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    qsizetype i = 0;
    while (i < format.size() && format.at(i).isLetter())
        ++i;
    QString separator;
    while (i < format.size() && !format.at(i).isLetter() && format.at(i) != u'\'')
        separator += format.at(i++);
    if (separator.isEmpty())
        return QStringLiteral("/");
    const QString trimmed = separator.trimmed();
    return trimmed.isEmpty() ? QStringLiteral(" ") : trimmed;
}

namespace {

QString history_text()
{
    QString text;
    for (const QString& entry : version_history_entries())
        text += crlf + entry;
    text += crlf + version_1_0_line();
    text += crlf + crlf + QStringLiteral("[end of version history]");
    return text;
}

QString version_from(const QString& history, const QLocale& locale)
{
    const qsizetype p = history.indexOf(u'^');
    const QString number = QStringLiteral("1.") + history.mid(p - 2, 2);
    const QDate date(
        2000 + history.mid(p + 1, 2).toInt(), history.mid(p + 3, 2).toInt(), history.mid(p + 5, 2).toInt());
    const QString separator = date_separator(locale);
    QString month = locale.monthName(date.month(), QLocale::ShortFormat);
    // Some languages end the abbreviation with the separator itself ("Sept." and "."): one is enough.
    if (month.endsWith(separator) && month.size() > separator.size())
        month.chop(separator.size());
    const QString day = QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
    const QString year = QString::number(date.year());
    return number + QStringLiteral(" (") + day + separator + month + separator + year + QStringLiteral(")");
}

} // namespace

QString version_history_text(bool current_only, const QLocale& locale)
{
    const QString history = history_text();
    return current_only ? version_from(history, locale) : history;
}

QString version_history_text(bool current_only)
{
    return version_history_text(current_only, QLocale::system());
}

QString version_string(const QLocale& locale)
{
    return version_history_text(true, locale);
}

QString version_string()
{
    return version_string(QLocale::system());
}

QString version_history_window_text(const QLocale& locale)
{
    // The history text begins with CR LF, which ends the line of dashes.
    return QStringLiteral("TANDREL VERSION HISTORY ") + crlf + crlf + QStringLiteral("Current version is ")
        + version_string(locale) + crlf + crlf
        + QStringLiteral("It includes the following changes (F = bug fixed, I = improvement, N = new function)") + crlf
        + QString(84, u'-') + version_history_text(false, locale);
}

QString version_history_caption()
{
    return app_title() + QStringLiteral(" - Version history");
}

QString about_title()
{
    return QStringLiteral("About ") + app_title();
}

QString about_text(const QLocale& locale)
{
    return QStringLiteral("Tandrel version ") + version_string(locale) + crlf + crlf + QStringLiteral("Check web site ")
        + web_site_address() + QStringLiteral(" and see if updates of this program are available.") + crlf;
}

QString command_line_help_text()
{
    const QString where
        = QStringLiteral("where dir1spec and dir2spec (optional parameters) are the complete path names\n"
                         "of the two directories, separated by one space and including drive specifier.\n");
    // "|" and "§" are quoted as a shell needs them, so the lines themselves are not quoted.
    return QStringLiteral("Format of optional command line for single directory comparison: \n"
                          "              tandrel dir1spec '|' dir2spec \n")
        + where
        + QStringLiteral("Example:\n"
                         "              tandrel /home/me/work '|' /media/usb/work).\n\n\n"
                         "Format of optional command line for directory tree comparison: \n"
                         "              tandrel dir1spec '\u00a7' dir2spec \n")
        + where
        + QStringLiteral("  Example:\n"
                         "              tandrel /home/me/work '\u00a7' /media/usb/work).\n\n\n");
}

void show_version_history()
{
    show_box(version_history_window_text(), version_history_caption());
}

void show_about(UserPort& port)
{
    port.message_box(about_text(), MsgButtons::Ok, MsgIcon::None, Answer::Ok, about_title());
}

void show_command_line_help(UserPort& port)
{
    port.message_box(command_line_help_text(), MsgButtons::Ok, MsgIcon::None, Answer::Ok, app_title());
}

void open_web_site(Shell& shell)
{
    Open_url(shell, web_site_address());
}
