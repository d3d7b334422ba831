#pragma once
// The tree scan: both trees walked breadth first into the list of branch pairs, with the
// branches that exist on one side only collected into the branch report.

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class FileSystem;
class UserPort;

// At most this many branch pairs, the roots included.
inline constexpr int max_branch_pairs = 3000;

// A directory holding a plain file of this name takes no part in tree comparisons.
inline const QString no_mirror_marker = QStringLiteral("_no_mirror.flg");

struct BranchPair {
    QString dir1;
    QString dir2;
    bool scanned = false;
    // Found by the scan as a directory (not a link) on that side.
    bool in_tree1 = true;
    bool in_tree2 = true;
    // A marker on either side keeps the pair's children out (and the walk passes the pair by).
    bool excluded = false;
};

struct TreeScanOptions {
    // Ask whether to create each branch missing in tree 2; off, such branches only go into the
    // report (nothing is ever created then).
    bool offer_create = true;
    // The progress text ("checking dir ..."); pending window events are let run after it.
    std::function<void(const QString&)> progress;
    // The most pairs the list holds (tests use a small number).
    int max_pairs = max_branch_pairs;
};

struct TreeScan {
    QVector<BranchPair> pairs; // breadth first; the first is the pair of roots
    QString report; // every line introduced by CR LF
    QStringList only_in_tree1; // the dir-1 paths of the report, in its order
    QStringList only_in_tree2; // the dir-2 paths
    bool cancelled = false; // the person chose Cancel at a question: nothing is to be walked
    bool limit_reached = false; // some branches were left out
    int errors = 0; // errors reported on the way
    QStringList unreadable; // directories whose subdirectories could not be listed
};

// Scans the trees under `root1` and `root2` (as the panes show them). Questions, the limit message
// and errors go to `port`.
TreeScan scan_branches(
    FileSystem& fs, UserPort& port, const QString& root1, const QString& root2, const TreeScanOptions& options = {});

// True when `dir` holds the marker as a plain file; a lookup that fails on a malformed name
// counts as a marker found.
bool holds_marker(const FileSystem& fs, const QString& dir);

// True when `path` is a directory and not a symbolic link: only those are branches.
bool is_branch_dir(const FileSystem& fs, const QString& path);

// True when the walk compares the pair: neither side holds the marker, and both are directories
// on disk now (branches; the roots may be links, since the person chose them).
bool walkable(const FileSystem& fs, const QString& dir1, const QString& dir2, bool roots);

// "Max number of directory paths reached (3000); some paths will not be checked."
QString branch_limit_message();
