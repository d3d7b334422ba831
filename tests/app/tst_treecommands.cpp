// The tree comparison and the history as the window's logic runs them: the walk, its stops and cancels.

#include "compare/PairComparison.h"
#include "platform/Fd.h"
#include "tests/util/ControllerPair.h"

#include <QFileInfo>

#include <fcntl.h>
#include <limits.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void start(ControllerPair& f) // the pair as trees, with the command line's "§"
{
    f.start(f.pair(u" \u00A7 "_s));
}
const qint64 t0 = ControllerPair::t0;
const QString end_text = u"End of tree comparison."_s;

} // namespace

class TestTreeCommands : public QObject {
    Q_OBJECT
private slots:
    void roots_alone_then_aligned_trees_walk_to_the_end()
    {
        ControllerPair f;
        QVERIFY(f.same(u"/a.txt"_s) && make_file(f.dir1 + u"/r.txt"_s, "r", t0));
        start(f);
        // Without branches the roots are compared, and no walk is left to keep comparisons out of the history.
        QCOMPARE(f.lists.list(1).names(), QStringList({ u"r.txt"_s }));
        QVERIFY(!f.walk.walk_active() && f.port.shown.isEmpty());
        QVERIFY(QFile::remove(f.dir1 + u"/r.txt"_s));
        f.controller.bot_compare_Click();
        QCOMPARE(f.history.store().count(), 1);

        QVERIFY(f.dirs({ u"/A/B"_s, u"/C"_s }) && f.same(u"/A/b.txt"_s) && f.same(u"/A/B/c.txt"_s));
        // The progress box's Cancel reaches the scan (8 updates: both sides of /, A, C, A/B) and the walk.
        const auto check = [](const QString& dir) -> QString { return u"checking dir "_s + dir; };
        // Pressed at the scan's A: nothing further is read, nothing walked, nothing kept.
        f.port.cancel_at_progress = 3;
        f.tree.bot_compare_tree_Click();
        QCOMPARE(f.port.progress, QStringList({ check(f.dir1), check(f.dir2), check(f.dir1 + u"/A"_s) }));
        QVERIFY(f.tree.branches().isEmpty() && !f.walk.walk_active() && f.port.texts().isEmpty());
        QVERIFY(f.idle() && f.pane(1) == f.dir1 && f.lists.hint() != f.port.progress.last());
        QCOMPARE(f.history.store().count(), 1);
        // Pressed at the walk's A: the roots were compared, A waits for "next subdir".
        f.port.progress.clear();
        f.port.cancel_at_progress = 10;
        f.tree.bot_compare_tree_Click();
        QCOMPARE(f.port.progress.mid(8), QStringList({ check(f.dir1), check(f.dir1 + u"/A"_s) }));
        QVERIFY(f.pane(1) == f.dir1 && f.port.texts().isEmpty() && f.idle());
        QVERIFY(f.controller.state().next_alignment_visible() && f.walk.more_branches());
        f.tree.b_next_alignment_Click();
        QCOMPARE(f.port.progress.mid(10),
            QStringList({ check(f.dir1 + u"/A"_s), check(f.dir1 + u"/C"_s), check(f.dir1 + u"/A/B"_s) }));
        QCOMPARE(f.port.texts(), QStringList({ end_text }));
        QVERIFY(f.pane(1) == f.dir1 && f.pane(2) == f.dir2 && f.reports.isEmpty());
        QVERIFY(!f.walk.walk_active() && !f.walk.more_branches() && f.walk.start_path(1).isEmpty()
            && !f.controller.state().next_alignment_visible());
        // The walk's comparisons add nothing to the history.
        QCOMPARE(f.history.store().entries(), QStringList({ history_entry(f.dir1, f.dir2) }));
    }

    void walk_stops_at_differences_and_goes_on()
    {
        ControllerPair f;
        QVERIFY(f.same(u"/a.txt"_s) && f.dirs({ u"/A/B"_s, u"/C"_s, u"/D"_s, u"/E"_s }));
        QVERIFY(make_file(f.dir1 + u"/A/new.txt"_s, "n", t0) && make_file(f.dir1 + u"/D/d.txt"_s, "d", t0));
        QVERIFY(make_file(f.dir1 + u"/A/B/c.txt"_s, "x", t0 + 100) && make_file(f.dir2 + u"/A/B/c.txt"_s, "x", t0));
        f.fs.fail_listing(f.dir2 + u"/E"_s, err_permission_denied);
        start(f);
        // The scan could not look into E and said so; the walk then stops at A.
        const QString e_error = u"Error 70 - Permission denied ("_s + f.dir2 + u"/E)"_s;
        QCOMPARE(f.port.texts(), QStringList({ e_error }));
        QCOMPARE(f.pane(1), f.dir1 + u"/A"_s);
        QCOMPARE(f.lists.list(1).names(), QStringList({ u"new.txt"_s }));
        QVERIFY(f.controller.state().next_alignment_visible() && f.walk.walk_active());

        // C is removed and D renamed while the walk waits: both are passed by in silence.
        QVERIFY(QDir(f.dir1 + u"/C"_s).removeRecursively());
        QVERIFY(QDir().rename(f.dir2 + u"/D"_s, f.dir2 + u"/D2"_s));
        f.tree.b_next_alignment_Click();
        QCOMPARE(f.pane(2), f.dir2 + u"/A/B"_s);
        QCOMPARE(f.lists.list(3).names(), QStringList({ u"c.txt"_s }));
        // A comparison while the walk waits adds no history entry.
        f.controller.bot_compare_Click();
        QCOMPARE(f.history.store().count(), 1);

        f.tree.b_next_alignment_Click();
        // E cannot be shown: said with its reason, and the walk goes on to its end.
        QCOMPARE(f.port.texts(), QStringList({ e_error, e_error, end_text }));
        QCOMPARE(f.pane(1), f.dir1);
        QVERIFY(!f.walk.walk_active());
        f.tree.b_next_alignment_Click(); // a stray click after the end only hides the button
        QCOMPARE(f.port.texts().size(), 3);

        // A "§" pair whose panes failed to move leaves both on the current drive's root: refused, nothing scanned.
        ControllerPair g;
        g.fs.fail_listing(g.dir2, err_disk_not_ready);
        start(g);
        QCOMPARE(g.port.texts(),
            QStringList({ u"Directory not found or disk drive not ready ("_s + g.pair(u" \u00A7 "_s) + u')',
                equal_directories_message() }));
        QVERIFY(g.pane(1) == g.fs.volume_root(g.fs.current_dir()) && g.pane(2) == g.pane(1));
        QVERIFY(g.reports.isEmpty() && !g.walk.walk_active());
    }

    // Linked roots are the person's choice; a branch swapped for a link while the walk waits is passed by.
    void linked_roots_are_walked_linked_branches_are_not()
    {
        ControllerPair f;
        QVERIFY(make_tree(f.tmp.path(), { u"one/A"_s, u"two/A"_s, u"one/B"_s, u"two/B"_s, u"outside"_s },
            { u"one/A/new.txt"_s, u"one/B/b.txt"_s }));
        const QString link1 = f.tmp.path() + u"/link1"_s, link2 = f.tmp.path() + u"/link2"_s;
        QVERIFY(QFile::link(f.dir1, link1) && QFile::link(f.dir2, link2));
        f.start(link1 + u" \u00A7 "_s + link2);
        QCOMPARE(f.pane(1), link1 + u"/A"_s);
        QCOMPARE(f.lists.list(1).names(), QStringList({ u"new.txt"_s }));
        QVERIFY(
            QDir(f.dir2 + u"/B"_s).removeRecursively() && QFile::link(f.tmp.path() + u"/outside"_s, f.dir2 + u"/B"_s));
        f.tree.b_next_alignment_Click();
        QCOMPARE(f.port.texts(), QStringList({ end_text }));
        QCOMPARE(entries(f.tmp.path() + u"/outside"_s), QStringList());

        // A folder above the pair swapped for a link during the comparison: what it leads to is never listed.
        ControllerPair g;
        QVERIFY(make_tree(g.tmp.path(), { u"one/C/D"_s, u"two/C/D"_s, u"outside/D"_s }, { u"outside/D/o.txt"_s }));
        g.port.during_events = [&] {
            return g.pane(2) == g.dir2 + u"/C/D"_s && QDir().rename(g.dir2 + u"/C"_s, g.dir2 + u"/C.old"_s)
                && QFile::link(g.tmp.path() + u"/outside"_s, g.dir2 + u"/C"_s);
        };
        start(g);
        QVERIFY(!g.port.during_events && QFileInfo(g.dir2 + u"/C"_s).isSymLink());
        QCOMPARE(g.port.texts(), QStringList({ end_text }));
    }

    // Paths longer than a system call takes (PATH_MAX) are walked, shown and compared.
    void a_chain_deeper_than_a_path_is_walked()
    {
        ControllerPair f;
        QString deep;
        const Fd deepest = make_deep_dirs(f.dir1, 24, &deep);
        QVERIFY(make_deep_dirs(f.dir2, 24).valid());
        QVERIFY(QFile::encodeName(f.dir2 + deep).size() > PATH_MAX);
        const Fd file(::openat(deepest.get(), "deep.txt", O_WRONLY | O_CREAT, 0644));
        QVERIFY(file.valid());
        start(f);
        QCOMPARE(f.pane(1), f.dir1 + deep);
        QCOMPARE(f.lists.list(1).names(), QStringList({ u"deep.txt"_s }));
        QVERIFY(f.port.texts().isEmpty());
        f.tree.b_next_alignment_Click();
        QCOMPARE(f.port.texts(), QStringList({ end_text }));
        QVERIFY(!f.fs.delete_tree(f.dir1 + deep.left(201)) && !f.fs.delete_tree(f.dir2 + deep.left(201)));
    }

    void auto_next_once_the_pair_is_aligned()
    {
        ControllerPair f;
        QVERIFY(f.dirs({ u"/A"_s }) && QDir().mkpath(f.dir2 + u"/Z"_s));
        QVERIFY(make_file(f.dir1 + u"/x.txt"_s, "x", t0) && make_file(f.dir2 + u"/y.txt"_s, "y", t0));
        start(f);
        QCOMPARE(f.reports.size(), 1); // Z is only in tree 2
        QCOMPARE(f.pane(1), f.dir1); // the roots differ: the walk waits at once

        // List 1 aligned: y.txt still differs, the walk waits on.
        f.controller.bot_list_Click(1);
        QCOMPARE(f.pane(1), f.dir1);
        QVERIFY(f.controller.state().next_alignment_visible());

        // The last list aligned: the walk goes on by itself to its end.
        f.controller.bot_list_Click(2);
        QCOMPARE(f.port.texts(), QStringList({ end_text }));
        QVERIFY(!f.walk.walk_active());

        // A pair with a file that cannot be read is not aligned by emptying its lists.
        f.fs.unreadable_name = u"locked"_s;
        QVERIFY(make_file(f.dir1 + u"/A/locked"_s, "l", t0) && make_file(f.dir1 + u"/A/z"_s, "z", t0));
        f.port.shown.clear();
        f.tree.bot_compare_tree_Click();
        QCOMPARE(f.pane(1), f.dir1 + u"/A"_s);
        f.controller.bot_list_Click(1);
        QVERIFY(f.lists.difference_count() == 0 && f.controller.state().next_alignment_visible());
        QCOMPARE(f.pane(1), f.dir1 + u"/A"_s);
        QVERIFY(f.walk.walk_active() && !f.port.texts().contains(end_text));
    }

    void cancel_at_the_question_or_in_the_report()
    {
        ControllerPair f;
        QVERIFY(QDir().mkpath(f.dir1 + u"/X"_s) && make_file(f.dir1 + u"/r.txt"_s, "r", t0));
        f.port.answer(Answer::Cancel);
        start(f);
        QVERIFY(f.tree.branches().isEmpty() && f.reports.isEmpty());
        QVERIFY(!f.controller.state().next_alignment_visible() && !f.walk.more_branches());
        QCOMPARE(f.history.store().count(), 0);
        QVERIFY(!QFileInfo::exists(f.dir2 + u"/X"_s));

        f.on_report = [](QString& report) { report.clear(); };
        f.port.answer(Answer::No);
        f.tree.bot_compare_tree_Click();
        QCOMPARE(f.reports, QStringList({ u"\r\nOnly in tree 1: "_s + f.dir1 + u"/X"_s }));
        // The panes stay on the roots as they were, and no walk waits.
        QVERIFY(f.tree.report().isEmpty() && f.pane(1) == f.dir1);
        QVERIFY(!f.walk.walk_active() && !f.controller.state().next_alignment_visible());
        QVERIFY(f.history.store().count() == 1 && f.port.main_window_visible());

        // A branch reported as one-sided is not compared, even once made while the report is up.
        QVERIFY(QFile::remove(f.dir1 + u"/r.txt"_s) && make_file(f.dir1 + u"/X/f.txt"_s, "f", t0));
        f.port.answer(Answer::No);
        f.on_report = [&f](QString&) { QVERIFY(QDir().mkpath(f.dir2 + u"/X"_s)); };
        f.tree.bot_compare_tree_Click();
        QCOMPARE(f.port.texts().last(), end_of_tree_message());
        QCOMPARE(f.pane(1), f.dir1);
    }

    void history_reopened_and_its_view()
    {
        ControllerPair f;
        HistoryCommands& h = f.history;
        const QString file = f.history_file;
        QVERIFY(make_file(f.dir1 + u"/a"_s, "a", t0));
        QVERIFY(make_file(file, (history_entry(f.dir1, f.dir2) + u"\r\n/x <-> /y\r\nno separator\r\n"_s).toUtf8()));
        // At start-up without a command line the newest entry is applied silently and stays where it is.
        f.controller.Main(QString(), file);
        QCOMPARE(f.pane(1), f.dir1);
        QCOMPARE(f.lists.list(1).names(), QStringList({ u"a"_s }));
        QVERIFY(h.store().count() == 3 && f.port.shown.isEmpty());

        QVERIFY(!h.Form_KeyDown(Qt::Key_Return, false));
        QVERIFY(h.Form_KeyDown(Qt::Key_Backspace, false));
        QVERIFY(h.view_open() && h.selected() == 0);
        h.set_selected(2);
        QVERIFY(h.Form_KeyDown(Qt::Key_Return, true)); // an entry without " <-> " does nothing
        h.history_DblClick(1);
        QCOMPARE(f.port.texts(), QStringList({ u"Bad path: /x"_s }));
        QVERIFY(!h.Form_KeyDown(Qt::Key_Delete, false));
        h.set_selected(-1);
        h.m_delete_Click();
        QCOMPARE(f.port.texts().last(), u"No record is selected."_s);
        h.set_selected(2);
        QVERIFY(h.Form_KeyDown(Qt::Key_Delete, true));
        QVERIFY(h.store().count() == 2 && h.view_open());

        // Chosen in the view, the pair is compared, moved to the top, and compared as trees.
        h.store().add_to_history(u"/x <-> /y"_s);
        h.history_DblClick(1);
        QCOMPARE(h.store().entries(), QStringList({ history_entry(f.dir1, f.dir2), u"/x <-> /y"_s }));
        QVERIFY(!h.view_open());
        QVERIFY(f.lists.caption(1) == u"only in dir 1"_s && f.idle());

        // Deleting the last entry closes the view and empties the file; then there is nothing to show.
        for (int i = 0; i < 2; ++i) {
            h.m_history_Click();
            h.m_delete_Click();
        }
        QVERIFY(!h.view_open());
        QCOMPARE(QFileInfo(file).size(), 0);
        QVERIFY(h.Form_KeyDown(Qt::Key_F8, false) && !h.view_open());
        QCOMPARE(f.port.texts().last(), u"No history data available."_s);

        // A pair that is there but cannot be read says why, as the walk does, not that it is gone.
        f.fs.fail_listing(f.dir2, err_permission_denied);
        h.apply_history_entry(history_entry(f.dir1, f.dir2), true);
        QCOMPARE(f.port.texts().last(), u"Error 70 - Permission denied ("_s + f.dir2 + u')');
    }
};

QTEST_GUILESS_MAIN(TestTreeCommands)
#include "tst_treecommands.moc"
