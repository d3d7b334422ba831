// The machine's file system on temporary trees: listings, links, sizes, dates, the atomic copy and
// write, names, and the error numbers.

#include "platform/RealFileSystem.h"
#include "tests/util/FaultyFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

void make_file(const QString& path, const QByteArray& content, qint64 mtime = 0, long nsec = 0)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    if (mtime) {
        const timespec t[2] = {{mtime, nsec}, {mtime, nsec}};
        QCOMPARE(::utimensat(AT_FDCWD, native(path).constData(), t, 0), 0);
    }
}

QByteArray content_of(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList names(const QVector<DirEntry>& entries)
{
    QStringList n;
    for (const DirEntry& e : entries)
        n << e.name;
    return n;
}

QByteArray pattern(qsizetype size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 4096) & 0xff);
    return b;
}

// Root ignores directory permissions; the permission cases run as "nobody" for their duration.
class AsNobody {
public:
    AsNobody() : was_root_(::geteuid() == 0)
    {
        if (was_root_ && ::seteuid(65534) != 0)
            qFatal("seteuid failed");
    }
    ~AsNobody()
    {
        if (was_root_ && ::seteuid(0) != 0)
            qFatal("seteuid failed");
    }

private:
    bool was_root_;
};

}  // namespace

class TestRealFileSystem : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString d_;  // a fresh directory per test, with final "/"
    RealFileSystem fs_;

private slots:
    void init()
    {
        static int n = 0;
        d_ = tmp_.path() + QStringLiteral("/t%1/").arg(++n);
        QVERIFY(QDir().mkpath(d_));
    }

    void listing_kinds_hidden_links_and_order()
    {
        make_file(d_ + u"b.txt", "bb", 1600000000, 999999999);
        make_file(d_ + u"A.txt", "a");
        make_file(d_ + u"c.TXT", "c");
        make_file(d_ + u".hidden", "h");
        make_file(d_ + u"\u00c9t\u00e9.txt", "e");
        QVERIFY(QDir(d_).mkdir(QStringLiteral("sub")));
        QVERIFY(QDir(d_).mkdir(QStringLiteral(".hiddendir")));
        QCOMPARE(::symlink("b.txt", native(d_ + u"link.txt").constData()), 0);
        QCOMPARE(::symlink("nowhere", native(d_ + u"broken.txt").constData()), 0);
        QCOMPARE(::symlink("sub", native(d_ + u"dirlink").constData()), 0);
        QCOMPARE(::mkfifo(native(d_ + u"pipe").constData(), 0600), 0);
        // Bytes that are not valid UTF-8 cannot be named exactly; such a file must stay out of reach.
        const int bad = ::open(QByteArray(native(d_) + "bad\xff.txt").constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(bad >= 0);
        ::close(bad);

        auto files = fs_.list(d_, EntryKind::Files, false);
        QVERIFY(files.ok());
        QCOMPARE(names(files.value), (QStringList{u"A.txt"_qs, u"b.txt"_qs, u"c.TXT"_qs, u"link.txt"_qs,
                                                  u"\u00c9t\u00e9.txt"_qs}));
        const DirEntry& link = files.value[3];
        QVERIFY(link.is_link && link.readable);
        QCOMPARE(link.length, 2);
        QCOMPARE(link.mtime, 1600000000);  // the target's date, whole seconds
        QCOMPARE(files.value[1].mtime, 1600000000);
        QVERIFY(!files.value[1].is_link);

        files = fs_.list(d_.chopped(1), EntryKind::Files, true);
        QCOMPARE(names(files.value).first(), u".hidden"_qs);
        QVERIFY(files.value.first().hidden);
        QCOMPARE(files.value.size(), 6);

        const auto dirs = fs_.list(d_, EntryKind::Directories, true);
        QVERIFY(dirs.ok());
        QCOMPARE(names(dirs.value), (QStringList{u".hiddendir"_qs, u"dirlink"_qs, u"sub"_qs}));
        QVERIFY(dirs.value[1].is_link && !dirs.value[2].is_link);
        QCOMPARE(names(fs_.list(d_, EntryKind::Directories, false).value), (QStringList{u"dirlink"_qs, u"sub"_qs}));
        QCOMPARE(::unlink(QByteArray(native(d_) + "bad\xff.txt").constData()), 0);  // beyond QDir's reach
    }

    void info_sizes_dates_and_links()
    {
        const QString big = d_ + u"big.bin";
        make_file(big, {});
        const qint64 five_gib = qint64(5) << 30;
        QCOMPARE(::truncate(native(big).constData(), five_gib), 0);  // sparse: costs no space
        QCOMPARE(fs_.list(d_, EntryKind::Files, false).value.first().length, five_gib);
        auto i = fs_.info(big);
        QVERIFY(i.ok() && i.value.is_file && !i.value.is_dir && !i.value.is_link);
        QCOMPARE(i.value.length, five_gib);

        make_file(d_ + u".f", "x", 1700000000, 500000000);
        i = fs_.info(d_ + u".f");
        QCOMPARE(i.value.mtime, 1700000000);
        QVERIFY(i.value.hidden);
        QCOMPARE(::symlink(".f", native(d_ + u"l").constData()), 0);
        i = fs_.info(d_ + u"l");
        QVERIFY(i.ok() && i.value.is_link && i.value.is_file && !i.value.hidden);
        QCOMPARE(i.value.mtime, 1700000000);
        QCOMPARE(::symlink("gone", native(d_ + u"broken").constData()), 0);
        QCOMPARE(fs_.info(d_ + u"broken").error.number, int(err_file_not_found));
        QVERIFY(fs_.exists(d_ + u"broken").value);  // the link itself stands there
        QVERIFY(!fs_.exists(d_ + u"nothing").value && fs_.exists(d_ + u"nothing").ok());
        QVERIFY(fs_.dir_exists(d_) && !fs_.dir_exists(d_ + u".f"));
    }

    void copy_replaces_atomically_and_keeps_the_date()
    {
        const QString src = d_ + u"src.bin", dst = d_ + u"dst.bin";
        const QByteArray data = pattern(3 * 1024 * 1024 + 17);
        make_file(src, data, 1500000000, 250000000);
        make_file(dst, "old destination");
        QVERIFY(!fs_.copy_file(src, dst).failed());
        QCOMPARE(content_of(dst), data);
        QCOMPARE(fs_.info(dst).value.mtime, 1500000000);
        QCOMPARE(names(fs_.list(d_, EntryKind::Files, true).value), (QStringList{u"dst.bin"_qs, u"src.bin"_qs}));

        // A destination that is a link takes the content; the link stays a link.
        QVERIFY(QDir(d_).mkdir(QStringLiteral("elsewhere")));
        make_file(d_ + u"elsewhere/real", "old");
        QCOMPARE(::symlink("elsewhere/real", native(d_ + u"ln").constData()), 0);
        QVERIFY(!fs_.copy_file(src, d_ + u"ln").failed());
        QVERIFY(fs_.info(d_ + u"ln").value.is_link);
        QCOMPARE(content_of(d_ + u"elsewhere/real"), data);
    }

    void failed_copy_or_write_leaves_the_old_file()
    {
        const QString src = d_ + u"src.bin", dst = d_ + u"dst.bin";
        make_file(src, pattern(2 * 1024 * 1024), 1500000000);
        make_file(dst, "precious", 1400000000);
        FaultyFileSystem faulty;
        faulty.fail_write_at(1500000, ENOSPC);
        const FsError e = faulty.copy_file(src, dst);
        QCOMPARE(e.number, int(err_disk_full));
        QCOMPARE(e.description, u"Disk full"_qs);
        QCOMPARE(content_of(dst), QByteArray("precious"));
        QCOMPARE(fs_.info(dst).value.mtime, 1400000000);
        QCOMPARE(faulty.copy_file(src, d_ + u"new.bin").number, int(err_disk_full));
        QCOMPARE(names(fs_.list(d_, EntryKind::Files, true).value), (QStringList{u"dst.bin"_qs, u"src.bin"_qs}));

        faulty.fail_write_at(3, EIO, 1);
        QCOMPARE(faulty.write_file(dst, "replacement").number, int(err_device_io));
        QCOMPARE(content_of(dst), QByteArray("precious"));
        QVERIFY(!faulty.write_file(dst, "replacement").failed());  // the fault was for one file
        QCOMPARE(content_of(dst), QByteArray("replacement"));
        QVERIFY(!fs_.append_file(dst, " + more").failed());
        QCOMPARE(fs_.read_file(dst).value, QByteArray("replacement + more"));
        QCOMPARE(fs_.list(d_, EntryKind::Files, true).value.size(), 2);
    }

    void copy_onto_itself_is_refused()
    {
        const QString f = d_ + u"only.txt";
        make_file(f, "the only copy");
        QCOMPARE(::symlink("only.txt", native(d_ + u"alias").constData()), 0);
        QCOMPARE(::link(native(f).constData(), native(d_ + u"hard").constData()), 0);
        for (const QString& to : QStringList{f, d_ + u"alias", d_ + u"hard", d_ + u"./only.txt"}) {
            QVERIFY2(fs_.copy_file(f, to).failed(), qPrintable(to));
            QCOMPARE(content_of(f), QByteArray("the only copy"));
        }
    }

    void names_cases_and_links_on_removal()
    {
        make_file(d_ + u"Readme.TXT", "1");
        make_file(d_ + u"README.txt", "2");
        QCOMPARE(fs_.resolve_case(d_, u"Readme.TXT"_qs), u"Readme.TXT"_qs);
        QCOMPARE(fs_.resolve_case(d_, u"readme.txt"_qs), u"README.txt"_qs);  // first in sorted order
        QCOMPARE(fs_.resolve_case(d_.chopped(1), u"new.txt"_qs), u"new.txt"_qs);

        // A name that does not convert exactly is refused, never mapped onto a neighbour.
        make_file(d_ + u"x?", "q");
        make_file(d_ + u"x\ufffd", "r");
        const QString lone = d_ + u'x' + QChar(0xd800);
        QCOMPARE(fs_.remove_file(lone).number, int(err_bad_file_name));
        QCOMPARE(fs_.info(lone).error.number, int(err_bad_file_name));
        QVERIFY(QFile::exists(d_ + u"x?") && QFile::exists(d_ + u"x\ufffd"));

        QVERIFY(QDir(d_).mkpath(QStringLiteral("target/inner")));
        QCOMPARE(::symlink("target", native(d_ + u"dirlink").constData()), 0);
        QCOMPARE(::symlink("Readme.TXT", native(d_ + u"filelink").constData()), 0);
        QVERIFY(!fs_.remove_file(d_ + u"filelink").failed());
        QCOMPARE(content_of(d_ + u"Readme.TXT"), QByteArray("1"));
        QCOMPARE(fs_.remove_dir(d_ + u"target/").number, int(err_path_file_access));  // not empty
        QVERIFY(!fs_.remove_dir(d_ + u"dirlink/").failed());
        QVERIFY(QFileInfo::exists(d_ + u"target/inner") && !QFileInfo::exists(d_ + u"dirlink"));

        // A rename never replaces an existing entry.
        QCOMPARE(fs_.rename(d_ + u"Readme.TXT", d_ + u"README.txt").number, int(err_file_exists));
        QCOMPARE(content_of(d_ + u"README.txt"), QByteArray("2"));
        QVERIFY(!fs_.rename(d_ + u"Readme.TXT", d_ + u"readme.md").failed());
        QCOMPARE(content_of(d_ + u"readme.md"), QByteArray("1"));
    }

    void error_numbers()
    {
        QCOMPARE(fs_.info(d_ + u"missing.txt").error.number, int(err_file_not_found));
        QCOMPARE(fs_.info(d_ + u"nodir/missing.txt").error.number, int(err_path_not_found));
        QCOMPARE(fs_.list(d_ + u"nodir", EntryKind::Files, false).error.number, int(err_path_not_found));
        QCOMPARE(fs_.copy_file(d_ + u"missing.txt", d_ + u"x").number, int(err_file_not_found));
        make_file(d_ + u"f", "f");
        QCOMPARE(fs_.copy_file(d_ + u"f", d_ + u"nodir/f").number, int(err_path_not_found));
        QCOMPARE(fs_.make_dir(d_ + u"f").number, int(err_file_exists));

        QVERIFY(QDir(d_).mkdir(QStringLiteral("dirlink_target")));
        QCOMPARE(::symlink("dirlink_target", native(d_ + u"dirlink").constData()), 0);
        QCOMPARE(fs_.copy_file(d_ + u"f", d_ + u"dirlink").number, int(err_path_file_access));
        QVERIFY(fs_.info(d_ + u"dirlink").value.is_link);

        QVERIFY(QDir(d_).mkdir(QStringLiteral("ro")));
        QVERIFY(QDir(d_).mkdir(QStringLiteral("unsearchable")));
        make_file(d_ + u"ro/kept", "kept");
        make_file(d_ + u"unsearchable/seen", "seen");
        QCOMPARE(::chmod(native(tmp_.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(native(d_).constData(), 0755), 0);
        QCOMPARE(::chmod(native(d_ + u"ro").constData(), 0555), 0);
        QCOMPARE(::chmod(native(d_ + u"unsearchable").constData(), 0444), 0);
        {
            const AsNobody nobody;
            QCOMPARE(fs_.copy_file(d_ + u"f", d_ + u"ro/kept").number, int(err_permission_denied));
            QCOMPARE(fs_.remove_file(d_ + u"ro/kept").number, int(err_permission_denied));
            QCOMPARE(fs_.make_dir(d_ + u"ro/new").number, int(err_permission_denied));
            QCOMPARE(fs_.write_file(d_ + u"ro/kept", "x").number, int(err_permission_denied));
            // Listed, but its length and date are out of reach.
            const auto seen = fs_.list(d_ + u"unsearchable", EntryKind::Files, false);
            QVERIFY(seen.ok() && seen.value.size() == 1);
            QCOMPARE(seen.value[0].name, u"seen"_qs);
            QVERIFY(!seen.value[0].readable);
        }
        ::chmod(native(d_ + u"unsearchable").constData(), 0755);
        QCOMPARE(content_of(d_ + u"ro/kept"), QByteArray("kept"));
        ::chmod(native(d_ + u"ro").constData(), 0755);
    }

    void injected_faults_count_calls()
    {
        FaultyFileSystem faulty;
        faulty.fail_call(FaultyFileSystem::Op::AnyMutating, 2, err_device_unavailable);
        QVERIFY(!faulty.make_dir(d_ + u"one").failed());
        QCOMPARE(faulty.write_file(d_ + u"two", "2").number, int(err_device_unavailable));
        QVERIFY(!QFile::exists(d_ + u"two"));
        QVERIFY(!faulty.write_file(d_ + u"two", "2").failed());
        QCOMPARE(faulty.calls(FaultyFileSystem::Op::AnyMutating), 3);
        faulty.fail_path(d_ + u"one", err_disk_not_ready);
        QCOMPARE(faulty.list(d_ + u"one/", EntryKind::Files, false).error.number, int(err_disk_not_ready));
        QCOMPARE(faulty.info(d_ + u"one").error.number, int(err_disk_not_ready));
        QVERIFY(!faulty.dir_exists(d_ + u"one") && faulty.info(d_ + u"two").ok());
    }

    void volumes_and_current_dir()
    {
        const QVector<Volume> vols = fs_.volumes();
        QVERIFY(!vols.isEmpty());
        const QString root = fs_.volume_root(d_);
        QCOMPARE(fs_.volume_root(d_ + u"not/yet/made"), root);
        bool found = false;
        for (qsizetype i = 0; i < vols.size(); ++i) {
            QVERIFY(!vols[i].root.startsWith(u"/proc") && !vols[i].root.startsWith(u"/sys"));
            QVERIFY(i == 0 || vols[i - 1].root < vols[i].root);
            found = found || vols[i].root == root;
        }
        QVERIFY2(found, qPrintable(root));
        QVERIFY(fs_.current_dir().endsWith(u'/'));
        QVERIFY(fs_.dir_exists(fs_.current_dir()));
    }
};

QTEST_GUILESS_MAIN(TestRealFileSystem)
#include "tst_realfilesystem.moc"
