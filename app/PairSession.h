#pragma once
// The pair of directories the main window compares, and what its last comparison found. The
// controller changes it; the commands that work on the pair are given its parts.

#include "compare/FileListsModel.h"
#include "platform/HeldDir.h"
#include "platform/Names.h"

#include <QString>

#include <memory>

// What one comparison of the pair found.
struct PairOutcome {
    // Entries left in lists 1 to 4, or a part of the pair that could not be seen.
    bool differences_found = false;
    // The comparison saw the whole pair: no directory or name that could not be read, no listing
    // cut at the limit. Emptied lists of an incomplete comparison do not make the pair aligned.
    bool complete = true;
};

struct PairSession {
    // The directories the panes show, each with its final separator.
    QString dir1;
    QString dir2;
    // dir 1 and dir 2 as the lists were read from them, held open so that what is done with the
    // lists afterwards is done there; null when nothing is held.
    std::shared_ptr<const HeldDir> held1;
    std::shared_ptr<const HeldDir> held2;
    // The five lists.
    FileListsModel lists;
    PairOutcome last;

    // Sets dir 1 or 2 (`side`) to `path`, with its final separator.
    void set_dir(int side, const QString& path) { (side == 1 ? dir1 : dir2) = with_final_separator(path); }
    void set_dirs(const QString& path1, const QString& path2)
    {
        set_dir(1, path1);
        set_dir(2, path2);
    }
};
