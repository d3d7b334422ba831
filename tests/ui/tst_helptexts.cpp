// The Help menu's texts and commands: version history and string, about box, command-line help.
#include "ui/HelpTexts.h"
#include "ui/MsgBoxWindow.h"

#include "tests/util/ScriptedPort.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void history_entries_are_well_formed();
    void version_string_follows_the_locale();
    void history_text_and_window();
    void about_and_command_line_help();
};

void TestHelpTexts::history_entries_are_well_formed()
{
    const QStringList entries = version_history_entries();
    QCOMPARE(entries.size(), 22);
    const QRegularExpression form(QStringLiteral("^(\\d\\d)\\^(\\d\\d)(\\d\\d)(\\d\\d)\\.(\\d{1,2})\\) [FIN]: \\S.*[.]$"));
    std::tuple<int, int, int, int> previous{9999, 99, 99, 99};
    for (int i = 0; i < entries.size(); ++i) {
        const QRegularExpressionMatch m = form.match(entries[i]);
        QVERIFY2(m.hasMatch(), qPrintable(entries[i]));
        QCOMPARE(m.captured(1).toInt(), 21 - i);
        const QDate date(2000 + m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        QVERIFY2(date.isValid(), qPrintable(entries[i]));
        const int build = m.captured(5).toInt();
        QVERIFY(build >= 1 && build <= 10);
        // Newest first: the release date, and the build within a day, strictly descending.
        const std::tuple<int, int, int, int> now{date.year(), date.month(), date.day(), build};
        QVERIFY2(now < previous, qPrintable(entries[i]));
        previous = now;
    }
    for (const QString& row : {
             QStringLiteral("21^080919.1) F: Layout with very large screen had slight overlapping of graphic elements."),
             QStringLiteral("19^080616.1) F: Main window placed in wrong position."),
             QStringLiteral("17^070925.1) F: Tree scanning could ignore folders used as webs by Frontpage 2003."),
             QStringLiteral("12^051101.10) F: On error due to access denied, do not display error message if error recovered."),
             QStringLiteral("04^051101.2) I: Option to ignore 1-hour differences."),
             QStringLiteral("02^050101.3) I: Max nr of folders and files per folder now=3000 and introduced check on limit reached."),
         })
        QVERIFY2(entries.contains(row), qPrintable(row));
}

void TestHelpTexts::version_string_follows_the_locale()
{
    QCOMPARE(version_string(QLocale::c()), QStringLiteral("1.21 (19 Sep 2008)"));
    QCOMPARE(version_string(QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("1.21 (19/Sep/2008)"));
    // The German abbreviation ends in the separator itself: it is not doubled.
    QCOMPARE(version_string(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("1.21 (19.Sept.2008)"));
    QCOMPARE(date_separator(QLocale(QLocale::Japanese, QLocale::Japan)), QStringLiteral("/"));
    QCOMPARE(version_history_text(true, QLocale::c()), version_string(QLocale::c()));
    QCOMPARE(version_string(), version_string(QLocale::system()));
}

void TestHelpTexts::history_text_and_window()
{
    const QString history = version_history_text(false, QLocale::c());
    QVERIFY(history.startsWith(QStringLiteral("\r\n21^080919.1) F: ")));
    QVERIFY(history.endsWith(QStringLiteral("\r\n00^050101.1) N: First release: two directories compared and their "
                                            "files sorted into five lists.\r\n"
                                            "------------------------- VERSION 1.0 -----------------------------"
                                            "\r\n\r\n[end of version history]")));
    QCOMPARE(history.count(QStringLiteral("\r\n")), 22 + 1 + 2);

    const QStringList lines = version_history_window_text(QLocale::c()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.mid(0, 6), (QStringList{
                                  QStringLiteral("TANDREL VERSION HISTORY "),
                                  QString(),
                                  QStringLiteral("Current version is 1.21 (19 Sep 2008)"),
                                  QString(),
                                  QStringLiteral("It includes the following changes (F = bug fixed, I = improvement, N = new function)"),
                                  QString(84, u'-'),
                              }));
    QCOMPARE(lines.at(6), version_history_entries().first());

    show_version_history();
    MsgBoxWindow* window = MsgBoxWindow::current();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Tandrel - Version history"));
    QVERIFY(window->box_text().contains(QStringLiteral("[end of version history]")));
    window->close();
}

void TestHelpTexts::about_and_command_line_help()
{
    QCOMPARE(about_title(), QStringLiteral("About Tandrel"));
    QCOMPARE(about_text(QLocale::c()), QStringLiteral("Tandrel version 1.21 (19 Sep 2008)\r\n\r\nCheck web site "
                                                      "www.tandrel.example and see if updates of this program are "
                                                      "available.\r\n"));

    const QStringList lines = command_line_help_text().split(u'\n');
    const QString where1 = QStringLiteral("where dir1spec and dir2spec (optional parameters) are the complete path names");
    const QString where2 = QStringLiteral("of the two directories, separated by one space and including drive specifier.");
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("Format of optional command line for single directory comparison: "),
                        QStringLiteral("              'tandrel dir1spec '|' dir2spec' "),
                        where1, where2,
                        QStringLiteral("Example:"),
                        QStringLiteral("              'tandrel /home/me/work '|' /media/usb/work')."),
                        QString(), QString(),
                        QStringLiteral("Format of optional command line for directory tree comparison: "),
                        QStringLiteral("              'tandrel dir1spec '\u00a7' dir2spec' "),
                        where1, where2,
                        QStringLiteral("  Example:"),
                        QStringLiteral("              'tandrel /home/me/work '\u00a7' /media/usb/work')."),
                        QString(), QString(), QString(),
                    }));

    ScriptedPort port;
    show_about(port);
    show_command_line_help(port);
    QCOMPARE(port.shown.size(), 2);
    QCOMPARE(port.shown[0].title, QStringLiteral("About Tandrel"));
    QCOMPARE(port.shown[0].text, about_text());
    QCOMPARE(port.shown[1].title, QStringLiteral("Tandrel"));
    QCOMPARE(port.shown[1].text, command_line_help_text());
    for (const auto& box : port.shown) {
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QCOMPARE(box.icon, MsgIcon::None);
    }
}

QTEST_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
