// Comparing two directories: the date and length rules, the pairing of names across case,
// unreadable files; listing real directories (the file limit and its message, what takes part,
// two paths of one directory); tandrel-compare's command line and text output; and the five list
// models: sorted, unique entries, selection, captions, align buttons and the hint.

#include "compare/Classification.h"
#include "compare/CompareCommand.h"
#include "compare/CompareOutput.h"
#include "compare/DirectoryListing.h"
#include "compare/FileListsModel.h"
#include "compare/PairComparison.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "tests/util/AsNobody.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

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

static const qint64 t = 1'600'000'000;

class TestListing : public QObject {
    Q_OBJECT

    RealFileSystem fs_;

private slots:
    void limit_and_its_message()
    {
        QTemporaryDir tmp;
        const QString d1 = tmp.filePath(u"one/"_s), d2 = tmp.filePath(u"two/"_s);
        QVERIFY(make_tree(tmp.path(), { u"one"_s, u"two"_s }) && make_file(d2 + u"A.TXT"_s, "xx", t));
        for (int i = 0; i < 3002; ++i) { // dir 1 just at the limit, dir 2 one beyond
            const QString name = u"f%1.txt"_s.arg(i, 5, 10, QChar(u'0'));
            QVERIFY((i == 3001 || make_file(d1 + name, {}, t)) && make_file(d2 + name, {}, t));
        }
        QVERIFY(!list_directory(fs_, d1).overflow);

        // Only dir 2 over the limit: the message comes. f03000's partner was cut off in dir 2, so it
        // takes part in nothing rather than showing as only in dir 1, where aligning would overwrite.
        ScriptedPort port;
        Classification c = compare_listed_directories(fs_, port, d1, d2, false);
        QCOMPARE(port.texts(),
            QStringList { u"max number of files per directory reached (3000); some files will not be checked."_s });
        QVERIFY(c.only_in_dir1.isEmpty());
        QCOMPARE(c.only_in_dir2, QStringList { u"A.TXT"_s });
        QCOMPARE(c.aligned.size(), 3000);
        QVERIFY(c.listing_cut && c.differences_found()); // not looked at in full: never "aligned"
        // The same with the sides swapped: dir 2 is cut where dir 1 ends.
        c = compare_listed_directories(fs_, port, d2, d1, false);
        QVERIFY(c.only_in_dir2.isEmpty() && c.differences_found());
        QCOMPARE(c.only_in_dir1, QStringList { u"A.TXT"_s });

        // Both over the limit: the message once, then the size warning of a pair inside the listed part.
        QVERIFY(make_file(d1 + u"f03001.txt"_s, {}, t) && make_file(d1 + u"a.txt"_s, "x", t));
        const Listing beyond = list_directory(fs_, d1);
        QVERIFY(beyond.overflow);
        QCOMPARE(beyond.records.size(), 3001);
        QCOMPARE(beyond.records.first().name, u"a.txt"_s); // the names that fit come first in sorted order
        QCOMPARE(beyond.records.last().name, u"f02999.txt"_s);
        ScriptedPort port2;
        c = compare_listed_directories(fs_, port2, d1, d2, false);
        QCOMPARE(port2.texts(), (QStringList { listing_limit_message(), size_warning_text({ u"A.TXT"_s, 1, 2 }) }));
        QVERIFY(port2.shown[0].icon == MsgIcon::None && port2.shown[1].icon == MsgIcon::Exclamation);
        QCOMPARE(c.newer_in_dir2, QStringList { u"a.txt"_s });
        QCOMPARE(c.aligned.size(), 3000);
    }

    void only_plain_visible_files_take_part()
    {
        QTemporaryDir tmp;
        const QString d1 = tmp.filePath(u"one/"_s), d2 = tmp.filePath(u"two/"_s), target = tmp.filePath(u"target"_s);
        QVERIFY(make_tree(tmp.path(), { u"one/sub"_s, u"one/sub2"_s, u"two/Sub"_s })); // sub2: a file in dir 2
        QVERIFY(make_file(d1 + u".hidden"_s, "x", t) && make_file(d2 + u".hidden"_s, "xxxxx", t));
        QVERIFY(make_file(d2 + u"sub2"_s, "x", t) && make_file(d2 + u"link"_s, "xyz", t));
        QVERIFY(make_file(target, "xyz", t + 60) && QFile::link(target, d1 + u"link"_s));
        QVERIFY(QFile::link(tmp.filePath(u"missing"_s), d1 + u"broken"_s));

        ScriptedPort port;
        const Classification c = compare_listed_directories(fs_, port, d1, d2, false);
        QVERIFY(port.shown.isEmpty() && c.only_in_dir1.isEmpty() && c.aligned.isEmpty() && c.newer_in_dir2.isEmpty());
        QCOMPARE(c.only_in_dir2, QStringList { u"sub2"_s });
        QCOMPARE(c.newer_in_dir1, QStringList { u"link"_s }); // a link takes part as its target, with the target's date
    }

    void same_directory_by_name_or_inode()
    {
        QTemporaryDir tmp;
        const QString real = tmp.filePath(u"Data"_s), other = tmp.filePath(u"other"_s),
                      alias = tmp.filePath(u"alias"_s);
        QVERIFY(make_tree(tmp.path(), { u"Data"_s, u"other"_s }) && QFile::link(real, alias));
        QVERIFY(same_directory(fs_, real + u'/', alias));
        QVERIFY(same_directory(fs_, alias + u'/', real));
        QVERIFY(same_directory(fs_, real, tmp.filePath(u"data"_s))); // case only; need not exist
        QVERIFY(!same_directory(fs_, real, other));
        QVERIFY(!same_directory(fs_, tmp.filePath(u"gone1"_s), tmp.filePath(u"gone2"_s)));
    }

    void unlistable_directory_lists_nothing()
    {
        QTemporaryDir tmp;
        const QString d1 = tmp.filePath(u"one/"_s), locked = tmp.filePath(u"locked/"_s);
        QVERIFY(make_tree(tmp.path(), { u"one"_s, u"locked"_s }, { u"one/kept.txt"_s, u"locked/secret"_s }));

        ScriptedPort port;
        ListingErrors errors;
        const Classification c = compare_listed_directories(fs_, port, d1, tmp.filePath(u"missing/"_s), false, &errors);
        QVERIFY(port.shown.isEmpty() && !errors.dir1.failed()); // passed over without a message
        QCOMPARE(errors.dir2.number, int(err_path_not_found));
        QCOMPARE(c.only_in_dir1, QStringList { u"kept.txt"_s });

        // A directory that cannot be read: the error, and nothing listed.
        for (const auto& [dir, mode] : { std::pair { tmp.path(), 0755 }, { locked, 0 } })
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), mode), 0);
        const AsNobody nobody;
        const Listing l = list_directory(fs_, locked);
        QCOMPARE(l.error.number, int(err_permission_denied));
        QVERIFY(l.records.isEmpty());
    }

    void unreadable_and_undecodable_names_are_counted()
    {
        QTemporaryDir tmp;
        const QString d1 = tmp.filePath(u"one/"_s), d2 = tmp.filePath(u"two/"_s);
        const QString composed = u"caf\u00e9"_s, decomposed = u"Cafe\u0301"_s;
        QVERIFY(make_tree(tmp.path(), { u"one"_s, u"two"_s }, { u"one/seen"_s, u"two/seen"_s, u"one/only"_s }));
        QVERIFY(make_file(d1 + composed, "x", t) && make_file(d2 + decomposed, "x", t));
        const QByteArray odd = QFile::encodeName(d2) + "odd\xff";
        QVERIFY(std::fclose(std::fopen(odd.constData(), "w")) == 0); // bytes no name can stand for

        // The other side's spelling of a name in another Unicode form is found, as for case.
        QCOMPARE(fs_.resolve_case(d2, composed), decomposed);
        ScriptedPort port;
        Classification c = compare_listed_directories(fs_, port, d1, d2, false);
        QCOMPARE(c.aligned, (QStringList { composed, u"seen"_s }));
        QCOMPARE(c.unreadable_dir2, QStringList { u"odd\\xFF"_s });
        QVERIFY(c.differences_found() && port.texts().size() == 1);
        QCOMPARE(port.texts()[0],
            u"1 file of dir 2 could not be read ("_s + d2
                + u").\nIt takes part in nothing, nor does a file of the same name in dir 1."_s);

        // A directory that can be listed but not searched: its names are listed, their lengths and
        // dates are out of reach, and their partners take part in nothing either.
        QCOMPARE(std::remove(odd.constData()), 0);
        for (const auto& [dir, mode] : { std::pair { tmp.path(), 0755 }, { d1, 0755 }, { d2, 0744 } })
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), mode), 0);
        {
            const AsNobody nobody;
            ScriptedPort port2;
            c = compare_listed_directories(fs_, port2, d1, d2, false);
            QCOMPARE(port2.texts().size(), 1);
        }
        if (c.unreadable_dir2.isEmpty())
            QSKIP("this user searches every directory regardless of its permissions");
        QCOMPARE(c.unreadable_dir2, (QStringList { decomposed, u"seen"_s }));
        QCOMPARE(c.only_in_dir1, QStringList { u"only"_s });
        QVERIFY(c.aligned.isEmpty() && c.only_in_dir2.isEmpty() && c.differences_found());
    }

    void pair_rules()
    {
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
        // Every list comes in name order, whatever the order given.
        const Classification c = classify({ { u"Readme.TXT"_s, 5LL << 30, t }, { u"c.c"_s, 1, t }, { u"a.c"_s, 1, t } },
            { { u"README.txt"_s, 1LL << 30, t }, { u"b.c"_s, 1, t } }, false);
        QCOMPARE(describe(c), u"[a.c,c.c] [Readme.TXT] [] [] [b.c] README.txt:5368709120/1073741824 "_s);
        QCOMPARE(size_warning_text(c.warnings[0]),
            u"Warning! files README.TXT have same date/time and different lengths!\n\n"
            "Bytes in dir 1: 5368709120\nBytes in dir 2: 1073741824\n\nThe larger one will be considered newer."_s);
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

    void command_lines()
    {
        using A = CompareCommand::Action;
        QTemporaryDir tmp;
        QVERIFY(make_tree(tmp.path(), { u"one"_s, u"two"_s }, { u"file.txt"_s }));
        RealFileSystem fs;
        // Each row: the arguments ("@" is the temporary folder), then the action, the options as
        // "1h"/"json"/"tree", and for a comparison what becomes of the two directories (the reason when one
        // cannot be compared), else the error. The plain cases are run on the program by its script.
        struct Row {
            QStringList args;
            A action;
            QString options, outcome;
        };
        const QString too_long = u"@/"_s + QString(300, u'x');
        const Row rows[] = {
            { { u"--json"_s, u"@/one"_s, u"--ignore-one-hour"_s, u"@/two/"_s }, A::Compare, u"1h json"_s,
                u"@/one/ | @/two/"_s },
            { { u"--"_s, u"@/one"_s, u"-x"_s }, A::Compare, {}, u"@/one/ | -x: Error 53 - File not found"_s },
            { { u"@/file.txt"_s, u"@/two"_s }, A::Compare, {}, u"@/file.txt: not a directory | @/two/"_s },
            { { u"@/one"_s, too_long }, A::Compare, {},
                u"@/one/ | "_s + too_long + u": the path is too long for this system"_s },
            { { u"@/one"_s, u"@/two"_s, u"@/three"_s }, A::Invalid, {},
                u"only two directories can be compared; also given: @/three"_s },
            { { u"-json"_s, u"@/one"_s, u"@/two"_s }, A::Compare, u"json"_s, u"@/one/ | @/two/"_s },
            { { u"@/one"_s, u"--tree"_s, u"@/two"_s }, A::Compare, u"tree"_s, u"@/one/ | @/two/"_s },
            { { u"@/one"_s, u"--help"_s }, A::Help, {}, {} },
            { { u"-h"_s }, A::Help, {}, {} },
        };
        for (const Row& row : rows) {
            QStringList args = row.args;
            args.replaceInStrings(u"@"_s, tmp.path());
            const CompareCommand c = parse_compare_command(args);
            const QString options = QStringList { c.ignore_one_hour ? u"1h"_s : QString(),
                c.json ? u"json"_s : QString(), c.tree ? u"tree"_s : QString() }
                                        .join(u' ')
                                        .simplified();
            QString outcome = c.error;
            if (c.action == A::Compare) {
                const Result<QString> d1 = compare_directory_argument(fs, c.dirs[0]);
                const Result<QString> d2 = compare_directory_argument(fs, c.dirs[1]);
                QVERIFY(d1.ok() == !d1.value.contains(u':') && d2.ok() == !d2.value.contains(u':'));
                outcome = d1.value + u" | "_s + d2.value;
            }
            const QString want = QString(row.outcome).replace(u'@', tmp.path());
            QVERIFY2(c.action == row.action && options == row.options && outcome == want,
                qPrintable(args.join(u' ') + u" => "_s + outcome));
        }
    }

    void names_that_could_forge_a_line()
    {
        const std::pair<QString, QString> rows[] = {
            { u"plain \\ name.txt"_s, u"plain \\ name.txt"_s }, // a backslash alone is left as it is
            { u"two\nlines"_s, u"two\\nlines"_s },
            { u"a\\b\rc\td"_s, u"a\\\\b\\rc\\td"_s }, // in an escaped name every backslash is doubled
            { u"\x1b[31mred"_s, u"\\e[31mred"_s },
            { u"bell\x07 del\x7f"_s, u"bell\\x07 del\\x7F"_s },
            { u"c1\u0085 sep\u2028 caf\u00e9 \U0001F600"_s, u"c1\\u0085 sep\\u2028 caf\u00e9 \U0001F600"_s },
        };
        for (const auto& [name, shown] : rows)
            QCOMPARE(escaped_name(name), shown);
        // Bytes that do not decode are written as such; so a backslash is doubled, and controls escaped.
        QCOMPARE(escaped_bytes("a\\b\n\xff\xc3\xa9\xc3"), u"a\\\\b\\n\\xFF\u00e9\\xC3"_s);
        QCOMPARE(terminal_safe(u"files A\\B\x1b[2J\r have\nlines"_s), u"files A\\B\\e[2J\\r have\nlines"_s);
    }

    void a_list_stays_sorted_and_unique_and_keeps_its_selection()
    {
        FileListModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char16_t* n :
            { u"zeta.txt", u"Alpha.doc", u"beta", u"alpha.doc", u"BETA", u"beta", u"\u00e9t\u00e9" })
            m.add(QString::fromUtf16(n));
        // Ignoring case first; a case twin sorts by its exact spelling; "beta" was added only once.
        QCOMPARE(m.names(),
            (QStringList { u"Alpha.doc"_s, u"alpha.doc"_s, u"BETA"_s, u"beta"_s, u"zeta.txt"_s, u"\u00e9t\u00e9"_s }));
        QCOMPARE(m.index_of(u"beta"_s), 3);
        QCOMPARE(m.index_of(u"Beta"_s), -1); // exact spelling only
        QVERIFY(!m.remove(u"Zeta.txt"_s));
        QVERIFY(m.remove(u"zeta.txt"_s));
        m.remove_at(0);
        m.remove_at(99); // out of range: nothing happens
        QCOMPARE(m.names(), (QStringList { u"alpha.doc"_s, u"BETA"_s, u"beta"_s, u"\u00e9t\u00e9"_s }));

        m.set_names({ u"e"_s, u"c"_s, u"A"_s, u"c"_s });
        QCOMPARE(m.names(), (QStringList { u"A"_s, u"c"_s, u"e"_s }));
        m.select_row(2, true);
        m.select_row(0, true);
        m.select_row(-1, true); // out of range: nothing happens
        // Rows inserted before and a selected row removed keep the selection on the same names.
        m.add(u"b"_s);
        m.add(u"d"_s);
        QCOMPARE(m.selected_names(), (QStringList { u"A"_s, u"e"_s }));
        QVERIFY(m.remove(u"A"_s));
        QCOMPARE(m.selected_names(), QStringList { u"e"_s });
        m.select_row(m.index_of(u"e"_s), false);
        QVERIFY(!m.any_selected());
        m.select_row(1, true);
        m.set_names({ u"x"_s, u"y"_s }); // a new content comes with nothing selected
        QVERIFY(!m.any_selected() && m.selected_names().isEmpty());

        // Batches go in and out as runs of adjacent rows; the selection stays on its names.
        m.select_row(0, true);
        m.add_names({ u"z"_s, u"a"_s, u"y"_s, u"w"_s, u"a"_s, u"X"_s });
        QCOMPARE(m.names(), (QStringList { u"a"_s, u"w"_s, u"X"_s, u"x"_s, u"y"_s, u"z"_s }));
        m.remove_names({ u"z"_s, u"a"_s, u"gone"_s, u"X"_s, u"a"_s });
        QCOMPARE(m.names(), (QStringList { u"w"_s, u"x"_s, u"y"_s }));
        QCOMPARE(m.selected_names(), QStringList { u"x"_s });
    }

    void captions_and_buttons()
    {
        FileListsModel lists;
        QSignalSpy caption_changes(&lists, &FileListsModel::caption_changed);
        lists.set_comparison_captions();
        QCOMPARE(lists.caption(5), u"aligned"_s);
        QCOMPARE(caption_changes.size(), 2); // only the captions of lists 1 and 3 change
        lists.set_plain_captions();
        QVERIFY(lists.caption(2) == u"files in dir 2"_s && lists.caption(4).isEmpty());

        QSignalSpy button_changes(&lists, &FileListsModel::align_button_changed);
        lists.set_align_buttons_visible(false);
        QCOMPARE(button_changes.size(), 4);
        QVERIFY(!lists.align_button_visible(1) && !lists.align_button_visible(4));

        lists.list(3).set_names({ u"x"_s, u"y"_s });
        lists.list(3).select_row(1, true);
        lists.set_align_caption(3);
        QCOMPARE(lists.align_caption(3), u"align selected files"_s);
        QCOMPARE(lists.align_caption(4), u"align these files"_s); // other buttons untouched
    }

    void hint_follows_lists_one_to_four()
    {
        FileListsModel lists;
        lists.list(5).add(u"same.txt"_s);
        lists.set_default_comment();
        QVERIFY(lists.hint().isEmpty()); // aligned files are no differences
        lists.list(4).add(u"f"_s);
        lists.set_default_comment();
        QCOMPARE(lists.hint(), FileListsModel::standing_hint()); // one is enough

        QStringList names;
        for (int i = 0; i < 65536; ++i)
            names.push_back(QString::number(i));
        lists.list(4).set_names(names); // a 16-bit count would wrap to 0 and hide the hint
        QCOMPARE(lists.difference_count(), qint64(65536));
        lists.set_default_comment();
        QCOMPARE(lists.hint(), FileListsModel::standing_hint());
    }
};

QTEST_GUILESS_MAIN(TestListing)
#include "tst_listing.moc"
