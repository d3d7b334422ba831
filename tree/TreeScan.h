#pragma once
// The tree scan: both trees walked breadth first into the list of branch pairs, with the
// branches that exist on one side only collected into the branch report.

#include "platform/FileSystem.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class CancelToken;
class UserPort;

// At most this many branch pairs, the roots included.
inline constexpr int max_branch_pairs = 3000;

// A directory holding a plain file of this name, in any case, takes no part in tree comparisons.
inline const QString no_mirror_marker = QStringLiteral("_no_mirror.flg");

struct BranchPair {
    QString dir1;
    QString dir2;
    bool scanned = false;
    // Found by the scan as a directory (not a link), reached from its root without a link on the
    // way; a branch created in tree 2 by the scan counts as found there.
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
    // Looked at after each progress update: once requested, the scan stops as a Cancel at a
    // question does, with nothing to walk.
    const CancelToken* cancel = nullptr;
    // The most pairs the list holds (tests use a small number).
    int max_pairs = max_branch_pairs;
    // Above 0: the plain files of every directory listed are kept too, cut after this many names,
    // so that the pairs can be compared without reading their directories again; once
    // `kept_names_budget` names are kept in all, further directories keep none.
    qsizetype keep_files = 0;
    qsizetype kept_names_budget = 500000;
    // With the files kept: the directories of each pass are read on this many cores.
    int threads = 1;
};

struct TreeScan {
    QVector<BranchPair> pairs; // breadth first; the first is the pair of roots
    QString report; // every line introduced by CR LF
    QStringList only_in_tree1; // the dir-1 paths of the report, in its order
    QStringList only_in_tree2; // the dir-2 paths
    bool cancelled = false; // the person chose Cancel (at a question, or while it ran): nothing is to be walked
    bool limit_reached = false; // some branches were left out
    int errors = 0; // errors reported on the way
    QStringList unreadable; // directories whose subdirectories could not be listed
    // Subdirectories left out because their names are not valid text, shown with "\xNN" for
    // each byte that is not: nothing can name them, so nothing below them is compared.
    QStringList undecodable;
    // With TreeScanOptions::keep_files: the plain files of each directory of tree 1 and tree 2
    // listed, by the path of its pair.
    QHash<QString, FileListing> files1;
    QHash<QString, FileListing> files2;
};

// Scans the trees under `root1` and `root2` (as the panes show them). Questions, the limit message
// and errors go to `port`.
TreeScan scan_branches(
    FileSystem& fs, UserPort& port, const QString& root1, const QString& root2, const TreeScanOptions& options = {});

// True when the walk compares the pair (`dir1`, `dir2`) of the trees under `root1` and `root2`:
// both sides are directories reached from their roots without a link on the way (the roots
// themselves may be links, since the person chose them), and neither holds the marker. A side
// that is there but cannot be read counts as walkable: showing it tells the person why.
bool walkable(
    const FileSystem& fs, const QString& root1, const QString& root2, const QString& dir1, const QString& dir2);

// The report line and the message for folders whose names are not valid text.
QString undecodable_line(const QString& path);
QString undecodable_message(const QStringList& paths);

// "Max number of directory paths reached (3000); some paths will not be checked."
QString branch_limit_message();
