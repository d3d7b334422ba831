// The machine's file system on temporary trees: listings, writes, names, errors, deletion, trash, mounts;
// the trace file written through it, and the settings store.

#include "platform/DirPath.h"
#include "platform/Paths.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "tests/util/AsNobody.h"
#include "tests/util/BindMount.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

class TestRealFileSystem : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> tmp_; // a fresh one per test
    QString d_; // its path, with final "/"
    RealFileSystem fs_;

    static QByteArray native(const QString& path) { return QFile::encodeName(path); }
    static QStringList names(const QVector<DirEntry>& entries)
    {
        QStringList n;
        for (const DirEntry& e : entries)
            n << e.name;
        return n;
    }

    void link(const char* target, const QString& at) { QCOMPARE(::symlink(target, native(d_ + at).constData()), 0); }
    QByteArray trace_text() const { return fs_.read_file(d_ + u"trace.txt").value; }

private slots:
    void init()
    {
        tmp_.emplace();
        d_ = tmp_->path() + u'/';
    }

    void listing_and_info_kinds_hidden_links_and_order()
    {
        const QString e_acute = u"\u00c9t\u00e9.txt"_qs;
        QVERIFY(make_tree(d_, { u"sub"_qs, u".hiddendir"_qs }, { u"A.txt"_qs, u"c.TXT"_qs, u".hidden"_qs, e_acute }));
        QVERIFY(make_file(d_ + u"b.txt", "bb"));
        const timespec late[2] = { { 1600000000, 999999999 }, { 1600000000, 999999999 } }; // truncated, not rounded
        QCOMPARE(::utimensat(AT_FDCWD, native(d_ + u"b.txt").constData(), late, 0), 0);
        link("b.txt", u"link.txt"_qs);
        link("nowhere", u"broken.txt"_qs);
        link("sub", u"dirlink"_qs);
        QCOMPARE(::mkfifo(native(d_ + u"pipe").constData(), 0600), 0);
        // Bytes that are not valid UTF-8 cannot be named exactly; such a file must stay out of reach.
        const QByteArray bad = native(d_) + "bad\xff.txt";
        QVERIFY(::close(::open(bad.constData(), O_CREAT | O_WRONLY, 0644)) == 0);

        auto files = fs_.list(d_, EntryKind::Files, false);
        QCOMPARE(names(files.value), (QStringList { u"A.txt"_qs, u"b.txt"_qs, u"c.TXT"_qs, u"link.txt"_qs, e_acute }));
        const DirEntry& l = files.value[3];
        QVERIFY(l.is_link && l.readable && !files.value[1].is_link);
        QVERIFY(l.length == 2 && l.mtime == 1600000000); // the target's length and date

        files = fs_.list(d_.chopped(1), EntryKind::Files, true);
        QCOMPARE(files.value.size(), 6);
        QVERIFY(files.value.first().name == u".hidden"_qs && files.value.first().hidden);

        const auto dirs = fs_.list(d_, EntryKind::Directories, true);
        QCOMPARE(names(dirs.value), (QStringList { u".hiddendir"_qs, u"dirlink"_qs, u"sub"_qs }));
        QVERIFY(dirs.value[1].is_link && !dirs.value[2].is_link);
        QCOMPARE(::unlink(bad.constData()), 0); // beyond QTemporaryDir's reach

        auto i = fs_.info(d_ + u"link.txt");
        QVERIFY(i.ok() && i.value.is_link && i.value.is_file && !i.value.is_dir && i.value.mtime == 1600000000);
        QVERIFY(fs_.info(d_ + u".hidden").value.hidden && !i.value.hidden);
        QCOMPARE(fs_.info(d_ + u"broken.txt").error.number, int(err_file_not_found));
        QVERIFY(fs_.exists(d_ + u"broken.txt").value); // the link itself stands there
        QVERIFY(!fs_.exists(d_ + u"nothing").value && fs_.exists(d_ + u"nothing").ok());
        QVERIFY(fs_.dir_exists(d_) && !fs_.dir_exists(d_ + u"b.txt"));

        // Lengths beyond 32 bits, on a sparse file that costs no space.
        const qint64 five_gib = qint64(5) << 30;
        QCOMPARE(::truncate(native(d_ + u"A.txt").constData(), five_gib), 0);
        QCOMPARE(fs_.list(d_, EntryKind::Files, false).value.first().length, five_gib);
        QCOMPARE(fs_.info(d_ + u"A.txt").value.length, five_gib);
    }

    void write_replaces_atomically_and_never_loses_the_old_file()
    {
        const QString dst = d_ + u"dst.bin";
        QVERIFY(make_file(dst, "precious", 1400000000));

        // A write that fails part-way leaves the file whole, with its date, and no stray file (seen at the end).
        FaultyFileSystem faulty;
        faulty.fail_write_at(3, EIO, 1);
        QCOMPARE(report_error_text(faulty.write_file(dst, "replacement")), u"Error 57 - Device I/O error"_qs);
        QCOMPARE(fs_.read_file(dst).value, QByteArray("precious"));
        QCOMPARE(fs_.info(dst).value.mtime, 1400000000);
        QVERIFY(!faulty.write_file(dst, "replacement").failed()); // the fault was for one file
        QVERIFY(!fs_.append_file(dst, " + more").failed());
        QCOMPARE(fs_.read_file(dst).value, QByteArray("replacement + more"));

        // Neither a write nor an append by name (the log, the history, the trace) goes where a link or
        // a second name planted there leads, nor waits on a pipe; a second name alone may be replaced.
        QVERIFY(make_file(d_ + u"victim", "theirs"));
        const QByteArray victim = native(d_ + u"victim"), at = native(d_ + u"at");
        for (const bool append : { false, true }) {
            for (const char planted : { 'l', 'n', 'p' }) {
                QCOMPARE(planted == 'l'  ? ::symlink("victim", at)
                        : planted == 'n' ? ::link(victim, at)
                                         : ::mkfifo(at, 0600),
                    0);
                const FsError e = append ? fs_.append_file(d_ + u"at", "line") : fs_.write_file(d_ + u"at", "report");
                QVERIFY2(e.failed() != (!append && planted == 'n'), QByteArray(1, planted).constData());
                if (!append && planted == 'l')
                    QCOMPARE(report_error_text(e),
                        u"Error 75 - Path/File access error: a link stands there, and it is not followed ("_qs + d_
                            + u"at)");
                QCOMPARE(fs_.read_file(d_ + u"victim").value, QByteArray("theirs"));
                QCOMPARE(::unlink(at), 0);
            }
        }
        QCOMPARE(entries(d_), (QStringList { u"dst.bin"_qs, u"victim"_qs }));
    }

    void names_cases_and_links_on_removal()
    {
        QVERIFY(make_file(d_ + u"Readme.TXT", "1") && make_file(d_ + u"README.txt", "2"));
        QCOMPARE(fs_.resolve_case(d_, u"Readme.TXT"_qs), u"Readme.TXT"_qs);
        QCOMPARE(fs_.resolve_case(d_, u"readme.txt"_qs), u"README.txt"_qs); // first in sorted order
        QCOMPARE(fs_.resolve_case(d_.chopped(1), u"new.txt"_qs), u"new.txt"_qs);

        // A name that does not convert exactly is refused, never mapped onto a neighbour.
        QVERIFY(make_tree(d_, {}, { u"x?"_qs, u"x\ufffd"_qs }));
        const QString lone = d_ + u'x' + QChar(0xd800);
        QCOMPARE(fs_.remove_file(lone).number, int(err_bad_file_name));
        QCOMPARE(fs_.info(lone).error.number, int(err_bad_file_name));
        QVERIFY(QFile::exists(d_ + u"x?") && QFile::exists(d_ + u"x\ufffd"));

        // Removing a link removes the link, never its target.
        QVERIFY(make_tree(d_, { u"target/inner"_qs }));
        link("target", u"dirlink"_qs);
        link("Readme.TXT", u"filelink"_qs);
        QVERIFY(!fs_.remove_file(d_ + u"filelink").failed());
        QCOMPARE(fs_.read_file(d_ + u"Readme.TXT").value, QByteArray("1"));
        QCOMPARE(fs_.remove_dir(d_ + u"target/").number, int(err_path_file_access)); // not empty
        QVERIFY(!fs_.remove_dir(d_ + u"dirlink/").failed());
        QCOMPARE(entries(d_ + u"target"), QStringList { u"inner"_qs });
        QVERIFY(!fs_.exists(d_ + u"dirlink").value);

        // A rename never replaces an existing entry.
        QCOMPARE(fs_.rename(d_ + u"Readme.TXT", d_ + u"README.txt").number, int(err_file_exists));
        QCOMPARE(fs_.read_file(d_ + u"README.txt").value, QByteArray("2"));
        QVERIFY(!fs_.rename(d_ + u"Readme.TXT", d_ + u"readme.md").failed());
        QCOMPARE(fs_.read_file(d_ + u"readme.md").value, QByteArray("1"));
    }

    // A directory reached below a root stays open while its anchor lives: lookups at and below it
    // start there, not through a folder on its path swapped meanwhile; a chain reached level by
    // level keeps a bounded number of descriptors open.
    void anchored_lookups_stay_in_the_directories_reached()
    {
        const QString root = d_ + u"root"_qs;
        QString path = root;
        for (int level = 0; level < 300; ++level)
            path += u"/d"_qs;
        QVERIFY(QDir().mkpath(path + u"/x"_qs) && QDir().mkpath(d_ + u"outside/d"_qs));
        const auto open_fds = [] {
            return QDir(u"/proc/self/fd"_qs).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
        };
        const qsizetype before = open_fds();
        std::shared_ptr<const void> anchor;
        for (qsizetype end = root.size() + 2; end <= path.size(); end += 2) {
            anchor = fs_.anchor_branch(root, path.left(end)); // the one before is let go only now
            QVERIFY(anchor);
        }
        QVERIFY(open_fds() < before + 64);

        QVERIFY(QDir().rename(root + u"/d"_qs, root + u"/moved"_qs));
        link(qPrintable(d_ + u"outside"_qs), u"root/d"_qs);
        QVERIFY(fs_.info(path).value.is_dir && !fs_.info(path).value.is_link);
        QCOMPARE(names(fs_.list(path, EntryKind::Directories, false).value), QStringList({ u"x"_qs }));
        QVERIFY(fs_.list_branch(root, path).ok());
        anchor.reset();
        QVERIFY(!fs_.info(path).ok() && !fs_.list(path, EntryKind::Directories, false).ok());
        QVERIFY(!fs_.list_branch(root, path).ok());
        QCOMPARE(open_fds(), before);
    }

    void error_numbers()
    {
        QCOMPARE(fs_.info(d_ + u"missing.txt").error.number, int(err_file_not_found));
        QCOMPARE(fs_.info(d_ + u"nodir/missing.txt").error.number, int(err_path_not_found));
        QCOMPARE(fs_.read_file(d_ + u"missing.txt").error.number, int(err_file_not_found));
        QVERIFY(make_tree(d_, { u"ro"_qs, u"unsearchable"_qs, u"dirlink_target"_qs },
            { u"f"_qs, u"ro/kept"_qs, u"unsearchable/seen"_qs }));
        QCOMPARE(fs_.write_file(d_ + u"nodir/f", "x").number, int(err_path_not_found));
        QCOMPARE(fs_.info(d_ + u"f/under-a-file").error.number, int(err_path_not_found)); // ENOTDIR
        QCOMPARE(fs_.make_dir(d_ + u"f").number, int(err_file_exists));
        link("dirlink_target", u"dirlink"_qs);
        QCOMPARE(fs_.write_file(d_ + u"dirlink", "x").number, int(err_path_file_access));
        QVERIFY(fs_.info(d_ + u"dirlink").value.is_link);

        QCOMPARE(::chmod(native(d_).constData(), 0755), 0); // QTemporaryDir made it 0700
        QCOMPARE(::chmod(native(d_ + u"ro").constData(), 0555), 0);
        QCOMPARE(::chmod(native(d_ + u"unsearchable").constData(), 0444), 0);
        {
            const AsNobody nobody;
            QCOMPARE(fs_.remove_file(d_ + u"ro/kept").number, int(err_permission_denied));
            QCOMPARE(fs_.make_dir(d_ + u"ro/new").number, int(err_permission_denied));
            QCOMPARE(fs_.write_file(d_ + u"ro/kept", "x").number, int(err_permission_denied));
            // Listed, but its length and date are out of reach.
            const auto seen = fs_.list(d_ + u"unsearchable", EntryKind::Files, false);
            QVERIFY(seen.ok() && seen.value.size() == 1);
            QVERIFY(seen.value[0].name == u"seen"_qs && !seen.value[0].readable);
        }
        QCOMPARE(::chmod(native(d_ + u"unsearchable").constData(), 0755), 0);
        QCOMPARE(::chmod(native(d_ + u"ro").constData(), 0755), 0);
    }

    void delete_tree_stays_inside_the_tree()
    {
        QVERIFY(make_tree(d_, { u"outside"_qs, u"real/tree/sub/deeper"_qs, u"real/tree/.hidden"_qs },
            { u"outside/keep.txt"_qs, u"real/tree/sub/f"_qs, u"real/tree/sub/deeper/g"_qs,
                u"real/tree/.hidden/h"_qs }));
        const QByteArray odd = native(d_) + "real/tree/odd\xff"; // bytes no name can stand for
        QVERIFY(::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        const QByteArray outside = native(d_ + u"outside");
        link(outside.constData(), u"real/tree/dirlink"_qs);
        link("real", u"via"_qs);

        // A directory swapped for a link after the listing: the link goes, its target stays whole.
        FaultyFileSystem racing;
        racing.on_tree_entry([&](const QString&, const QString& name) {
            if (name == u"sub" && QDir(d_).rename(u"real/tree/sub"_qs, u"moved"_qs))
                link(outside.constData(), u"real/tree/sub"_qs);
        });
        QVERIFY(!racing.delete_tree(d_ + u"via/tree/").failed());
        QCOMPARE(entries(d_ + u"real"), QStringList());
        QCOMPARE(entries(d_ + u"outside"), QStringList { u"keep.txt"_qs });
        QCOMPARE(entries(d_ + u"moved"), (QStringList { u"deeper"_qs, u"f"_qs }));

        // The top itself a link: only the link goes. A missing path is no error.
        QVERIFY(!fs_.delete_tree(d_ + u"via"_qs).failed());
        QVERIFY(!fs_.exists(d_ + u"via").value && fs_.dir_exists(d_ + u"real"));
        QVERIFY(!fs_.delete_tree(d_ + u"nothing"_qs).failed());

        // Deeper than a path may be long: every step is taken from the directory above it.
        QVERIFY(make_deep_dirs(d_ + u"real"_qs, 40).valid());
        QVERIFY(!fs_.delete_tree(d_ + u"real"_qs).failed());
        QVERIFY(!fs_.exists(d_ + u"real").value);

        // A failure names the path and the cause; what was deleted stays deleted.
        QVERIFY(make_tree(d_, { u"victim/a"_qs }, { u"victim/a/1"_qs }));
        racing.on_tree_entry([&](const QString& dir, const QString&) {
            if (dir == d_ + u"victim" && !QFile::exists(d_ + u"victim/late"))
                QVERIFY(make_file(d_ + u"victim/late"));
        });
        const FsError e = racing.delete_tree(d_ + u"victim"_qs);
        QCOMPARE(report_error_text(e), u"Error 75 - Path/File access error ("_qs + d_ + u"victim)");
        QCOMPARE(entries(d_ + u"victim"), QStringList { u"late"_qs });
    }

    // The home trash, a volume's own, a name too long for its info file, and no trash at all.
    void trash_keeps_every_entry_restorable()
    {
        qputenv("HOME", native(d_ + u"home"_qs));
        qputenv("XDG_DATA_HOME", "relative/data"); // ignored: not an absolute path
        const QString home_trash = d_ + u"home/.local/share/Trash/"_qs;
        const QString long_name = QString(240, u'n') + u" é.pdf"_qs; // 250 bytes
        QVERIFY(make_tree(d_, { u"work"_qs }, { u"work/" + long_name, u"work/a b%.txt"_qs }));
        for (int i = 0; i < 2; ++i) { // the same name twice: both kept
            QVERIFY(make_file(d_ + u"work/dup.txt", QByteArray::number(i)));
            QVERIFY(!fs_.remove_entry(d_ + u"work", u"dup.txt"_qs, false, true).failed());
        }
        QVERIFY(!fs_.remove_entry(d_ + u"work", long_name, false, true).failed());
        QVERIFY(!fs_.remove_entry(d_ + u"work", u"A B%.TXT"_qs, true, true).failed());
        QCOMPARE(entries(d_ + u"work"), QStringList());
        const QStringList kept = entries(home_trash + u"files");
        QCOMPARE(kept.size(), 4);
        QCOMPARE(fs_.read_file(home_trash + u"files/dup.txt.2").value, QByteArray("1"));
        const QString shortened = kept.filter(u".pdf"_qs).value(0);
        QVERIFY(shortened.startsWith(u"nnn") && native(shortened + u".trashinfo").size() <= 255);
        const QList<QByteArray> info = fs_.read_file(home_trash + u"info/a b%.txt.trashinfo").value.split('\n');
        QCOMPARE(info.value(0) + info.value(1),
            "[Trash Info]Path=" + native(d_).toPercentEncoding("/") + "work/a%20b%25.txt");
        const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toLatin1();
        QCOMPARE(info.value(2).left(23), QByteArray("DeletionDate=") + today);

        // Another volume: ".Trash-UID", or a sticky ".Trash" folder there (never a link at that name).
        QVERIFY(make_tree(d_, { u"disk/sub"_qs, u"vol"_qs, u"shared"_qs }, { u"disk/sub/x"_qs, u"disk/sub/y"_qs }));
        const BindMount mount(d_ + u"disk", d_ + u"vol");
        if (!mount.ok())
            QSKIP(mount.why_not());
        QCOMPARE(::chmod(native(d_ + u"shared").constData(), 01777), 0);
        link(native(d_ + u"shared").constData(), u"vol/.Trash"_qs);
        const QString uid = QString::number(::geteuid());
        QVERIFY(!fs_.remove_entry(d_ + u"vol/sub", u"x"_qs, false, true).failed());
        QCOMPARE(fs_.read_file(d_ + u"vol/.Trash-" + uid + u"/info/x.trashinfo").value.split('\n').value(1),
            QByteArray("Path=sub/x"));
        QVERIFY(QFile::remove(d_ + u"vol/.Trash") && QDir(d_).mkdir(u"vol/.Trash"_qs));
        QCOMPARE(::chmod(native(d_ + u"vol/.Trash").constData(), 01777), 0);
        QVERIFY(!fs_.remove_entry(d_ + u"vol/sub", u"y"_qs, false, true).failed());
        QCOMPARE(entries(d_ + u"vol/.Trash/" + uid + u"/files"), QStringList { u"y"_qs });
        QCOMPARE(entries(d_ + u"shared"), QStringList());

        // As a user who can write neither the volume's top nor the home folder: the entry stays.
        QVERIFY(QDir(d_ + u"vol/.Trash"_qs).removeRecursively());
        QVERIFY(make_tree(d_, { u"vol/mine"_qs, u"ro"_qs }, { u"vol/mine/f"_qs, u"ro/f"_qs }));
        for (const char* dir : { "", "vol/mine", "ro" })
            QCOMPARE(::chown(native(d_ + QString::fromLatin1(dir)).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(native(d_ + u"vol").constData(), 0755), 0);
        qputenv("XDG_DATA_HOME", native(d_ + u"ro/data"));
        QCOMPARE(::chmod(native(d_ + u"ro").constData(), 0555), 0);
        {
            const AsNobody nobody;
            for (const char* dir : { "vol/mine", "ro" }) {
                const FsError e = fs_.remove_entry(d_ + QString::fromLatin1(dir), u"f"_qs, false, true);
                QVERIFY2(e.no_trash && e.path == d_ + QString::fromLatin1(dir) + u"/f", qPrintable(e.description));
            }
        }
        QVERIFY(QFile::exists(d_ + u"vol/mine/f") && QFile::exists(d_ + u"ro/f"));
        QCOMPARE(::chmod(native(d_ + u"ro").constData(), 0755), 0);
    }

    void volumes_and_mounts_by_what_they_are_not_how_they_are_spelled()
    {
        const QString root = fs_.volume_root(d_);
        QCOMPARE(fs_.volume_root(d_ + u"not/yet/made"), root);
        QStringList roots;
        for (const Volume& v : fs_.volumes()) {
            QVERIFY(roots.isEmpty() || roots.last() < v.root); // sorted, each once
            QVERIFY(!v.root.startsWith(u"/proc") && !v.root.startsWith(u"/sys"));
            roots << v.root;
        }
        QVERIFY2(roots.contains(root), qPrintable(root));
        QVERIFY(fs_.current_dir().endsWith(u'/') && fs_.dir_exists(fs_.current_dir()));

        QVERIFY(make_tree(d_, { u"outside"_qs, u"real/tree/mnt"_qs, u"real/tree/sub"_qs },
            { u"outside/keep.txt"_qs, u"real/tree/sub/f"_qs }));
        link("real", u"via"_qs);
        QVERIFY(!fs_.is_mount_point(d_ + u"via/tree/mnt"));
        const BindMount mount(d_ + u"outside", d_ + u"real/tree/mnt");
        if (!mount.ok())
            QSKIP(mount.why_not());
        // A folder of the same disk mounted inside the tree keeps the device number.
        QVERIFY(fs_.is_mount_point(d_ + u"via/tree/mnt") && !fs_.is_mount_point(d_ + u"via/tree"));
        QCOMPARE(fs_.canonical_path(d_ + u"via/tree/mnt/").value, QString(d_ + u"real/tree/mnt"));
        const FsError e = fs_.delete_tree(d_ + u"via/tree"_qs);
        QCOMPARE(e.number, int(err_permission_denied));
        QCOMPARE(e.path, QString(d_ + u"via/tree/mnt"));
        QCOMPARE(fs_.delete_tree(d_ + u"via/tree/mnt"_qs).number, int(err_permission_denied)); // its root
        QCOMPARE(fs_.delete_tree(u"/"_qs).number, int(err_permission_denied));
        QCOMPARE(entries(d_ + u"outside"), QStringList { u"keep.txt"_qs });
    }

    void path_helpers()
    {
        // A directory's path in any spelling: itself without its final separator, and a file in it.
        for (const auto& [path, leaf, parent, bare, file] :
            { std::tuple { u"/home/me/"_qs, u"me"_qs, u"/home"_qs, u"/home/me"_qs, u"/home/me/f"_qs },
                { u"/x"_qs, u"x"_qs, u"/"_qs, u"/x"_qs, u"/x/f"_qs },
                { u"/"_qs, QString(), u"/"_qs, u"/"_qs, u"/f"_qs },
                { u"name"_qs, u"name"_qs, QString(), u"name"_qs, u"name/f"_qs },
                { u"/a//"_qs, u"a"_qs, u"/"_qs, u"/a"_qs, u"/a/f"_qs },
                { QString(), QString(), QString(), QString(), QString() } }) {
            QCOMPARE(leaf_name(path), leaf);
            QCOMPARE(parent_path(path), parent);
            const DirPath dir(path);
            QCOMPARE(dir.bare(), bare);
            QCOMPARE(dir.file(u"f"_qs), file);
            QCOMPARE(dir.parent().bare(), parent);
            QVERIFY(dir == DirPath(bare));
            QCOMPARE(dir.is_empty(), path.isEmpty());
        }
        QVERIFY(!is_same_or_below(u"/a/bc"_qs, u"/a/b"_qs));
        QVERIFY(!wildcard_match(u"*.txt"_qs, u"notes.txt.bak"_qs));

        FaultyFileSystem fs;
        ScriptedPort port;
        const QString t = d_.chopped(1);
        QVERIFY(make_tree(t, { u"sub"_qs }, { u"trace.flg"_qs, u".hidden"_qs }));
        Trace trace(fs, port, t);
        for (const QString& yes : { u"/.hidden"_qs, u"/sub"_qs, u"/S?B"_qs, u"/.hid*"_qs })
            QVERIFY2(Path_exist(fs, &trace, t + yes), qPrintable(yes));
        for (const QString& no : QStringList { t + u"/no"_qs, t + u"/*.doc"_qs, t + u"/no/*"_qs, QString(), u"   "_qs })
            QVERIFY2(!Path_exist(fs, &trace, no), qPrintable(no));
        QVERIFY(!QFile::exists(t + u"/trace.txt"_qs)); // absence is no error

        fs.fail_path(t + u"/sub"_qs, err_disk_not_ready);
        QVERIFY(!Path_exist(fs, &trace, t + u"/sub"_qs));
        QVERIFY(!Path_exist(fs, nullptr, t + u"/sub/*"_qs));
        const QString text = QString::fromUtf8(fs.read_file(t + u"/trace.txt"_qs).value);
        QCOMPARE(text.count(u"Path_exist"_qs), 1);
        QVERIFY(text.contains(u"Path_exist(filepath$) - err = 71 Disk not ready - "_qs + t + u"/sub"_qs));
    }

    void trace_marker_line_format_and_size_limit()
    {
        ScriptedPort port;
        Trace off(fs_, port, d_.chopped(1));
        off.write_trace(QStringLiteral("ignored"));
        QVERIFY(!off.enabled() && !fs_.exists(d_ + u"trace.txt").value);

        QVERIFY(make_file(d_ + u"trace.flg"));
        Trace trace(fs_, port, d_);
        const QDate day = QDate::currentDate();
        const int before = QTime::currentTime().msecsSinceStartOfDay() / 1000;
        trace.write_trace(QStringLiteral("first \u00e9"));
        trace.write_trace(QStringLiteral("second"));

        const QStringList lines = QString::fromUtf8(trace_text()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3); // two lines, each ended by CR LF
        const QLocale locale = QLocale::system();
        const QString point = QRegularExpression::escape(locale.decimalPoint());
        const auto m
            = QRegularExpression(u"^(.+) \\((\\d+)"_qs + point + u"\\d\\d\\) - first \u00e9$"_qs).match(lines[0]);
        QVERIFY2(m.hasMatch(), qPrintable(lines[0]));
        QVERIFY(m.captured(1).startsWith(locale.toString(day, QLocale::ShortFormat)) || day != QDate::currentDate());
        QVERIFY2(m.captured(2).toInt() >= before && m.captured(2).toInt() <= before + 5, qPrintable(lines[0]));
        QVERIFY(lines[1].endsWith(u") - second") && lines[2].isEmpty());

        // A trace that cannot be written says nothing: the work it traces goes on.
        QVERIFY(QFile::remove(d_ + u"trace.txt") && QDir(d_).mkdir(u"trace.txt"_qs));
        trace.write_trace(QStringLiteral("lost"));
        QVERIFY(port.shown.isEmpty());

        // The size limit: the line that passes it is the last.
        QVERIFY(QDir(d_).rmdir(u"trace.txt"_qs));
        QVERIFY(make_file(d_ + u"trace.txt", QByteArray(Trace::size_limit - 1, 'x')));
        trace.write_trace(QStringLiteral("one more"));
        const QByteArray grown = trace_text();
        QVERIFY(grown.size() > Trace::size_limit && grown.endsWith(") - one more\r\n"));

        trace.write_trace(QStringLiteral("too late"));
        trace.write_trace(QStringLiteral("silent"));
        QCOMPARE(trace_text(), grown);
        const QString too_large = u"Trace file too large. Please delete it ("_qs + d_ + u"trace.txt)";
        QCOMPARE(port.texts(), QStringList { too_large });

        // Exactly at the limit: nothing is written from the first call on.
        QVERIFY(make_file(d_ + u"trace.txt", QByteArray(Trace::size_limit, 'x')));
        Trace(fs_, port, d_).write_trace(QStringLiteral("none"));
        QCOMPARE(trace_text().size(), Trace::size_limit);
        QCOMPARE(port.texts(), (QStringList { too_large, too_large }));
    }

    // Text values under "general", kept across instances and runs.
    void settings_round_trip_through_an_ini_file_and_never_a_pipe()
    {
        const QString ini = d_ + u"tandrel.ini", key = u"ignore_one_hour_diff"_qs;
        QtSettingsStore store(ini);
        QCOMPARE(store.get_setting(key), QString());
        store.save_setting(key, u"-1"_qs);
        store.save_setting(u"other"_qs, u"a, b; c"_qs);
        // On disk at once, as the next run reads it.
        const QByteArray text = fs_.read_file(ini).value;
        QVERIFY2(text.startsWith("[General]\n") && text.contains("\nignore_one_hour_diff=-1\n"), text.constData());
        QCOMPARE(QtSettingsStore(ini).get_setting(u"other"_qs), u"a, b; c"_qs);

        // The file written meanwhile by another running copy, or by an earlier run with other line ends.
        QVERIFY(make_file(ini, "[General]\r\nignore_one_hour_diff=1\r\n"));
        QCOMPARE(store.get_setting(key), u"1"_qs);
        const QString broken = d_ + u"broken.ini";
        QVERIFY(make_file(broken, "[General]\nignore_one_hour_diff=-1\n[unclosed\n"));
        QCOMPARE(QtSettingsStore(broken).get_setting(key), QString()); // unreadable: empty

        // A store that is not a plain file is left alone, with one warning.
        const QString fifo = d_ + u"fifo.ini";
        QCOMPARE(::mkfifo(native(fifo).constData(), 0600), 0);
        QTest::ignoreMessage(QtWarningMsg,
            qPrintable(u"tandrel: the settings file "_qs + fifo + u" is not a plain file; it is ignored"));
        QTest::failOnWarning(QRegularExpression(u"."_qs)); // once only
        QtSettingsStore ignored(fifo); // reading it would wait for a writer that never comes
        QCOMPARE(ignored.get_setting(key), QString());
        ignored.save_setting(key, u"-1"_qs);
        QVERIFY(QFileInfo(fifo).isFile() == false && QFileInfo(fifo).exists());
    }
};

QTEST_GUILESS_MAIN(TestRealFileSystem)
#include "tst_realfilesystem.moc"
