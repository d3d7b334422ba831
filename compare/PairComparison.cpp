#include "compare/PairComparison.h"

#include "compare/DirectoryListing.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/UserPort.h"

QString equal_directories_message()
{
    return QStringLiteral(
        "dir1 and dir2 are equal and in the same drive; please select a different drive or path for one of the two "
        "directories");
}

bool same_directory(const FileSystem& fs, const QString& dir1, const QString& dir2)
{
    if (names_equal(with_final_separator(dir1), with_final_separator(dir2)))
        return true;
    const Result<FileInfo> a = fs.info(dir1);
    const Result<FileInfo> b = fs.info(dir2);
    return a.ok() && b.ok() && a.value.device == b.value.device && a.value.inode == b.value.inode;
}

namespace {

// Drops the records whose names sort after `last`, ignoring case (the records are sorted).
void cut_after(QVector<FileRecord>& records, const QString& last)
{
    const QString limit = fold_name(last);
    while (!records.isEmpty() && QString::compare(fold_name(records.last().name), limit, Qt::CaseSensitive) > 0)
        records.removeLast();
}

}  // namespace

Classification compare_listed_directories(const FileSystem& fs, UserPort& port, const QString& dir1,
                                          const QString& dir2, bool ignore_one_hour_diff, ListingErrors* errors)
{
    bool limit_shown = false;
    auto list_one = [&](const QString& dir, FsError* error, bool& overflow) {
        Listing listing = list_directory(fs, dir);
        overflow = listing.overflow;
        if (error)
            *error = listing.error;
        if (listing.overflow && !limit_shown) {
            port.message(listing_limit_message());
            limit_shown = true;
        }
        return std::move(listing.records);
    };

    bool overflow1 = false;
    bool overflow2 = false;
    QVector<FileRecord> records1 = list_one(dir1, errors ? &errors->dir1 : nullptr, overflow1);
    QVector<FileRecord> records2 = list_one(dir2, errors ? &errors->dir2 : nullptr, overflow2);
    // A side cut at the limit does not say what lies beyond its last name: the other side's
    // names past it take part in nothing, or they would show as "only in" one directory while
    // their partners exist in the other.
    if (overflow1 && !records1.isEmpty())
        cut_after(records2, records1.last().name);
    if (overflow2 && !records2.isEmpty())
        cut_after(records1, records2.last().name);

    Classification result = classify(records1, records2, ignore_one_hour_diff);
    for (const SizeWarning& w : result.warnings)
        port.message(size_warning_text(w), MsgIcon::Exclamation);
    return result;
}
