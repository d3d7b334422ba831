// Dropping an entry of one list on another, row by row of the transfer matrix, on a real pair.
#include "transfer/DragDrop.h"

#include "tests/util/TransferPair.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The pair for an entry "f.txt" of list `list`; dir 2 spells a pair's file "F.TXT".
void entry_of(TransferPair& p, int list)
{
    switch (list) {
    case 1:
        QVERIFY(p.put(1, u"f.txt"_qs, "one", 1600000000));
        break;
    case 2:
        QVERIFY(p.put(2, u"f.txt"_qs, "two", 1600000000));
        break;
    case 3:
        QVERIFY(p.put(1, u"f.txt"_qs, "new1", 1600000000) && p.put(2, u"F.TXT"_qs, "old2", 1500000000));
        break;
    case 4:
        QVERIFY(p.put(1, u"f.txt"_qs, "old1", 1500000000) && p.put(2, u"F.TXT"_qs, "new2", 1600000000));
        break;
    case 5:
        QVERIFY(p.put(1, u"f.txt"_qs, "same", 1600000000) && p.put(2, u"F.TXT"_qs, "same", 1600000000));
        break;
    }
    p.lists.list(list).add(u"f.txt"_qs);
    p.lists.list(list).add(u"other.txt"_qs); // never touched
}

// What a side holds: "content" of its one file, "-" for none.
QString side(const TransferPair& p, int n)
{
    const QStringList files = p.on_disk(n);
    if (files.isEmpty())
        return u"-"_qs;
    return files.size() == 1 ? QString::fromUtf8(p.read(n, files.first())) : files.join(u',');
}

QString lists_holding(const TransferPair& p)
{
    QString where;
    for (int n = 1; n <= 5; ++n)
        if (p.lists.list(n).index_of(u"f.txt"_qs) >= 0)
            where += QString::number(n);
    return where;
}

} // namespace

class TestDragDrop : public QObject {
    Q_OBJECT
private slots:
    void transfer_matrix_data();
    void transfer_matrix();
    void refusals_and_failures();
};

void TestDragDrop::transfer_matrix_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("dir1"); // content afterwards, "-" for none
    QTest::addColumn<QString>("dir2");
    QTest::addColumn<QString>("lists"); // the lists holding the entry afterwards
    const struct {
        int source, target;
        const char *dir1, *dir2, *lists;
    } rows[] = {
        { 2, 1, "two", "-", "1" },
        { 3, 1, "new1", "-", "1" },
        { 4, 1, "old1", "-", "1" },
        { 5, 1, "same", "-", "1" },
        { 1, 2, "-", "one", "2" },
        { 3, 2, "-", "old2", "2" },
        { 4, 2, "-", "new2", "2" },
        { 5, 2, "-", "same", "2" },
        { 1, 5, "one", "one", "5" },
        { 2, 5, "two", "two", "5" },
        { 3, 5, "new1", "new1", "5" },
        { 4, 5, "new2", "new2", "5" },
    };
    for (const auto& r : rows)
        QTest::addRow("list %d on list %d", r.source, r.target)
            << r.source << r.target << QString::fromLatin1(r.dir1) << QString::fromLatin1(r.dir2)
            << QString::fromLatin1(r.lists);
    // Refused: onto the "newer in" lists, or onto the list it came from.
    const char* before[][2]
        = { { "one", "-" }, { "-", "two" }, { "new1", "old2" }, { "old1", "new2" }, { "same", "same" } };
    for (int s = 1; s <= 5; ++s)
        for (int t : { 3, 4, s })
            if (t != s || (s != 3 && s != 4))
                QTest::addRow("list %d on list %d", s, t)
                    << s << t << QString::fromLatin1(before[s - 1][0]) << QString::fromLatin1(before[s - 1][1])
                    << QString::number(s);
}

void TestDragDrop::transfer_matrix()
{
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(QString, dir1);
    QFETCH(QString, dir2);
    QFETCH(QString, lists);
    TransferPair p;
    entry_of(p, source);
    int cleared = 0;
    p.ctx.hooks.clear_free_space_labels = [&] { ++cleared; };
    list_drag_drop(p.ctx, source, target, u"f.txt"_qs);
    QCOMPARE(side(p, 1), dir1);
    QCOMPARE(side(p, 2), dir2); // one file at most: never a second spelling beside F.TXT
    QCOMPARE(lists_holding(p), lists);
    QCOMPARE(p.lists.list(source).index_of(u"other.txt"_qs) >= 0, true);
    QCOMPARE(cleared, lists == QString::number(source) ? 0 : 1);
    QVERIFY(p.port.texts().isEmpty() && !p.port.busy);
    if (dir1 == dir2) // a copy keeps the date
        QCOMPARE(p.mtime(1, u"f.txt"_qs), p.mtime(2, p.on_disk(2).first()));
}

void TestDragDrop::refusals_and_failures()
{
    {
        // The same directory twice: a move or a delete would take the only copy.
        TransferPair p;
        entry_of(p, 1);
        p.dir2 = p.tmp.path() + u"/link/";
        QVERIFY(QFile::link(p.dir1, p.tmp.path() + u"/link"));
        list_drag_drop(p.ctx, 1, 2, u"f.txt"_qs);
        QCOMPARE(p.read(1, u"f.txt"_qs), QByteArray("one"));
        QCOMPARE(lists_holding(p), u"1"_qs);
        QVERIFY(p.port.texts().value(0).contains(u"dir 1 and dir 2 are the same directory"));
    }
    {
        // A delete row whose other copy went away since the comparison deletes nothing.
        TransferPair p;
        entry_of(p, 5);
        QVERIFY(QFile::remove(p.path(1, u"f.txt"_qs)));
        list_drag_drop(p.ctx, 5, 1, u"f.txt"_qs);
        QCOMPARE(side(p, 2), u"same"_qs);
        QCOMPARE(lists_holding(p), u"5"_qs);
        QVERIFY(p.port.texts().value(0).startsWith(u"f.txt is not deleted: its other copy in "_qs + p.dir1));
    }
    {
        // A copy refused (the name appeared on the other side): no list changes.
        TransferPair p;
        entry_of(p, 1);
        QVERIFY(p.put(2, u"F.txt"_qs, "appeared", 1400000000));
        list_drag_drop(p.ctx, 1, 5, u"f.txt"_qs);
        list_drag_drop(p.ctx, 1, 2, u"f.txt"_qs);
        QCOMPARE(side(p, 2), u"appeared"_qs);
        QCOMPARE(side(p, 1), u"one"_qs);
        QCOMPARE(lists_holding(p), u"1"_qs);
        QCOMPARE(p.port.texts().size(), 2);
        // An entry no longer in its list stands for nothing.
        list_drag_drop(p.ctx, 3, 5, u"f.txt"_qs);
        QVERIFY(p.port.texts().size() == 2 && side(p, 2) == u"appeared"_qs && lists_holding(p) == u"1"_qs);
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
        QCOMPARE(p.port.texts(), QStringList { u"ERROR 70 Permission denied"_qs });
        QCOMPARE(side(p, 1), u"one"_qs);
        QCOMPARE(side(p, 2), u"one"_qs);
        QCOMPARE(lists_holding(p), u"12"_qs);
        QCOMPARE(p.port.texts(), QStringList { u"ERROR 70 Permission denied"_qs });
        QCOMPARE(p.port.shown.first().icon, MsgIcon::Critical);
    }
}

QTEST_GUILESS_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
