#pragma once
// The classification of two directory listings into the five classes, free of any window.

#include <QString>
#include <QStringList>
#include <QVector>

// One listed file: its name as listed, its length and its modification time (seconds since the
// epoch). `readable` is false when the name was listed but its length and date could not be read.
struct FileRecord {
    QString name;
    qint64 length = 0;
    qint64 mtime = 0;
    bool readable = true;
};

enum class PairClass { NewerInDir1, NewerInDir2, Aligned };

// Two files of a pair with the same date but different lengths: the larger counts as newer.
struct SizeWarning {
    QString name2; // the dir-2 spelling
    qint64 bytes_dir1 = 0;
    qint64 bytes_dir2 = 0;
};

struct Classification {
    QStringList only_in_dir1; // dir-1 spelling
    QStringList newer_in_dir1; // dir-1 spelling
    QStringList aligned; // dir-1 spelling
    QStringList newer_in_dir2; // dir-1 spelling
    QStringList only_in_dir2; // dir-2 spelling
    QVector<SizeWarning> warnings; // in name order
    // Names listed whose length or date could not be read, or that the user's encoding cannot
    // hold. They and every name of the other side that could be their partner take part in
    // nothing, and the pair is not known to be aligned.
    QStringList unreadable_dir1;
    QStringList unreadable_dir2;
    // Those of the unreadable names that are not valid in the user's encoding, escaped (see
    // escaped_bytes): they are in the unreadable lists too.
    QStringList undecodable_dir1;
    QStringList undecodable_dir2;
    bool listing_cut = false; // a side held more files than the listing limit

    // True unless every name was compared and found aligned.
    bool differences_found() const;
};

// The date and length rules for one pair. Sets `size_warning` when the dates count as the same
// and the lengths differ.
PairClass classify_pair(qint64 length1, qint64 mtime1, qint64 length2, qint64 mtime2, bool ignore_one_hour_diff,
    bool* size_warning = nullptr);

// Whether `kept` is what a volume that keeps dates as FAT does (FAT, exFAT) stores for `date`, a date
// outside the range it holds (1980 to 2107): the nearest date it holds, or the same local day and
// time a multiple of 128 years away (a year kept in seven bits).
bool fat_stand_in_date(qint64 kept, qint64 date);

// Where a side's volume keeps dates as FAT does; a pair whose dates differ only by that volume's
// stand-in for a date it cannot hold counts as the same date, or it would be listed as different
// after every copy for ever.
struct DateVolumes {
    bool fat1 = false, fat2 = false;
};

// Pairs the names of the two listings ignoring case and classifies every name; every list comes in
// name order (name_less), and the warnings too. Each dir-1 name takes the first dir-2 name not yet taken that equals it
// ignoring case, in the order of the sorted "only in dir 2" list. Where either side holds case twins (two files whose
// names differ only in case), only names spelled exactly alike pair. A name whose file cannot be read goes to the
// unreadable list of its side, and no name equal to it ignoring case takes part on either side.
Classification classify(const QVector<FileRecord>& dir1, const QVector<FileRecord>& dir2, bool ignore_one_hour_diff,
    DateVolumes volumes = {});

// "Warning! files NAME have same date/time and different lengths! ..."
QString size_warning_text(const SizeWarning& warning);
