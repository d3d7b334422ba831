#include "compare/CompareCommand.h"

#include "platform/DirPath.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"

#include <QCommandLineParser>

CompareCommand parse_compare_command(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption one_hour(QStringLiteral("ignore-one-hour"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption tree(QStringLiteral("tree"));
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") });
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({ one_hour, json, tree, help, version });
    parser.addPositionalArgument(QStringLiteral("DIR1"), {});
    parser.addPositionalArgument(QStringLiteral("DIR2"), {});

    CompareCommand c;
    if (!parser.parse(QStringList { QStringLiteral("tandrel-compare") } + arguments)) {
        c.error = parser.errorText();
        return c;
    }
    if (parser.isSet(help)) {
        c.action = CompareCommand::Action::Help;
        return c;
    }
    if (parser.isSet(version)) {
        c.action = CompareCommand::Action::Version;
        return c;
    }
    c.ignore_one_hour = parser.isSet(one_hour);
    c.json = parser.isSet(json);
    c.tree = parser.isSet(tree);
    c.dirs = parser.positionalArguments();
    if (c.dirs.size() < 2)
        c.error = QStringLiteral("two directories are needed");
    else if (c.dirs.size() > 2)
        c.error = QStringLiteral("only two directories can be compared; also given: ") + c.dirs.mid(2).join(u' ');
    else
        c.action = CompareCommand::Action::Compare;
    return c;
}

QString compare_usage_text()
{
    return QStringLiteral(
        "Usage: tandrel-compare [--tree] [--ignore-one-hour] [--json] DIR1 DIR2\n"
        "\n"
        "Compares the plain files directly inside DIR1 and DIR2, pairing names without regard to\n"
        "case or to how accented letters are stored, and prints every name with its class:\n"
        "  only in dir 1, newer in dir 1, aligned, newer in dir 2, only in dir 2.\n"
        "Dates up to 2 seconds apart count as the same; of two files with the same date and\n"
        "different lengths the larger counts as newer, with a warning.\n"
        "Files that cannot be read are counted on standard error, listed last as \"unreadable in\n"
        "dir 1: NAME\", and make the pair differ; so does a directory of more than 3001 files, of\n"
        "which only the first 3001 names are compared.\n"
        "\n"
        "In the text output a name holding a control character is written with backslash escapes\n"
        "(\\n newline, \\r carriage return, \\t tab, \\e escape, \\xHH or \\uHHHH any other), and a\n"
        "backslash in such a name is doubled, so every line is one name; in a name that is not UTF-8, each\n"
        "byte that does not decode is written \\xHH. JSON escapes its own way.\n"
        "\n"
        "With --tree the two whole trees are compared, as the window's \"compare trees\" does, and\n"
        "nothing is created: subdirectories are paired by name without regard to case (links,\n"
        "hidden ones and those holding \"_no_mirror.flg\" left out); first come the branches found\n"
        "in one tree only (\"Only in tree 1: PATH\"), then every pair of branches that differs,\n"
        "introduced by \"BRANCH: DIR1-PATH | DIR2-PATH\" and followed by its class lines. A branch\n"
        "in one tree only counts as a difference.\n"
        "\n"
        "Options:\n"
        "  --tree             compare the two trees branch by branch\n"
        "  --ignore-one-hour  dates 3597 to 3603 seconds apart count as the same too\n"
        "  --json             print one JSON object instead of one line per name\n"
        "  --help             show this text\n"
        "  --version          show the version\n"
        "\n"
        "Exit status: 0 no differences, 1 differences found, 2 trouble.\n");
}

QString undecodable_argument_message(const QString& escaped)
{
    return escaped
        + QStringLiteral(": not valid in this system's encoding (UTF-8); its text would name another file, so it is "
                         "not used");
}

namespace {

// True when the working directory is still where its path says: once removed, the path names
// nothing (or the root), and a relative path must not be resolved against it.
bool current_dir_exists(const FileSystem& fs)
{
    const Result<FileInfo> here = fs.info(QStringLiteral("."));
    const Result<FileInfo> named = fs.info(fs.current_dir());
    return here.ok() && named.ok() && here.value.device == named.value.device && here.value.inode == named.value.inode;
}

} // namespace

Result<QString> compare_directory_argument(const FileSystem& fs, const QString& arg)
{
    Result<QString> r;
    if (arg.isEmpty() || (!is_absolute_path(arg) && !current_dir_exists(fs))) {
        r.error = make_error(err_path_not_found);
        r.value = arg.isEmpty() ? QStringLiteral("\"\": an empty path names no directory")
                                : arg + QStringLiteral(": the current directory no longer exists");
        return r;
    }
    const QString path = is_absolute_path(arg) ? arg : DirPath(fs.current_dir()).file(arg);
    const Result<FileInfo> info = fs.info(path);
    if (path_too_long(path)) {
        r.error = make_error(err_bad_file_name);
        r.value = arg + QStringLiteral(": the path is too long for this system");
    } else if (!info.ok()) {
        r.error = info.error;
        r.value = arg + QStringLiteral(": ") + report_error_text(info.error);
    } else if (!info.value.is_dir) {
        r.error = make_error(err_path_not_found);
        r.value = arg + QStringLiteral(": not a directory");
    } else {
        r.value = DirPath(path).path();
    }
    return r;
}
