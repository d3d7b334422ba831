#pragma once
// The pair of directories the main window compares, and what its last comparison found. The
// controller changes it; the commands that work on the pair are given its parts.

#include "compare/FileListsModel.h"
#include "platform/DirPath.h"
#include "platform/HeldDir.h"

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
    // The directories the panes show.
    DirPath dir1;
    DirPath dir2;
    // dir 1 and dir 2 as the lists were read from them, held open so that what is done with the
    // lists afterwards is done there; null when nothing is held.
    std::shared_ptr<const HeldDir> held1;
    std::shared_ptr<const HeldDir> held2;
    // The five lists.
    FileListsModel lists;
    PairOutcome last;

    void set_dirs(const QString& path1, const QString& path2)
    {
        dir1 = DirPath(path1);
        dir2 = DirPath(path2);
    }
};
