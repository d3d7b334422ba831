#pragma once
// The desktop trash: where a deleted file can still be taken back from. Kept the way every desktop
// of the system keeps it, so the file manager lists, restores and empties what the program put
// there: the home trash ($XDG_DATA_HOME/Trash) for the home folder's volume, and on any other
// volume the user's trash at its top ($topdir/.Trash/$uid or $topdir/.Trash-$uid). Each entry is a
// "files/NAME" with its "info/NAME.trashinfo" that says where it came from and when.

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

struct TrashResult {
    enum Outcome {
        Moved,
        NoTrash, // no trash can take the entry; it is where it was
        Failed, // the entry could not be moved (errnum); it is where it was
    };
    Outcome outcome = Failed;
    int errnum = 0;
    QString why; // NoTrash: why, in words for the person
};

// Moves the entry `name` (a file, a link as the link, or a directory with everything in it) of
// the directory open at `dir_fd` into the trash of its volume, with one rename from that
// descriptor: nothing is copied, and a name is never looked up as a path. `expected` is the
// entry's status as the caller looked it up (without following a link); when the name no longer
// leads to that entry, nothing is moved (Failed, ENOENT).
TrashResult move_to_trash(int dir_fd, const QByteArray& name, const struct stat& expected);

// The bytes the user's trash takes up on the volume that holds `dir`, where that volume is not the
// home folder's (whose trash a person knows of); 0 when it has none.
qint64 volume_trash_bytes(const QString& dir);
