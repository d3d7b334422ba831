// The directory pane: rows, moves, hidden folders, drives.

#include "app/DirPane.h"
#include "tests/util/FakeVolumes.h"
#include "tests/util/PaneRows.h"
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
    void rows_moves_and_hidden_folders()
    {
        QTemporaryDir tmp, outside;
        FaultyFileSystem fs;
        const QString root = tmp.path() + u"/root"_s;
        QVERIFY(make_tree(
            root, { u"alpha"_s, u".cache"_s, u".Cache"_s, u"-old"_s, u"Zeta/in"_s }, { u"file.txt"_s, u".dotfile"_s }));
        QVERIFY(QFile::link(outside.path(), root + u"/beta-link"_s));
        QVERIFY(QFile::link(root + u"/file.txt"_s, root + u"/file-link"_s));
        QVERIFY(QFile::link(root + u"/gone"_s, root + u"/broken-link"_s));
        const QString shown = u"-old alpha beta-link Zeta"_s;

        DirPane pane(fs);
        QSignalSpy moved(&pane, &DirPane::path_changed);
        QCOMPARE(landed(pane, pane.set_path(root + u"/./alpha/../"_s)), root);
        const int components = int(root.count(u'/')) + 1;
        QVERIFY(pane.row_text(0) == u"/"_s && pane.row_text(components - 1) == u"root"_s);
        QCOMPARE(pane_rows(pane), shown);
        QCOMPARE(pane.highlighted_row(), components - 1); // the current directory itself
        pane.refresh_files();
        QCOMPARE(pane.files(), (QStringList { u"file-link"_s, u"file.txt"_s })); // no broken link, no folder

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

    void moves_down_a_deep_path()
    {
        // A volume is looked up only where one begins: a walk down a deep path does not resolve it at every level.
        struct CountingVolumes : FakeVolumes {
            QString volume_root(const QString& path) const override
            {
                ++lookups;
                return FakeVolumes::volume_root(path);
            }
            mutable int lookups = 0;
        } fs;
        QTemporaryDir tmp;
        const QString vol = tmp.path() + u"/vol"_s;
        const QString deep = vol + u"/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d"_s;
        QVERIFY(make_tree(tmp.path(), { deep.mid(tmp.path().size() + 1), u"vol/d/dd/x"_s, u"vol/d/d/y"_s }));
        fs.roots = QStringList { vol };
        DirPane pane(fs);
        QVERIFY(!pane.set_path(tmp.path()));
        fs.lookups = 0;
        QString at = tmp.path();
        for (const QString& part : deep.mid(at.size()).split(u'/', Qt::SkipEmptyParts))
            QVERIFY(!pane.set_path(at += u'/' + part));
        QCOMPARE(pane.Path(), deep);
        QCOMPARE(fs.lookups, 1); // where the volume is mounted
        QCOMPARE(pane.drive(), vol);

        // Up, aside to a name that begins as the one left, down again: the rows a fresh pane shows there.
        const auto all_rows = [](const DirPane& p) -> QString {
            QStringList rows;
            for (int i = 0; i < p.row_count(); ++i)
                rows << p.row_path(i);
            return rows.join(u'|') + u'#' + QString::number(p.component_count());
        };
        for (const QString& to : QStringList { vol + u"/d/d"_s, vol + u"/d/dd/x"_s, vol + u"/d"_s, tmp.path(), deep }) {
            QVERIFY(!pane.set_path(to));
            DirPane fresh(fs);
            QVERIFY(!fresh.set_path(to));
            QCOMPARE(all_rows(pane), all_rows(fresh));
            QCOMPARE(pane.drive(), fresh.drive());
        }
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
