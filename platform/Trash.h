#pragma once
// The desktop trash: where a deleted file can still be taken back from.

#include <QString>

// Moves the entry at `path` (absolute; a link is moved as the link) into the desktop trash of its
// volume, or into the user's own trash. True when the entry is now in a trash; false when no trash
// could take it, and the entry is then where it was.
bool move_to_trash(const QString& path);
