// The directory pane: rows, moves, hidden folders, drives; and the path helpers it stands on.

#include "app/DirPane.h"
#include "platform/Trace.h"
#include "tests/util/FakeVolumes.h"
#include "tests/util/PaneRows.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Where a move left the pane; nothing when it failed.
static QString landed(const DirPane& pane, const FsError& e)
{
    return e ? QString() : pane.Path();
}

class TestDirPane : public QObject {
    Q_OBJECT
private slots:
    void path_helpers()
    {
        for (const auto& [path, leaf, parent] : { std::tuple { u"/home/me/"_s, u"me"_s, u"/home"_s },
                 { u"/x"_s, u"x"_s, u"/"_s }, { u"/"_s, u""_s, u"/"_s }, { u"name"_s, u"name"_s, u""_s } }) {
            QCOMPARE(leaf_name(path), leaf);
            QCOMPARE(parent_path(path), parent);
        }
        QVERIFY(!is_same_or_below(u"/a/bc"_s, u"/a/b"_s));
        QVERIFY(!wildcard_match(u"*.txt"_s, u"notes.txt.bak"_s));

        QTemporaryDir tmp;
        FaultyFileSystem fs;
        ScriptedPort port;
        const QString t = tmp.path();
        QVERIFY(make_tree(t, { u"sub"_s }, { u"trace.flg"_s, u".hidden"_s }));
        Trace trace(fs, port, t);
        for (const QString& yes : { u"/.hidden"_s, u"/sub"_s, u"/S?B"_s, u"/.hid*"_s })
            QVERIFY2(Path_exist(fs, &trace, t + yes), qPrintable(yes));
        for (const QString& no : QStringList { t + u"/no"_s, t + u"/*.doc"_s, t + u"/no/*"_s, QString(), u"   "_s })
            QVERIFY2(!Path_exist(fs, &trace, no), qPrintable(no));
        QVERIFY(!QFile::exists(t + u"/trace.txt"_s)); // absence is no error

        fs.fail_path(t + u"/sub"_s, err_disk_not_ready);
        QVERIFY(!Path_exist(fs, &trace, t + u"/sub"_s));
        QVERIFY(!Path_exist(fs, nullptr, t + u"/sub/*"_s));
        const QString text = QString::fromUtf8(fs.read_file(t + u"/trace.txt"_s).value);
        QCOMPARE(text.count(u"Path_exist"_s), 1);
        QVERIFY(text.contains(u"Path_exist(filepath$) - err = 71 Disk not ready - "_s + t + u"/sub"_s));
    }

    void rows_moves_and_hidden_folders()
    {
        QTemporaryDir tmp, outside;
        FaultyFileSystem fs;
        const QString root = tmp.path() + u"/root"_s;
        QVERIFY(make_tree(
            root, { u"alpha"_s, u".cache"_s, u".Cache"_s, u"-old"_s, u"Zeta/in"_s }, { u"file.txt"_s, u".dotfile"_s }));
        QVERIFY(QFile::link(outside.path(), root + u"/beta-link"_s));
        const QString shown = u"-old alpha beta-link Zeta"_s;

        DirPane pane(fs);
        QSignalSpy moved(&pane, &DirPane::path_changed);
        QCOMPARE(landed(pane, pane.set_path(root + u"/./alpha/../"_s)), root);
        const int components = int(root.count(u'/')) + 1;
        QVERIFY(pane.row_text(0) == u"/"_s && pane.row_text(components - 1) == u"root"_s);
        QCOMPARE(pane_rows(pane), shown);
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

        // A click highlights without moving; hidden folders join in place, once, and stay through a re-read.
        pane.highlight_row(components + 1);
        pane.add_hidden_folders();
        pane.add_hidden_folders();
        QCOMPARE(pane_rows(pane), u"-old .Cache .cache alpha beta-link Zeta"_s);
        QCOMPARE(pane.row_text(pane.highlighted_row()), u"alpha"_s);
        QVERIFY(QDir(root).rmdir(u".cache"_s));
        pane.refresh();
        QCOMPARE(pane_rows(pane), u"-old .Cache alpha beta-link Zeta"_s);

        // Opening a row moves; back in the directory its hidden folders are gone again.
        QCOMPARE(landed(pane, pane.open_row(pane.highlighted_row())), root + u"/alpha"_s);
        QCOMPARE(landed(pane, pane.open_row(pane.component_count() - 2)), root); // the parent's row
        QCOMPARE(pane_rows(pane), shown);
        // Another case finds an existing name; a refresh where the directory has gone moves up.
        QCOMPARE(landed(pane, pane.set_path(root + u"/ZETA/IN"_s)), root + u"/Zeta/in"_s);
        QVERIFY(QDir(root + u"/Zeta"_s).removeRecursively());
        pane.refresh();
        QCOMPARE(pane.Path(), root);
        QCOMPARE(moved.size(), 5);
    }

    void drives_remember_the_last_directory()
    {
        QTemporaryDir tmp;
        FakeVolumes fs;
        const QString a = tmp.path() + u"/volA"_s, b = tmp.path() + u"/volB"_s;
        QVERIFY(make_tree(tmp.path(), { u"volA/deep/er"_s, u"volB/sub"_s }));
        fs.roots = QStringList { a, b };
        DirPane pane(fs);
        QSignalSpy drive_moves(&pane, &DirPane::drive_changed);
        QVERIFY(!pane.set_path(a + u"/deep/er"_s));
        QCOMPARE(landed(pane, pane.set_drive(b)), b); // first visit: the root
        QVERIFY(!pane.set_path(b + u"/sub"_s));
        QCOMPARE(landed(pane, pane.set_drive(a + u'/')), a + u"/deep/er"_s);
        QCOMPARE(landed(pane, pane.set_drive(b)), b + u"/sub"_s);
        QCOMPARE(pane.drive(), b);
        QCOMPARE(drive_moves.size(), 4);

        // An unknown or vanished volume: error 68, the pane stays.
        fs.roots << tmp.path() + u"/gone"_s;
        QCOMPARE(pane.set_drive(fs.roots.last()).number, int(err_device_unavailable));
        QCOMPARE(pane.set_drive(tmp.path()).number, int(err_device_unavailable));
        QCOMPARE(pane.Path(), b + u"/sub"_s);
        // The directory last shown there has gone: its nearest ancestor instead.
        QVERIFY(QDir(a + u"/deep/er"_s).removeRecursively());
        QCOMPARE(landed(pane, pane.set_drive(a)), a + u"/deep"_s);
    }
};

QTEST_GUILESS_MAIN(TestDirPane)
#include "tst_dirpane.moc"
