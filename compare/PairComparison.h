#pragma once
// The comparison of one pair of directories, shared by the window and the command-line tool:
// both listings, the limit message (once), the classification and its warnings.

#include "compare/Classification.h"
#include "compare/DirectoryListing.h"
#include "platform/ErrorCodes.h"

class FileSystem;
class UserPort;

// "dir1 and dir2 are equal and in the same drive; ..."
QString equal_directories_message();

// True when the two paths name the same directory: equal ignoring case, or the same directory on
// disk (same device and inode, e.g. through a symbolic link).
bool same_directory(const FileSystem& fs, const QString& dir1, const QString& dir2);

// Why a directory of the pair could not be listed (both unset when both were listed).
struct ListingErrors {
    FsError dir1;
    FsError dir2;
};

// "2 files of dir 1 could not be read (PATH).\nThey take part in nothing, ..." for each
// directory that has such files; empty when there are none.
QString unreadable_message(const Classification& c, const QString& dir1, const QString& dir2);

// Lists `dir1` and `dir2` and classifies them. The limit message, the unreadable files (once)
// and every size warning go to `port`, in the order they arise; a directory that cannot be listed lists nothing, and
// its error goes to `errors` when given.
Classification compare_listed_directories(const FileSystem& fs, UserPort& port, const QString& dir1,
    const QString& dir2, bool ignore_one_hour_diff, ListingErrors* errors = nullptr);
// The same for two directories read already (see listing_of); `volumes` says which side keeps
// dates as FAT does.
Classification compare_listings(UserPort& port, Listing listing1, Listing listing2, const QString& dir1,
    const QString& dir2, bool ignore_one_hour_diff, DateVolumes volumes, ListingErrors* errors = nullptr);
