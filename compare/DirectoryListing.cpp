#include "compare/DirectoryListing.h"

#include "platform/FileSystem.h"

#include <algorithm>

Listing list_directory(const FileSystem& fs, const QString& dir)
{
    Listing listing;
    Result<QVector<DirEntry>> entries = fs.list(dir, EntryKind::Files, false);
    if (!entries.ok()) {
        listing.error = entries.error;
        return listing;
    }
    const qsizetype kept = std::min<qsizetype>(entries.value.size(), max_listed_files);
    listing.overflow = entries.value.size() > kept;
    listing.records.reserve(kept);
    for (qsizetype i = 0; i < kept; ++i) {
        const DirEntry& e = entries.value[i];
        listing.records.push_back({e.name, e.length, e.mtime, e.readable});
    }
    return listing;
}

QString listing_limit_message()
{
    return QStringLiteral("max number of files per directory reached (") + QString::number(max_listed_files - 1)
        + QStringLiteral("); some files will not be checked.");
}
