#pragma once
// Copying one file of the pair to the other side: Copy_file with its four attempts, the check of an
// outside copy, and the wait that lets window events run.

#include "platform/DirPath.h"
#include "platform/FileSystem.h"

#include <QString>

#include <functional>

struct TransferContext;
class UserPort;

// Whether the file at the destination may be replaced.
enum class CopyKind {
    OnlyIn, // the file exists on one side only: nothing at the destination is ever replaced
    Replacing, // the destination is the older copy, and must still be by the comparison's rules
};

struct CopyRequest {
    DirPath from_dir;
    QString from_name;
    DirPath to_dir;
    QString to_name; // the other side's spelling for a pair's file
    CopyKind kind = CopyKind::OnlyIn;
    // The file reaches the device before the copy counts as done.
    bool flush = true;
    // Between chunks, with the bytes of this file copied so far.
    std::function<void(qint64 done)> progress;
    // Before a message about this copy is shown: a bulk copy brings the progress it shows up to
    // date there, so the person does not read the message beside an older state.
    std::function<void()> before_message;
    // When set, a bulk copy's: the new file is left under its temporary name, described here,
    // for Commit_copy once the volume is flushed. It stays invalid when the file went into place
    // at once (by the outside copy, which flushes it on its own).
    PendingCopy* pending = nullptr;

    QString source() const { return from_dir.file(from_name); }
    QString destination() const { return to_dir.file(to_name); }
};

// The request for an entry of list 1 to 4 copied to the other side (list 1 and 3 from dir 1).
CopyRequest entry_copy(const TransferContext& ctx, int list_number, const QString& name);

// Copies as the request says and leaves the result in `ctx.copy_ok`. A refused or failed copy is
// told to the person; an error no attempt can get past ends the program (then `ctx.ended`).
void Copy_file(TransferContext& ctx, const CopyRequest& request);

// Puts the deferred copy of `request` in place (FileSystem::commit_copy). A refusal or failure is
// told to the person as for Copy_file; returns whether the file is in place.
bool Commit_copy(TransferContext& ctx, const CopyRequest& request, const PendingCopy& pending);

// True when `destination` exists and its modification time is at most 4 seconds from the
// source's.
bool Copy_completed(const FileSystem& fs, const QString& source, const QString& destination);

// Returns after at least `seconds`, letting window events run meanwhile.
void Wait_seconds(UserPort& port, double seconds);
