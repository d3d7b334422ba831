// The date and length rules, the pairing of names across case, and unreadable files.

#include "compare/Classification.h"

#include <QDateTime>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "[only in dir 1] [newer in dir 1] [aligned] [newer in dir 2] [only in dir 2] name2:bytes1/bytes2 ..."
QString describe(const Classification& c)
{
    QString s;
    for (const QStringList* l : { &c.only_in_dir1, &c.newer_in_dir1, &c.aligned, &c.newer_in_dir2, &c.only_in_dir2 })
        s += u'[' + l->join(u',') + u"] "_s;
    for (const SizeWarning& w : c.warnings)
        s += u"%1:%2/%3 "_s.arg(w.name2).arg(w.bytes_dir1).arg(w.bytes_dir2);
    if (!c.unreadable_dir1.isEmpty() || !c.unreadable_dir2.isEmpty())
        s += u"unreadable " + c.unreadable_dir1.join(u',') + u'|' + c.unreadable_dir2.join(u',');
    return s;
}

} // namespace

class TestClassification : public QObject {
    Q_OBJECT
private slots:
    void pair_rules()
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
            { 5, t, 5, t, false, same, false }, { 5, t, 5, t + 2, false, same, false },
            { 5, t + 3, 5, t, false, n1, false }, { 9, t, 5, t + 3, false, n2, false }, // lengths ignored
            { 10, t, 20, t, false, n2, true }, { 20, t, 10, t + 2, false, n1, true },
            { 5, t + 3600, 5, t, false, n1, false }, { 5, t + 3600, 5, t, true, same, false },
            { 5, t, 7, t + 3600, true, n2, true }, { 5, t + 3596, 5, t, true, n1, false },
            { 5, t + 3597, 5, t, true, same, false }, { 5, t, 5, t + 3603, true, same, false },
            { 5, t, 5, t + 3604, true, n2, false }, { 5, -100, 5, -103, false, n1, false },
            { 5LL << 30, t, 1LL << 30, t, false, n1, true }, // equal in their low 32 bits
        };
        for (const Case& c : cases) {
            bool warned = !c.warning;
            const PairClass got = classify_pair(c.length1, c.date1, c.length2, c.date2, c.one_hour, &warned);
            QVERIFY2(got == c.want && warned == c.warning, qPrintable(u"case %1"_s.arg(&c - cases)));
        }

        // A stick keeps a date before 1980 as 1980-01-01 or as the same day 128 years on: such a pair
        // is not listed as different for ever. A real date there (an edit on the stick) still decides.
        const qint64 y1970 = QDateTime(QDate(1970, 1, 2), QTime(0, 0)).toSecsSinceEpoch();
        const qint64 y1980 = QDateTime(QDate(1980, 1, 1), QTime(0, 0)).toSecsSinceEpoch();
        const qint64 y2098 = QDateTime(QDate(2098, 1, 2), QTime(0, 0, 1)).toSecsSinceEpoch();
        const auto aligned = [](qint64 date1, qint64 date2, DateVolumes volumes) {
            return describe(classify({ { u"f"_s, 5, date1 } }, { { u"f"_s, 5, date2 } }, false, volumes))
                .startsWith(u"[] [] [f]"_s);
        };
        QVERIFY(aligned(y1970, y1980, { false, true }) && aligned(y2098, y1970, { true, false }));
        QVERIFY(!aligned(y1970, y1980, {}) && !aligned(y1970, t, { false, true })
            && !aligned(y1980 + 86400 * 2, y1980, { false, true }));
    }

    void pairs_across_case()
    {
        const qint64 t = 1'000'000;
        // Every list comes in name order, whatever the order given.
        const Classification c = classify({ { u"Readme.TXT"_s, 5LL << 30, t }, { u"c.c"_s, 1, t }, { u"a.c"_s, 1, t } },
            { { u"README.txt"_s, 1LL << 30, t }, { u"b.c"_s, 1, t } }, false);
        QCOMPARE(describe(c), u"[a.c,c.c] [Readme.TXT] [] [] [b.c] README.txt:5368709120/1073741824 "_s);
        QCOMPARE(size_warning_text(c.warnings[0]),
            u"Warning! files README.TXT have same date/time and different lengths!\n\n"
            "Bytes in dir 1: 5368709120\nBytes in dir 2: 1073741824\n\nThe larger one will be considered newer."_s);
        QVERIFY(c.differences_found());
        QVERIFY(classify({}, { { u"z"_s, 1, 1 } }, false).differences_found());
        QVERIFY(!classify({ { u"z"_s, 1, 1 } }, { { u"Z"_s, 1, 2 } }, false).differences_found());
        // Accented letters pair across case too; "only in dir 2" comes out sorted whatever the order given.
        QCOMPARE(describe(classify({ { u"\u00e9t\u00e9"_s, 1, t } },
                     { { u"z"_s, 1, t }, { u"\u00c9T\u00c9"_s, 1, t }, { u"B"_s, 1, t }, { u"a"_s, 1, t } }, false)),
            u"[] [] [\u00e9t\u00e9] [] [a,B,z] "_s);

        // Case twins pair only with the same spelling: the file an action on a pair finds by name is
        // then the one that was compared, never the twin the lists show as "only in" its side.
        const QVector<FileRecord> dir2 { { u"note"_s, 2, t }, { u"NOTE"_s, 1, t + 100 } };
        QCOMPARE(
            describe(classify({ { u"Note"_s, 1, t + 100 }, { u"nOTE"_s, 2, t }, { u"note"_s, 3, t } }, dir2, false)),
            u"[Note,nOTE] [note] [] [] [NOTE] note:3/2 "_s);
        QCOMPARE(describe(classify({ { u"note"_s, 2, t } }, dir2, false)), u"[] [] [note] [] [NOTE] "_s);
        QCOMPARE(describe(classify({ { u"NOTE"_s, 1, t }, { u"note"_s, 2, t } }, { { u"note"_s, 2, t } }, false)),
            u"[NOTE] [] [note] [] [] "_s);
    }

    void unreadable_files_take_no_part_on_either_side()
    {
        const qint64 t = 1'000'000;
        struct Case {
            QVector<FileRecord> dir1, dir2;
            QString want;
        };
        const Case cases[] = {
            // Its partner does not show as "only in dir 2", and none of its values carry over.
            { { { u"gone"_s, 0, 0, false }, { u"x"_s, 1, t } }, { { u"Gone"_s, 7, t }, { u"x"_s, 9, t + 50 } },
                u"[] [] [] [x] [] unreadable gone|"_s },
            { { { u"lock"_s, 5, t } }, { { u"lock"_s, 0, 0, false } }, u"[] [] [] [] [] unreadable |lock"_s },
            { { { u"both"_s, 0, 0, false } }, { { u"both"_s, 0, 0, false } },
                u"[] [] [] [] [] unreadable both|both"_s },
            // An unreadable case twin may be the partner: its whole name is left alone.
            { { { u"a"_s, 3, t }, { u"b"_s, 3, t } }, { { u"A"_s, 0, 0, false }, { u"a"_s, 3, t }, { u"b"_s, 3, t } },
                u"[] [] [b] [] [] unreadable |A"_s },
        };
        for (const Case& c : cases) {
            const Classification got = classify(c.dir1, c.dir2, false);
            QCOMPARE(describe(got), c.want);
            QVERIFY(got.differences_found());
        }
    }

    void what_counts_as_a_difference()
    {
        // Every list but "aligned" counts, and so do unreadable names and a cut listing.
        for (int i = 0; i < 8; ++i) {
            Classification c;
            c.aligned << u"a"_s;
            QStringList* lists[] = { &c.only_in_dir1, &c.newer_in_dir1, &c.newer_in_dir2, &c.only_in_dir2,
                &c.unreadable_dir1, &c.unreadable_dir2 };
            if (i < 6)
                *lists[i] << u"x"_s;
            c.listing_cut = i == 6;
            QCOMPARE(c.differences_found(), i != 7);
        }
    }
};

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
