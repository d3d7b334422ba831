#pragma once
// Listing one directory for a comparison: its plain files, sorted ignoring case, at most
// max_listed_files of them.

#include "compare/Classification.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

inline constexpr int max_listed_files = 3001;

struct Listing {
    QVector<FileRecord> records;
    QStringList undecodable; // plain files whose names are not valid in the user's encoding
    bool overflow = false; // the directory holds more plain files than are listed
    FsError error; // the directory could not be listed: no records
};

Listing list_directory(const FileSystem& fs, const QString& dir);
// The listing of a directory already read (FileSystem::list_files with max_listed_files).
Listing listing_of(Result<FileListing> listed);

// "max number of files per directory reached (3000); some files will not be checked."
QString listing_limit_message();
