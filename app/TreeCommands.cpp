#include "app/TreeCommands.h"

#include "app/HistoryCommands.h"
#include "app/RunGate.h"
#include "compare/PairComparison.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"

TreeCommands::TreeCommands(PairView& view, FileSystem& fs, UserPort& port, HistoryCommands* history, QObject* parent)
    : QObject(parent)
    , view_(view)
    , fs_(fs)
    , port_(port)
    , history_(history)
    , walk_(fs, port, *this, view.gate().cancel())
{
    if (history_)
        connect(history_, &HistoryCommands::tree_comparison_wanted, this, &TreeCommands::compare_trees);
}

void TreeCommands::bot_compare_tree_Click()
{
    if (view_.gate().admit())
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
    if (!view_.gate().admit())
        return;
    const RunScope scope(view_.gate(), Running::TreeStep);
    walk_.b_next_alignment_Click();
}

void TreeCommands::Auto_next()
{
    const RunScope scope(view_.gate(), Running::TreeStep);
    walk_.Auto_next();
}

void TreeCommands::scan_tree()
{
    const RunScope scope(view_.gate(), Running::TreeStep);
    report_.clear();
    const QString root1 = view_.pane_path(1);
    const QString root2 = view_.pane_path(2);
    if (same_directory(fs_, root1, root2)) {
        port_.message(equal_directories_message(), MsgIcon::Critical);
        return;
    }
    port_.set_busy(true);
    // "cancel" in the progress box, or pressed before, counts from here on only.
    view_.gate().cancel().reset();
    TreeScanOptions options;
    options.progress = [this](const QString& text) {
        set_progress(text);
        port_.process_events();
    };
    options.cancel = &view_.gate().cancel();
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
        view_.compare_shown_pair();
        return;
    }
    walk_.set_branches(std::move(scan.pairs));
    if (history_)
        history_->add_to_history();
    if (!report_.isEmpty()) {
        port_.set_busy(false);
        port_.show_progress({}, nullptr);
        if (report_view_)
            report_view_->show_report(report_);
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

namespace {

// The progress names directories of any depth: one thousands of characters long shows its start
// and its end, which the line under the lists and the progress box can hold.
QString shown_progress(const QString& text)
{
    constexpr qsizetype most = 240;
    if (text.size() <= most)
        return text;
    return text.left(most / 3) + QStringLiteral(" \u2026 ") + text.right(most - most / 3);
}

} // namespace

QString TreeCommands::pane_path(int pane) const
{
    return view_.pane_path(pane);
}

void TreeCommands::set_progress(const QString& full_text)
{
    const QString text = shown_progress(full_text);
    view_.set_hint(text);
    // The hint line of a hidden window is seen by nobody: the progress box shows it, with the
    // Cancel that reaches the scan and the walk.
    if (!port_.main_window_visible())
        port_.show_progress(text, &view_.gate().cancel());
}

bool TreeCommands::show_and_compare(const QString& p1, const QString& p2)
{
    const ShownPair shown = view_.show_pair(p1, p2);
    return shown.compared && shown.outcome.differences_found;
}

void TreeCommands::show_roots(const QString& root1, const QString& root2)
{
    view_.move_panes(root1, root2);
}

bool TreeCommands::next_visible() const
{
    return view_.next_alignment_visible();
}

void TreeCommands::set_next_visible(bool visible)
{
    view_.set_next_alignment_visible(visible);
}

void TreeCommands::set_default_comment()
{
    view_.set_default_comment();
}

qint64 TreeCommands::difference_count() const
{
    return view_.difference_count();
}
