// The Help menu's texts and commands: version history and string, about box, command-line help.
#include "ui/HelpTexts.h"
#include "ui/MsgBoxWindow.h"

#include "tests/util/ScriptedPort.h"

#include <QRegularExpression>
#include <QtTest>

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void history_entries_text_and_window();
    void version_string_follows_the_locale();
    void about_and_command_line_help();
};

void TestHelpTexts::history_entries_text_and_window()
{
    const QStringList entries = version_history_entries();
    QCOMPARE(entries.size(), 22);
    const QRegularExpression form(QStringLiteral("^(\\d\\d)\\^(\\d\\d)(\\d\\d)(\\d\\d)\\.(\\d{1,2})\\) [FIN]: \\S.*[.]$"));
    std::tuple<QDate, int> previous{QDate(9999, 1, 1), 0};
    for (int i = 0; i < entries.size(); ++i) {
        const QRegularExpressionMatch m = form.match(entries[i]);
        QVERIFY2(m.hasMatch(), qPrintable(entries[i]));
        QCOMPARE(m.captured(1).toInt(), 21 - i);
        // Newest first: the release date, and the build within a day, strictly descending.
        const std::tuple<QDate, int> now{QDate(2000 + m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()),
                                         m.captured(5).toInt()};
        QVERIFY2(std::get<0>(now).isValid() && std::get<1>(now) >= 1 && now < previous, qPrintable(entries[i]));
        previous = now;
    }
    QCOMPARE(entries[0], QStringLiteral("21^080919.1) F: Layout with very large screen had slight overlapping of graphic elements."));

    QCOMPARE(version_history_text(false, QLocale::c()),
             QStringLiteral("\r\n") + entries.join(QStringLiteral("\r\n"))
                 + QStringLiteral("\r\n------------------------- VERSION 1.0 -----------------------------"
                                  "\r\n\r\n[end of version history]"));
    const QStringList lines = version_history_window_text(QLocale::c()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.mid(0, 7), (QStringList{QStringLiteral("TANDREL VERSION HISTORY "), QString(),
                                           QStringLiteral("Current version is 1.21 (19 Sep 2008)"), QString(),
                                           QStringLiteral("It includes the following changes (F = bug fixed, I = improvement, N = new function)"),
                                           QString(84, u'-'), entries[0]}));

    show_version_history();
    MsgBoxWindow* window = MsgBoxWindow::current();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Tandrel - Version history"));
    QVERIFY(window->box_text().endsWith(QStringLiteral("[end of version history]")));
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

void TestHelpTexts::about_and_command_line_help()
{
    ScriptedPort port;
    show_about(port);
    show_command_line_help(port);
    QCOMPARE(port.shown.size(), 2);
    QCOMPARE(port.shown[0].title, QStringLiteral("About Tandrel"));
    QCOMPARE(port.shown[0].text, QStringLiteral("Tandrel version ") + version_string() + QStringLiteral(
                                     "\r\n\r\nCheck web site www.tandrel.example and see if updates of this program are available.\r\n"));
    QCOMPARE(port.shown[1].title, QStringLiteral("Tandrel"));
    for (const auto& box : port.shown)
        QVERIFY(box.buttons == MsgButtons::Ok && box.icon == MsgIcon::None);

    // The separators are quoted as a shell needs them; both forms explain the two paths.
    const QStringList lines = port.shown[1].text.split(u'\n');
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines[1], QStringLiteral("              'tandrel dir1spec '|' dir2spec' "));
    QCOMPARE(lines[5], QStringLiteral("              'tandrel /home/me/work '|' /media/usb/work')."));
    QCOMPARE(lines[9], QStringLiteral("              'tandrel dir1spec '\u00a7' dir2spec' "));
    QCOMPARE(lines[13], QStringLiteral("              'tandrel /home/me/work '\u00a7' /media/usb/work')."));
    QCOMPARE(lines.mid(2, 2), lines.mid(10, 2));
}

QTEST_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
