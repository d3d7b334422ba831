// Start-up and the command line, the comparison as the window runs it, the plain view and hover.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

class MemorySettings : public SettingsStore {
public:
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QMap<QString, QString> values;
};

// Cannot list the directories in `broken`, as with a drive that is not ready.
class BrokenDirs : public RealFileSystem {
public:
    Result<QVector<DirEntry>> list(const QString& dir, EntryKind kind, bool hidden) const override
    {
        if (broken.contains(QDir::cleanPath(dir)))
            return { {}, make_error(err_disk_not_ready) };
        return RealFileSystem::list(dir, kind, hidden);
    }
    Result<FileListing> list_files(const QString& dir, qsizetype limit) const override
    {
        if (broken.contains(QDir::cleanPath(dir)))
            return { {}, make_error(err_disk_not_ready) };
        return RealFileSystem::list_files(dir, limit);
    }
    QSet<QString> broken;
};

const qint64 t0 = 1700000000;

// Counts the pairs recorded; offers `newest` and notes what is reopened.
struct CountingHistory : PairHistory {
    void load_history(const QString&) override { }
    QString newest_history_entry() const override { return newest; }
    void apply_history_entry(const QString& entry, bool show) override
    {
        applied << entry + (show ? u"!"_s : QString());
    }
    void add_to_history() override { ++adds; }
    void close_view() override { }
    QString newest;
    QStringList applied;
    int adds = 0;
};

struct Fixture {
    Fixture()
        : trace(fs, port, tmp.path())
        , controller(fs, port, settings, trace)
    {
        make_tree(tmp.path(), { u"one"_s, u"two"_s });
        controller.set_history(&history);
    }
    QString pair() const { return dir1 + u" | "_s + dir2; }
    QString root() const { return fs.volume_root(fs.current_dir()); }

    QTemporaryDir tmp;
    QString dir1 = tmp.path() + u"/one"_s;
    QString dir2 = tmp.path() + u"/two"_s;
    BrokenDirs fs;
    ScriptedPort port;
    MemorySettings settings;
    Trace trace;
    MainController controller;
    FileListsModel& lists = controller.lists();
    CountingHistory history;
    int& history_adds = history.adds;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void command_line_pair_is_compared_without_history_entry()
    {
        Fixture f;
        QVERIFY(make_file(f.dir1 + u"/a.txt"_s, "aaa", t0));
        QVERIFY(make_file(f.dir2 + u"/A.TXT"_s, "aaa", t0 + 100));
        QVERIFY(make_file(f.dir2 + u"/only2"_s, "x", t0));
        f.history.newest = u"entry"_s;
        f.controller.Main(u"  "_s + f.pair() + u"  "_s, f.tmp.path() + u"/h"_s);

        QVERIFY(!f.port.ended);
        QVERIFY(f.history.applied.isEmpty());
        QCOMPARE(f.controller.session().dir1, f.dir1 + u'/');
        QCOMPARE(f.controller.pane(2).Path(), f.dir2);
        QCOMPARE(f.lists.caption(1), u"only in dir 1"_s);
        QCOMPARE(f.lists.list(4).names(), QStringList { u"a.txt"_s });
        QCOMPARE(f.lists.list(2).names(), QStringList { u"only2"_s });
        QVERIFY(f.controller.session().last.differences_found);
        QVERIFY(!f.controller.starting_up());
        QCOMPARE(f.history_adds, 0);
        QVERIFY(f.port.main_window_visible() && !f.port.busy && f.port.shown.isEmpty());

        // The button's comparison enters the history and hides the window while it runs.
        f.port.visibility_changes.clear();
        f.controller.bot_compare_Click();
        QCOMPARE(f.history_adds, 1);
        QCOMPARE(f.port.visibility_changes, (QVector<bool> { false, true }));
        QCOMPARE(f.lists.hint(), FileListsModel::standing_hint());
    }

    void bad_command_lines_end_the_program_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        const QString usage = u"Invalid call line format.\r\nUsage: </path 1> '|' </path 2> "_s;
        QTest::newRow("invalid") << u"/tmp"_s << usage;
        QTest::newRow("missing dir 1") << u"@/missing | @/two"_s << u"Path does not exist: @/missing"_s;
        QTest::newRow("missing dir 2") << u"@/one|@/missing"_s << u"Path does not exist: @/missing"_s;
        QTest::newRow("relative dir 2") << u"@/one | two"_s << usage;
        const QString long_name = u"@/one/"_s + QString(300, u'x');
        QTest::newRow("too long") << u"@/one | "_s + long_name << u"Path is too long for this system: "_s + long_name;
    }
    void bad_command_lines_end_the_program()
    {
        QFETCH(QString, line);
        QFETCH(QString, message);
        Fixture f;
        QVERIFY(!f.controller.form_load(line.replace(u'@', f.tmp.path())));
        QVERIFY(f.port.ended);
        QCOMPARE(f.port.texts(), QStringList { message.replace(u'@', f.tmp.path()) });
        QCOMPARE(f.port.shown[0].icon, MsgIcon::None);
    }

    void history_is_reopened_without_a_command_line()
    {
        Fixture f;
        f.history.newest = u"entry"_s;
        QVERIFY(f.controller.form_load(QString()));
        QCOMPARE(f.controller.pane(1).Path(), f.root());
        QCOMPARE(f.controller.pane(2).Path(), f.root());
        QCOMPARE(f.history.applied, QStringList { u"entry"_s });
        // The same directory twice is not compared: the plain view stays.
        QCOMPARE(f.lists.caption(1), u"files in dir 1"_s);
    }

    void recovery_route_is_taken_once()
    {
        Fixture f;
        f.fs.broken.insert(f.dir1);
        QVERIFY(f.controller.form_load(f.pair()));
        QCOMPARE(f.port.texts(), QStringList { u"Directory not found or disk drive not ready ("_s + f.pair() + u')' });
        QCOMPARE(f.controller.pane(1).Path(), f.root());
        QCOMPARE(f.controller.pane(2).Path(), f.root());

        // When the current drive's root fails too, loading ends there after the one message.
        Fixture g;
        g.fs.broken = { g.dir1, g.root() };
        QVERIFY(g.controller.form_load(g.pair()));
        QCOMPARE(g.port.shown.size(), 1);
        QVERIFY(g.port.main_window_visible() && !g.controller.starting_up());
    }

    void the_stored_option()
    {
        for (const char* off : { "", "0", "abc" })
            QVERIFY(!MainController::option_value(QString::fromLatin1(off)));
        for (const char* on : { "-1", "1", " 70000", "-99999999999999999999" })
            QVERIFY(MainController::option_value(QString::fromLatin1(on)));

        Fixture f;
        QVERIFY(make_file(f.dir1 + u"/x"_s, "same", t0 + 3600));
        QVERIFY(make_file(f.dir2 + u"/x"_s, "same", t0));
        f.settings.values[u"ignore_one_hour_diff"_s] = u"1"_s;
        QVERIFY(f.controller.form_load(f.pair()));
        QVERIFY(f.controller.state().ignore_one_hour_checked());
        QCOMPARE(f.lists.list(5).names(), QStringList { u"x"_s });

        // Turned off, it is stored and changes the next comparison, not the lists shown.
        f.controller.m_ignore_one_hour_differences_Click();
        QCOMPARE(f.settings.values[u"ignore_one_hour_diff"_s], u"0"_s);
        QCOMPARE(f.lists.list(5).count(), 1);
        f.controller.compare_directories();
        QCOMPARE(f.lists.list(3).names(), QStringList { u"x"_s });
    }

    void directories_that_must_not_be_compared()
    {
        // The same directory through a link: refused, the plain view stays untouched.
        Fixture f;
        QVERIFY(make_file(f.dir1 + u"/x"_s, "1", t0));
        const QString link = f.tmp.path() + u"/link"_s;
        QVERIFY(QFile::link(f.dir1, link));
        QVERIFY(f.controller.form_load(f.dir1 + u" | "_s + link));
        QCOMPARE(f.port.shown.size(), 1);
        QCOMPARE(f.port.shown[0].icon, MsgIcon::Critical);
        QVERIFY(f.port.shown[0].text.startsWith(u"dir1 and dir2 are equal"_s));
        QCOMPARE(f.lists.caption(1), u"files in dir 1"_s);
        QCOMPARE(f.lists.list(2).names(), QStringList { u"x"_s });

        // A pair with a file whose name the encoding cannot hold: it is counted, in a message.
        Fixture g;
        QVERIFY(make_file(g.dir1 + u"/a"_s, "1", t0) && make_file(g.dir2 + u"/a"_s, "1", t0));
        const QByteArray odd = QFile::encodeName(g.dir2) + "/odd\xff";
        QVERIFY(std::fclose(std::fopen(odd.constData(), "w")) == 0);
        QVERIFY(g.controller.form_load(g.pair()));
        QCOMPARE(g.lists.list(5).names(), QStringList { u"a"_s });
        QVERIFY(g.port.texts().last().startsWith(u"1 file of dir 2 could not be read"_s));
        QVERIFY(g.controller.session().last.differences_found);
        QCOMPARE(std::remove(odd.constData()), 0);

        // A directory that cannot be read is reported, not taken as empty.
        g.fs.broken.insert(g.dir2);
        const PairOutcome unread = g.controller.compare_directories();
        QCOMPARE(g.port.texts().last(), u"Error 71 - Disk not ready ("_s + g.dir2 + u"/)"_s);
        QCOMPARE(g.lists.difference_count(), 0);
        QVERIFY(unread.differences_found && !unread.complete); // not an aligned pair
        QVERIFY(!g.port.busy);
    }

    void pane_moves_show_the_plain_view()
    {
        Fixture f;
        QVERIFY(make_tree(f.tmp.path(), { u"two/sub"_s }, { u"one/a"_s, u"two/sub/b"_s }));
        QVERIFY(f.controller.form_load(f.pair()));
        QVERIFY(f.lists.align_button_visible(1));
        QVERIFY(!f.controller.pane(2).set_path(f.dir2 + u"/sub"_s).failed());
        QCOMPARE(f.controller.session().dir2, f.dir2 + u"/sub/"_s);
        QCOMPARE(f.lists.caption(1), u"files in dir 1"_s);
        QCOMPARE(f.lists.caption(3), QString());
        QCOMPARE(f.lists.list(1).names(), QStringList { u"a"_s });
        QCOMPARE(f.lists.list(2).names(), QStringList { u"b"_s });
        QVERIFY(!f.lists.align_button_visible(1) && !f.controller.state().cancel_enabled());

        // A drive that is not there: the number and description, and the pane stays.
        f.controller.Drive_Change(2, u"/no/such/volume"_s);
        QCOMPARE(f.port.texts(), QStringList { u"68 Device unavailable"_s });
        QCOMPARE(f.controller.pane(2).Path(), f.dir2 + u"/sub"_s);
        QVERIFY(!f.port.busy);
    }

    void hover_details()
    {
        Fixture f;
        QVERIFY(make_file(f.dir1 + u"/Readme.TXT"_s, "12345", t0 + 10));
        QVERIFY(make_file(f.dir2 + u"/README.txt"_s, "1", t0));
        QVERIFY(make_file(f.dir2 + u"/other"_s, "22", t0));
        QVERIFY(f.controller.form_load(f.pair()));
        QCOMPARE(f.lists.list(3).names(), QStringList { u"Readme.TXT"_s });

        f.controller.list_mouse_move(3, 0);
        const QStringList lines = f.lists.hint().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith(u", bytes 5 "_s + f.dir1 + u"/Readme.TXT"_s));
        QVERIFY(lines[1].endsWith(u", bytes 1 "_s + f.dir2 + u"/README.txt"_s)); // dir 2's own spelling

        f.controller.list_mouse_move(2, 0);
        QVERIFY(f.lists.hint().endsWith(u", bytes 2 "_s + f.dir2 + u"/other"_s));
        QVERIFY(!f.lists.hint().contains(u'\n'));
        f.controller.list_mouse_move(2, 1);
        QCOMPARE(f.lists.hint(), FileListsModel::standing_hint());

        // A file gone since the comparison: the hint stops where it got, silently.
        QVERIFY(QFile::remove(f.dir2 + u"/README.txt"_s));
        f.controller.list_mouse_move(3, 0);
        QVERIFY(f.lists.hint().endsWith(u"/Readme.TXT"_s) && !f.lists.hint().contains(u'\n'));
        QCOMPARE(f.port.shown.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
