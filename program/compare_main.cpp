// tandrel-compare: the comparison of two directories without the window, for scripts.

#include "compare/CompareCommand.h"
#include "compare/CompareOutput.h"
#include "compare/ConsolePort.h"
#include "compare/PairComparison.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "tree/TreeReport.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

enum ExitCode { exit_no_differences = 0, exit_differences = 1, exit_trouble = 2 };

void write_to(std::FILE* out, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

int trouble(const QString& text)
{
    write_to(stderr, (QStringLiteral("tandrel-compare: ") + text + u'\n').toUtf8());
    return exit_trouble;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tandrel-compare"));

    const CompareCommand command = parse_compare_command(QCoreApplication::arguments().mid(1));
    switch (command.action) {
    case CompareCommand::Action::Help:
        write_to(stdout, compare_usage_text().toUtf8());
        return exit_no_differences;
    case CompareCommand::Action::Version:
        write_to(stdout, "tandrel-compare 1.21\n");
        return exit_no_differences;
    case CompareCommand::Action::Invalid:
        return trouble(command.error + QStringLiteral("\n\n") + compare_usage_text().trimmed());
    case CompareCommand::Action::Compare:
        break;
    }

    RealFileSystem fs;
    const Result<QString> dir1 = compare_directory_argument(fs, command.dirs[0]);
    if (!dir1.ok())
        return trouble(dir1.value);
    const Result<QString> dir2 = compare_directory_argument(fs, command.dirs[1]);
    if (!dir2.ok())
        return trouble(dir2.value);
    if (same_directory(fs, dir1.value, dir2.value))
        return trouble(equal_directories_message());

    ConsolePort port;
    if (command.tree) {
        const TreeComparison tree = compare_trees(fs, port, without_final_separator(dir1.value),
            without_final_separator(dir2.value), command.ignore_one_hour);
        write_to(stdout, command.json ? tree_report_json(tree) : tree_report_text(tree));
        if (tree.trouble)
            return exit_trouble;
        return tree.differences_found() ? exit_differences : exit_no_differences;
    }
    ListingErrors errors;
    const Classification result
        = compare_listed_directories(fs, port, dir1.value, dir2.value, command.ignore_one_hour, &errors);
    // An unreadable directory would look empty and every file of the other side would seem to
    // be missing there; a script acting on that could copy or delete the wrong files.
    if (errors.dir1.failed())
        return trouble(command.dirs[0] + QStringLiteral(": ") + report_error_text(errors.dir1));
    if (errors.dir2.failed())
        return trouble(command.dirs[1] + QStringLiteral(": ") + report_error_text(errors.dir2));

    write_to(stdout, command.json ? pair_json(result) : pair_text(result));
    return result.differences_found() ? exit_differences : exit_no_differences;
}
