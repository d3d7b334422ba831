#include "compare/DirectoryListing.h"

#include "platform/FileSystem.h"

Listing list_directory(const FileSystem& fs, const QString& dir)
{
    return listing_of(fs.list_files(dir, max_listed_files));
}

Listing listing_of(Result<FileListing> listed)
{
    Listing listing;
    if (!listed.ok()) {
        listing.error = listed.error;
        return listing;
    }
    listing.overflow = listed.value.overflow;
    listing.undecodable = std::move(listed.value.undecodable);
    listing.records.reserve(listed.value.files.size());
    for (const DirEntry& e : std::as_const(listed.value.files))
        listing.records.push_back({ e.name, e.length, e.mtime, e.readable });
    return listing;
}

QString listing_limit_message()
{
    return QStringLiteral("max number of files per directory reached (") + QString::number(max_listed_files - 1)
        + QStringLiteral("); some files will not be checked.");
}
