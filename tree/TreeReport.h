#pragma once
// The tree comparison without a window, for scripts: the scan with its rules, nothing created,
// then every common branch pair compared; and the two ways of printing the result.

#include "compare/PairComparison.h"
#include "tree/TreeScan.h"

struct BranchComparison {
    QString dir1;
    QString dir2;
    Classification result;
};

struct TreeComparison {
    TreeScan scan;
    QVector<BranchComparison> branches; // in walk order; excluded and one-sided pairs left out
    // A directory could not be read, or branches were left out at the limit: the result is not
    // the whole truth.
    bool trouble = false;

    // A one-sided branch or a pair that differs.
    bool differences_found() const;
};

// Scans and compares the trees under `root1` and `root2`; messages go to `port`.
TreeComparison compare_trees(
    FileSystem& fs, UserPort& port, const QString& root1, const QString& root2, bool ignore_one_hour_diff);

// The report lines ("Only in tree 1: PATH", "Only in tree 2: PATH", then the folders left out
// for their names), then each branch pair
// that differs as "BRANCH: DIR1 | DIR2" followed by its "CLASS: NAME" lines; control characters
// in names and paths escaped as in a pair's lines.
QByteArray tree_report_text(const TreeComparison& tree);
// One JSON object: only_in_tree1, only_in_tree2, undecodable_dirs, branches (every compared pair in walk order, as
// the pair's object with dir1 and dir2 in front), differences_found.
QByteArray tree_report_json(const TreeComparison& tree);
