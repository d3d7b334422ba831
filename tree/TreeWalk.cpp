#include "tree/TreeWalk.h"

#include "platform/CancelToken.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"

#include <algorithm>
#include <memory>

TreeWalk::TreeWalk(const FileSystem& fs, UserPort& port, TreeWalkHost& host, CancelToken& cancel)
    : fs_(fs)
    , port_(port)
    , host_(host)
    , cancel_(cancel)
{
}

void TreeWalk::set_branches(QVector<BranchPair> pairs)
{
    pairs_ = std::move(pairs);
    root1_ = pairs_.isEmpty() ? QString() : pairs_.first().dir1;
    root2_ = pairs_.isEmpty() ? QString() : pairs_.first().dir2;
}

QString end_of_tree_message()
{
    return QStringLiteral("End of tree comparison.");
}

void TreeWalk::do_tree()
{
    port_.set_main_window_visible(false);
    if (start1_.isEmpty()) {
        start1_ = host_.pane_path(1);
        start2_ = host_.pane_path(2);
    }
    cancel_.reset();
    // The directories of the pair in hand stay open until the next pair is reached: every lookup
    // below them starts there, and the next pair (in a deep tree, usually a child) is reached from
    // them in a step or two, so a pair costs the same at any depth.
    std::shared_ptr<const void> anchored1, anchored2;
    for (qsizetype i = 0; i < pairs_.size(); ++i) {
        // A branch the scan found on one side only was reported, not compared.
        if (pairs_[i].dir1.isEmpty() || !pairs_[i].in_tree1 || !pairs_[i].in_tree2)
            continue;
        const QString p1 = pairs_[i].dir1;
        const QString p2 = pairs_[i].dir2;
        host_.set_progress(QStringLiteral("checking dir ") + p1);
        port_.process_events();
        // "cancel" pressed at the progress leaves the walk waiting before this pair.
        if (cancel_.requested()) {
            stop_waiting();
            return;
        }
        pairs_[i].dir1.clear(); // visited
        std::shared_ptr<const void> next1 = fs_.anchor_branch(root1_, p1);
        std::shared_ptr<const void> next2 = fs_.anchor_branch(root2_, p2);
        anchored1 = std::move(next1);
        anchored2 = std::move(next2);
        const bool differs = compare_branch_pair(p1, p2);
        port_.process_events();
        // "cancel" pressed meanwhile leaves the walk waiting as a difference does, when pairs remain.
        const auto unvisited = [](const BranchPair& p) { return !p.dir1.isEmpty(); };
        if (differs || (cancel_.requested() && std::any_of(pairs_.begin() + i + 1, pairs_.end(), unvisited))) {
            stop_waiting();
            return;
        }
    }
    anchored1.reset();
    anchored2.reset();
    const QString root1 = start1_;
    const QString root2 = start2_;
    start1_.clear();
    start2_.clear();
    host_.show_roots(root1, root2);
    // The message stands over the window that is back on the roots.
    port_.set_main_window_visible(true);
    port_.message(end_of_tree_message());
    more_branches_ = false;
    walk_active_ = false;
}

void TreeWalk::stop_waiting()
{
    host_.set_next_visible(true);
    host_.set_default_comment();
    port_.set_main_window_visible(true);
}

bool TreeWalk::compare_branch_pair(const QString& p1, const QString& p2)
{
    // Within a step of the walk the window stays hidden from one pair to the next, instead of
    // flashing up for every aligned branch.
    const bool was_visible = port_.main_window_visible();
    port_.set_busy(true);
    port_.set_main_window_visible(false);
    // Excluded by the marker, or gone since the scan (deleted, renamed, replaced by a link):
    // passed by in silence.
    const bool differs = walkable(fs_, root1_, root2_, p1, p2) && host_.show_and_compare(p1, p2);
    port_.set_busy(false);
    port_.set_main_window_visible(was_visible);
    return differs;
}

void TreeWalk::b_next_alignment_Click()
{
    host_.set_next_visible(false);
    if (more_branches_)
        do_tree();
}

void TreeWalk::Auto_next()
{
    if (!differenza_trovata() && host_.next_visible() && walk_active_)
        b_next_alignment_Click();
}
