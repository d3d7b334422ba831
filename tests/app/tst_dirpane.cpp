// The directory pane: rows, moves, hidden folders, drives; and the path helpers it stands on.

#include "app/DirPane.h"
#include "platform/Paths.h"
#include "platform/Trace.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The machine's disk, with chosen folders standing in as the only volumes.
class FakeVolumes : public FaultyFileSystem {
public:
    QVector<Volume> volumes() const override
    {
        QVector<Volume> v;
        for (const QString& r : roots)
            v.push_back({r, r});
        return v;
    }
    QString volume_root(const QString& path) const override
    {
        for (const QString& r : roots)
            if (is_same_or_below(path, r))
                return r;
        return QStringLiteral("/");
    }
    QStringList roots;
};

void make_dirs(const QString& base, const QStringList& names)
{
    for (const QString& n : names)
        QVERIFY(QDir().mkpath(base + u'/' + n));
}

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

QStringList subdir_names(const DirPane& pane)
{
    QStringList names;
    for (int i = 0; i < pane.ListCount(); ++i)
        names << pane.row_text(pane.component_count() + i);
    return names;
}

}  // namespace

class TestDirPane : public QObject {
    Q_OBJECT
private slots:
    void path_helpers()
    {
        const QStringList cases{u"/home/me|me|/home"_s, u"/x|x|/"_s,        u"/|\x7c/"_s.replace(u"\x7c"_s, u"|"_s),
                                u"/home/me/|me|/home"_s, u"name|name|"_s};
        Q_UNUSED(cases);
    }

    void path_exist()
    {
        QTemporaryDir tmp;
        FaultyFileSystem fs;
        ScriptedPort port;
        touch(tmp.path() + QStringLiteral("/trace.flg"));
        touch(tmp.path() + QStringLiteral("/.hidden"));
        make_dirs(tmp.path(), {QStringLiteral("sub")});
        Trace trace(fs, port, tmp.path());
        const QString t = tmp.path();

        QVERIFY(!Path_exist(fs, &trace, QString()));
        QVERIFY(!Path_exist(fs, &trace, QStringLiteral("   ")));
        QVERIFY(Path_exist(fs, &trace, t + QStringLiteral("/.hidden")));
        QVERIFY(Path_exist(fs, &trace, t + QStringLiteral("/sub")));
        QVERIFY(!Path_exist(fs, &trace, t + QStringLiteral("/missing")));
        QVERIFY(Path_exist(fs, &trace, t + QStringLiteral("/S?B")));
        QVERIFY(Path_exist(fs, &trace, t + QStringLiteral("/.hid*")));
        QVERIFY(!Path_exist(fs, &trace, t + QStringLiteral("/*.doc")));
        QVERIFY(!Path_exist(fs, &trace, t + QStringLiteral("/missing/*")));
        QVERIFY(!QFile::exists(t + QStringLiteral("/trace.txt")));  // nothing there was an error

        fs.fail_path(t + QStringLiteral("/sub"), err_disk_not_ready);
        QVERIFY(!Path_exist(fs, &trace, t + QStringLiteral("/sub")));
        QVERIFY(!Path_exist(fs, nullptr, t + QStringLiteral("/sub/*")));
        QFile log(t + QStringLiteral("/trace.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QCOMPARE(text.count(QStringLiteral("Path_exist(filepath$)")), 1);
        QVERIFY(text.contains(QStringLiteral("Path_exist(filepath$) - err = 71 Disk not ready - ") + t
                              + QStringLiteral("/sub")));
    }

    void rows_and_moves()
    {
        QTemporaryDir tmp, outside;
        FaultyFileSystem fs;
        const QString root = tmp.path() + QStringLiteral("/root");
        make_dirs(root, {QStringLiteral("alpha"), QStringLiteral(".cache"), QStringLiteral("Zeta")});
        QVERIFY(QFile::link(outside.path(), root + QStringLiteral("/beta-link")));
        touch(root + QStringLiteral("/file.txt"));
        touch(root + QStringLiteral("/.dotfile"));

        DirPane pane(fs);
        QSignalSpy moved(&pane, &DirPane::path_changed);
        QVERIFY(!pane.set_path(root + QStringLiteral("/./alpha/../")));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(pane.Path(), root);

        const int components = int(root.count(u'/')) + 1;
        QCOMPARE(pane.component_count(), components);
        QCOMPARE(pane.row_text(0), QStringLiteral("/"));
        QCOMPARE(pane.row_path(1), QStringLiteral("/") + root.section(u'/', 1, 1));
        QCOMPARE(pane.row_path(components - 1), root);
        QCOMPARE(pane.row_text(components - 1), QStringLiteral("root"));
        QCOMPARE(subdir_names(pane), (QStringList{u"alpha"_s, u"beta-link"_s, u"Zeta"_s}));
        QCOMPARE(pane.List(0), root + QStringLiteral("/alpha"));
        QCOMPARE(pane.ListIndex(), -1);
        QCOMPARE(pane.highlighted_row(), components - 1);  // the current directory itself

        pane.refresh_files();
        QCOMPARE(pane.files(), QStringList{u"file.txt"_s});

        // Failed moves and a move to where the pane already is: no change event.
        QCOMPARE(pane.set_path(root + QStringLiteral("/missing")).number, int(err_path_not_found));
        QCOMPARE(pane.set_path(root + QStringLiteral("/file.txt")).number, int(err_path_not_found));
        QCOMPARE(pane.set_path(QStringLiteral(" ")).number, int(err_path_not_found));
        fs.fail_call(FaultyFileSystem::Op::List, 1, err_permission_denied);
        QCOMPARE(pane.set_path(root + QStringLiteral("/alpha")).number, int(err_permission_denied));
        QVERIFY(!pane.set_path(root));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(pane.Path(), root);

        // A spelling in another case finds the directory that exists.
        QVERIFY(!pane.set_path(root + QStringLiteral("/ALPHA")));
        QCOMPARE(pane.Path(), root + QStringLiteral("/alpha"));
        QCOMPARE(moved.size(), 2);
    }

    void highlight_and_open()
    {
        QTemporaryDir tmp;
        FaultyFileSystem fs;
        make_dirs(tmp.path(), {QStringLiteral("a/inner"), QStringLiteral("b")});
        DirPane pane(fs);
        QVERIFY(!pane.set_path(tmp.path()));
        QSignalSpy moved(&pane, &DirPane::path_changed);
        const int first_sub = pane.component_count();

        pane.highlight_row(first_sub + 1);
        QCOMPARE(pane.ListIndex(), 1);
        QCOMPARE(pane.Path(), tmp.path());
        QCOMPARE(moved.size(), 0);

        QVERIFY(!pane.open_row(pane.highlighted_row()));
        QCOMPARE(pane.Path(), tmp.path() + QStringLiteral("/b"));
        QCOMPARE(pane.ListIndex(), -1);
        // The parent's component row leads back up.
        QVERIFY(!pane.open_row(pane.component_count() - 2));
        QCOMPARE(pane.Path(), tmp.path());
        QCOMPARE(moved.size(), 2);
        QVERIFY(pane.open_row(pane.row_count()).failed());
        QCOMPARE(moved.size(), 2);
    }

    void hidden_folders_sorted()
    {
        QTemporaryDir tmp;
        FaultyFileSystem fs;
        make_dirs(tmp.path(), {QStringLiteral("-old"), QStringLiteral(".cache"), QStringLiteral(".Cache"),
                               QStringLiteral("alpha"), QStringLiteral("Zeta"), QStringLiteral("Zeta/in")});
        DirPane pane(fs);
        QVERIFY(!pane.set_path(tmp.path()));
        QCOMPARE(subdir_names(pane), (QStringList{u"-old"_s, u"alpha"_s, u"Zeta"_s}));

        pane.highlight_row(pane.component_count() + 1);  // alpha
        const QStringList expected{u"-old"_s, u".Cache"_s, u".cache"_s, u"alpha"_s, u"Zeta"_s};
        pane.add_hidden_folders(false);
        QCOMPARE(subdir_names(pane), expected);
        pane.add_hidden_folders(false);
        QCOMPARE(subdir_names(pane), expected);
        QCOMPARE(pane.row_text(pane.highlighted_row()), QStringLiteral("alpha"));  // follows its row

        // Re-reads of the same directory keep them; another directory starts without them.
        make_dirs(tmp.path(), {QStringLiteral(".new")});
        pane.refresh();
        QCOMPARE(subdir_names(pane), (QStringList{u"-old"_s, u".Cache"_s, u".cache"_s, u".new"_s, u"alpha"_s,
                                                u"Zeta"_s}));
        QVERIFY(!pane.set_path(tmp.path() + QStringLiteral("/Zeta")));
        QVERIFY(!pane.set_path(tmp.path()));
        QCOMPARE(subdir_names(pane), (QStringList{u"-old"_s, u"alpha"_s, u"Zeta"_s}));
    }

    void refresh_moves_up_from_a_vanished_directory()
    {
        QTemporaryDir tmp;
        FaultyFileSystem fs;
        make_dirs(tmp.path(), {QStringLiteral("a/b/c")});
        DirPane pane(fs);
        QVERIFY(!pane.set_path(tmp.path() + QStringLiteral("/a/b/c")));
        QSignalSpy moved(&pane, &DirPane::path_changed);
        QVERIFY(QDir(tmp.path() + QStringLiteral("/a/b")).removeRecursively());
        pane.refresh();
        QCOMPARE(pane.Path(), tmp.path() + QStringLiteral("/a"));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(pane.ListCount(), 0);
    }

    void drives_remember_the_last_directory()
    {
        QTemporaryDir tmp;
        FakeVolumes fs;
        const QString a = tmp.path() + QStringLiteral("/volA");
        const QString b = tmp.path() + QStringLiteral("/volB");
        make_dirs(tmp.path(), {QStringLiteral("volA/deep/er"), QStringLiteral("volB/sub")});
        fs.roots = QStringList{a, b};
        DirPane pane(fs);
        QSignalSpy drive_moves(&pane, &DirPane::drive_changed);

        QVERIFY(!pane.set_path(a + QStringLiteral("/deep")));
        QCOMPARE(pane.drive(), a);
        QVERIFY(!pane.set_drive(b));
        QCOMPARE(pane.Path(), b);  // first visit: the root
        QCOMPARE(pane.drive(), b);
        QVERIFY(!pane.set_path(b + QStringLiteral("/sub")));
        QVERIFY(!pane.set_drive(a + u'/'));
        QCOMPARE(pane.Path(), a + QStringLiteral("/deep"));
        QVERIFY(!pane.set_drive(b));
        QCOMPARE(pane.Path(), b + QStringLiteral("/sub"));
        QCOMPARE(drive_moves.size(), 4);

        // An unknown or vanished volume: error 68, the pane stays.
        QSignalSpy moved(&pane, &DirPane::path_changed);
        QCOMPARE(pane.set_drive(tmp.path() + QStringLiteral("/nowhere")).number, int(err_device_unavailable));
        fs.roots << tmp.path() + QStringLiteral("/gone");
        QCOMPARE(pane.set_drive(tmp.path() + QStringLiteral("/gone")).number, int(err_device_unavailable));
        QCOMPARE(pane.Path(), b + QStringLiteral("/sub"));
        QCOMPARE(moved.size(), 0);

        // The directory last shown there has gone: its nearest ancestor instead.
        QVERIFY(QDir(a + QStringLiteral("/deep")).removeRecursively());
        QVERIFY(!pane.set_drive(a));
        QCOMPARE(pane.Path(), a);
    }
};

QTEST_GUILESS_MAIN(TestDirPane)
#include "tst_dirpane.moc"
