// Opening files, folders, web addresses and searches, and the open/run drop of a list entry.
#include "transfer/OpenRun.h"

#include "platform/RealFileSystem.h"
#include "tests/util/FakeShell.h"
#include "tests/util/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestOpenRun : public QObject {
    Q_OBJECT
private slots:
    void first_line_url_goes_to_the_browser()
    {
        // The text, and the address handed to the browser ("": not an address, nothing opened). A bare
        // "www." address gets a scheme, so the browser does not take it for a file.
        const std::pair<QString, QString> rows[] = { { u"HTTPS://A.example/x"_s, u"HTTPS://A.example/x"_s },
            { u"ftp://files.example/f\nnext"_s, u"ftp://files.example/f"_s },
            { u"http://a.example/p\r\nmore"_s, u"http://a.example/p"_s },
            { u"WwW.a.example"_s, u"https://WwW.a.example"_s }, { u" http://a.example"_s, {} },
            { u"/home/me/www.txt"_s, {} }, { u"www"_s, {} }, { {}, {} }, { u"notes\r\nhttp://a.example"_s, {} },
            { u"notes\nwww.a.example"_s, {} } };
        for (const auto& [text, handed] : rows) {
            FakeShell shell;
            QCOMPARE(Is_url(text), !handed.isEmpty());
            QCOMPARE(Open_url(shell, text), !handed.isEmpty());
            QCOMPARE(shell.urls + shell.paths, handed.isEmpty() ? QStringList() : QStringList { handed });
        }
    }

    void shell_open()
    {
        QTemporaryDir tmp;
        const QString t = tmp.path();
        QVERIFY(make_tree(t, { u"sub"_s }, { u"a b.txt"_s }));
        const QString search = u"https://duckduckgo.com/?q="_s;
        // The text, then what is opened: a path as it is, an address after "url ".
        const std::pair<QString, QString> rows[] = { { t + u"/a b.txt"_s, t + u"/a b.txt"_s },
            { t + u"/sub\r\n"_s + t + u"/a b.txt"_s, t + u"/sub"_s }, // the first line only
            { t + u"/*.txt"_s, {} }, // a pattern that matches
            { u"caf\u00e9 & 100%?"_s, u"url "_s + search + u"caf%C3%A9%20%26%20100%25%3F&ia=web"_s },
            { u"/nonexistent-tandrel/gone.txt"_s,
                u"url "_s + search + u"%2Fnonexistent-tandrel%2Fgone.txt&ia=web"_s } };
        for (const auto& [text, opened] : rows) {
            FakeShell shell;
            Shell_open(RealFileSystem(), nullptr, shell, text);
            QCOMPARE(shell.paths + shell.urls.replaceInStrings(QRegularExpression(u"^"_s), u"url "_s),
                opened.isEmpty() ? QStringList() : QStringList { opened });
        }
    }

    void dropped_entry_opens_its_copies()
    {
        QTemporaryDir tmp;
        const QString d = tmp.path() + u'/';
        QVERIFY(make_tree(tmp.path(), { u"1"_s, u"2"_s },
            { u"1/One.txt"_s, u"1/Both.txt"_s, u"2/BOTH.txt"_s, u"1/One.txt\nwww.a.example"_s }));
        // The list, the name, what was opened and the waits in order, and the lines of details. A name
        // is opened whole, never cut at a line feed into another file's name or a search.
        const std::tuple<int, QString, QString, int> rows[] = { { 1, u"One.txt"_s, u"1/One.txt,wait 2"_s, 1 },
            { 2, u"Two.txt"_s, u"wait 2"_s, 0 }, // not there: not opened
            { 4, u"Both.txt"_s, u"1/Both.txt,wait 2,2/BOTH.txt"_s, 2 }, { 5, u"Both.txt"_s, u"1/Both.txt,wait 2"_s, 1 },
            { 1, u"One.txt\nwww.a.example"_s, u"1/One.txt\nwww.a.example,wait 2"_s, 1 } };
        for (const auto& [list, name, events, lines] : rows) {
            FakeShell shell;
            const QString details = open_list_entry(RealFileSystem(), nullptr, shell, list, name, d + u"1/", d + u"2/",
                [&shell](int s) { shell.paths << u"wait %1"_s.arg(s); });
            QCOMPARE(shell.paths.join(u',').remove(d), events);
            QVERIFY(shell.urls.isEmpty());
            QCOMPARE(details.isEmpty() ? 0 : int(details.count(u'\n')) + 1, lines);
            QCOMPARE(details.count(u"    length = 0"_s) + details.count(u"   date = "_s), 2 * lines);
            QCOMPARE(details.startsWith(u"in path 1: "_s) && details.contains(u"\nin path 2: "_s), lines == 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestOpenRun)
#include "tst_openrun.moc"
