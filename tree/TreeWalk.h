#pragma once
// The branch-by-branch walk: the pairs of the branch list compared one after another, stopping at
// each pair that shows differences until the person asks for the next one.

#include "tree/TreeScan.h"

class CancelToken;
class FileSystem;
class UserPort;

// What the walk needs of the main window.
class TreeWalkHost {
public:
    virtual ~TreeWalkHost() = default;
    virtual QString pane_path(int pane) const = 0;
    // The progress text under the lists.
    virtual void set_progress(const QString& text) = 0;
    // Sets the panes to the pair and compares it, with the error route when the panes cannot be
    // set; true when the comparison found differences.
    virtual bool show_and_compare(const QString& p1, const QString& p2) = 0;
    // Sets the panes back to the roots without comparing them.
    virtual void show_roots(const QString& root1, const QString& root2) = 0;
    virtual bool next_visible() const = 0;
    virtual void set_next_visible(bool visible) = 0;
    virtual void set_default_comment() = 0;
    // Entries in lists 1 to 4.
    virtual qint64 difference_count() const = 0;
};

class TreeWalk {
public:
    // `cancel` pressed during a step leaves the walk waiting: before the pair whose progress it
    // was pressed at, or after the pair in hand.
    TreeWalk(const FileSystem& fs, UserPort& port, TreeWalkHost& host, CancelToken& cancel);

    // A walk is under way, waiting or running.
    bool walk_active() const { return walk_active_; }
    void set_walk_active(bool on) { walk_active_ = on; }
    // Pairs remain to be walked.
    bool more_branches() const { return more_branches_; }
    void set_more_branches(bool on) { more_branches_ = on; }
    // The panes when the walk started, shown again at its end; empty when none is under way.
    QString start_path(int pane) const { return pane == 1 ? start1_ : start2_; }

    // The branch list of a new scan; pairs are marked visited as the walk goes.
    void set_branches(QVector<BranchPair> pairs);
    const QVector<BranchPair>& branches() const { return pairs_; }

    // One step: compares pairs until one shows differences or the list is exhausted.
    void do_tree();
    // Shows one pair and compares it; true when it differs. A pair excluded by the marker,
    // missing on disk or reached through a link below its root is skipped.
    bool compare_branch_pair(const QString& p1, const QString& p2);
    // "next subdir".
    void b_next_alignment_Click();
    // Goes on with a waiting walk once the pair shown no longer differs.
    void Auto_next();
    bool differenza_trovata() const { return host_.difference_count() != 0; }

private:
    // Waits for "next subdir" with the window shown.
    void stop_waiting();

    const FileSystem& fs_;
    UserPort& port_;
    TreeWalkHost& host_;
    CancelToken& cancel_;
    bool walk_active_ = false;
    bool more_branches_ = false;
    QString start1_;
    QString start2_;
    QVector<BranchPair> pairs_;
    QString root1_; // the roots of the branch list: every branch is reached from them
    QString root2_;
};

// "End of tree comparison."
QString end_of_tree_message();
