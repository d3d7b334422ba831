// Listing real directories for a comparison: the file limit and its message, what takes part,
// and telling two paths of one directory apart from two directories.

#include "compare/DirectoryListing.h"
#include "compare/PairComparison.h"
#include "platform/RealFileSystem.h"
#include "tests/util/AsNobody.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

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
};

QTEST_GUILESS_MAIN(TestListing)
#include "tst_listing.moc"
