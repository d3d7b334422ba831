#pragma once
// Files and folders for tests, made inside a temporary directory.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes `content` to `path`; a non-zero `mtime` (seconds since the epoch) becomes its
// modification time. False when any step failed.
bool make_file(const QString& path, const QByteArray& content = {}, qint64 mtime = 0);
// The folders `dirs` and the empty files `files` below `base` (paths relative to it).
bool make_tree(const QString& base, const QStringList& dirs, const QStringList& files = {});
// The names in `dir`, hidden ones included, sorted by name.
QStringList entries(const QString& dir);
