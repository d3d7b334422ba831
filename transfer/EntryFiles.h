#pragma once
// Removing the file a list entry stands for, on one side of the pair.

#include "platform/ErrorCodes.h"

#include <QString>

class FileSystem;

// Deletes the file `name` of directory `dir` (with its final separator), in the spelling that
// exists there ignoring case. A link is removed, never its target. With `to_trash`, the file goes
// to the desktop trash where its volume has one, and is deleted where it has none.
FsError delete_entry_file(FileSystem& fs, const QString& dir, const QString& name, bool to_trash);
