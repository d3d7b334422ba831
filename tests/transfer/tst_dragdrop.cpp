// Dropping an entry of one list on another, on a real pair; the guards every command that changes
// files shares; opening files, folders, web addresses and searches, as the open/run target does.
#include "transfer/DragDrop.h"

#include "transfer/Alignment.h"
#include "transfer/CopyFile.h"
#include "transfer/Deletion.h"
#include "transfer/OpenRun.h"

#include "platform/HeldDir.h"
#include "tests/util/TransferPair.h"

#include <QtTest>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Setup = std::function<void(TransferPair&)>;

// The contents of an entry "f.txt" of each list in dir 1 and dir 2 ("-": none). The newer copy
// is dated 1600000000, the older 1500000000; dir 2 spells a pair's file "F.TXT".
const char* const contents[5][2]
    = { { "one", "-" }, { "-", "two" }, { "new1", "old2" }, { "old1", "new2" }, { "same", "same" } };

void entry_of(TransferPair& p, int list)
{
    const auto [one, two] = contents[list - 1];
    const bool pair = list > 2;
    QVERIFY(list == 2 || p.put(1, u"f.txt"_qs, one, list == 4 ? 1500000000 : 1600000000));
    QVERIFY(list == 1 || p.put(2, pair ? u"F.TXT"_qs : u"f.txt"_qs, two, list == 3 ? 1500000000 : 1600000000));
    p.lists.list(list).add(u"f.txt"_qs);
    p.lists.list(list).add(u"other.txt"_qs); // never touched
}

// "dir 1 | dir 2 | lists": the content of each side's one file ("-" for none, the names when
// more than one), then the lists holding the entry.
QString state(const TransferPair& p)
{
    QStringList out;
    for (int n = 1; n <= 2; ++n) {
        const QStringList files = p.on_disk(n);
        out << (files.isEmpty()     ? u"-"_qs
                : files.size() == 1 ? QString::fromUtf8(p.read(n, files.first()))
                                    : files.join(u','));
    }
    QString where;
    for (int n = 1; n <= 5; ++n)
        if (p.lists.list(n).index_of(u"f.txt"_qs) >= 0)
            where += QString::number(n);
    return (out << where).join(u'|');
}

// Runs one command on the entry "f.txt": "S>T" drops it from list S on list T ("S>x" on the delete
// target), "delS" and "menuS" delete it from list S by the button and the list's menu, "alignS"
// aligns it, "copyS" copies it across.
void act(TransferPair& p, const QString& command)
{
    const int list = command.front().isDigit() ? command.front().digitValue() : command.back().digitValue();
    if (command.front().isDigit() && command.back().isDigit())
        return list_drag_drop(p.ctx, list, command.back().digitValue(), u"f.txt"_qs);
    if (command.startsWith(u"copy"))
        return Copy_file(p.ctx, entry_copy(p.ctx, list, u"f.txt"_qs));
    p.lists.list(list).select_row(p.lists.list(list).index_of(u"f.txt"_qs), true);
    if (command.startsWith(u"align"))
        return bot_list_Click(p.ctx, list);
    Deletion del(p.ctx);
    del.popup_list = list;
    if (command.endsWith(u'x'))
        del.Text2_DragDrop(list, u"f.txt"_qs); // refused before it asks
    else if (command.startsWith(u"menu"))
        del.m_delete_selected_files_Click();
    else
        del.bot_delete_Click();
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestDragDrop : public QObject {
    Q_OBJECT
private slots:
    void transfer_matrix_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("after"); // as state() gives it
        const struct {
            int source, target;
            const char* after;
        } rows[] = { { 2, 1, "two|-|1" }, { 3, 1, "new1|-|1" }, { 4, 1, "old1|-|1" }, { 5, 1, "same|-|1" },
            { 1, 2, "-|one|2" }, { 3, 2, "-|old2|2" }, { 4, 2, "-|new2|2" }, { 5, 2, "-|same|2" },
            { 1, 5, "one|one|5" }, { 2, 5, "two|two|5" }, { 3, 5, "new1|new1|5" }, { 4, 5, "new2|new2|5" } };
        for (const auto& r : rows)
            QTest::addRow("list %d on list %d", r.source, r.target)
                << r.source << r.target << QString::fromLatin1(r.after);
        // Refused: onto the "newer in" lists, or onto the list it came from.
        for (int s = 1; s <= 5; ++s)
            for (int t : { 3, 4, s })
                if (t != s || (s != 3 && s != 4))
                    QTest::addRow("list %d on list %d", s, t)
                        << s << t
                        << u"%1|%2|%3"_qs.arg(QLatin1String(contents[s - 1][0]), QLatin1String(contents[s - 1][1]),
                               QString::number(s));
    }

    void transfer_matrix()
    {
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(QString, after);
        TransferPair p;
        entry_of(p, source);
        list_drag_drop(p.ctx, source, target, u"f.txt"_qs);
        QCOMPARE(state(p), after); // one file a side at most: never a second spelling beside F.TXT
        QVERIFY(p.lists.list(source).index_of(u"other.txt"_qs) >= 0);
        QCOMPARE(p.host.labels_cleared, after.endsWith(QString::number(source)) ? 0 : 1);
        QVERIFY(p.port.texts().isEmpty() && !p.port.busy);
        if (target == 5) // a copy keeps the date
            QCOMPARE(p.mtime(1, u"f.txt"_qs), p.mtime(2, p.on_disk(2).first()));
    }

    // Refused or failed commands, after `setup` changed the pair found by the comparison: the state
    // afterwards, and what the first message says.
    void refusals_and_failures_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("commands"); // as act() takes them
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("said");
        const auto both = [](bool hard) {
            return Setup([hard](TransferPair& p) {
                const QByteArray one = QFile::encodeName(p.path(1, u"f.txt"_qs)),
                                 two = QFile::encodeName(p.path(2, u"F.TXT"_qs));
                QVERIFY(::unlink(two) == 0 && (hard ? ::link(one, two) : ::symlink(one, two)) == 0);
            });
        };
        const Setup one_dir = [](TransferPair& p) {
            p.dir2 = DirPath(p.tmp.path() + u"/link/");
            QVERIFY(QFile::link(p.dir1.path(), p.tmp.path() + u"/link"));
        };
        // Another stick mounted where the directory was compared: nothing is done on either side.
        const auto replaced = [](int side) {
            return Setup([side](TransferPair& p) {
                p.held1 = p.fs.hold_dir(p.dir1.path());
                p.held2 = p.fs.hold_dir(p.dir2.path());
                const QString dir = (side == 1 ? p.dir1 : p.dir2).path();
                QVERIFY(QDir().rename(dir, p.tmp.path() + u"/compared"_qs) && QDir().mkpath(dir));
            });
        };
        const QString same_dir = u"the same directory"_qs, same_file = u"same file"_qs,
                      compare_again = u" is no longer the directory that was compared; compare again"_qs;
        // A move or a delete would take the only copy.
        QTest::newRow("the same directory twice: drop") << one_dir << u"1>2"_qs << u"one|one|1"_qs << same_dir;
        QTest::newRow("the same directory twice: copy") << one_dir << u"copy1"_qs << u"one|one|1"_qs << same_dir;
        QTest::newRow("a link behind both sides: drop") << both(false) << u"5>1"_qs << u"same|same|5"_qs << same_file;
        QTest::newRow("a second name behind both sides: drop")
            << both(true) << u"5>2"_qs << u"same|same|5"_qs << same_file;
        QTest::newRow("a link behind both sides: delete")
            << both(false) << u"del4"_qs << u"old1|old1|4"_qs << same_file;
        for (const char* command : { "1>2", "del5", "5>x", "menu5" }) {
            const QString c = QString::fromLatin1(command);
            QTest::addRow("dir 2 replaced: %s", command)
                << replaced(2) << c << (c == u"1>2" ? u"one|-|1"_qs : u"same|-|5"_qs) << u"dir 2"_qs + compare_again;
        }
        QTest::newRow("dir 1 replaced: align")
            << replaced(1) << u"align3"_qs << u"-|old2|3"_qs << u"dir 1"_qs + compare_again;
        // dir 1's path grew past what the system takes: it cannot be checked, and compare again would not help.
        QTest::newRow("dir 1 too long a path: align") << Setup([](TransferPair& p) {
            struct stat st { };
            Fd fd(::open(QFile::encodeName(p.dir1.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            QVERIFY(fd.get() >= 0 && ::fstat(fd.get(), &st) == 0);
            p.dir1 = DirPath(p.dir1.file(QString(PATH_MAX, u'd')));
            p.held1 = std::make_shared<const HeldDir>(p.dir1.path(), std::move(fd), st.st_dev, st.st_ino);
        }) << u"align3"_qs << u"-|old2|3"_qs << u"Path is too long for this system: "_qs;
        QTest::newRow("other copy gone") << Setup([](TransferPair& p) {
            QVERIFY(QFile::remove(p.path(1, u"f.txt"_qs)));
        }) << u"5>1"_qs << u"-|same|5"_qs << u"f.txt is not deleted: its other copy in "_qs;
        // The name appeared on the other side; an entry no longer in its list stands for nothing.
        QTest::newRow("copy refused") << Setup(
            [](TransferPair& p) { QVERIFY(p.put(2, u"F.txt"_qs, "appeared", 1400000000)); })
                                      << u"1>5 1>2 3>5"_qs << u"one|appeared|1"_qs << u"Unable to copy file"_qs;
        // The copy stays, the entry is in both lists, and the person is told.
        QTest::newRow("source of a move kept") << Setup([](TransferPair& p) {
            p.fs.fail_call(FaultyFileSystem::Op::RemoveFile, 1, err_permission_denied);
        }) << u"1>2"_qs << u"one|one|12"_qs << u"ERROR 70 Permission denied"_qs;
    }
    void refusals_and_failures()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, commands);
        QFETCH(QString, after);
        QFETCH(QString, said);
        TransferPair p;
        entry_of(p, commands.at(commands.indexOf(QRegularExpression(u"\\d"_qs))).digitValue());
        setup(p);
        for (const QString& command : commands.split(u' '))
            act(p, command);
        QCOMPARE(state(p), after);
        QVERIFY2(p.port.texts().value(0).contains(said), qPrintable(p.port.texts().value(0)));
        QCOMPARE(p.port.shown.first().icon == MsgIcon::Critical, said.startsWith(u"ERROR"));
    }

    void shell_open()
    {
        QTemporaryDir tmp;
        const QString t = tmp.path();
        QVERIFY(make_tree(t, { u"sub"_qs }, { u"a b.txt"_qs }));
        const QString search = u"url https://duckduckgo.com/?q="_qs;
        // The text, then what is opened: a path as it is, an address after "url ", of the first line
        // only. A bare "www." address gets a scheme, so the browser does not take it for a file.
        const std::pair<QString, QString> rows[]
            = { { t + u"/a b.txt"_qs, t + u"/a b.txt"_qs }, { t + u"/sub\r\n"_qs + t + u"/a b.txt"_qs, t + u"/sub"_qs },
                  { t + u"/*.txt"_qs, {} }, // a pattern that matches
                  { u"caf\u00e9 & 100%?"_qs, search + u"caf%C3%A9%20%26%20100%25%3F&ia=web"_qs },
                  { u"/nonexistent-tandrel/www.txt"_qs, search + u"%2Fnonexistent-tandrel%2Fwww.txt&ia=web"_qs },
                  { u"HTTPS://A.example/x"_qs, u"url HTTPS://A.example/x"_qs },
                  { u"ftp://files.example/f\nnext"_qs, u"url ftp://files.example/f"_qs },
                  { u"http://a.example/p"_qs, u"url http://a.example/p"_qs },
                  { u"WwW.a.example"_qs, u"url https://WwW.a.example"_qs },
                  { u" http://a.example"_qs, search + u"%20http%3A%2F%2Fa.example&ia=web"_qs },
                  { u"www"_qs, search + u"www&ia=web"_qs } };
        for (const auto& [text, opened] : rows) {
            FakeShell shell;
            Shell_open(RealFileSystem(), nullptr, shell, text);
            QCOMPARE(shell.paths + shell.urls.replaceInStrings(QRegularExpression(u"^"_qs), u"url "_qs),
                opened.isEmpty() ? QStringList() : QStringList { opened });
        }
    }

    void dropped_entry_opens_its_copies()
    {
        QTemporaryDir tmp;
        const QString d = tmp.path() + u'/';
        QVERIFY(make_tree(tmp.path(), { u"1"_qs, u"2"_qs },
            { u"1/One.txt"_qs, u"1/Both.txt"_qs, u"2/BOTH.txt"_qs, u"1/One.txt\nwww.a.example"_qs }));
        // The list, the name, what was opened and the waits in order, and the lines of details. A name
        // is opened whole, never cut at a line feed into another file's name or a search.
        const std::tuple<int, QString, QString, int> rows[] = { { 1, u"One.txt"_qs, u"1/One.txt,wait 2"_qs, 1 },
            { 2, u"Two.txt"_qs, u"wait 2"_qs, 0 }, // not there: not opened
            { 4, u"Both.txt"_qs, u"1/Both.txt,wait 2,2/BOTH.txt"_qs, 2 },
            { 5, u"Both.txt"_qs, u"1/Both.txt,wait 2"_qs, 1 },
            { 1, u"One.txt\nwww.a.example"_qs, u"1/One.txt\nwww.a.example,wait 2"_qs, 1 } };
        for (const auto& [list, name, events, lines] : rows) {
            FakeShell shell;
            const QString details = open_list_entry(RealFileSystem(), nullptr, shell, list, name, DirPath(d + u"1"),
                DirPath(d + u"2"), [&shell](int s) { shell.paths << u"wait %1"_qs.arg(s); });
            QCOMPARE(shell.paths.join(u',').remove(d), events);
            QVERIFY(shell.urls.isEmpty());
            QCOMPARE(details.isEmpty() ? 0 : int(details.count(u'\n')) + 1, lines);
            QCOMPARE(details.count(u"    length = 0"_qs) + details.count(u"   date = "_qs), 2 * lines);
            QCOMPARE(details.startsWith(u"in path 1: "_qs) && details.contains(u"\nin path 2: "_qs), lines == 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
