// Opening files, folders, web addresses and searches, and the open/run drop of a list entry.
#include "transfer/OpenRun.h"

#include "platform/RealFileSystem.h"
#include "tests/util/FakeShell.h"
#include "tests/util/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TestOpenRun : public QObject {
    Q_OBJECT
private slots:

    void first_line_url_goes_to_the_browser_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("handed"); // empty: not an address, nothing opened
        QTest::newRow("HTTPS") << QStringLiteral("HTTPS://A.example/x") << QStringLiteral("HTTPS://A.example/x");
        QTest::newRow("ftp, LF") << QStringLiteral("ftp://files.example/f\nnext")
                                 << QStringLiteral("ftp://files.example/f");
        QTest::newRow("http, CR LF") << QStringLiteral("http://a.example/p\r\nmore")
                                     << QStringLiteral("http://a.example/p");
        // A bare "www." address gets a scheme, so the browser does not take it for a file.
        QTest::newRow("mixed www") << QStringLiteral("WwW.a.example") << QStringLiteral("https://WwW.a.example");
        QTest::newRow("leading blank") << QStringLiteral(" http://a.example") << QString();
        QTest::newRow("file path") << QStringLiteral("/home/me/www.txt") << QString();
        QTest::newRow("no dot") << QStringLiteral("www") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("second line, CR LF") << QStringLiteral("notes\r\nhttp://a.example") << QString();
        QTest::newRow("second line, LF") << QStringLiteral("notes\nwww.a.example") << QString();
    }

    void first_line_url_goes_to_the_browser()
    {
        QFETCH(QString, text);
        QFETCH(QString, handed);
        FakeShell shell;
        QCOMPARE(Is_url(text), !handed.isEmpty());
        QCOMPARE(Open_url(shell, text), !handed.isEmpty());
        QCOMPARE(shell.urls, handed.isEmpty() ? QStringList() : QStringList { handed });
        QVERIFY(shell.paths.isEmpty());
    }

    void shell_open_data()
    {
        QTest::addColumn<QString>("text"); // "@" stands for the temporary folder
        QTest::addColumn<QString>("opened"); // the path opened
        QTest::addColumn<QString>("url"); // the address handed to the browser
        // clang-format off
    QTest::newRow("file") << "@/a b.txt" << "@/a b.txt" << "";
    QTest::newRow("folder, first line only") << "@/sub\r\n@/a b.txt" << "@/sub" << "";
    QTest::newRow("pattern that matches") << "@/*.txt" << "" << "";
    QTest::newRow("search") << "caf\u00e9 & 100%?" << "" << "https://duckduckgo.com/?q=caf%C3%A9%20%26%20100%25%3F&ia=web";
    QTest::newRow("missing path") << "/nonexistent-tandrel/gone.txt" << ""
                                  << "https://duckduckgo.com/?q=%2Fnonexistent-tandrel%2Fgone.txt&ia=web";
        // clang-format on
    }

    void shell_open()
    {
        QFETCH(QString, text);
        QFETCH(QString, opened);
        QFETCH(QString, url);
        QTemporaryDir tmp;
        QVERIFY(make_tree(tmp.path(), { QStringLiteral("sub") }, { QStringLiteral("a b.txt") }));
        text.replace(u'@', tmp.path());
        opened.replace(u'@', tmp.path());
        RealFileSystem fs;
        FakeShell shell;
        Shell_open(fs, nullptr, shell, text);
        QCOMPARE(shell.paths, opened.isEmpty() ? QStringList() : QStringList { opened });
        QCOMPARE(shell.urls, url.isEmpty() ? QStringList() : QStringList { url });
    }

    void dropped_entry_opens_its_copies_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("events"); // what was opened and the waits, in order
        QTest::addColumn<int>("detail_lines");
        // clang-format off
    QTest::newRow("only in dir 1") << 1 << "One.txt" << "1/One.txt,wait 2" << 1;
    QTest::newRow("only in dir 2") << 2 << "Two.txt" << "wait 2" << 0; // not there: not opened
    QTest::newRow("newer in dir 2") << 4 << "Both.txt" << "1/Both.txt,wait 2,2/BOTH.txt" << 2;
    QTest::newRow("aligned") << 5 << "Both.txt" << "1/Both.txt,wait 2" << 1;
    // Opened whole, never cut at the line feed into another file's name or a search.
    QTest::newRow("line feed in the name") << 1 << "One.txt\nwww.a.example" << "1/One.txt\nwww.a.example,wait 2" << 1;
        // clang-format on
    }

    void dropped_entry_opens_its_copies()
    {
        QFETCH(int, list);
        QFETCH(QString, name);
        QFETCH(QString, events);
        QFETCH(int, detail_lines);
        QTemporaryDir tmp;
        const QString d = tmp.path() + u'/';
        QVERIFY(make_tree(tmp.path(), { QStringLiteral("1"), QStringLiteral("2") },
            { QStringLiteral("1/One.txt"), QStringLiteral("1/Both.txt"), QStringLiteral("2/BOTH.txt"),
                QStringLiteral("1/One.txt\nwww.a.example") }));
        RealFileSystem fs;
        FakeShell shell;
        const QString details = open_list_entry(fs, nullptr, shell, list, name, d + u"1/", d + u"2/",
            [&shell](int s) { shell.paths << QStringLiteral("wait %1").arg(s); });
        QCOMPARE(shell.paths.join(u',').remove(d), events);
        QVERIFY(shell.urls.isEmpty());
        QCOMPARE(details.isEmpty() ? 0 : int(details.count(u'\n')) + 1, detail_lines);
        if (detail_lines > 0)
            QVERIFY(
                details.contains(QStringLiteral("    length = 0")) && details.contains(QStringLiteral("   date = ")));
        if (detail_lines == 2)
            QVERIFY(
                details.startsWith(QStringLiteral("in path 1: ")) && details.contains(QStringLiteral("\nin path 2: ")));
    }
};

QTEST_GUILESS_MAIN(TestOpenRun)
#include "tst_openrun.moc"
