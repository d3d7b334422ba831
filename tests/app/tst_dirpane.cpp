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
            v.push_back({ r, r });
        return v;
    }
    QString volume_root(const QString& path) const override
    {
        for (const QString& r : roots)
            if (is_same_or_below(path, r))
                return r;
        return u"/"_s;
    }
    QStringList roots;
};

void make(const QString& base, const QStringList& dirs, const QStringList& files = {})
{
    for (const QString& d : dirs)
        QVERIFY(QDir().mkpath(base + u'/' + d));
    for (const QString& f : files) {
        QFile file(base + u'/' + f);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

QStringList subdirs(const DirPane& pane)
{
    QStringList names;
    for (int i = 0; i < pane.ListCount(); ++i)
        names << pane.row_text(pane.component_count() + i);
    return names;
}

} // namespace

class TestDirPane : public QObject {
    Q_OBJECT
private slots:
    void path_helpers()
    {
        // path, leaf, parent
        for (const auto& [path, leaf, parent] :
            { std::tuple { u"/home/me"_s, u"me"_s, u"/home"_s }, { u"/x"_s, u"x"_s, u"/"_s }, { u"/"_s, u""_s, u"/"_s },
                { u"/home/me/"_s, u"me"_s, u"/home"_s }, { u"name"_s, u"name"_s, u""_s } }) {
            QCOMPARE(leaf_name(path), leaf);
            QCOMPARE(parent_path(path), parent);
        }
        QCOMPARE(clean_path(u"/a//b/./c/../d/"_s), u"/a/b/d"_s);
        QVERIFY(!is_same_or_below(u"/a/bc"_s, u"/a/b"_s));
        QVERIFY(!wildcard_match(u"*.txt"_s, u"notes.txt.bak"_s));
    }

    void path_exist()
    {
        QTemporaryDir tmp;
        FaultyFileSystem fs;
        ScriptedPort port;
        const QString t = tmp.path();
        make(t, { u"sub"_s }, { u"trace.flg"_s, u".hidden"_s });
        Trace trace(fs, port, t);

        for (const QString& yes : { u"/.hidden"_s, u"/sub"_s, u"/S?B"_s, u"/.hid*"_s })
            QVERIFY2(Path_exist(fs, &trace, t + yes), qPrintable(yes));
        for (const QString& no : { u"/missing"_s, u"/*.doc"_s, u"/missing/*"_s })
            QVERIFY2(!Path_exist(fs, &trace, t + no), qPrintable(no));
        QVERIFY(!Path_exist(fs, &trace, QString()) && !Path_exist(fs, &trace, u"   "_s));
        QVERIFY(!QFile::exists(t + u"/trace.txt"_s)); // absence is no error

        fs.fail_path(t + u"/sub"_s, err_disk_not_ready);
        QVERIFY(!Path_exist(fs, &trace, t + u"/sub"_s));
        QVERIFY(!Path_exist(fs, nullptr, t + u"/sub/*"_s));
        QFile log(t + u"/trace.txt"_s);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QCOMPARE(text.count(u"Path_exist"_s), 1);
        QVERIFY(text.contains(u"Path_exist(filepath$) - err = 71 Disk not ready - "_s + t + u"/sub"_s));
    }

    void rows_and_moves()
    {
        QTemporaryDir tmp, outside;
        FaultyFileSystem fs;
        const QString root = tmp.path() + u"/root"_s;
        make(root, { u"alpha"_s, u".cache"_s, u"Zeta"_s }, { u"file.txt"_s, u".dotfile"_s });
        QVERIFY(QFile::link(outside.path(), root + u"/beta-link"_s));

        DirPane pane(fs);
        QSignalSpy moved(&pane, &DirPane::path_changed);
        QVERIFY(!pane.set_path(root + u"/./alpha/../"_s));
        QCOMPARE(pane.Path(), root);
        const int components = int(root.count(u'/')) + 1;
        QCOMPARE(pane.component_count(), components);
        QCOMPARE(pane.row_text(0), u"/"_s);
        QCOMPARE(pane.row_path(1), u"/"_s + root.section(u'/', 1, 1));
        QCOMPARE(pane.row_text(components - 1), u"root"_s);
        QCOMPARE(subdirs(pane), (QStringList { u"alpha"_s, u"beta-link"_s, u"Zeta"_s }));
        QCOMPARE(pane.List(0), root + u"/alpha"_s);
        QCOMPARE(pane.highlighted_row(), components - 1); // the current directory itself
        pane.refresh_files();
        QCOMPARE(pane.files(), QStringList { u"file.txt"_s });

        // Failed moves, and a move to where the pane already is, raise no change.
        QCOMPARE(pane.set_path(root + u"/missing"_s).number, int(err_path_not_found));
        QCOMPARE(pane.set_path(root + u"/file.txt"_s).number, int(err_path_not_found));
        fs.fail_call(FaultyFileSystem::Op::List, 1, err_permission_denied);
        QCOMPARE(pane.set_path(root + u"/alpha"_s).number, int(err_permission_denied));
        QVERIFY(!pane.set_path(root));
        QCOMPARE(moved.size(), 1);

        // A click highlights without moving; opening the row moves.
        pane.highlight_row(components + 2);
        QCOMPARE(pane.ListIndex(), 2);
        QCOMPARE(moved.size(), 1);
        QVERIFY(!pane.open_row(pane.highlighted_row()));
        QCOMPARE(pane.Path(), root + u"/Zeta"_s);
        QVERIFY(!pane.open_row(pane.component_count() - 2)); // the parent's row
        QCOMPARE(pane.Path(), root);
        // Another case of an existing name finds it.
        QVERIFY(!pane.set_path(root + u"/ALPHA"_s));
        QCOMPARE(pane.Path(), root + u"/alpha"_s);
        QCOMPARE(moved.size(), 4);
    }

    void hidden_folders_and_refresh()
    {
        QTemporaryDir tmp;
        FaultyFileSystem fs;
        const QString t = tmp.path();
        make(t, { u"-old"_s, u".cache"_s, u".Cache"_s, u"alpha"_s, u"Zeta/in"_s });
        DirPane pane(fs);
        QVERIFY(!pane.set_path(t));
        QCOMPARE(subdirs(pane), (QStringList { u"-old"_s, u"alpha"_s, u"Zeta"_s }));

        pane.highlight_row(pane.component_count() + 1); // alpha
        const QStringList with_hidden { u"-old"_s, u".Cache"_s, u".cache"_s, u"alpha"_s, u"Zeta"_s };
        pane.add_hidden_folders(false);
        pane.add_hidden_folders(false);
        QCOMPARE(subdirs(pane), with_hidden);
        QCOMPARE(pane.row_text(pane.highlighted_row()), u"alpha"_s);

        // Re-reading the same directory keeps them; another directory starts without them.
        QVERIFY(QDir(t).rmdir(u".cache"_s));
        pane.refresh();
        QCOMPARE(subdirs(pane), (QStringList { u"-old"_s, u".Cache"_s, u"alpha"_s, u"Zeta"_s }));
        QVERIFY(!pane.set_path(t + u"/Zeta/in"_s));
        QVERIFY(!pane.set_path(t));
        QCOMPARE(subdirs(pane), (QStringList { u"-old"_s, u"alpha"_s, u"Zeta"_s }));

        // A refresh of a directory that has gone moves up to what is left.
        QVERIFY(!pane.set_path(t + u"/Zeta/in"_s));
        QVERIFY(QDir(t + u"/Zeta"_s).removeRecursively());
        pane.refresh();
        QCOMPARE(pane.Path(), t);
    }

    void drives_remember_the_last_directory()
    {
        QTemporaryDir tmp;
        FakeVolumes fs;
        const QString a = tmp.path() + u"/volA"_s, b = tmp.path() + u"/volB"_s;
        make(tmp.path(), { u"volA/deep/er"_s, u"volB/sub"_s });
        fs.roots = QStringList { a, b };
        DirPane pane(fs);
        QSignalSpy drive_moves(&pane, &DirPane::drive_changed);

        QVERIFY(!pane.set_path(a + u"/deep"_s));
        QVERIFY(!pane.set_drive(b));
        QCOMPARE(pane.Path(), b); // first visit: the root
        QVERIFY(!pane.set_path(b + u"/sub"_s));
        QVERIFY(!pane.set_drive(a + u'/'));
        QCOMPARE(pane.Path(), a + u"/deep"_s);
        QVERIFY(!pane.set_drive(b));
        QCOMPARE(pane.Path(), b + u"/sub"_s);
        QCOMPARE(pane.drive(), b);
        QCOMPARE(drive_moves.size(), 4);

        // An unknown or vanished volume: error 68, the pane stays.
        const QString gone = tmp.path() + u"/gone"_s;
        fs.roots << gone;
        QCOMPARE(pane.set_drive(gone).number, int(err_device_unavailable));
        QCOMPARE(pane.set_drive(tmp.path()).number, int(err_device_unavailable));
        QCOMPARE(pane.Path(), b + u"/sub"_s);

        // The directory last shown there has gone: its nearest ancestor instead.
        QVERIFY(QDir(a + u"/deep"_s).removeRecursively());
        QVERIFY(!pane.set_drive(a));
        QCOMPARE(pane.Path(), a);
    }
};

QTEST_GUILESS_MAIN(TestDirPane)
#include "tst_dirpane.moc"
