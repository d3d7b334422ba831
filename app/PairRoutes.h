#pragma once
// How the main window's parts reach one another. The controller hands work to the history of
// compared pairs and to the tree comparison, as it sees them; each is plugged in by the program's
// composition and may be missing (a test of the controller alone). They in turn see the pair in
// the panes through the controller's PairView.

#include "app/PairSession.h"

#include <QString>

class RunGate;

// What PairView::show_pair did.
struct ShownPair {
    // The panes show the pair asked for; otherwise a message said why and both show the current
    // directory.
    bool panes_set = false;
    // The panes showed two directories, which were compared with this outcome.
    bool compared = false;
    PairOutcome outcome;
};

// The pair in the panes, as the history and the tree comparison move and compare it
// (MainController).
class PairView {
public:
    virtual ~PairView() = default;
    // What runs now: the person's commands ask it first.
    virtual RunGate& gate() = 0;
    // The main window is still loading.
    virtual bool starting_up() const = 0;
    // The directory pane 1 or 2 shows, without a final separator except for the root.
    virtual QString pane_path(int pane) const = 0;
    // Sets the panes to the pair and compares it, unless both show one directory.
    virtual ShownPair show_pair(const QString& dir1, const QString& dir2) = 0;
    // Sets the panes to the pair without comparing it; a pane that cannot go there stays.
    virtual void move_panes(const QString& dir1, const QString& dir2) = 0;
    // The "compare" button's comparison of the pair in the panes, with the window hidden.
    virtual void compare_shown_pair() = 0;
    // Entries in lists 1 to 4, one more when the last comparison did not see the whole pair: a
    // pair not seen whole still differs once its lists are aligned.
    virtual qint64 difference_count() const = 0;
    // The line under the lists: a progress text, or the standing hint.
    virtual void set_hint(const QString& text) = 0;
    virtual void set_default_comment() = 0;
    // The "next subdir" button.
    virtual bool next_alignment_visible() const = 0;
    virtual void set_next_alignment_visible(bool visible) = 0;
};

// The history of compared pairs (HistoryCommands).
class PairHistory {
public:
    virtual ~PairHistory() = default;
    // Read once at start-up from `file`.
    virtual void load_history(const QString& file) = 0;
    // Empty when there is none.
    virtual QString newest_history_entry() const = 0;
    // Sets the panes to the pair of `entry` and compares it.
    virtual void apply_history_entry(const QString& entry, bool show_errors) = 0;
    // Records the pair shown in the panes at the top of the history.
    virtual void add_to_history() = 0;
    // The history view gives way to the lists of a pair shown.
    virtual void close_view() = 0;
};

// The tree comparison (TreeCommands).
class TreeRoute {
public:
    virtual ~TreeRoute() = default;
    // A walk through the branch pairs is under way, waiting or running: its comparisons are not
    // recorded in the history.
    virtual bool walk_active() const = 0;
    // The command line asked for a tree comparison of its pair.
    virtual void start_tree_comparison() = 0;
    // Goes on with a waiting walk once the pair shown no longer differs; the align and
    // delete-all commands call it.
    virtual void auto_next() = 0;
};
