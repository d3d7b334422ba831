#pragma once
// Files and folders for tests, made inside a temporary directory.

#include "platform/Fd.h"

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
// `levels` folders of 200-byte names below `base`, each made from the one above it, so deeper than
// a path may be long; the deepest is open (invalid when a step failed), and `path` grows by each.
Fd make_deep_dirs(const QString& base, int levels, QString* path = nullptr);
