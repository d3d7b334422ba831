#include "app/TreeCommands.h"

#include "app/HistoryCommands.h"
#include "app/MainController.h"
#include "compare/PairComparison.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/UserPort.h"

TreeCommands::TreeCommands(
    MainController& controller, FileSystem& fs, UserPort& port, HistoryCommands* history, QObject* parent)
    : QObject(parent)
    , controller_(controller)
    , fs_(fs)
    , port_(port)
    , history_(history)
    , walk_(fs, port, *this, controller.gate().cancel())
{
    controller_.set_tree(this);
    if (history_)
        history_->start_tree_comparison = [this] { compare_trees(); };
}

void TreeCommands::bot_compare_tree_Click()
{
    if (controller_.gate().admit())
        compare_trees();
}

void TreeCommands::compare_trees()
{
    port_.set_main_window_visible(false);
    scan_tree();
    port_.set_main_window_visible(true);
}

void TreeCommands::b_next_alignment_Click()
{
    if (!controller_.gate().admit())
        return;
    const RunScope scope(controller_.gate(), Running::TreeStep);
    walk_.b_next_alignment_Click();
}

void TreeCommands::Auto_next()
{
    const RunScope scope(controller_.gate(), Running::TreeStep);
    walk_.Auto_next();
}

void TreeCommands::scan_tree()
{
    const RunScope scope(controller_.gate(), Running::TreeStep);
    report_.clear();
    const QString root1 = controller_.pane(1).Path();
    const QString root2 = controller_.pane(2).Path();
    if (same_directory(fs_, root1, root2)) {
        port_.message(equal_directories_message(), MsgIcon::Critical);
        return;
    }
    port_.set_busy(true);
    TreeScanOptions options;
    options.progress = [this](const QString& text) {
        set_progress(text);
        port_.process_events();
    };
    TreeScan scan = scan_branches(fs_, port_, root1, root2, options);
    report_ = scan.report;
    if (scan.cancelled) {
        walk_.set_more_branches(false);
        set_next_visible(false);
        walk_.set_branches({});
        port_.set_busy(false);
        set_default_comment();
        return;
    }
    if (scan.pairs.size() == 1) {
        port_.set_busy(false);
        controller_.compare_shown_pair();
        return;
    }
    walk_.set_branches(std::move(scan.pairs));
    if (history_)
        history_->add_to_history();
    if (!report_.isEmpty()) {
        port_.set_busy(false);
        if (show_report)
            show_report(report_);
        port_.process_events();
        if (report_.isEmpty()) {
            set_default_comment();
            return;
        }
    }
    walk_.set_more_branches(true);
    walk_.set_walk_active(true);
    port_.set_busy(true);
    walk_.do_tree();
    port_.set_busy(false);
}

QString TreeCommands::pane_path(int pane) const
{
    return controller_.pane(pane).Path();
}

void TreeCommands::set_progress(const QString& text)
{
    controller_.lists().set_hint(text);
}

bool TreeCommands::show_and_compare(const QString& p1, const QString& p2)
{
    QString failed_path = p1;
    FsError err = controller_.pane(1).set_path(p1);
    if (!err.failed()) {
        failed_path = p2;
        err = controller_.pane(2).set_path(p2);
    }
    if (err.failed()) {
        // A directory gone since the check says what the design says; any other refusal (one that
        // cannot be read) says why, so it is not taken for a missing one.
        const bool gone = err.number == err_file_not_found || err.number == err_path_not_found
            || err.number == err_device_unavailable || err.number == err_disk_not_ready;
        port_.message(gone ? QStringLiteral("Directory not found or disk drive not ready.")
                           : report_error_text(err) + QStringLiteral(" (") + failed_path + u')');
        const QString here = fs_.current_dir();
        controller_.pane(1).set_path(here);
        controller_.pane(2).set_path(here);
    }
    if (history_)
        history_->m_close_Click();
    controller_.read_dir_panes();
    const PairSession& session = controller_.session();
    bool differs = false;
    if (!names_equal(session.dir1, session.dir2))
        differs = controller_.compare_directories().differences_found;
    controller_.clear_free_space_labels();
    return differs;
}

void TreeCommands::show_roots(const QString& root1, const QString& root2)
{
    controller_.pane(1).set_path(root1);
    controller_.pane(2).set_path(root2);
}

bool TreeCommands::next_visible() const
{
    return controller_.state().next_alignment_visible();
}

void TreeCommands::set_next_visible(bool visible)
{
    controller_.state().set_next_alignment_visible(visible);
}

void TreeCommands::set_default_comment()
{
    controller_.set_default_comment();
}

qint64 TreeCommands::difference_count() const
{
    // A pair not seen whole still differs once its lists are aligned: the walk must not pass it.
    return controller_.lists().difference_count() + (controller_.session().last.complete ? 0 : 1);
}
