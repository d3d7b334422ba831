#pragma once
// The parts the main window's controller hands work to, as it sees them: the history of compared
// pairs and the tree comparison. Each is plugged in by the program's composition and may be
// missing (a test of the controller alone).

#include <QString>

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
