// The Help menu's texts: the version history and the version read from it, the command-line help.
#include "tests/util/ScriptedPort.h"
#include "ui/HelpTexts.h"
#include "ui/MsgBoxWindow.h"

#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void version_history_and_command_line_help()
    {
        // The version string is read from the first entry: numbers and dates descend.
        const QStringList entries = version_history_entries();
        const QRegularExpression form(u"^(\\d\\d)\\^(\\d\\d)(\\d\\d)(\\d\\d)\\.(\\d{1,2})\\) [FIN]: \\S.*[.]$"_s);
        std::tuple<QDate, int> previous { QDate(9999, 1, 1), 0 };
        for (int i = 0; i < entries.size(); ++i) {
            const QRegularExpressionMatch m = form.match(entries[i]);
            const std::tuple<QDate, int> now {
                QDate(2000 + m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()), m.captured(5).toInt()
            };
            QVERIFY2(m.hasMatch() && m.captured(1).toInt() == entries.size() - 1 - i && std::get<0>(now).isValid()
                    && std::get<1>(now) >= 1 && now < previous,
                qPrintable(entries[i]));
            previous = now;
        }
        QCOMPARE(version_string(QLocale::c()), u"1.21 (19 Sep 2008)"_s);
        QCOMPARE(version_string(QLocale(QLocale::English, QLocale::UnitedStates)), u"1.21 (19/Sep/2008)"_s);
        // The German abbreviation ends in the separator itself: it is not doubled.
        QCOMPARE(version_string(QLocale(QLocale::German, QLocale::Germany)), u"1.21 (19.Sept.2008)"_s);
        show_version_history();
        const QString shown = MsgBoxWindow::current()->box_text();
        QVERIFY(shown.startsWith(u"TANDREL VERSION HISTORY \r\n\r\nCurrent version is 1.21 ("_s));
        QVERIFY(shown.endsWith(version_1_0_line() + u"\r\n\r\n[end of version history]"_s));
        MsgBoxWindow::current()->close();

        // The format and example lines can be pasted into a shell: the separators are quoted, the
        // lines themselves are not.
        ScriptedPort port;
        show_command_line_help(port);
        const QStringList commands = port.texts().value(0).split(u'\n').filter(u"tandrel "_s);
        QCOMPARE(commands.size(), 4);
        for (const QString& line : commands)
            QVERIFY2((line.contains(u" '|' "_s) || line.contains(u" '\u00a7' "_s)) && line.trimmed().startsWith(u't'),
                qPrintable(line));
    }
};

QTEST_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
