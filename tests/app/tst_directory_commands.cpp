// The panes' directory commands: create, rename, delete, refresh, and the tree deletion.

#include "app/DirPane.h"
#include "app/DirectoryCommands.h"
#include "tests/util/FakeVolumes.h"
#include "tests/util/PaneRows.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Pane 1 shows "one", pane 2 "two"; the commands act on pane 1.
struct Fixture : DirectoryHost {
    Fixture()
    {
        make_tree(tmp.path(), { u"one"_s, u"two"_s });
        pane1.set_path(one);
        pane2.set_path(tmp.path() + u"/two"_s);
        commands.popup_dir_pane = 1;
        qputenv("HOME", QFile::encodeName(tmp.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.path() + u"/data"_s));
    }
    bool delete_to_trash() const override { return trash; }
    void files_changed() override { ++lists_read; }
    // What a command says when `path` is no longer what it started on.
    static QString swapped(const QString& path)
    {
        return u"Error 75 - Path/File access error: it is no longer the directory the command started on ("_s + path
            + u')';
    }
    // Runs `command`, swapping "one" for a link to "two" while the `nth` box is up; then puts it back.
    void swapped_while_asked(const std::function<void()>& command, int nth = 1)
    {
        QDir dir(tmp.path());
        int boxes = 0;
        port.while_asked = [&] {
            if (++boxes == nth)
                QVERIFY(dir.rename(u"one"_s, u"one-moved"_s) && QFile::link(u"two"_s, dir.filePath(u"one"_s)));
        };
        command();
        port.while_asked = nullptr;
        QVERIFY(boxes < nth || (dir.remove(u"one"_s) && dir.rename(u"one-moved"_s, u"one"_s)));
    }

    QTemporaryDir tmp;
    const QString one = tmp.path() + u"/one"_s;
    bool trash = false;
    int lists_read = 0;
    FakeVolumes fs;
    ScriptedPort port;
    DirPane pane1 { fs }, pane2 { fs };
    DirectoryCommands commands { fs, port, pane1, pane2, *this };
};

class TestDirectoryCommands : public QObject {
    Q_OBJECT
private slots:
    void create_rename_and_refresh()
    {
        Fixture f;
        QVERIFY(make_tree(f.one, { u"Taken/.x"_s, u".hid"_s }, { u"Taken/keep.txt"_s }));
        QVERIFY(!f.pane1.set_path(f.one + u"/Taken"_s) && !f.pane2.set_path(f.one));
        f.commands.popup_dir_pane = 2;
        f.port.type(u"new"_s);
        f.commands.m_create_dir();
        QCOMPARE(f.port.prompts,
            QStringList { u"Name of subdirectory?\n(in "_s + f.one + u")|Creating subdirectory of "_s + f.one });
        QCOMPARE(pane_rows(f.pane1) + u'|' + pane_rows(f.pane2), u".x|.hid new Taken"_s); // both re-read

        // Cancel says nothing; a bad or taken name one message each; a folder swapped meanwhile is refused.
        f.port.type(std::nullopt);
        for (const QString& name : { u"  "_s, u"a/b"_s, u".."_s, u"Taken"_s, u"fresh"_s })
            f.port.type(name);
        f.swapped_while_asked(
            [&] {
                for (int i = 0; i < 6; ++i)
                    f.commands.m_create_dir();
            },
            6);
        QCOMPARE(f.port.texts().mid(3), (QStringList { u"Error 58 - File already exists"_s, f.swapped(f.one) }));
        QCOMPARE(entries(f.one), (QStringList { u".hid"_s, u"Taken"_s, u"new"_s }));
        QCOMPARE(entries(f.tmp.path() + u"/two"_s), QStringList());

        // Renaming onto a taken name (in another case too), into itself or onto its parent changes nothing.
        QVERIFY(make_tree(f.one, { u"new/inner"_s }));
        QVERIFY(!f.pane1.set_path(f.one + u"/new"_s) && !f.pane2.set_path(f.one + u"/new/inner"_s));
        f.commands.popup_dir_pane = 1;
        for (const std::optional<QString>& name :
            { std::optional<QString>(), { u"taken"_s }, { f.one + u"/new/inner/new"_s }, { u".."_s } }) {
            f.port.type(name);
            f.commands.m_rename_dir();
        }
        QCOMPARE(f.port.texts().mid(5),
            (QStringList { u"Error 58 - File already exists"_s,
                u"A directory cannot be moved into itself: "_s + f.one + u"/new/inner/new"_s,
                u"Error 58 - File already exists"_s }));
        QCOMPARE(entries(f.one + u"/Taken"_s), (QStringList { u".x"_s, u"keep.txt"_s }));
        QCOMPARE(entries(f.one + u"/new"_s), QStringList { u"inner"_s });
        // Nor while a folder above is swapped for a link as the new name is typed.
        QVERIFY(make_tree(f.tmp.path(), { u"two/new"_s }));
        f.port.type(u"elsewhere"_s);
        f.swapped_while_asked([&] { f.commands.m_rename_dir(); });
        QCOMPARE(f.port.texts().last(), f.swapped(f.one + u"/new"_s));
        QCOMPARE(entries(f.tmp.path() + u"/two"_s), QStringList { u"new"_s });
        // A bare name renames beside the old one, a complete path moves it there; the other pane follows.
        f.port.type(u"renamed"_s);
        f.commands.m_rename_dir();
        QCOMPARE(f.pane1.Path() + u'|' + f.pane2.Path(), f.one + u"/renamed|"_s + f.one + u"/renamed/inner"_s);
        f.port.type(f.tmp.path() + u"/two/moved"_s);
        f.commands.m_rename_dir();
        QCOMPARE(entries(f.one), (QStringList { u".hid"_s, u"Taken"_s }));
        QCOMPARE(f.pane2.Path(), f.tmp.path() + u"/two/moved/inner"_s);
        QCOMPARE(f.port.shown.size(), 9);

        QVERIFY(make_tree(f.one, { u"later"_s }));
        QVERIFY(!f.pane1.set_path(f.one) && !f.pane2.set_path(f.one + u"/Taken"_s));
        f.commands.m_refresh();
        QCOMPARE(pane_rows(f.pane1) + u'|' + pane_rows(f.pane2), u".hid later Taken|.x"_s);
        QCOMPARE(f.port.busy_changes, (QVector<bool> { true, false }));
    }

    void delete_keeps_what_links_point_to()
    {
        Fixture f;
        QTemporaryDir outside;
        QVERIFY(make_file(outside.path() + u"/keep.txt"_s));
        const QString victim = f.one + u"/Data/Old"_s;
        QVERIFY(
            make_tree(victim, { u"a/b/c"_s, u".hidden/x"_s }, { u"a/b/c/f.txt"_s, u".hidden/x/.dot"_s, u"top.txt"_s }));
        QVERIFY(QFile::link(outside.path(), victim + u"/a/link"_s)
            && QFile::link(outside.path() + u"/keep.txt"_s, victim + u"/file-link"_s));
        // Entries that are neither files nor folders must not keep the folder from going.
        QVERIFY(QFile::link(outside.path() + u"/gone"_s, victim + u"/a/broken-link"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(victim + u"/pipe"_s).constData(), 0600), 0);
        QVERIFY(!f.pane1.set_path(victim));

        f.port.answer(Answer::No);
        f.commands.m_delete_dir();
        QVERIFY(QFile::exists(victim + u"/top.txt"_s));
        const ScriptedPort::Shown asked = f.port.shown.first();
        QCOMPARE(asked.text, u"Are you sure you want to delete directory "_s + victim + u'?');
        QVERIFY(asked.buttons == MsgButtons::YesNo && asked.icon == MsgIcon::Question
            && asked.default_button == Answer::No);

        // To the trash, where none can be made: kept unless the person says delete for good.
        f.trash = true;
        qputenv("XDG_DATA_HOME", QFile::encodeName(outside.path() + u"/keep.txt/data"_s));
        f.port.answer(Answer::Yes);
        f.port.answer(Answer::No);
        f.commands.m_delete_dir();
        QCOMPARE(f.port.texts().mid(1),
            (QStringList { u"Are you sure you want to move directory "_s + victim + u" to the trash?"_s,
                victim + u": No trash can take it (the trash "_s + outside.path()
                    + u"/keep.txt/data/Trash cannot be made).\nDelete it for good?"_s }));
        QVERIFY(QFile::exists(victim + u"/top.txt"_s));

        // With a trash, the whole folder goes there in one piece, links as links.
        qputenv("XDG_DATA_HOME", QFile::encodeName(f.tmp.path() + u"/data"_s));
        f.port.answer(Answer::Yes);
        f.commands.m_delete_dir();
        QCOMPARE(entries(f.one + u"/Data"_s), QStringList());
        const QString trashed = f.tmp.path() + u"/data/Trash/files/Old"_s;
        QCOMPARE(entries(trashed), (QStringList { u".hidden"_s, u"a"_s, u"file-link"_s, u"pipe"_s, u"top.txt"_s }));
        QVERIFY(QFileInfo(trashed + u"/a/link"_s).isSymLink());
        QCOMPARE(entries(outside.path()), QStringList { u"keep.txt"_s });
        QCOMPARE(f.pane1.Path(), f.one + u"/Data"_s);
        QCOMPARE(f.port.shown.size(), 4);
    }

    void delete_refusals_and_failure()
    {
        Fixture f;
        QVERIFY(make_tree(f.one, { u"held/deeper"_s, u"vol"_s, u"real"_s }));
        const QString via_link = f.tmp.path() + u"/two/via-link"_s;
        QVERIFY(QFile::link(f.one + u"/real"_s, via_link) && QFile::link(f.one, f.tmp.path() + u"/two/up"_s));
        f.fs.roots = QStringList { f.one + u"/vol"_s };
        // The root, a volume (also via a link), the other pane's directory or its ancestor (also via a link).
        for (const auto& [path, other] : { std::pair { u"/"_s, f.one }, { f.one + u"/vol"_s, f.one },
                 { f.tmp.path() + u"/two/up/vol"_s, f.one }, { f.one + u"/held"_s, f.one + u"/held"_s },
                 { f.one + u"/held"_s, f.one + u"/held/deeper"_s }, { f.one + u"/real"_s, via_link } }) {
            QVERIFY(!f.pane1.set_path(path) && !f.pane2.set_path(other));
            f.commands.m_delete_dir();
            QVERIFY(QFileInfo(path).isDir());
        }
        QCOMPARE(f.port.shown.size(), 6); // each with a message; a question would fail the test
        f.port.type(u"other"_s); // nor is a volume reached through a link renamed
        QVERIFY(!f.pane1.set_path(f.tmp.path() + u"/two/up/vol"_s));
        f.commands.m_rename_dir();
        QCOMPARE(
            f.port.texts().last(), u"The root of a volume cannot be renamed: "_s + f.tmp.path() + u"/two/up/vol"_s);

        // The folder above swapped for a link to a look-alike tree while asked: neither is touched.
        const QString victim = f.one + u"/victim"_s;
        QVERIFY(make_tree(victim, { u"sub"_s }, { u"sub/1.txt"_s, u"2.txt"_s }));
        QVERIFY(make_tree(f.tmp.path(), { u"two/victim"_s }, { u"two/victim/precious"_s }));
        QVERIFY(!f.pane1.set_path(victim) && !f.pane2.set_path(f.tmp.path()));
        f.port.answer(Answer::Yes);
        f.swapped_while_asked([&] { f.commands.m_delete_dir(); });
        QCOMPARE(f.port.texts().last(), f.swapped(victim));
        QCOMPARE(entries(f.tmp.path() + u"/two/victim"_s), QStringList { u"precious"_s });
        QCOMPARE(entries(victim), (QStringList { u"2.txt"_s, u"sub"_s }));

        // A failure part-way stops there and names the path; the pane stays and the lists are read again.
        f.fs.on_tree_entry([&](const QString& dir, const QString&) {
            if (dir == victim && !QFile::exists(victim + u"/late"_s))
                QVERIFY(make_file(victim + u"/late"_s)); // after the listing: the folder cannot go
        });
        f.lists_read = 0;
        f.port.answer(Answer::Yes);
        f.commands.m_delete_dir();
        QCOMPARE(f.port.shown.last().text, u"Error 75 - Path/File access error ("_s + victim + u')');
        QCOMPARE(f.pane1.Path(), victim);
        QCOMPARE(entries(victim), QStringList { u"late"_s });
        QVERIFY(f.pane1.ListCount() == 0 && f.lists_read == 1);
    }
};

QTEST_GUILESS_MAIN(TestDirectoryCommands)
#include "tst_directory_commands.moc"
