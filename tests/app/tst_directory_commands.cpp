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

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The machine's disk, with one extra folder standing in as a mounted volume.
class ExtraVolume : public FaultyFileSystem {
public:
    QVector<Volume> volumes() const override
    {
        QVector<Volume> v = FaultyFileSystem::volumes();
        v.push_back({ extra, extra });
        return v;
    }
    QString extra = u"/nowhere"_s;
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

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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
        : one(tmp.path() + u"/one"_s)
        , pane1(fs)
        , pane2(fs)
        , commands(fs, port, pane1, pane2)
    {
        make(tmp.path(), { u"one"_s, u"two"_s });
        pane1.set_path(one);
        pane2.set_path(tmp.path() + u"/two"_s);
        commands.popup_dir_pane = 1;
    }

    QTemporaryDir tmp;
    const QString one;
    ExtraVolume fs;
    ScriptedPort port;
    DirPane pane1;
    DirPane pane2;
    DirectoryCommands commands;
};

} // namespace

class TestDirectoryCommands : public QObject {
    Q_OBJECT
private slots:
    void create_and_refresh()
    {
        Fixture f;
        make(f.one, { u"Taken"_s, u".hid"_s });
        QVERIFY(!f.pane2.set_path(f.one));
        f.pane2.add_hidden_folders(false);
        f.commands.popup_dir_pane = 2;
        f.port.type(u"new"_s);
        f.commands.m_create_dir();
        QCOMPARE(f.port.prompts, QStringList { u"Name of subdirectory?|Creating subdirectory of "_s + f.one });
        QVERIFY(QFileInfo(f.one + u"/new"_s).isDir());
        QVERIFY(shows(f.pane1, u"new"_s) && shows(f.pane2, u"new"_s) && shows(f.pane2, u".hid"_s));
        QVERIFY(f.port.shown.isEmpty());

        // Cancel says nothing; a blank, impossible or taken name one message each.
        for (const std::optional<QString>& answer : { std::optional<QString>(), std::optional(u"  "_s),
                 std::optional(u"a/b"_s), std::optional(u".."_s), std::optional(u"TAKEN"_s) }) {
            f.port.type(answer);
            f.commands.m_create_dir();
        }
        QCOMPARE(f.port.shown.size(), 4);
        QCOMPARE(f.port.shown.last().text, u"Error 58 - File already exists"_s);
        f.fs.fail_call(FaultyFileSystem::Op::MakeDir, 1, err_permission_denied);
        f.port.type(u"fresh"_s);
        f.commands.m_create_dir();
        QCOMPARE(f.port.shown.last().text, u"Error 70 - Permission denied"_s);
        QCOMPARE(f.port.shown.last().title, u"Tandrel"_s);
        QCOMPARE(entries(f.one), (QStringList { u".hid"_s, u"Taken"_s, u"new"_s }));

        make(f.one, { u"later"_s });
        f.commands.m_refresh();
        QVERIFY(shows(f.pane1, u"later"_s) && shows(f.pane2, u"later"_s) && shows(f.pane2, u".hid"_s));
        QCOMPARE(f.port.busy_changes, (QVector<bool> { true, false }));
    }

    void rename_in_place_and_by_path()
    {
        Fixture f;
        make(f.one, { u"old/inner"_s, u"other"_s }, { u"other/keep.txt"_s });
        QVERIFY(!f.pane1.set_path(f.one + u"/old"_s));
        QVERIFY(!f.pane2.set_path(f.one + u"/old/inner"_s));
        f.port.type(std::nullopt);
        f.port.type(u"other"_s);
        f.commands.m_rename_dir();
        f.commands.m_rename_dir();
        QCOMPARE(f.port.texts(), QStringList { u"Error 58 - File already exists"_s });
        QCOMPARE(entries(f.one + u"/other"_s), QStringList { u"keep.txt"_s });

        // A bare name renames beside the old one, whatever the working directory; the other pane follows.
        f.port.type(u"renamed"_s);
        f.commands.m_rename_dir();
        QCOMPARE(f.port.prompts.last(), u"New name of directory?|Renaming "_s + f.one + u"/old"_s);
        QCOMPARE(entries(f.one), (QStringList { u"other"_s, u"renamed"_s }));
        QCOMPARE(f.pane1.Path(), f.one + u"/renamed"_s);
        QCOMPARE(f.pane2.Path(), f.one + u"/renamed/inner"_s);

        f.port.type(f.tmp.path() + u"/two/moved"_s);
        f.commands.m_rename_dir();
        QVERIFY(QFileInfo(f.tmp.path() + u"/two/moved/inner"_s).isDir());
        QCOMPARE(f.pane1.Path(), f.tmp.path() + u"/two/moved"_s);
        QCOMPARE(f.port.shown.size(), 1);
    }

    void delete_keeps_what_links_point_to()
    {
        Fixture f;
        QTemporaryDir outside;
        make(outside.path(), {}, { u"keep.txt"_s });
        const QString victim = f.one + u"/Data/Old"_s;
        make(victim, { u"a/b/c"_s, u".hidden/x"_s }, { u"a/b/c/f.txt"_s, u".hidden/x/.dot"_s, u"top.txt"_s });
        QVERIFY(QFile::link(outside.path(), victim + u"/a/link"_s));
        QVERIFY(QFile::link(outside.path() + u"/keep.txt"_s, victim + u"/file-link"_s));
        // Entries that are neither files nor folders must not keep the folder from going.
        QVERIFY(QFile::link(outside.path() + u"/gone"_s, victim + u"/a/broken-link"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(victim + u"/pipe"_s).constData(), 0600), 0);
        QVERIFY(!f.pane1.set_path(victim));

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
        QCOMPARE(entries(outside.path()), QStringList { u"keep.txt"_s });
        QCOMPARE(f.pane1.Path(), f.one + u"/Data"_s); // the parent, in its own case
        QCOMPARE(f.port.shown.size(), 2);
    }

    void delete_failure_stops_and_keeps_the_pane()
    {
        Fixture f;
        const QString victim = f.one + u"/victim"_s;
        make(victim, { u"sub"_s }, { u"sub/1.txt"_s, u"2.txt"_s });
        QVERIFY(!f.pane1.set_path(victim));
        f.fs.fail_call(FaultyFileSystem::Op::RemoveFile, 2, err_permission_denied);
        f.port.answer(Answer::Yes);
        f.commands.m_delete_dir();
        QCOMPARE(f.port.shown.last().text, u"Error 70 - Permission denied"_s);
        QCOMPARE(f.pane1.Path(), victim);
        QCOMPARE(entries(victim), QStringList { u"2.txt"_s }); // what went before stays gone
        QCOMPARE(f.pane1.ListCount(), 0);
    }

    void delete_refusals()
    {
        Fixture f;
        make(f.one, { u"held/deeper"_s, u"vol"_s, u"real"_s });
        const QString via_link = f.tmp.path() + u"/two/via-link"_s;
        QVERIFY(QFile::link(f.one + u"/real"_s, via_link));
        f.fs.extra = f.one + u"/vol"_s;
        // The root, a volume, the other pane's directory, its ancestor, and the same through a link.
        for (const auto& [path, other] :
            { std::pair { u"/"_s, f.one }, { f.one + u"/vol"_s, f.one }, { f.one + u"/held"_s, f.one + u"/held"_s },
                { f.one + u"/held"_s, f.one + u"/held/deeper"_s }, { f.one + u"/real"_s, via_link } }) {
            QVERIFY(!f.pane1.set_path(path));
            QVERIFY(!f.pane2.set_path(other));
            f.commands.m_delete_dir();
            QVERIFY(QFileInfo(path).isDir());
        }
        // Each refused with a message, before any question.
        QCOMPARE(f.port.shown.size(), 5);
        for (const ScriptedPort::Shown& s : f.port.shown)
            QVERIFY(s.buttons == MsgButtons::Ok);
        QCOMPARE(f.port.unexpected_questions, 0);
    }
};

QTEST_GUILESS_MAIN(TestDirectoryCommands)
#include "tst_directory_commands.moc"
