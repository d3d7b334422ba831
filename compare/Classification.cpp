#include "compare/Classification.h"

#include "platform/Names.h"

#include <QDateTime>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

// Dates this close count as the same: file systems that store two-second times and copies that
// round the time must not make a copy look newer than its original.
constexpr qint64 same_date_tolerance = 2;
// A date one hour apart, give or take three seconds, is the daylight-saving shift some file
// systems apply to stored times; the option treats it as the same date.
constexpr qint64 one_hour_low = 3597;
constexpr qint64 one_hour_high = 3603;

} // namespace

bool fat_stand_in_date(qint64 kept, qint64 date)
{
    // FAT keeps local time, so a day either side of its range counts as outside it.
    constexpr qint64 day = 86400, from_1980 = 315532800, to_2108 = 4354819200;
    if (date >= from_1980 + day && date < to_2108 - day)
        return false; // the volume holds it
    const auto near = [kept](qint64 t) { return std::abs(kept - t) <= same_date_tolerance; };
    const QDateTime first(QDate(1980, 1, 1), QTime(0, 0)), last(QDate(2107, 12, 31), QTime(23, 59, 58));
    if (near(first.toSecsSinceEpoch()) || near(from_1980) || near(last.toSecsSinceEpoch()))
        return true;
    const QDateTime local = QDateTime::fromSecsSinceEpoch(date);
    for (const int years : { 128, -128, 256, -256 })
        if (near(local.addYears(years).toSecsSinceEpoch()))
            return true;
    return false;
}

bool Classification::differences_found() const
{
    return !only_in_dir1.isEmpty() || !only_in_dir2.isEmpty() || !newer_in_dir1.isEmpty() || !newer_in_dir2.isEmpty()
        || !unreadable_dir1.isEmpty() || !unreadable_dir2.isEmpty() || listing_cut;
}

PairClass classify_pair(
    qint64 length1, qint64 mtime1, qint64 length2, qint64 mtime2, bool ignore_one_hour_diff, bool* size_warning)
{
    if (size_warning)
        *size_warning = false;

    const qint64 d = mtime1 > mtime2 ? mtime1 - mtime2 : mtime2 - mtime1;
    const bool same_date
        = d <= same_date_tolerance || (ignore_one_hour_diff && d >= one_hour_low && d <= one_hour_high);

    if (!same_date)
        return mtime1 > mtime2 ? PairClass::NewerInDir1 : PairClass::NewerInDir2;
    if (length1 == length2)
        return PairClass::Aligned;
    if (size_warning)
        *size_warning = true;
    return length1 > length2 ? PairClass::NewerInDir1 : PairClass::NewerInDir2;
}

namespace {

// The records of one side in name order, with each name's folded key (indexed by record). A
// listing comes sorted already, so this usually costs one pass, not a sort.
struct NameOrder {
    std::vector<int> order;
    std::vector<QString> keys;
};

NameOrder name_order(const QVector<FileRecord>& records)
{
    NameOrder o;
    o.keys.reserve(size_t(records.size()));
    for (const FileRecord& r : records)
        o.keys.push_back(fold_name(r.name));
    o.order.resize(size_t(records.size()));
    std::iota(o.order.begin(), o.order.end(), 0);
    const auto less = [&](int x, int y) {
        return compare_names(o.keys[size_t(x)], records[x].name, o.keys[size_t(y)], records[y].name) < 0;
    };
    if (!std::is_sorted(o.order.begin(), o.order.end(), less))
        std::stable_sort(o.order.begin(), o.order.end(), less);
    return o;
}

} // namespace

Classification classify(
    const QVector<FileRecord>& dir1, const QVector<FileRecord>& dir2, bool ignore_one_hour_diff, DateVolumes volumes)
{
    Classification result;
    for (const FileRecord& r : dir1)
        if (!r.readable)
            result.unreadable_dir1.push_back(r.name);
    for (const FileRecord& r : dir2)
        if (!r.readable)
            result.unreadable_dir2.push_back(r.name);

    // Both sides are walked in name order, one folded name (a group) at a time.
    const NameOrder side1 = name_order(dir1);
    const NameOrder side2 = name_order(dir2);
    const size_t n1 = side1.order.size(), n2 = side2.order.size();
    const auto key1 = [&](size_t i) -> const QString& { return side1.keys[size_t(side1.order[i])]; };
    const auto key2 = [&](size_t i) -> const QString& { return side2.keys[size_t(side2.order[i])]; };
    std::vector<char> takes_part1(n1, 0), takes_part2(n2, 0), taken2(n2, 0); // by record
    std::vector<int> partner1(n1, -1); // by record: its dir-2 record
    for (size_t a = 0, b = 0; a < n1 || b < n2;) {
        const QString& key = b >= n2 || (a < n1 && compare_keys(key1(a), key2(b)) <= 0) ? key1(a) : key2(b);
        size_t a_end = a, b_end = b;
        bool known = true;
        for (; a_end < n1 && key1(a_end) == key; ++a_end)
            known = known && dir1[side1.order[a_end]].readable;
        for (; b_end < n2 && key2(b_end) == key; ++b_end)
            known = known && dir2[side2.order[b_end]].readable;
        // A file whose length and date could not be read is not known: classifying it with
        // made-up values could call a stale copy newer and get it copied over the good one, and
        // leaving it out on its side alone would show its partner as "only in" the other
        // directory, where aligning or deleting would act on it blindly. So no name of its key
        // takes part on either side.
        if (known) {
            for (size_t j = b; j < b_end; ++j)
                takes_part2[size_t(side2.order[j])] = 1;
            // One file of this name on each side pairs in any spelling. Case twins (more than
            // one on a side) pair only spelled alike: every later action finds a pair's other
            // file by its spelling, exact first, so pairing "n1" with "N1" while "n1" also exists
            // on that side would have an alignment replace, or a deletion remove, the file the
            // lists show as "only in" its side.
            const bool single = a_end - a == 1 && b_end - b == 1;
            for (size_t i = a; i < a_end; ++i) {
                const int r1 = side1.order[i];
                takes_part1[size_t(r1)] = 1;
                for (size_t j = b; j < b_end; ++j) {
                    const int r2 = side2.order[j];
                    if (!taken2[size_t(r2)] && (single || dir2[r2].name == dir1[r1].name)) {
                        taken2[size_t(r2)] = 1;
                        partner1[size_t(r1)] = r2;
                        break;
                    }
                }
            }
        }
        a = a_end;
        b = b_end;
    }

    for (const int r : side1.order) {
        if (!takes_part1[size_t(r)])
            continue;
        const FileRecord& r1 = dir1[r];
        if (partner1[size_t(r)] < 0) {
            result.only_in_dir1.push_back(r1.name);
            continue;
        }
        const FileRecord& r2 = dir2[partner1[size_t(r)]];
        bool warn = false;
        const bool stand_in = (volumes.fat2 && fat_stand_in_date(r2.mtime, r1.mtime))
            || (volumes.fat1 && fat_stand_in_date(r1.mtime, r2.mtime));
        switch (classify_pair(
            r1.length, r1.mtime, r2.length, stand_in ? r1.mtime : r2.mtime, ignore_one_hour_diff, &warn)) {
        case PairClass::NewerInDir1:
            result.newer_in_dir1.push_back(r1.name);
            break;
        case PairClass::NewerInDir2:
            result.newer_in_dir2.push_back(r1.name);
            break;
        case PairClass::Aligned:
            result.aligned.push_back(r1.name);
            break;
        }
        if (warn)
            result.warnings.push_back({ r2.name, r1.length, r2.length });
    }
    for (const int r2 : side2.order)
        if (takes_part2[size_t(r2)] && !taken2[size_t(r2)])
            result.only_in_dir2.push_back(dir2[r2].name);
    return result;
}

QString size_warning_text(const SizeWarning& warning)
{
    return QStringLiteral("Warning! files ") + warning.name2.toUpper()
        + QStringLiteral(" have same date/time and different lengths!\n\nBytes in dir 1: ")
        + QString::number(warning.bytes_dir1) + QStringLiteral("\nBytes in dir 2: ")
        + QString::number(warning.bytes_dir2) + QStringLiteral("\n\nThe larger one will be considered newer.");
}
