// Start-up, the command line, the comparison as the window runs it, the plain view and hover.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

class MemorySettings : public SettingsStore {
public:
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QMap<QString, QString> values;
};

// Lists nothing in the directories named in `broken`, as a drive that is not ready would.
class BrokenDirs : public RealFileSystem {
public:
    Result<QVector<DirEntry>> list(const QString& dir, EntryKind kind, bool hidden) const override
    {
        if (broken.contains(QDir::cleanPath(dir)))
            return {{}, make_error(err_disk_not_ready)};
        return RealFileSystem::list(dir, kind, hidden);
    }
    QSet<QString> broken;
};

void write_file(const QString& path, const QByteArray& content, qint64 mtime)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime));
}

struct Fixture {
    Fixture()
        : trace(fs, port, tmp.path())
        , controller(fs, port, settings, trace)
    {
        dir1 = tmp.path() + QStringLiteral("/one");
        dir2 = tmp.path() + QStringLiteral("/two");
        QDir().mkpath(dir1);
        QDir().mkpath(dir2);
        controller.hooks().add_to_history = [this] { ++history_adds; };
    }
    QString pair() const { return dir1 + QStringLiteral(" | ") + dir2; }

    QTemporaryDir tmp;
    BrokenDirs fs;
    ScriptedPort port;
    MemorySettings settings;
    Trace trace;
    MainController controller;
    QString dir1, dir2;
    int history_adds = 0;
};

const qint64 t0 = 1700000000;

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void command_line_pair_is_compared_without_history_entry()
    {
        Fixture f;
        write_file(f.dir1 + QStringLiteral("/a.txt"), "aaa", t0);
        write_file(f.dir2 + QStringLiteral("/A.TXT"), "aaa", t0 + 100);
        write_file(f.dir2 + QStringLiteral("/only2"), "x", t0);
        f.controller.Main(QStringLiteral("  ") + f.pair() + QStringLiteral("  "), f.tmp.path() + QStringLiteral("/h"));

        QVERIFY(!f.port.ended);
        QCOMPARE(f.controller.globals().GLB_dir1, f.dir1 + u'/');
        QCOMPARE(f.controller.globals().GLB_dir2, f.dir2 + u'/');
        QCOMPARE(f.controller.pane(1).Path(), f.dir1);
        FileListsModel& lists = f.controller.lists();
        QCOMPARE(lists.caption(1), QStringLiteral("only in dir 1"));
        QCOMPARE(lists.list(4).names(), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(lists.list(2).names(), QStringList{QStringLiteral("only2")});
        QVERIFY(f.controller.globals().GLB_differences_found);
        QVERIFY(!f.controller.globals().GLB_starting_up);
        QCOMPARE(f.history_adds, 0);
        QVERIFY(f.port.main_window_visible());
        QVERIFY(!f.port.busy);
        QCOMPARE(f.port.shown.size(), 0);

        // A comparison started by the button afterwards does enter the history and hides the
        // window while it runs.
        f.port.visibility_changes.clear();
        f.controller.bot_compare_Click();
        QCOMPARE(f.history_adds, 1);
        QCOMPARE(f.port.visibility_changes, (QVector<bool>{false, true}));
        QCOMPARE(lists.hint(), FileListsModel::standing_hint());
    }

    void invalid_command_lines_end_the_program_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("one side") << QStringLiteral("/tmp");
        QTest::newRow("empty side") << QStringLiteral("| /tmp");
        QTest::newRow("relative") << QStringLiteral("a:b | c:d");
        QTest::newRow("network") << QStringLiteral("\\\\server\\x | /");
    }
    void invalid_command_lines_end_the_program()
    {
        QFETCH(QString, line);
        Fixture f;
        QVERIFY(!f.controller.form_load(line));
        QVERIFY(f.port.ended);
        QCOMPARE(f.port.texts(), QStringList{QStringLiteral("Invalid call line format.\r\nUsage: </path 1> '|' </path 2> ")});
        QCOMPARE(f.port.shown[0].icon, MsgIcon::None);
    }

    void missing_directory_is_named_and_ends_the_program()
    {
        Fixture f;
        const QString missing = f.tmp.path() + QStringLiteral("/missing");
        QVERIFY(!f.controller.form_load(missing + QStringLiteral(" | ") + f.dir2));
        QCOMPARE(f.port.texts(), QStringList{QStringLiteral("Path does not exist: ") + missing});
        QVERIFY(f.port.ended);

        Fixture g;
        QVERIFY(!g.controller.form_load(g.dir1 + QStringLiteral("|") + missing));
        QCOMPARE(g.port.texts(), QStringList{QStringLiteral("Path does not exist: ") + missing});
    }

    void empty_command_line_opens_the_current_drive_and_the_newest_history_pair()
    {
        Fixture f;
        QStringList applied;
        f.controller.hooks().newest_history_entry = [] { return QStringLiteral("entry"); };
        f.controller.hooks().apply_history_entry = [&](const QString& e, bool show) {
            QVERIFY(!show);
            applied << e;
        };
        QVERIFY(f.controller.form_load(QString()));
        const QString root = f.fs.volume_root(f.fs.current_dir());
        QCOMPARE(f.controller.pane(1).Path(), root);
        QCOMPARE(f.controller.pane(2).Path(), root);
        QCOMPARE(applied, QStringList{QStringLiteral("entry")});
        // The same directory twice is not compared: the plain view stays.
        QCOMPARE(f.controller.lists().caption(1), QStringLiteral("files in dir 1"));
        QCOMPARE(f.port.shown.size(), 0);

        // A pair on the command line wins over the history.
        Fixture g;
        bool history_applied = false;
        g.controller.hooks().newest_history_entry = [] { return QStringLiteral("entry"); };
        g.controller.hooks().apply_history_entry = [&](const QString&, bool) { history_applied = true; };
        QVERIFY(g.controller.form_load(g.pair()));
        QVERIFY(!history_applied);
    }

    void tree_command_line_starts_a_tree_comparison()
    {
        Fixture f;
        int trees = 0;
        f.controller.hooks().start_tree_comparison = [&] {
            QVERIFY(f.controller.globals().GLB_tree_walk_active);
            ++trees;
        };
        QVERIFY(f.controller.form_load(f.dir1 + QStringLiteral(" \u00A7 ") + f.dir2));
        QCOMPARE(trees, 1);
        QVERIFY(!f.controller.globals().GLB_starting_up);
        // "|" is taken before "§".
        Fixture g;
        QVERIFY(g.controller.form_load(g.dir1 + QStringLiteral(" | ") + g.dir2 + QStringLiteral("\u00A7x")) == false);
        QVERIFY(!g.controller.globals().GLB_tree_walk_active);
    }

    void recovery_route_is_taken_once()
    {
        Fixture f;
        f.fs.broken.insert(f.dir1);
        QVERIFY(f.controller.form_load(f.pair()));
        const QString root = f.fs.volume_root(f.fs.current_dir());
        QCOMPARE(f.port.texts(), QStringList{QStringLiteral("Directory not found or disk drive not ready (") + f.pair() +
                                             QStringLiteral(")")});
        QCOMPARE(f.controller.pane(1).Path(), root);
        QCOMPARE(f.controller.pane(2).Path(), root);

        // When the current drive's root fails too, loading ends there after one message.
        Fixture g;
        g.fs.broken.insert(g.dir1);
        g.fs.broken.insert(g.fs.volume_root(g.fs.current_dir()));
        QVERIFY(g.controller.form_load(g.pair()));
        QCOMPARE(g.port.shown.size(), 1);
        QVERIFY(g.port.main_window_visible());
        QVERIFY(!g.controller.globals().GLB_starting_up);
    }

    void stored_option_values()
    {
        QVERIFY(!MainController::option_value(QString()));
        QVERIFY(!MainController::option_value(QStringLiteral("0")));
        QVERIFY(!MainController::option_value(QStringLiteral("abc")));
        QVERIFY(MainController::option_value(QStringLiteral("-1")));
        QVERIFY(MainController::option_value(QStringLiteral("1")));
        QVERIFY(MainController::option_value(QStringLiteral(" 70000")));
        QVERIFY(MainController::option_value(QStringLiteral("-99999999999999999999")));

        Fixture f;
        f.settings.values[QStringLiteral("ignore_one_hour_diff")] = QStringLiteral("1");
        QVERIFY(f.controller.form_load(f.pair()));
        QVERIFY(f.controller.globals().GLB_ignore_one_hour_diff);
        QVERIFY(f.controller.state().ignore_one_hour_checked());
        f.controller.m_ignore_one_hour_differences_Click();
        QCOMPARE(f.settings.values[QStringLiteral("ignore_one_hour_diff")], QStringLiteral("0"));
        QVERIFY(!f.controller.globals().GLB_ignore_one_hour_diff);
        f.controller.m_ignore_one_hour_differences_Click();
        QCOMPARE(f.settings.values[QStringLiteral("ignore_one_hour_diff")], QStringLiteral("-1"));
        f.controller.m_skip_delete_confirmations_Click();
        QVERIFY(f.controller.state().skip_delete_confirmations_checked());
        QCOMPARE(f.settings.values.size(), 1);
    }

    void one_hour_option_changes_the_next_comparison()
    {
        Fixture f;
        write_file(f.dir1 + QStringLiteral("/x"), "same", t0 + 3600);
        write_file(f.dir2 + QStringLiteral("/x"), "same", t0);
        QVERIFY(f.controller.form_load(f.pair()));
        QCOMPARE(f.controller.lists().list(3).count(), 1);
        f.controller.m_ignore_one_hour_differences_Click();
        QCOMPARE(f.controller.lists().list(3).count(), 1);  // not recomputed
        f.controller.compare_directories();
        QCOMPARE(f.controller.lists().list(5).names(), QStringList{QStringLiteral("x")});
        QVERIFY(!f.controller.globals().GLB_differences_found);
    }

    void the_same_directory_twice_is_refused()
    {
        Fixture f;
        write_file(f.dir1 + QStringLiteral("/x"), "1", t0);
        const QString link = f.tmp.path() + QStringLiteral("/link");
        QVERIFY(QFile::link(f.dir1, link));
        QVERIFY(f.controller.form_load(f.dir1 + QStringLiteral(" | ") + link));
        QCOMPARE(f.port.shown.size(), 1);
        QCOMPARE(f.port.shown[0].icon, MsgIcon::Critical);
        QVERIFY(f.port.shown[0].text.startsWith(QStringLiteral("dir1 and dir2 are equal")));
        // The plain view is left as it was: nothing was classified.
        QCOMPARE(f.controller.lists().caption(1), QStringLiteral("files in dir 1"));
        QCOMPARE(f.controller.lists().list(2).names(), QStringList{QStringLiteral("x")});
    }

    void an_unreadable_directory_is_reported_not_taken_as_empty()
    {
        Fixture f;
        write_file(f.dir1 + QStringLiteral("/a"), "1", t0);
        QVERIFY(f.controller.form_load(f.pair()));
        QCOMPARE(f.controller.lists().list(1).count(), 1);
        f.fs.broken.insert(f.dir2);
        f.controller.compare_directories();
        QCOMPARE(f.port.texts(), QStringList{QStringLiteral("Error 71 - Disk not ready (") + f.dir2 + QStringLiteral("/)")});
        for (int n = 1; n <= 5; ++n)
            QCOMPARE(f.controller.lists().list(n).count(), 0);
        QVERIFY(!f.port.busy);
    }

    void pane_moves_show_the_plain_view()
    {
        Fixture f;
        write_file(f.dir1 + QStringLiteral("/a"), "1", t0);
        QDir().mkpath(f.dir2 + QStringLiteral("/sub"));
        write_file(f.dir2 + QStringLiteral("/sub/b"), "1", t0);
        QVERIFY(f.controller.form_load(f.pair()));
        QVERIFY(f.controller.lists().align_button_visible(1));
        QVERIFY(!f.controller.pane(2).set_path(f.dir2 + QStringLiteral("/sub")).failed());
        QCOMPARE(f.controller.globals().GLB_dir2, f.dir2 + QStringLiteral("/sub/"));
        FileListsModel& lists = f.controller.lists();
        QCOMPARE(lists.caption(1), QStringLiteral("files in dir 1"));
        QCOMPARE(lists.caption(3), QString());
        QCOMPARE(lists.list(1).names(), QStringList{QStringLiteral("a")});
        QCOMPARE(lists.list(2).names(), QStringList{QStringLiteral("b")});
        QVERIFY(!lists.align_button_visible(1));
        QVERIFY(!f.controller.state().cancel_enabled());
        QCOMPARE(lists.hint(), QString());
    }

    void hover_details()
    {
        Fixture f;
        write_file(f.dir1 + QStringLiteral("/Readme.TXT"), "12345", t0 + 10);
        write_file(f.dir2 + QStringLiteral("/README.txt"), "1", t0);
        write_file(f.dir2 + QStringLiteral("/other"), "22", t0);
        QVERIFY(f.controller.form_load(f.pair()));
        FileListsModel& lists = f.controller.lists();
        QCOMPARE(lists.list(3).names(), QStringList{QStringLiteral("Readme.TXT")});

        f.controller.list_mouse_move(3, 0);
        const QStringList lines = lists.hint().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith(QStringLiteral(", bytes 5 ") + f.dir1 + QStringLiteral("/Readme.TXT")));
        // The dir-2 file is found in its own spelling.
        QVERIFY(lines[1].endsWith(QStringLiteral(", bytes 1 ") + f.dir2 + QStringLiteral("/README.txt")));

        f.controller.list_mouse_move(2, 0);
        QCOMPARE(lists.hint().count(u'\n'), 0);
        QVERIFY(lists.hint().endsWith(QStringLiteral("bytes 2 ") + f.dir2 + QStringLiteral("/other")));

        f.controller.list_mouse_move(2, 1);
        QCOMPARE(lists.hint(), FileListsModel::standing_hint());

        // A file gone since the comparison: the hint stops where it got, without a message.
        QVERIFY(QFile::remove(f.dir2 + QStringLiteral("/README.txt")));
        f.controller.list_mouse_move(3, 0);
        QCOMPARE(lists.hint().count(u'\n'), 0);
        QVERIFY(lists.hint().contains(QStringLiteral("Readme.TXT")));
        QCOMPARE(f.port.shown.size(), 0);
    }

    void unavailable_drive_is_reported_and_the_pane_stays()
    {
        Fixture f;
        QVERIFY(f.controller.form_load(f.pair()));
        f.controller.Drive_Change(2, QStringLiteral("/no/such/volume"));
        QCOMPARE(f.port.texts(), QStringList{QStringLiteral("68 Device unavailable")});
        QCOMPARE(f.controller.pane(2).Path(), f.dir2);
        // Pane 2 keeps the comparison on screen when its move fails.
        QCOMPARE(f.controller.lists().caption(1), QStringLiteral("only in dir 1"));
        QVERIFY(!f.port.busy);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
