#pragma once
// The result of one pair comparison as tandrel-compare prints it: one line per name, or JSON.

#include "compare/Classification.h"

#include <QByteArray>

// `name` with every control character written as a backslash escape (and then every backslash
// doubled), so that a name can neither break a line nor drive a terminal; other names unchanged.
QString escaped_name(const QString& name);

// `text` with every control character but the line feed written as a backslash escape, for a
// message on a terminal: a name inside it cannot move the cursor, clear the screen or overwrite a line.
QString terminal_safe(const QString& text);

// Every line of `text` that is not empty, each starting with `prefix` and ending with a line feed.
QByteArray prefixed_lines(const QString& prefix, const QString& text);

// "only in dir 1: NAME" and so on, the classes in order, names in the classification's (name)
// order within each; then
// "unreadable in dir 1: NAME" for each name that takes part in nothing.
QByteArray pair_text(const Classification& c);
// One JSON object: the five classes, the size warnings, the unreadable names and the result.
QByteArray pair_json(const Classification& c);
