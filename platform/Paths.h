#pragma once
// Path helpers shared by every part of the program.

#include <QString>

class FileSystem;
class Trace;

// The last component of `path` (the text after the last separator), or the whole text. A final
// separator does not start an empty component: the leaf of "/home/me/" is "me", of "/" it is "".
QString leaf_name(const QString& path);
// `path` without its last component and without a final separator; the parent of a directory
// directly under the root is the root "/" itself, and the root is its own parent. A relative name
// without any separator has the empty text as parent.
QString parent_path(const QString& path);
// True when an entry of any kind (hidden included) stands at `path`; a pattern with "*" or "?" in
// its last component is true when it matches an entry. False for an empty or blank text. An error
// gives false and a trace line.
bool Path_exist(const FileSystem& fs, Trace* trace, const QString& path);

// True when `path` is longer than the system takes, as a whole or in one of its components.
bool path_too_long(const QString& path);

// `path` with repeated separators, "." components and final separators removed and ".." applied
// to the text (not to the disk); the root stays "/". The empty text stays empty.
QString clean_path(const QString& path);
// True when `path` is `dir` itself or lies anywhere below it, comparing the cleaned texts.
bool is_same_or_below(const QString& path, const QString& dir);
// True when `name` matches the wildcard `pattern` ("*" any run of characters, "?" one character,
// everything else itself), ignoring case.
bool wildcard_match(const QString& pattern, const QString& name);
