#pragma once
// Removing the file a list entry stands for, on one side of the pair.

#include "platform/DirPath.h"
#include "platform/ErrorCodes.h"

#include <QString>

class FileSystem;
class UserPort;
class HeldDir;

// Whose spelling an entry's name is in: that of the directory it is used in, or that of the other
// side (the dir-2 file of an entry of the newer and aligned lists, spelled as in dir 1).
enum class Spelling { ThisSide, OtherSide };

// Deletes the file `name` of directory `dir` by a descriptor of the
// directory, never following a link (a link is removed, never its target). A name spelled as on
// the other side stands for the spelling that exists here ignoring case; a name of this side is
// taken exactly, so a case twin is never deleted for it. With `to_trash`, the file goes to the
// desktop trash; where no trash can take it, `port` asks whether to delete it for good, and
// without a port (or on No) it stays, with an error.
FsError delete_entry_file(FileSystem& fs, const DirPath& dir, const QString& name, bool to_trash,
    Spelling spelling = Spelling::OtherSide, UserPort* port = nullptr);

// Why the file `name` of `dir` may not be deleted for the sake of its copy `keep_name` in
// `keep_dir`: the two are one file (a link to the other, a second name of it, one directory
// reached twice), so the "copy" goes with it. Links are followed on both sides; empty when they
// are two files, or when either cannot be looked up.
QString same_file_refusal(
    const FileSystem& fs, const DirPath& dir, const QString& name, const DirPath& keep_dir, const QString& keep_name);

// "dir 1 is no longer the directory that was compared; compare again" (or dir 2) when the pane's
// path `dir1` (`dir2`) is the path of the directory held for it, but no longer leads to that
// directory (another volume mounted there, the folder renamed or replaced by a link); "Path is too
// long for this system: " and the path when that path cannot even be looked up; empty otherwise.
QString compared_dirs_refusal(
    const FileSystem& fs, const HeldDir* held1, const DirPath& dir1, const HeldDir* held2, const DirPath& dir2);
