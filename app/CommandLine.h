#pragma once
// The window's command line: the arguments joined with single blanks, read as a pair of
// directories to compare or the two roots of a tree comparison.

#include <QString>

struct CommandLine {
    enum class Kind {
        Empty, // nothing given: the panes start at the current volume's root
        Pair, // dir 1 "|" dir 2: compared at once
        TreePair, // dir 1 "§" dir 2: the roots of a tree comparison
        Invalid, // no separator, an empty side, or a side that is not an absolute path
    };
    Kind kind = Kind::Empty;
    // The two sides as given, trimmed of blanks; empty unless the kind is Pair or TreePair.
    QString dir1;
    QString dir2;

    bool operator==(const CommandLine&) const = default;
};

// The first "|" separates the sides; only a text without any "|" is split at its first "§".
// Blanks around the separator and around the whole text are optional.
CommandLine parse_command_line(const QString& joined);

// The message shown for an invalid command line: the usage quotes the separator as a shell needs it.
QString invalid_command_line_text(const QString& crlf);

// The message for a command line holding an argument (shown `escaped`) that is not valid in the
// user's encoding: its text would name a look-alike path, so the program ends instead.
QString undecodable_command_line_text(const QString& escaped);
