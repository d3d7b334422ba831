// Start-up and the command line, the comparison as the window runs it, the plain view and hover.

#include "app/DateText.h"
#include "compare/PairComparison.h"
#include "history/HistoryStore.h"
#include "tests/util/ControllerPair.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

class TestStartup : public QObject {
    Q_OBJECT
    static constexpr qint64 t0 = ControllerPair::t0;

private slots:
    void command_line_pair_is_compared_without_history_entry()
    {
        ControllerPair f;
        QVERIFY(make_file(f.dir1 + u"/a.txt"_s, "aaa", t0) && make_file(f.dir2 + u"/A.TXT"_s, "aaa", t0 + 100)
            && make_file(f.dir2 + u"/only2"_s, "x", t0));
        QVERIFY(make_file(f.history_file, (history_entry(f.dir2, f.dir1) + u"\r\n"_s).toUtf8())); // not reopened
        f.start(u"  "_s + f.pair() + u"  "_s);
        QVERIFY(!f.port.ended && f.port.shown.isEmpty() && f.lists.caption(1) == u"only in dir 1"_s);
        QCOMPARE(f.lists.list(4).names() + f.lists.list(2).names(), (QStringList { u"a.txt"_s, u"only2"_s }));
        QVERIFY(f.history.store().count() == 1 && f.idle());

        // The button's comparison enters the history and hides the window while it runs.
        f.port.visibility_changes.clear();
        f.controller.bot_compare_Click();
        QVERIFY(f.history.store().count() == 2 && f.port.visibility_changes == (QVector<bool> { false, true }));
        QCOMPARE(f.lists.hint(), FileListsModel::standing_hint());

        // Without a command line the newest entry is reopened, silently even when it is bad.
        ControllerPair g;
        QVERIFY(make_file(g.history_file, "/x <-> /y\r\n"));
        g.start({});
        QVERIFY(g.port.shown.isEmpty() && g.pane(1) == g.pane(2));
    }

    // A line that names no pair, a missing side, a side too long: said plainly, and the program ends.
    void bad_command_lines_end_the_program()
    {
        const QString usage = u"Invalid call line format.\r\nUsage: </path 1> '|' </path 2> "_s;
        const QString long_name = u"@/one/"_s + QString(300, u'x');
        for (const auto& [line, message] :
            { std::pair { u"/tmp"_s, usage }, { u"@/missing | @/two"_s, u"Path does not exist: @/missing"_s },
                { u"@/one|@/missing"_s, u"Path does not exist: @/missing"_s },
                { u"@/one | "_s + long_name, u"Path is too long for this system: "_s + long_name } }) {
            ControllerPair f;
            QVERIFY(!f.load(QString(line).replace(u'@', f.tmp.path())) && f.port.ended);
            QCOMPARE(f.port.texts(), QStringList { QString(message).replace(u'@', f.tmp.path()) });
            QCOMPARE(f.port.shown[0].icon, MsgIcon::None);
        }
    }

    // A pair that cannot be shown goes to the drive's root; when that fails too, loading ends after one message.
    void recovery_route_is_taken_once()
    {
        ControllerPair g;
        g.fs.fail_listing(g.dir1, err_disk_not_ready);
        g.fs.fail_listing(g.fs.volume_root(g.fs.current_dir()), err_disk_not_ready);
        QVERIFY(g.load(g.pair()));
        QCOMPARE(g.port.shown.size(), 1);
        QVERIFY(g.port.main_window_visible() && !g.controller.starting_up());
    }

    void the_stored_option()
    {
        for (const auto& [text, on] : { std::pair { u""_s, false }, { u"0"_s, false }, { u"abc"_s, false },
                 { u"-1"_s, true }, { u" 70000"_s, true }, { u"-99999999999999999999"_s, true } })
            QVERIFY2(MainController::option_value(text) == on, qPrintable(text));

        ControllerPair f;
        QVERIFY(make_file(f.dir1 + u"/x"_s, "same", t0 + 3600) && make_file(f.dir2 + u"/x"_s, "same", t0));
        f.settings.values[u"ignore_one_hour_diff"_s] = u"1"_s;
        QVERIFY(f.load(f.pair()) && f.controller.state().ignore_one_hour_checked());
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
        ControllerPair f;
        const QString link = f.tmp.path() + u"/link"_s;
        QVERIFY(make_file(f.dir1 + u"/x"_s, "1", t0) && QFile::link(f.dir1, link));
        QVERIFY(f.load(f.dir1 + u" | "_s + link));
        QCOMPARE(f.port.texts(), QStringList { equal_directories_message() });
        QVERIFY(f.port.shown[0].icon == MsgIcon::Critical && f.lists.caption(1) == u"files in dir 1"_s);
        QCOMPARE(f.lists.list(2).names(), QStringList { u"x"_s });

        // A directory that cannot be read is reported, not taken as empty: either side.
        for (const auto& [side, error, text] :
            { std::tuple { 1, err_permission_denied, u"Error 70 - Permission denied ("_s },
                { 2, err_disk_not_ready, u"Error 71 - Disk not ready ("_s } }) {
            ControllerPair g;
            QVERIFY(g.same(u"/a"_s) && make_file(g.dir2 + u"/b"_s, "1", t0) && g.load(g.pair()));
            const QString dir = side == 1 ? g.dir1 : g.dir2;
            g.fs.fail_listing(dir, error);
            const PairOutcome unread = g.controller.compare_directories();
            QCOMPARE(g.port.texts().last(), text + dir + u"/)"_s);
            QCOMPARE(g.lists.difference_count() + g.lists.list(5).count(), 0); // not "only in dir 1"
            QVERIFY(unread.differences_found && !unread.complete && !g.port.busy); // not an aligned pair
        }
    }

    void pane_moves_show_the_plain_view()
    {
        ControllerPair f;
        QVERIFY(make_tree(f.tmp.path(), { u"two/sub"_s }, { u"one/a"_s, u"two/sub/b"_s }) && f.load(f.pair()));
        QVERIFY(f.lists.align_button_visible(1));
        QVERIFY(!f.controller.pane(2).set_path(f.dir2 + u"/sub"_s).failed());
        QVERIFY(f.lists.caption(1) == u"files in dir 1"_s && f.lists.caption(3).isEmpty());
        QCOMPARE(f.lists.list(1).names() + f.lists.list(2).names(), (QStringList { u"a"_s, u"b"_s }));
        QVERIFY(!f.lists.align_button_visible(1) && !f.controller.state().cancel_enabled());

        // A drive that is not there: the number and description, and the pane stays.
        f.controller.Drive_Change(2, u"/no/such/volume"_s);
        QCOMPARE(f.port.texts(), QStringList { u"68 Device unavailable"_s });
        QVERIFY(f.pane(2) == f.dir2 + u"/sub"_s && !f.port.busy);
    }

    // Hover dates carry seconds in every locale: the two-second rule turns on them. Seconds go
    // before AM/PM, after a dot, after a word or before a quoted suffix; a format with them stays.
    void seconds_in_every_locale()
    {
        const QDateTime when(QDate(2023, 11, 14), QTime(22, 13, 5));
        for (const auto& [name, time] :
            { std::pair { u"en_US"_s, u"10:13:05 PM"_s }, { u"de_DE"_s, u"22:13:05"_s }, { u"fi_FI"_s, u"22.13.05"_s },
                { u"fr_CA"_s, u"22 h 13:05"_s }, { u"bg_BG"_s, u"22:13:05 ч."_s }, { u"C"_s, u"22:13:05"_s } }) {
            const QLocale l(name);
            QCOMPARE(date_time_text(when, l), l.toString(when.date(), QLocale::ShortFormat) + u' ' + time);
        }
    }

    void hover_details()
    {
        ControllerPair f;
        QVERIFY(make_file(f.dir1 + u"/Readme.TXT"_s, "12345", t0 + 10) && make_file(f.dir2 + u"/README.txt"_s, "1", t0)
            && make_file(f.dir2 + u"/other"_s, "22", t0) && f.load(f.pair()));
        f.controller.list_mouse_move(3, 0);
        const QStringList lines = f.lists.hint().split(u'\n');
        QVERIFY(lines.size() == 2 && lines[0].endsWith(u", bytes 5 "_s + f.dir1 + u"/Readme.TXT"_s));
        QVERIFY(lines[1].endsWith(u", bytes 1 "_s + f.dir2 + u"/README.txt"_s)); // dir 2's own spelling
        f.controller.list_mouse_move(2, 0);
        QVERIFY(f.lists.hint().endsWith(u", bytes 2 "_s + f.dir2 + u"/other"_s) && !f.lists.hint().contains(u'\n'));
        f.controller.list_mouse_move(2, 1);
        QCOMPARE(f.lists.hint(), FileListsModel::standing_hint());

        // A file gone since the comparison: the hint stops where it got, silently.
        QVERIFY(QFile::remove(f.dir2 + u"/README.txt"_s));
        f.controller.list_mouse_move(3, 0);
        QVERIFY(f.lists.hint().endsWith(u"/Readme.TXT"_s) && !f.lists.hint().contains(u'\n') && f.port.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
