// Listing real directories for a comparison: the file limit and its message, what takes part,
// and telling two paths of one directory apart from two directories.

#include "compare/DirectoryListing.h"
#include "compare/PairComparison.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "tests/util/ScriptedPort.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const qint64 base_time = 1'600'000'000;

void make_file(const QString& path, int bytes, qint64 mtime = base_time)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(QByteArray(bytes, 'x'));
    QVERIFY(f.flush());  // a write still buffered at close would set the date to now
    QVERIFY(f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime));
}

QString make_dir(const QTemporaryDir& tmp, const QString& name)
{
    const QString path = tmp.filePath(name) + u'/';
    QDir().mkpath(path);
    return path;
}

void fill(const QString& dir, int count)
{
    for (int i = 0; i < count; ++i)
        make_file(dir + QStringLiteral("f%1.txt").arg(i, 5, 10, QLatin1Char('0')), 0);
}

}  // namespace

class TestListing : public QObject {
    Q_OBJECT
private slots:
    void limit_and_its_message();
    void only_plain_visible_files_take_part();
    void same_directory_by_name_or_inode();
    void unlistable_directory_lists_nothing();
    void unreadable_directory_lists_nothing();

private:
    RealFileSystem fs_;
};

void TestListing::limit_and_its_message()
{
    QTemporaryDir tmp;
    const QString full = make_dir(tmp, QStringLiteral("full"));
    const QString over1 = make_dir(tmp, QStringLiteral("over1"));
    const QString over2 = make_dir(tmp, QStringLiteral("over2"));
    fill(full, 3001);
    fill(over1, 3002);
    fill(over2, 3002);
    // A pair with the same date and different lengths, inside the listed part.
    make_file(over1 + QStringLiteral("a.txt"), 1);
    make_file(over2 + QStringLiteral("A.TXT"), 2);

    const Listing at_limit = list_directory(fs_, full);
    QVERIFY(!at_limit.overflow);
    QCOMPARE(at_limit.records.size(), 3001);

    const Listing beyond = list_directory(fs_, over1);
    QVERIFY(beyond.overflow);
    QCOMPARE(beyond.records.size(), 3001);
    // The names that fit are the first ones in sorted order.
    QCOMPARE(beyond.records.first().name, QStringLiteral("a.txt"));
    QCOMPARE(beyond.records.last().name, QStringLiteral("f02999.txt"));

    ScriptedPort port;
    Classification c = compare_listed_directories(fs_, port, over1, over2, false);
    QCOMPARE(port.texts(), (QStringList{listing_limit_message(), size_warning_text({QStringLiteral("A.TXT"), 1, 2})}));
    QCOMPARE(port.shown[0].icon, MsgIcon::None);
    QCOMPARE(port.shown[1].icon, MsgIcon::Exclamation);
    QCOMPARE(listing_limit_message(),
             QStringLiteral("max number of files per directory reached (3000); some files will not be checked."));
    QCOMPARE(c.newer_in_dir2, QStringList{QStringLiteral("a.txt")});
    QCOMPARE(c.aligned.size(), 3000);

    // Only dir 2 over the limit: the message still comes, once.
    ScriptedPort port2;
    c = compare_listed_directories(fs_, port2, full, over2, false);
    QCOMPARE(port2.texts(), QStringList{listing_limit_message()});
    QCOMPARE(c.only_in_dir1, QStringList{QStringLiteral("f03000.txt")});  // its partner was cut off
    QCOMPARE(c.only_in_dir2, QStringList{QStringLiteral("A.TXT")});
}

void TestListing::only_plain_visible_files_take_part()
{
    QTemporaryDir tmp;
    const QString d1 = make_dir(tmp, QStringLiteral("one"));
    const QString d2 = make_dir(tmp, QStringLiteral("two"));
    make_file(d1 + QStringLiteral(".hidden"), 1);
    make_file(d2 + QStringLiteral(".hidden"), 5);
    QDir().mkpath(d1 + QStringLiteral("sub"));
    QDir().mkpath(d2 + QStringLiteral("Sub"));
    make_file(d2 + QStringLiteral("sub2"), 1);
    QDir().mkpath(d1 + QStringLiteral("sub2"));  // a directory in dir 1, a file in dir 2
    make_file(tmp.filePath(QStringLiteral("target")), 3, base_time + 60);
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("target")), d1 + QStringLiteral("link")));
    make_file(d2 + QStringLiteral("link"), 3, base_time);
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("missing")), d1 + QStringLiteral("broken")));

    ScriptedPort port;
    const Classification c = compare_listed_directories(fs_, port, d1, d2, false);
    QVERIFY(port.shown.isEmpty());
    QVERIFY(c.only_in_dir1.isEmpty());
    QCOMPARE(c.only_in_dir2, QStringList{QStringLiteral("sub2")});
    // A link takes part as the file it points to, with that file's date.
    QCOMPARE(c.newer_in_dir1, QStringList{QStringLiteral("link")});
    QVERIFY(c.aligned.isEmpty() && c.newer_in_dir2.isEmpty());
}

void TestListing::same_directory_by_name_or_inode()
{
    QTemporaryDir tmp;
    const QString real = make_dir(tmp, QStringLiteral("Data"));
    const QString other = make_dir(tmp, QStringLiteral("other"));
    const QString via_link = tmp.filePath(QStringLiteral("alias"));
    QVERIFY(QFile::link(without_final_separator(real), via_link));

    QVERIFY(same_directory(fs_, real, via_link));
    QVERIFY(same_directory(fs_, via_link + u'/', real));
    QVERIFY(same_directory(fs_, real, tmp.filePath(QStringLiteral("data"))));  // case only; need not exist
    QVERIFY(same_directory(fs_, without_final_separator(other), other));
    QVERIFY(!same_directory(fs_, real, other));
    QVERIFY(!same_directory(fs_, tmp.filePath(QStringLiteral("gone1")), tmp.filePath(QStringLiteral("gone2"))));
    QCOMPARE(equal_directories_message(),
             QStringLiteral("dir1 and dir2 are equal and in the same drive; please select a different drive or path "
                            "for one of the two directories"));
}

void TestListing::unlistable_directory_lists_nothing()
{
    QTemporaryDir tmp;
    const QString d1 = make_dir(tmp, QStringLiteral("one"));
    make_file(d1 + QStringLiteral("kept.txt"), 4);
    const QString missing = tmp.filePath(QStringLiteral("missing/"));

    const Listing l = list_directory(fs_, missing);
    QVERIFY(l.error.failed());
    QVERIFY(l.records.isEmpty());

    ScriptedPort port;
    ListingErrors errors;
    const Classification c = compare_listed_directories(fs_, port, d1, missing, false, &errors);
    QVERIFY(port.shown.isEmpty());  // passed over without a message
    QVERIFY(!errors.dir1.failed());
    QCOMPARE(errors.dir2.number, int(err_path_not_found));
    QCOMPARE(c.only_in_dir1, QStringList{QStringLiteral("kept.txt")});
}

void TestListing::unreadable_directory_lists_nothing()
{
    QTemporaryDir tmp;
    const QString d = make_dir(tmp, QStringLiteral("locked"));
    make_file(d + QStringLiteral("secret"), 1);
    QVERIFY(QFile::setPermissions(d, QFileDevice::Permissions()));
    const Listing l = list_directory(fs_, d);
    QFile::setPermissions(d, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!l.error.failed())
        QSKIP("this user reads every directory regardless of its permissions");
    QCOMPARE(l.error.number, int(err_permission_denied));
    QVERIFY(l.records.isEmpty());
}

QTEST_GUILESS_MAIN(TestListing)
#include "tst_listing.moc"
