// Dropping an entry of one list on another, row by row of the transfer matrix, on a real pair.
#include "transfer/DragDrop.h"

#include "tests/util/TransferPair.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

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

} // namespace

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
        } rows[] = {
            { 2, 1, "two|-|1" },
            { 3, 1, "new1|-|1" },
            { 4, 1, "old1|-|1" },
            { 5, 1, "same|-|1" },
            { 1, 2, "-|one|2" },
            { 3, 2, "-|old2|2" },
            { 4, 2, "-|new2|2" },
            { 5, 2, "-|same|2" },
            { 1, 5, "one|one|5" },
            { 2, 5, "two|two|5" },
            { 3, 5, "new1|new1|5" },
            { 4, 5, "new2|new2|5" },
        };
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
        int cleared = 0;
        p.ctx.hooks.clear_free_space_labels = [&] { ++cleared; };
        list_drag_drop(p.ctx, source, target, u"f.txt"_qs);
        QCOMPARE(state(p), after); // one file a side at most: never a second spelling beside F.TXT
        QVERIFY(p.lists.list(source).index_of(u"other.txt"_qs) >= 0);
        QCOMPARE(cleared, after.endsWith(QString::number(source)) ? 0 : 1);
        QVERIFY(p.port.texts().isEmpty() && !p.port.busy);
        if (target == 5) // a copy keeps the date
            QCOMPARE(p.mtime(1, u"f.txt"_qs), p.mtime(2, p.on_disk(2).first()));
    }

    void refusals_and_failures()
    {
        {
            // The same directory twice: a move or a delete would take the only copy.
            TransferPair p;
            entry_of(p, 1);
            p.dir2 = p.tmp.path() + u"/link/";
            QVERIFY(QFile::link(p.dir1, p.tmp.path() + u"/link"));
            list_drag_drop(p.ctx, 1, 2, u"f.txt"_qs);
            QCOMPARE(state(p), u"one|one|1"_qs); // dir 2 is dir 1
            QVERIFY(p.port.texts().value(0).contains(u"dir 1 and dir 2 are the same directory"));
        }
        for (const int target : { 1, 2 }) {
            // One file behind both sides (a link, a second name): either delete row would take
            // the only data.
            TransferPair p;
            entry_of(p, 5);
            const QString one = p.path(1, u"f.txt"_qs), two = p.path(2, u"F.TXT"_qs);
            QVERIFY(QFile::remove(two));
            QVERIFY(target == 1 ? QFile::link(one, two) : ::link(QFile::encodeName(one), QFile::encodeName(two)) == 0);
            list_drag_drop(p.ctx, 5, target, u"f.txt"_qs);
            QCOMPARE(state(p), u"same|same|5"_qs);
            const QString text = p.port.texts().value(0);
            QVERIFY2(text.contains(one) && text.contains(two) && text.contains(u"same file"), qPrintable(text));
        }
        {
            // Another stick mounted where dir 2 was compared (the folder replaced): nothing is
            // done on either side.
            TransferPair p;
            entry_of(p, 1);
            p.held1 = p.fs.hold_dir(p.dir1);
            p.held2 = p.fs.hold_dir(p.dir2);
            QVERIFY(QDir().rename(p.dir2, p.tmp.path() + u"/compared"_qs) && QDir().mkpath(p.dir2));
            list_drag_drop(p.ctx, 1, 2, u"f.txt"_qs);
            QCOMPARE(state(p), u"one|-|1"_qs);
            QCOMPARE(p.port.texts(),
                QStringList { u"dir 2 is no longer the directory that was compared; compare again"_qs });
            QVERIFY(entries(p.tmp.path() + u"/compared"_qs).isEmpty());
        }
        {
            // A delete row whose other copy went away since the comparison deletes nothing.
            TransferPair p;
            entry_of(p, 5);
            QVERIFY(QFile::remove(p.path(1, u"f.txt"_qs)));
            list_drag_drop(p.ctx, 5, 1, u"f.txt"_qs);
            QCOMPARE(state(p), u"-|same|5"_qs);
            QVERIFY(p.port.texts().value(0).startsWith(u"f.txt is not deleted: its other copy in "_qs + p.dir1));
        }
        {
            // A copy refused (the name appeared on the other side): no list changes.
            TransferPair p;
            entry_of(p, 1);
            QVERIFY(p.put(2, u"F.txt"_qs, "appeared", 1400000000));
            list_drag_drop(p.ctx, 1, 5, u"f.txt"_qs);
            list_drag_drop(p.ctx, 1, 2, u"f.txt"_qs);
            // An entry no longer in its list stands for nothing.
            list_drag_drop(p.ctx, 3, 5, u"f.txt"_qs);
            QCOMPARE(state(p), u"one|appeared|1"_qs);
            QCOMPARE(p.port.texts().size(), 2);
        }
        {
            // A move whose source cannot be deleted: the copy stays, the entry is in both lists, and
            // the person is told.
            TransferPair p;
            entry_of(p, 1);
            for (const auto& [dir, mode] : { std::pair { p.tmp.path(), 0711 }, { p.dir1, 0555 }, { p.dir2, 0777 } })
                QCOMPARE(::chmod(QFile::encodeName(dir).constData(), mode), 0);
            {
                const AsNobody nobody;
                list_drag_drop(p.ctx, 1, 2, u"f.txt"_qs);
            }
            QCOMPARE(state(p), u"one|one|12"_qs);
            QCOMPARE(p.port.texts(), QStringList { u"ERROR 70 Permission denied"_qs });
            QCOMPARE(p.port.shown.first().icon, MsgIcon::Critical);
        }
    }
};

QTEST_GUILESS_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
