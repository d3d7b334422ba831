#pragma once
// The state every part of the main window shares for the whole run.

#include <QString>

struct Globals {
    QString GLB_dir1; // dir 1, with a final separator
    QString GLB_dir2; // dir 2, with a final separator
    bool GLB_starting_up = false; // the main window is still loading: no history entries
    bool GLB_differences_found = false; // the last comparison left entries in lists 1 to 4
    bool GLB_cancel = false; // a long operation is asked to stop
    bool GLB_copy_ok = false; // the last Copy_file succeeded
    bool GLB_ignore_one_hour_diff = false;
    QString GLB_history_file;
    QString GLB_command_line;
    bool GLB_tree_walk_active = false;
    bool GLB_tree_more_branches = false;
    QString GLB_tree_root1;
    QString GLB_tree_root2;
    QString GLB_tree_report;
};
