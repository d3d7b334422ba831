#pragma once
// The "align these files" buttons under lists 1 to 4: copying a list's entries to the other side.

#include "platform/ErrorCodes.h"

#include <QString>

class DirPath;
class FileSystem;
struct TransferContext;

// The critical message for an error met by an alignment or a drop outside the copy itself;
// `name` is the entry it happened to.
QString transfer_error_text(const FsError& error, const QString& name);
// For a disk-full message: how much the desktop trash keeps on the volume of `dir`, where it
// keeps anything and that volume is not the home folder's (whose trash a person knows of).
QString trash_space_note(const FileSystem& fs, const QString& dir);

// Copies the selected entries of list `list_number` (1..4), or all of them when none is
// selected, from `from_dir` to `to_dir`, and moves every copied entry to the aligned list.
// "cancel" stops it after the file under way.
void align_list(TransferContext& ctx, int list_number, const DirPath& from_dir, const DirPath& to_dir);

// The button under list `list_number` (1..4): the alignment, then the waiting tree walk.
void bot_list_Click(TransferContext& ctx, int list_number);
