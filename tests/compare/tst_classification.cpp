// The date and length rules, the pairing of names across case, and unreadable files.

#include "compare/Classification.h"
#include "platform/Names.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

FileRecord rec(const QString& name, qint64 length, qint64 mtime, bool readable = true)
{
    return {name, length, mtime, readable};
}

// The pairing as a plain scan: the dir-2 names in a sorted list, and each dir-1 name taking the
// first remaining entry equal to it ignoring case. Unreadable files are left out on their side.
Classification classify_by_scan(const QVector<FileRecord>& dir1, const QVector<FileRecord>& dir2, bool one_hour)
{
    Classification c;
    QVector<FileRecord> list2;
    for (const FileRecord& r : dir2) {
        if (r.readable)
            list2.push_back(r);
    }
    std::stable_sort(list2.begin(), list2.end(),
                     [](const FileRecord& a, const FileRecord& b) { return name_less(a.name, b.name); });
    for (const FileRecord& r1 : dir1) {
        if (!r1.readable)
            continue;
        int k = 0;
        while (k < list2.size() && !names_equal(list2[k].name, r1.name))
            ++k;
        if (k == list2.size()) {
            c.only_in_dir1.push_back(r1.name);
            continue;
        }
        const FileRecord r2 = list2.takeAt(k);
        bool warn = false;
        const PairClass pc = classify_pair(r1.length, r1.mtime, r2.length, r2.mtime, one_hour, &warn);
        (pc == PairClass::Aligned ? c.aligned : pc == PairClass::NewerInDir1 ? c.newer_in_dir1 : c.newer_in_dir2)
            .push_back(r1.name);
        if (warn)
            c.warnings.push_back({r2.name, r1.length, r2.length});
    }
    for (const FileRecord& r : list2)
        c.only_in_dir2.push_back(r.name);
    return c;
}

QString describe(const Classification& c)
{
    QString s;
    for (const QStringList* l : {&c.only_in_dir1, &c.newer_in_dir1, &c.aligned, &c.newer_in_dir2, &c.only_in_dir2})
        s += u'[' + l->join(u',') + QStringLiteral("] ");
    for (const SizeWarning& w : c.warnings)
        s += w.name2 + u':' + QString::number(w.bytes_dir1) + u'/' + QString::number(w.bytes_dir2) + u' ';
    return s;
}

}  // namespace

class TestClassification : public QObject {
    Q_OBJECT
private slots:
    void pair_rules_data();
    void pair_rules();
    void pairs_across_case();
    void case_twins_pair_in_order();
    void lengths_beyond_32_bits();
    void unreadable_files_count_only_where_read();
    void difference_flag();
    void indexed_pairing_matches_scan();
};

void TestClassification::pair_rules_data()
{
    QTest::addColumn<qint64>("length1");
    QTest::addColumn<qint64>("date1");
    QTest::addColumn<qint64>("length2");
    QTest::addColumn<qint64>("date2");
    QTest::addColumn<bool>("one_hour");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("warning");

    const qint64 t = 1'700'000'000;
    const int newer1 = int(PairClass::NewerInDir1), newer2 = int(PairClass::NewerInDir2),
              aligned = int(PairClass::Aligned);
    QTest::newRow("same date same length") << 5LL << t << 5LL << t << false << aligned << false;
    QTest::newRow("1 s apart") << 5LL << t + 1 << 5LL << t << false << aligned << false;
    QTest::newRow("2 s apart, dir 2 later") << 5LL << t << 5LL << t + 2 << false << aligned << false;
    QTest::newRow("3 s apart, dir 1 later") << 5LL << t + 3 << 5LL << t << false << newer1 << false;
    QTest::newRow("3 s apart, dir 2 later") << 9LL << t << 5LL << t + 3 << false << newer2 << false;
    QTest::newRow("3 s apart, lengths ignored") << 1LL << t + 3 << 100LL << t << false << newer1 << false;
    QTest::newRow("same date 10 vs 20 bytes") << 10LL << t << 20LL << t << false << newer2 << true;
    QTest::newRow("same date 20 vs 10 bytes") << 20LL << t << 10LL << t + 2 << false << newer1 << true;
    QTest::newRow("3600 s, option off") << 5LL << t + 3600 << 5LL << t << false << newer1 << false;
    QTest::newRow("3600 s, option on") << 5LL << t + 3600 << 5LL << t << true << aligned << false;
    QTest::newRow("3600 s, option on, lengths differ") << 5LL << t << 7LL << t + 3600 << true << newer2 << true;
    QTest::newRow("3596 s, option on") << 5LL << t + 3596 << 5LL << t << true << newer1 << false;
    QTest::newRow("3597 s, option on") << 5LL << t + 3597 << 5LL << t << true << aligned << false;
    QTest::newRow("3598 s, option on") << 5LL << t << 5LL << t + 3598 << true << aligned << false;
    QTest::newRow("3602 s, option on") << 5LL << t + 3602 << 5LL << t << true << aligned << false;
    QTest::newRow("3603 s, option on") << 5LL << t << 5LL << t + 3603 << true << aligned << false;
    QTest::newRow("3604 s, option on") << 5LL << t << 5LL << t + 3604 << true << newer2 << false;
    QTest::newRow("dates before 1970") << 5LL << -100LL << 5LL << -103LL << false << newer1 << false;
}

void TestClassification::pair_rules()
{
    QFETCH(qint64, length1);
    QFETCH(qint64, date1);
    QFETCH(qint64, length2);
    QFETCH(qint64, date2);
    QFETCH(bool, one_hour);
    QFETCH(int, expected);
    QFETCH(bool, warning);

    bool warned = !warning;
    QCOMPARE(int(classify_pair(length1, date1, length2, date2, one_hour, &warned)), expected);
    QCOMPARE(warned, warning);
}

void TestClassification::pairs_across_case()
{
    const qint64 t = 1'000'000;
    const Classification c = classify({rec(QStringLiteral("Readme.TXT"), 10, t), rec(QStringLiteral("a.c"), 1, t)},
                                      {rec(QStringLiteral("README.txt"), 20, t), rec(QStringLiteral("b.c"), 1, t)},
                                      false);
    QCOMPARE(c.newer_in_dir2, QStringList{QStringLiteral("Readme.TXT")});
    QCOMPARE(c.only_in_dir1, QStringList{QStringLiteral("a.c")});
    QCOMPARE(c.only_in_dir2, QStringList{QStringLiteral("b.c")});
    QCOMPARE(c.warnings.size(), 1);
    QCOMPARE(c.warnings[0].name2, QStringLiteral("README.txt"));
    QCOMPARE(size_warning_text(c.warnings[0]),
             QStringLiteral("Warning! files README.TXT have same date/time and different lengths!\n\n"
                            "Bytes in dir 1: 10\nBytes in dir 2: 20\n\n"
                            "The larger one will be considered newer."));
    QVERIFY(c.differences_found());
}

void TestClassification::case_twins_pair_in_order()
{
    // Dir 2 holds "note" and "NOTE"; the sorted list has "NOTE" first, so the first dir-1 name of
    // that spelling pairs with it and the second with "note".
    const qint64 t = 1'000'000;
    const QVector<FileRecord> dir2{rec(QStringLiteral("note"), 2, t), rec(QStringLiteral("NOTE"), 1, t + 100)};
    const Classification c =
        classify({rec(QStringLiteral("Note"), 1, t + 100), rec(QStringLiteral("nOTE"), 2, t)}, dir2, false);
    QCOMPARE(c.aligned, (QStringList{QStringLiteral("Note"), QStringLiteral("nOTE")}));
    QVERIFY(c.only_in_dir2.isEmpty());
    QVERIFY(!c.differences_found());

    // A third dir-1 twin finds nobody left; a single dir-1 name leaves the later twin over.
    const Classification three = classify(
        {rec(QStringLiteral("Note"), 1, t + 100), rec(QStringLiteral("nOTE"), 2, t), rec(QStringLiteral("NoTe"), 3, t)},
        dir2, false);
    QCOMPARE(three.only_in_dir1, QStringList{QStringLiteral("NoTe")});
    const Classification one = classify({rec(QStringLiteral("note"), 2, t)}, dir2, false);
    QCOMPARE(one.newer_in_dir2, QStringList{QStringLiteral("note")});  // paired with "NOTE", 100 s newer
    QCOMPARE(one.only_in_dir2, QStringList{QStringLiteral("note")});
}

void TestClassification::lengths_beyond_32_bits()
{
    const qint64 five_gib = 5LL << 30;
    const qint64 t = 1'000'000;
    // Lengths that agree in their low 32 bits must still differ.
    const Classification c = classify({rec(QStringLiteral("big.iso"), five_gib, t)},
                                      {rec(QStringLiteral("big.iso"), five_gib - (4LL << 30), t)}, false);
    QCOMPARE(c.newer_in_dir1, QStringList{QStringLiteral("big.iso")});
    QCOMPARE(c.warnings.size(), 1);
    QVERIFY(size_warning_text(c.warnings[0]).contains(QStringLiteral("Bytes in dir 1: 5368709120\n")));
    QCOMPARE(int(classify_pair(five_gib, t, five_gib, t, false)), int(PairClass::Aligned));
}

void TestClassification::unreadable_files_count_only_where_read()
{
    const qint64 t = 1'000'000;
    // "gone" was listed in dir 1 but could not be read: dir 2's file stays only in dir 2.
    Classification c =
        classify({rec(QStringLiteral("gone"), 0, 0, false), rec(QStringLiteral("x"), 1, t)},
                 {rec(QStringLiteral("Gone"), 7, t), rec(QStringLiteral("x"), 9, t + 50)}, false);
    QCOMPARE(c.only_in_dir2, QStringList{QStringLiteral("Gone")});
    QVERIFY(c.only_in_dir1.isEmpty());
    // Values of an unreadable file never carry over to the next pair.
    QCOMPARE(c.newer_in_dir2, QStringList{QStringLiteral("x")});
    QVERIFY(c.warnings.isEmpty());

    // Unreadable in dir 2: the dir-1 file is only in dir 1, the dir-2 name is nowhere.
    c = classify({rec(QStringLiteral("locked"), 5, t)}, {rec(QStringLiteral("locked"), 0, 0, false)}, false);
    QCOMPARE(c.only_in_dir1, QStringList{QStringLiteral("locked")});
    QVERIFY(c.only_in_dir2.isEmpty() && c.aligned.isEmpty() && c.newer_in_dir1.isEmpty() && c.newer_in_dir2.isEmpty());

    // Unreadable on both sides: the name takes part in nothing.
    c = classify({rec(QStringLiteral("both"), 0, 0, false)}, {rec(QStringLiteral("both"), 0, 0, false)}, false);
    QVERIFY(!c.differences_found());
    QVERIFY(c.aligned.isEmpty());

    // An unreadable case twin in dir 2 leaves the readable twin to pair with.
    c = classify({rec(QStringLiteral("a"), 3, t)},
                 {rec(QStringLiteral("A"), 0, 0, false), rec(QStringLiteral("a"), 3, t)}, false);
    QCOMPARE(c.aligned, QStringList{QStringLiteral("a")});
    QVERIFY(c.only_in_dir2.isEmpty());
}

void TestClassification::difference_flag()
{
    QVERIFY(!classify({}, {}, false).differences_found());
    QVERIFY(classify({}, {rec(QStringLiteral("z"), 1, 1)}, false).differences_found());
    QVERIFY(!classify({rec(QStringLiteral("z"), 1, 1)}, {rec(QStringLiteral("Z"), 1, 2)}, false).differences_found());
}

void TestClassification::indexed_pairing_matches_scan()
{
    // Few distinct letters and random case make many names collide ignoring case.
    QRandomGenerator rng(20240611);
    auto random_listing = [&](int n) {
        QVector<FileRecord> out;
        QSet<QString> seen;
        while (out.size() < n) {
            QString name;
            const int len = 1 + int(rng.bounded(3));
            for (int i = 0; i < len; ++i) {
                const bool upper = rng.bounded(2);
                const quint32 letter = rng.bounded(4);
                if (letter == 3)
                    name += QChar(upper ? u'\u00c9' : u'\u00e9');
                else
                    name += QChar(char16_t((upper ? u'A' : u'a') + letter));
            }
            if (seen.contains(name))
                continue;
            seen.insert(name);
            out.push_back(rec(name, qint64(rng.bounded(4)), 1'000'000 + qint64(rng.bounded(8)) * 1800,
                              rng.bounded(15) != 0));
        }
        std::sort(out.begin(), out.end(), [](const FileRecord& a, const FileRecord& b) { return name_less(a.name, b.name); });
        // Listing order is not always sorted; a few runs shuffle dir 1.
        if (rng.bounded(3) == 0)
            std::shuffle(out.begin(), out.end(), rng);
        return out;
    };
    for (int run = 0; run < 300; ++run) {
        const QVector<FileRecord> d1 = random_listing(int(rng.bounded(40)));
        QVector<FileRecord> d2 = random_listing(int(rng.bounded(40)));
        std::shuffle(d2.begin(), d2.end(), rng);  // the pairing must not depend on dir 2's order
        const bool one_hour = run % 2;
        const QString got = describe(classify(d1, d2, one_hour));
        const QString want = describe(classify_by_scan(d1, d2, one_hour));
        if (got != want)
            QFAIL(qPrintable(QStringLiteral("run %1\n got: %2\nwant: %3").arg(run).arg(got, want)));
    }
}

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
