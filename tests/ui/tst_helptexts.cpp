// The Help menu's texts: the version history and the version read from it, the command-line help.
#include "ui/HelpTexts.h"
#include "ui/MsgBoxWindow.h"

#include "tests/util/ScriptedPort.h"

#include <QRegularExpression>
#include <QtTest>

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void history_entries_are_numbered_newest_first();
    void version_string_follows_the_locale();
    void command_line_help_is_shell_ready();
};

void TestHelpTexts::history_entries_are_numbered_newest_first()
{
    // The version string is read from the first entry: the numbers and dates must descend.
    const QStringList entries = version_history_entries();
    QCOMPARE(entries.size(), 22);
    const QRegularExpression form(
        QStringLiteral("^(\\d\\d)\\^(\\d\\d)(\\d\\d)(\\d\\d)\\.(\\d{1,2})\\) [FIN]: \\S.*[.]$"));
    std::tuple<QDate, int> previous { QDate(9999, 1, 1), 0 };
    for (int i = 0; i < entries.size(); ++i) {
        const QRegularExpressionMatch m = form.match(entries[i]);
        QVERIFY2(m.hasMatch(), qPrintable(entries[i]));
        QCOMPARE(m.captured(1).toInt(), 21 - i);
        const std::tuple<QDate, int> now {
            QDate(2000 + m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()), m.captured(5).toInt()
        };
        QVERIFY2(std::get<0>(now).isValid() && std::get<1>(now) >= 1 && now < previous, qPrintable(entries[i]));
        previous = now;
    }

    show_version_history();
    MsgBoxWindow* window = MsgBoxWindow::current();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Tandrel - Version history"));
    QVERIFY(window->box_text().startsWith(QStringLiteral("TANDREL VERSION HISTORY \r\n\r\nCurrent version is 1.21 (")));
    QVERIFY(window->box_text().endsWith(version_1_0_line() + QStringLiteral("\r\n\r\n[end of version history]")));
    window->close();
}

void TestHelpTexts::version_string_follows_the_locale()
{
    QCOMPARE(version_string(QLocale::c()), QStringLiteral("1.21 (19 Sep 2008)"));
    QCOMPARE(version_string(QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("1.21 (19/Sep/2008)"));
    // The German abbreviation ends in the separator itself: it is not doubled.
    QCOMPARE(version_string(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("1.21 (19.Sept.2008)"));
    QCOMPARE(date_separator(QLocale(QLocale::Japanese, QLocale::Japan)), QStringLiteral("/"));
}

void TestHelpTexts::command_line_help_is_shell_ready()
{
    ScriptedPort port;
    show_command_line_help(port);
    QCOMPARE(port.shown.size(), 1);
    // The format and example lines can be pasted into a shell: the separators are quoted, the
    // lines themselves are not.
    const QStringList lines = port.shown[0].text.split(u'\n');
    QCOMPARE(lines.size(), 17);
    const QString indent(14, u' ');
    QCOMPARE(lines[1], indent + QStringLiteral("tandrel dir1spec '|' dir2spec "));
    QCOMPARE(lines[5], indent + QStringLiteral("tandrel /home/me/work '|' /media/usb/work)."));
    QCOMPARE(lines[9], indent + QStringLiteral("tandrel dir1spec '\u00a7' dir2spec "));
    QCOMPARE(lines[13], indent + QStringLiteral("tandrel /home/me/work '\u00a7' /media/usb/work)."));
}

QTEST_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
