#pragma once
// The command line of tandrel-compare, parsed without touching the disk, and the directories it
// names, checked against the disk.

#include "platform/ErrorCodes.h"

#include <QStringList>

class FileSystem;

struct CompareCommand {
    enum class Action { Compare, Help, Version, Invalid };
    Action action = Action::Invalid;
    bool ignore_one_hour = false;
    bool json = false;
    bool tree = false; // the two whole trees, branch by branch
    QStringList dirs; // as given: two for Compare
    QString error; // for Invalid: what is wrong, in one line
};

// `arguments` without the program's name.
CompareCommand parse_compare_command(const QStringList& arguments);
QString compare_usage_text();

// Why an argument that is not valid in the user's encoding (shown `escaped`) is refused.
QString undecodable_argument_message(const QString& escaped);

// The directory `arg` names, absolute (a relative one taken from the current directory) and with a
// final separator; or, with the error set, a line saying why it cannot be compared.
Result<QString> compare_directory_argument(const FileSystem& fs, const QString& arg);
