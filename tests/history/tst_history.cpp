// The history store: entries, the list's rules, the file it mirrors, and loading whatever lies there.

#include "history/HistoryStore.h"
#include "platform/AppPaths.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Fixture {
    Fixture() { store.set_files(file); }
    QTemporaryDir tmp;
    QString file = tmp.path() + u"/tmp/tandrel_his.tmp"_s;
    FaultyFileSystem fs;
    ScriptedPort port;
    HistoryStore store { fs, port };
};

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void entries_list_rules_and_the_file_it_mirrors()
    {
        // A dir-1 path is padded up to 35 characters, never cut; the separator comes after.
        QString a, b;
        for (const auto& [length, separator_at] : { std::pair { 34, 35 }, { 36, 36 } }) {
            const QString dir1 = u'/' + QString(length - 1, u'd');
            const QString entry = history_entry(dir1, u"/media/usb"_s);
            QVERIFY(entry.endsWith(u" <-> /media/usb"_s) && entry.indexOf(u" <-> "_s) == separator_at);
            QVERIFY(split_history_entry(entry, a, b) && a == dir1 && b == u"/media/usb"_s);
        }
        QVERIFY(!split_history_entry(u"/a <- /b"_s, a, b));

        Fixture f;
        f.store.add_to_history(history_entry(u"/Work"_s, u"/Backup"_s));
        f.store.add_to_history(history_entry(u"/other"_s, u"/x"_s));
        // The same entry ignoring case replaces the old one and goes to the top.
        f.store.add_to_history(history_entry(u"/work"_s, u"/backup"_s));
        QCOMPARE(f.store.entries(),
            QStringList({ history_entry(u"/work"_s, u"/backup"_s), history_entry(u"/other"_s, u"/x"_s) }));
        // The first save made the missing folder; every line ends in CR LF.
        QCOMPARE(f.fs.read_file(f.file).value, (f.store.entries().join(u"\r\n"_s) + u"\r\n"_s).toUtf8());

        for (int i = 0; i < 29; ++i)
            f.store.add_to_history(history_entry(u"/p%1"_s.arg(i), u"/q"_s));
        // The 31st different pair pushed out the oldest one.
        QCOMPARE(f.store.count(), 30);
        QCOMPARE(f.store.entries().first(), history_entry(u"/p28"_s, u"/q"_s));
        QCOMPARE(f.store.entries().last(), history_entry(u"/work"_s, u"/backup"_s));
        f.store.remove_at(0);
        QCOMPARE(f.fs.read_file(f.file).value.count("\r\n"), 29);
        f.store.clear();
        QCOMPARE(f.fs.read_file(f.file).value, QByteArray());
        QVERIFY(f.port.shown.isEmpty());
    }

    void loading_takes_what_it_can()
    {
        // Empty; CR LF with empty lines kept; LF only, no final line end; binary; a line longer than two paths.
        const std::pair<QByteArray, QStringList> rows[]
            = { { QByteArray(), QStringList() }, { "a <-> b\r\n\r\nc\r\n", { u"a <-> b"_s, {}, u"c"_s } },
                  { "a <-> b\nc <-> d", { u"a <-> b"_s, u"c <-> d"_s } },
                  { QByteArray("\x00\xff\xfe\r\n\x01 <-> \x02", 12),
                      { QString(QChar(0)) + u"\ufffd\ufffd"_s, u"\x01 <-> \x02"_s } },
                  { QByteArray(9000, 'x') + "\r\nok\r\n", { u"ok"_s } } };
        Fixture f;
        f.store.load_history(); // missing: nothing, silently
        QVERIFY(make_tree(f.tmp.path(), { u"tmp"_s }));
        for (const auto& [content, entries] : rows) {
            QVERIFY(make_file(f.file, content));
            f.store.load_history();
            QCOMPARE(f.store.entries(), entries);
        }
        QVERIFY(f.port.shown.isEmpty());

        // A huge file: only its beginning is read, and a line cut at the end is dropped.
        const QByteArray line = "/a <-> /b\r\n";
        QByteArray huge;
        while (huge.size() < 3 * HistoryStore::max_file_bytes)
            huge += line;
        QVERIFY(make_file(f.file, huge));
        f.store.load_history();
        QCOMPARE(f.store.count(), int(HistoryStore::max_file_bytes / line.size()));
        QCOMPARE(f.store.entries().last(), u"/a <-> /b"_s);

        // Error 52 is tried again, but not for ever; then said once, with what was read kept.
        f.fs.fail_path(f.file, err_bad_file_name);
        const int before = f.fs.calls(FaultyFileSystem::Op::Info);
        f.store.load_history();
        QCOMPARE(f.fs.calls(FaultyFileSystem::Op::Info) - before, HistoryStore::read_attempts);
        QCOMPARE(f.port.texts(), QStringList({ u"Error 52 - Bad file name or number ("_s + f.file + u')' }));
        QCOMPARE(f.store.count(), 0);
    }

    void save_falls_back_then_says_once()
    {
        Fixture f;
        const QString fallback = f.tmp.path() + u"/data/tmp/tandrel_his.tmp"_s;
        f.store.set_files(f.file, fallback);
        // A folder standing at the history's name: the list goes to the other place.
        QVERIFY(make_tree(f.tmp.path(), { u"tmp/tandrel_his.tmp"_s }));
        f.store.add_to_history(u"/a <-> /b"_s);
        QCOMPARE(f.store.file(), fallback);
        QVERIFY(QDir(f.file).removeRecursively());
        QCOMPARE(f.fs.read_file(fallback).value, QByteArray("/a <-> /b\r\n"));
        QVERIFY(f.port.shown.isEmpty());

        // Neither place can be written: said once, and the list keeps every entry.
        f.store.set_files(u"/proc/no/such/h.tmp"_s, u"/proc/no/other/h.tmp"_s);
        f.store.add_to_history(u"/c <-> /d"_s);
        f.store.add_to_history(u"/e <-> /f"_s);
        QCOMPARE(f.port.shown.size(), 1);
        QVERIFY(f.port.shown[0].text.startsWith(
            u"The history of compared directories could not be saved in /proc/no/such/h.tmp (Error "_s));
        QCOMPARE(f.store.entries(), QStringList({ u"/e <-> /f"_s, u"/c <-> /d"_s, u"/a <-> /b"_s }));

        // Beside a program started from a stick that is gone, no chain of folders is made.
        HistoryStore gone(f.fs, f.port);
        gone.set_files(f.tmp.path() + u"/stick/tmp/tandrel_his.tmp"_s, fallback);
        gone.add_to_history(u"/g <-> /h"_s);
        QVERIFY(gone.file() == fallback && !QFile::exists(f.tmp.path() + u"/stick"_s));

        // Later runs find it where the last one left it; a newer file beside the program is taken in, on top.
        QVERIFY(make_file(f.file, "/stale <-> /x\r\n", 1700000000));
        HistoryStore next(f.fs, f.port);
        next.set_files(f.file, fallback);
        next.load_history();
        QCOMPARE(next.entries(), QStringList({ u"/g <-> /h"_s, u"/a <-> /b"_s }));
        QCOMPARE(next.file(), fallback);
        QVERIFY(make_file(fallback, f.fs.read_file(fallback).value, 1700000001));
        QVERIFY(make_file(f.file, "/new <-> /y\r\n/a <-> /b\r\n", 1700000002));
        next.set_files(f.file, fallback);
        next.load_history();
        QCOMPARE(next.entries(), QStringList({ u"/new <-> /y"_s, u"/a <-> /b"_s, u"/g <-> /h"_s }));
        QCOMPARE(f.fs.read_file(fallback).value, QByteArray("/new <-> /y\r\n/a <-> /b\r\n/g <-> /h\r\n"));
    }

    void two_programs_lose_no_entry()
    {
        Fixture f;
        HistoryStore other(f.fs, f.port);
        other.set_files(f.file);
        f.store.load_history();
        other.load_history();
        f.store.add_to_history(u"/a <-> /b"_s);
        other.add_to_history(u"/c <-> /d"_s);
        QCOMPARE(other.entries(), QStringList({ u"/c <-> /d"_s, u"/a <-> /b"_s }));
        // A deletion in one program is not undone by the other's next save.
        f.store.remove_at(0);
        other.add_to_history(u"/e <-> /f"_s);
        QCOMPARE(f.fs.read_file(f.file).value, QByteArray("/e <-> /f\r\n/c <-> /d\r\n"));
        // Nor does it take the entry again once the other has added it back.
        other.add_to_history(u"/a <-> /b"_s);
        f.store.add_to_history(u"/g <-> /h"_s);
        QCOMPARE(f.store.entries(), QStringList({ u"/g <-> /h"_s, u"/a <-> /b"_s, u"/e <-> /f"_s, u"/c <-> /d"_s }));
    }

    void installed_program_never_writes_beside_itself()
    {
        QTemporaryDir tmp;
        const QString bin = tmp.path() + u"/usr/bin"_s;
        const QString copy = tmp.path() + u"/stick"_s;
        const QString mark = tmp.path() + u"/usr/share/tandrel/installed"_s;
        QVERIFY(make_tree(tmp.path(), { u"usr/bin"_s, u"usr/share/tandrel"_s, u"stick"_s }) && make_file(mark));
        QCOMPARE(history_file_path(bin), history_fallback_path());
        QCOMPARE(trace_folder(bin), user_data_folder());
        QCOMPARE(history_file_path(copy), copy + u"/tmp/tandrel_his.tmp"_s);
        QCOMPARE(trace_folder(copy), copy);
        // A bin/ folder without the mark is a copy like any other.
        QVERIFY(QFile::remove(mark));
        QCOMPARE(history_file_path(bin), bin + u"/tmp/tandrel_his.tmp"_s);
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
