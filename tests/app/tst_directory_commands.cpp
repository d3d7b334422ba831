// The panes' directory commands: create, rename, delete, refresh, and the tree deletion.

#include "app/DirPane.h"
#include "app/DirectoryCommands.h"
#include "platform/Paths.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The machine's disk, with one extra folder standing in as a mounted volume.
class ExtraVolume : public FaultyFileSystem {
public:
    QVector<Volume> volumes() const override
    {
        QVector<Volume> v = FaultyFileSystem::volumes();
        if (!extra.isEmpty())
            v.push_back({extra, extra});
        return v;
    }
    QString extra;
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
    f.write("x");
}

bool shows(const DirPane& pane, const QString& name)
{
    for (int i = 0; i < pane.ListCount(); ++i)
        if (leaf_name(pane.List(i)) == name)
            return true;
    return false;
}

struct Fixture {
    Fixture()
        : pane1(fs)
        , pane2(fs)
        , commands(fs, port, pane1, pane2)
    {
        base = tmp.path();
        make_dirs(base, {u"one"_s, u"two"_s});
        pane1.set_path(base + u"/one"_s);
        pane2.set_path(base + u"/two"_s);
    }
    QStringList entries(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir tmp;
    QString base;
    ExtraVolume fs;
    ScriptedPort port;
    DirPane pane1;
    DirPane pane2;
    DirectoryCommands commands;
};

}  // namespace

class TestDirectoryCommands : public QObject {
    Q_OBJECT
private slots:
    void create_refreshes_both_panes()
    {
        Fixture f;
        QVERIFY(!f.pane1.set_path(f.base + u"/two"_s));
        f.commands.popup_dir_pane = 2;
        f.port.type(u"new"_s);
        f.commands.m_create_dir();
        QCOMPARE(f.port.prompts, QStringList{u"Name of subdirectory?|Creating subdirectory of "_s + f.base + u"/two"_s});
        QVERIFY(QFileInfo(f.base + u"/two/new"_s).isDir());
        QVERIFY(shows(f.pane1, u"new"_s) && shows(f.pane2, u"new"_s));
        QVERIFY(f.port.shown.isEmpty());
    }

    void create_refusals_and_failures()
    {
        Fixture f;
        const QString dir = f.base + u"/one"_s;
        make_dirs(dir, {u"Taken"_s});
        f.commands.popup_dir_pane = 1;
        for (const std::optional<QString>& answer :
             {std::optional<QString>(), std::optional(u"  "_s), std::optional(u"a/b"_s), std::optional(u".."_s),
              std::optional(u"TAKEN"_s)}) {
            f.port.type(answer);
            f.commands.m_create_dir();
        }
        QCOMPARE(f.entries(dir), QStringList{u"Taken"_s});
        // Cancel says nothing; each of the others one message.
        QCOMPARE(f.port.shown.size(), 4);
        QCOMPARE(f.port.shown.last().text, u"Error 58 - File already exists"_s);

        f.fs.fail_call(FaultyFileSystem::Op::MakeDir, 1, err_permission_denied);
        f.port.type(u"fresh"_s);
        f.commands.m_create_dir();
        QCOMPARE(f.port.shown.last().text, u"Error 70 - Permission denied"_s);
        QCOMPARE(f.port.shown.last().title, u"Tandrel"_s);
        QCOMPARE(f.entries(dir), QStringList{u"Taken"_s});
        QCOMPARE(f.port.unexpected_questions, 0);
    }

    void rename_in_place_and_by_path()
    {
        Fixture f;
        const QString one = f.base + u"/one"_s;
        make_dirs(one, {u"old/inner"_s, u"other"_s});
        touch(one + u"/other/keep.txt"_s);
        QVERIFY(!f.pane1.set_path(one + u"/old"_s));
        QVERIFY(!f.pane2.set_path(one + u"/old/inner"_s));
        f.commands.popup_dir_pane = 1;

        f.port.type(std::nullopt);
        f.port.type(u"other"_s);
        f.commands.m_rename_dir();
        f.commands.m_rename_dir();
        QCOMPARE(f.port.texts(), QStringList{u"Error 58 - File already exists"_s});
        QVERIFY(QFile::exists(one + u"/other/keep.txt"_s));
        QVERIFY(QFileInfo(one + u"/old/inner"_s).isDir());

        // A bare name renames next to the old one, whatever the program's working directory.
        f.port.type(u"renamed"_s);
        f.commands.m_rename_dir();
        QCOMPARE(f.port.prompts.last(), u"New name of directory?|Renaming "_s + one + u"/old"_s);
        QVERIFY(!QFile::exists(one + u"/old"_s));
        QVERIFY(QFileInfo(one + u"/renamed/inner"_s).isDir());
        QCOMPARE(f.pane1.Path(), one + u"/renamed"_s);
        QCOMPARE(f.pane2.Path(), one + u"/renamed/inner"_s);  // the other pane followed

        f.port.type(f.base + u"/two/moved"_s);
        f.commands.m_rename_dir();
        QVERIFY(QFileInfo(f.base + u"/two/moved/inner"_s).isDir());
        QCOMPARE(f.pane1.Path(), f.base + u"/two/moved"_s);
        QCOMPARE(f.port.shown.size(), 1);
    }

    void delete_tree_keeps_what_links_point_to()
    {
        Fixture f;
        QTemporaryDir outside;
        touch(outside.path() + u"/keep.txt"_s);
        const QString victim = f.base + u"/one/Data/Old"_s;
        make_dirs(victim, {u"a/b/c"_s, u".hidden/x"_s});
        touch(victim + u"/a/b/c/f.txt"_s);
        touch(victim + u"/.hidden/x/.dot"_s);
        touch(victim + u"/top.txt"_s);
        QVERIFY(QFile::link(outside.path(), victim + u"/a/link"_s));
        QVERIFY(QFile::link(outside.path() + u"/keep.txt"_s, victim + u"/file-link"_s));
        QVERIFY(!f.pane1.set_path(victim));
        f.commands.popup_dir_pane = 1;

        f.port.answer(Answer::No);
        f.commands.m_delete_dir();
        QVERIFY(QFile::exists(victim + u"/top.txt"_s));
        const ScriptedPort::Shown asked = f.port.shown.first();
        QCOMPARE(asked.text, u"Are you sure you want to delete directory "_s + victim + u'?');
        QVERIFY(asked.buttons == MsgButtons::YesNo && asked.icon == MsgIcon::Question);
        QVERIFY(asked.default_button == Answer::No);

        f.port.answer(Answer::Yes);
        f.commands.m_delete_dir();
        QVERIFY(!QFileInfo::exists(victim));
        QCOMPARE(f.entries(outside.path()), QStringList{u"keep.txt"_s});
        QCOMPARE(f.pane1.Path(), f.base + u"/one/Data"_s);  // the parent, in its own case
        QCOMPARE(f.port.shown.size(), 2);
    }

    void delete_failure_stops_and_keeps_the_pane()
    {
        Fixture f;
        const QString victim = f.base + u"/one/victim"_s;
        make_dirs(victim, {u"sub"_s});
        touch(victim + u"/sub/1.txt"_s);
        touch(victim + u"/2.txt"_s);
        QVERIFY(!f.pane1.set_path(victim));
        f.fs.fail_call(FaultyFileSystem::Op::RemoveFile, 2, err_permission_denied);
        f.commands.popup_dir_pane = 1;
        f.port.answer(Answer::Yes);
        f.commands.m_delete_dir();
        QCOMPARE(f.port.shown.last().text, u"Error 70 - Permission denied"_s);
        QCOMPARE(f.pane1.Path(), victim);
        QCOMPARE(f.entries(victim), QStringList{u"2.txt"_s});  // what went before stays gone
        QCOMPARE(f.pane1.ListCount(), 0);
    }

    void delete_refusals()
    {
        Fixture f;
        const QString one = f.base + u"/one"_s;
        make_dirs(one, {u"held/deeper"_s, u"vol"_s, u"real"_s});
        QVERIFY(QFile::link(one + u"/real"_s, f.base + u"/two/via-link"_s));
        f.fs.extra = one + u"/vol"_s;
        f.commands.popup_dir_pane = 1;
        const auto try_delete = [&](const QString& path, const QString& other) {
            QVERIFY(!f.pane1.set_path(path));
            QVERIFY(!f.pane2.set_path(other));
            f.commands.m_delete_dir();
            QVERIFY(QFileInfo(path).isDir());
        };
        try_delete(u"/"_s, one);
        try_delete(one + u"/vol"_s, one);
        try_delete(one + u"/held"_s, one + u"/held"_s);
        try_delete(one + u"/held"_s, one + u"/held/deeper"_s);
        try_delete(one + u"/real"_s, f.base + u"/two/via-link"_s);
        // Each refused with a message, before any question.
        QCOMPARE(f.port.shown.size(), 5);
        for (const ScriptedPort::Shown& s : f.port.shown)
            QVERIFY(s.buttons == MsgButtons::Ok);
        QCOMPARE(f.port.unexpected_questions, 0);
    }

    void refresh_shows_changes_and_keeps_hidden_folders()
    {
        Fixture f;
        make_dirs(f.base + u"/one"_s, {u".hid"_s});
        f.pane1.add_hidden_folders(false);
        make_dirs(f.base + u"/one"_s, {u"later"_s});
        make_dirs(f.base + u"/two"_s, {u"later2"_s});
        f.commands.m_refresh();
        QVERIFY(shows(f.pane1, u".hid"_s) && shows(f.pane1, u"later"_s));
        QVERIFY(shows(f.pane2, u"later2"_s));
        QCOMPARE(f.port.busy_changes, (QVector<bool>{true, false}));
    }
};

QTEST_GUILESS_MAIN(TestDirectoryCommands)
#include "tst_directory_commands.moc"
