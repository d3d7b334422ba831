#include "compare/PairComparison.h"

#include "platform/DirPath.h"
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
    if (names_equal(DirPath(dir1).path(), DirPath(dir2).path()))
        return true;
    const Result<FileInfo> a = fs.info(dir1);
    const Result<FileInfo> b = fs.info(dir2);
    return a.ok() && b.ok() && a.value.device == b.value.device && a.value.inode == b.value.inode;
}

namespace {

// Drops the records whose names sort after `last` in the name order, ignoring case (the records
// are sorted): a name equal to `last` ignoring case may be its partner and stays.
void cut_after(QVector<FileRecord>& records, const QString& last)
{
    const QString limit = fold_name(last);
    while (!records.isEmpty() && compare_keys(fold_name(records.last().name), limit) > 0)
        records.removeLast();
}

} // namespace

QString unreadable_message(const Classification& c, const QString& dir1, const QString& dir2)
{
    QString text;
    const std::pair<const QStringList*, QString> sides[]
        = { { &c.unreadable_dir1, dir1 }, { &c.unreadable_dir2, dir2 } };
    for (int i = 0; i < 2; ++i) {
        const qsizetype n = sides[i].first->size();
        if (n == 0)
            continue;
        const QString other = QString::number(2 - i);
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QString::number(n)
            + (n == 1 ? QStringLiteral(" file") : QStringLiteral(" files")) + QStringLiteral(" of dir ")
            + QString::number(i + 1) + QStringLiteral(" could not be read (") + sides[i].second + QStringLiteral(").\n")
            + (n == 1 ? QStringLiteral("It takes part in nothing, nor does a file of the same name in dir ")
                      : QStringLiteral("They take part in nothing, nor do files of the same names in dir "))
            + other + u'.';
    }
    return text;
}

Classification compare_listed_directories(const FileSystem& fs, UserPort& port, const QString& dir1,
    const QString& dir2, bool ignore_one_hour_diff, ListingErrors* errors)
{
    Listing listing1 = list_directory(fs, dir1);
    Listing listing2 = list_directory(fs, dir2);
    return compare_listings(port, std::move(listing1), std::move(listing2), dir1, dir2, ignore_one_hour_diff,
        { fs.keeps_fat_dates(dir1), fs.keeps_fat_dates(dir2) }, errors);
}

Classification compare_listings(UserPort& port, Listing listing1, Listing listing2, const QString& dir1,
    const QString& dir2, bool ignore_one_hour_diff, DateVolumes volumes, ListingErrors* errors)
{
    if (errors)
        *errors = { listing1.error, listing2.error };
    if (listing1.overflow || listing2.overflow)
        port.message(listing_limit_message()); // once, whichever side is cut
    QVector<FileRecord>& records1 = listing1.records;
    QVector<FileRecord>& records2 = listing2.records;
    // A side cut at the limit does not say what lies beyond its last name: the other side's
    // names past it take part in nothing, or they would show as "only in" one directory while
    // their partners exist in the other.
    if (listing1.overflow && !records1.isEmpty())
        cut_after(records2, records1.last().name);
    if (listing2.overflow && !records2.isEmpty())
        cut_after(records1, records2.last().name);

    Classification result = classify(records1, records2, ignore_one_hour_diff, volumes);
    // A pair whose listing was cut has not been looked at in full, so it is never "aligned".
    result.listing_cut = listing1.overflow || listing2.overflow;
    result.unreadable_dir1 += listing1.undecodable;
    result.unreadable_dir2 += listing2.undecodable;
    result.undecodable_dir1 = std::move(listing1.undecodable);
    result.undecodable_dir2 = std::move(listing2.undecodable);
    if (const QString text = unreadable_message(result, dir1, dir2); !text.isEmpty())
        port.message(text, MsgIcon::Exclamation);
    for (const SizeWarning& w : result.warnings)
        port.message(size_warning_text(w), MsgIcon::Exclamation);
    return result;
}
