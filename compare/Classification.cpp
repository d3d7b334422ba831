#include "compare/Classification.h"

#include "platform/Names.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <deque>

namespace {

// Dates this close count as the same: file systems that store two-second times and copies that
// round the time must not make a copy look newer than its original.
constexpr qint64 same_date_tolerance = 2;
// A date one hour apart, give or take three seconds, is the daylight-saving shift some file
// systems apply to stored times; the option treats it as the same date.
constexpr qint64 one_hour_low = 3597;
constexpr qint64 one_hour_high = 3603;

} // namespace

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

Classification classify(const QVector<FileRecord>& dir1, const QVector<FileRecord>& dir2, bool ignore_one_hour_diff)
{
    Classification result;

    // A file whose length and date could not be read is not known: classifying it with made-up
    // values could call a stale copy newer and get it copied over the good one, and leaving it out
    // on its side alone would show its partner as "only in" the other directory, where aligning
    // or deleting would act on it blindly. So no name of its key takes part on either side.
    QSet<QString> unknown;
    const std::pair<const QVector<FileRecord>*, QStringList*> sides[]
        = { { &dir1, &result.unreadable_dir1 }, { &dir2, &result.unreadable_dir2 } };
    for (const auto& [records, unreadable] : sides) {
        for (const FileRecord& r : *records) {
            if (!r.readable) {
                unknown.insert(fold_name(r.name));
                unreadable->push_back(r.name);
            }
        }
    }
    auto known = [&](const QString& key) { return unknown.isEmpty() || !unknown.contains(key); };

    // The dir-2 names that take part, in the order of the "only in dir 2" list.
    QVector<const FileRecord*> sorted2;
    sorted2.reserve(dir2.size());
    for (const FileRecord& r : dir2)
        sorted2.push_back(&r);
    std::vector<QString> all_keys2;
    sort_by_name(
        sorted2, [](const FileRecord* r) -> const QString& { return r->name; }, &all_keys2);
    QVector<QString> keys2;
    {
        QVector<const FileRecord*> kept;
        for (qsizetype i = 0; i < sorted2.size(); ++i) {
            if (sorted2[i]->readable && known(all_keys2[size_t(i)])) {
                kept.push_back(sorted2[i]);
                keys2.push_back(std::move(all_keys2[size_t(i)]));
            }
        }
        sorted2 = std::move(kept);
    }

    // For each folded name, the positions in `sorted2` still unpaired. A scan of the sorted list
    // from its top meets the entries of one folded name in this order, so the front of the queue
    // is the partner that scan would find.
    QHash<QString, std::deque<int>> partners;
    partners.reserve(sorted2.size());
    for (int i = 0; i < sorted2.size(); ++i)
        partners[keys2[i]].push_back(i);

    // Case twins: a folded name held by more than one file on a side. Every later action finds a
    // pair's other file by its spelling (exact first), so such a group pairs only files spelled
    // exactly alike; pairing "n1" with "N1" while "n1" also exists on that side would have an
    // alignment replace, or a deletion remove, the file the lists show as "only in" its side.
    QHash<QString, int> count1;
    for (const FileRecord& r1 : dir1)
        if (r1.readable)
            ++count1[fold_name(r1.name)];

    QVector<bool> taken(sorted2.size(), false);
    for (const FileRecord& r1 : dir1) {
        const QString key = fold_name(r1.name);
        if (!r1.readable || !known(key))
            continue;
        auto it = partners.find(key);
        if (it == partners.end() || it->empty()) {
            result.only_in_dir1.push_back(r1.name);
            continue;
        }
        // One file of this name on each side pairs in any spelling; twins pair only alike.
        auto pick = it->begin();
        if (count1.value(key) > 1 || it->size() > 1)
            pick = std::find_if(it->begin(), it->end(), [&](int k) { return sorted2[k]->name == r1.name; });
        if (pick == it->end()) {
            result.only_in_dir1.push_back(r1.name);
            continue;
        }
        const int k = *pick;
        it->erase(pick);
        taken[k] = true;
        const FileRecord& r2 = *sorted2[k];

        bool warn = false;
        switch (classify_pair(r1.length, r1.mtime, r2.length, r2.mtime, ignore_one_hour_diff, &warn)) {
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

    for (int i = 0; i < sorted2.size(); ++i) {
        if (!taken[i])
            result.only_in_dir2.push_back(sorted2[i]->name);
    }
    return result;
}

QString size_warning_text(const SizeWarning& warning)
{
    return QStringLiteral("Warning! files ") + warning.name2.toUpper()
        + QStringLiteral(" have same date/time and different lengths!\n\nBytes in dir 1: ")
        + QString::number(warning.bytes_dir1) + QStringLiteral("\nBytes in dir 2: ")
        + QString::number(warning.bytes_dir2) + QStringLiteral("\n\nThe larger one will be considered newer.");
}
