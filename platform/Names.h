#pragma once
// How names and paths compare and sort: ignoring case with Unicode case folding, as on the
// case-insensitive file systems the program's users move their files between.

#include <QString>
#include <QStringList>

// The key two names share when they differ only in case.
QString fold_name(const QString& name);
bool names_equal(const QString& a, const QString& b);
// Order ignoring case; names equal ignoring case fall back to a case-sensitive order, so the
// order is total and the same on every run.
bool name_less(const QString& a, const QString& b);
void sort_names(QStringList& names);

// The native separator and the path rules that use it.
inline constexpr QChar path_separator = u'/';
// `dir` with one final separator.
QString with_final_separator(const QString& dir);
// `dir` without a final separator, except for the root itself.
QString without_final_separator(const QString& dir);
// True for an absolute path of this platform.
bool is_absolute_path(const QString& path);
