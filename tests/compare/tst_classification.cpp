// The date and length rules, the pairing of names across case, and unreadable files.

#include "compare/Classification.h"
#include "platform/Names.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

FileRecord rec(const QString& name, qint64 length, qint64 mtime, bool readable = true)
{
    return {name, length, mtime, readable};
}

// The pairing rule as a plain scan: the readable dir-2 records sorted by name, each readable dir-1
// name taking the first remaining one equal to it ignoring case.
Classification classify_by_scan(const QVector<FileRecord>& dir1, QVector<FileRecord> list2, bool one_hour)
{
    Classification c;
    list2.removeIf([](const FileRecord& r) { return !r.readable; });
    std::stable_sort(list2.begin(), list2.end(), [](const auto& a, const auto& b) { return name_less(a.name, b.name); });
    for (const FileRecord& r1 : dir1) {
        if (!r1.readable)
            continue;
        const auto r2 = std::find_if(list2.begin(), list2.end(), [&](const auto& r) { return names_equal(r.name, r1.name); });
        if (r2 == list2.end()) {
            c.only_in_dir1.push_back(r1.name);
            continue;
        }
        bool warn = false;
        const PairClass pc = classify_pair(r1.length, r1.mtime, r2->length, r2->mtime, one_hour, &warn);
        (pc == PairClass::Aligned ? c.aligned : pc == PairClass::NewerInDir1 ? c.newer_in_dir1 : c.newer_in_dir2)
            .push_back(r1.name);
        if (warn)
            c.warnings.push_back({r2->name, r1.length, r2->length});
        list2.erase(r2);
    }
    for (const FileRecord& r : list2)
        c.only_in_dir2.push_back(r.name);
    return c;
}

QString describe(const Classification& c)
{
    QString s;
    for (const QStringList* l : {&c.only_in_dir1, &c.newer_in_dir1, &c.aligned, &c.newer_in_dir2, &c.only_in_dir2})
        s += u'[' + l->join(u',') + u"] "_s;
    for (const SizeWarning& w : c.warnings)
        s += u"%1:%2/%3 "_s.arg(w.name2).arg(w.bytes_dir1).arg(w.bytes_dir2);
    return s;
}

}  // namespace

class TestClassification : public QObject {
    Q_OBJECT
private slots:
    void pair_rules();
    void pairs_across_case();
    void unreadable_files_count_only_where_read();
    void indexed_pairing_matches_scan();
};

void TestClassification::pair_rules()
{
    const qint64 t = 1'700'000'000;
    const PairClass n1 = PairClass::NewerInDir1, n2 = PairClass::NewerInDir2, same = PairClass::Aligned;
    struct Case {
        qint64 length1, date1, length2, date2;
        bool one_hour;
        PairClass want;
        bool warning;
    };
    const Case cases[] = {
        {5, t, 5, t, false, same, false},         {5, t, 5, t + 2, false, same, false},
        {5, t + 3, 5, t, false, n1, false},       {9, t, 5, t + 3, false, n2, false},  // lengths ignored
        {10, t, 20, t, false, n2, true},          {20, t, 10, t + 2, false, n1, true},
        {5, t + 3600, 5, t, false, n1, false},    {5, t + 3600, 5, t, true, same, false},
        {5, t, 7, t + 3600, true, n2, true},      {5, t + 3596, 5, t, true, n1, false},
        {5, t + 3597, 5, t, true, same, false},   {5, t, 5, t + 3603, true, same, false},
        {5, t, 5, t + 3604, true, n2, false},     {5, -100, 5, -103, false, n1, false},
        {5LL << 30, t, 1LL << 30, t, false, n1, true},  // equal in their low 32 bits
    };
    for (const Case& c : cases) {
        bool warned = !c.warning;
        const PairClass got = classify_pair(c.length1, c.date1, c.length2, c.date2, c.one_hour, &warned);
        QVERIFY2(got == c.want && warned == c.warning,
                 qPrintable(u"%1 B at %2 vs %3 B at %4, one hour %5"_s.arg(c.length1).arg(c.date1).arg(c.length2)
                                .arg(c.date2).arg(c.one_hour)));
    }
}

void TestClassification::pairs_across_case()
{
    const qint64 t = 1'000'000;
    Classification c = classify({rec(u"Readme.TXT"_s, 5LL << 30, t), rec(u"a.c"_s, 1, t)},
                                {rec(u"README.txt"_s, 1LL << 30, t), rec(u"b.c"_s, 1, t)}, false);
    QCOMPARE(c.newer_in_dir1, QStringList{u"Readme.TXT"_s});
    QCOMPARE(c.only_in_dir1, QStringList{u"a.c"_s});
    QCOMPARE(c.only_in_dir2, QStringList{u"b.c"_s});
    QCOMPARE(c.warnings.size(), 1);
    QCOMPARE(size_warning_text(c.warnings[0]),
             u"Warning! files README.TXT have same date/time and different lengths!\n\n"
             "Bytes in dir 1: 5368709120\nBytes in dir 2: 1073741824\n\n"
             "The larger one will be considered newer."_s);
    QVERIFY(c.differences_found());
    QVERIFY(classify({}, {rec(u"z"_s, 1, 1)}, false).differences_found());

    // Dir 2 holds "note" and "NOTE"; "NOTE" sorts first, so the first dir-1 twin pairs with it.
    const QVector<FileRecord> dir2{rec(u"note"_s, 2, t), rec(u"NOTE"_s, 1, t + 100)};
    c = classify({rec(u"Note"_s, 1, t + 100), rec(u"nOTE"_s, 2, t), rec(u"NoTe"_s, 3, t)}, dir2, false);
    QCOMPARE(c.aligned, (QStringList{u"Note"_s, u"nOTE"_s}));
    QCOMPARE(c.only_in_dir1, QStringList{u"NoTe"_s});  // no twin left for the third
    QVERIFY(c.only_in_dir2.isEmpty());
    c = classify({rec(u"note"_s, 2, t)}, dir2, false);
    QCOMPARE(c.newer_in_dir2, QStringList{u"note"_s});  // paired with "NOTE", 100 s newer
    QCOMPARE(c.only_in_dir2, QStringList{u"note"_s});
    QVERIFY(!classify({rec(u"z"_s, 1, 1)}, {rec(u"Z"_s, 1, 2)}, false).differences_found());
}

void TestClassification::unreadable_files_count_only_where_read()
{
    const qint64 t = 1'000'000;
    // Unreadable in dir 1: dir 2's file stays only in dir 2, and no value carries over to the next pair.
    Classification c = classify({rec(u"gone"_s, 0, 0, false), rec(u"x"_s, 1, t)},
                                {rec(u"Gone"_s, 7, t), rec(u"x"_s, 9, t + 50)}, false);
    QCOMPARE(c.only_in_dir2, QStringList{u"Gone"_s});
    QVERIFY(c.only_in_dir1.isEmpty() && c.warnings.isEmpty());
    QCOMPARE(c.newer_in_dir2, QStringList{u"x"_s});

    // Unreadable in dir 2: the dir-1 file is only in dir 1, the dir-2 name is nowhere.
    c = classify({rec(u"locked"_s, 5, t)}, {rec(u"locked"_s, 0, 0, false)}, false);
    QCOMPARE(c.only_in_dir1, QStringList{u"locked"_s});
    QVERIFY(c.only_in_dir2.isEmpty() && c.aligned.isEmpty() && c.newer_in_dir1.isEmpty() && c.newer_in_dir2.isEmpty());

    c = classify({rec(u"both"_s, 0, 0, false)}, {rec(u"both"_s, 0, 0, false)}, false);
    QVERIFY(!c.differences_found() && c.aligned.isEmpty());

    // An unreadable case twin in dir 2 leaves the readable twin to pair with.
    c = classify({rec(u"a"_s, 3, t)}, {rec(u"A"_s, 0, 0, false), rec(u"a"_s, 3, t)}, false);
    QCOMPARE(c.aligned, QStringList{u"a"_s});
    QVERIFY(c.only_in_dir2.isEmpty());
}

void TestClassification::indexed_pairing_matches_scan()
{
    // Few letters in random case, an accented one among them, make many names equal ignoring case.
    QRandomGenerator rng(20240611);
    const char16_t letters[] = u"abc\u00e9ABC\u00c9";
    auto listing = [&] {
        QVector<FileRecord> out;
        QSet<QString> seen;
        for (const int n = int(rng.bounded(40)); out.size() < n;) {
            QString name;
            for (int i = 0, len = 1 + int(rng.bounded(3)); i < len; ++i)
                name += QChar(letters[rng.bounded(8)]);
            if (!seen.contains(name)) {
                seen.insert(name);
                out.push_back(rec(name, rng.bounded(4), 1'000'000 + rng.bounded(8) * 1800LL, rng.bounded(15) != 0));
            }
        }
        if (rng.bounded(3) != 0)  // usually in listing order; else as made, so no order is assumed
            std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return name_less(a.name, b.name); });
        return out;
    };
    for (int run = 0; run < 300; ++run) {
        const QVector<FileRecord> d1 = listing(), d2 = listing();
        const QString got = describe(classify(d1, d2, run % 2)), want = describe(classify_by_scan(d1, d2, run % 2));
        if (got != want)
            QFAIL(qPrintable(u"run %1\n got: %2\nwant: %3"_s.arg(run).arg(got, want)));
    }
}

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
