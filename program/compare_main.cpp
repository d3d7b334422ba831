// tandrel-compare: the comparison of two directories without the window, for scripts.

#include "compare/CompareCommand.h"
#include "compare/CompareOutput.h"
#include "compare/ConsolePort.h"
#include "compare/PairComparison.h"
#include "platform/DirPath.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "tree/TreeReport.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

enum ExitCode { exit_no_differences = 0, exit_differences = 1, exit_trouble = 2 };

const QString program_prefix = QStringLiteral("tandrel-compare: ");

// False, with errno set, when not every byte reached `out`.
bool write_to(std::FILE* out, const QByteArray& bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) == size_t(bytes.size());
    return std::fflush(out) == 0 && written;
}

int trouble(const QString& text)
{
    write_to(stderr, prefixed_lines(program_prefix, terminal_safe(text)));
    return exit_trouble;
}

// What a script reads must be all of the answer or none: a result cut short by a full disk would
// pass for a complete one, so it ends in trouble. A reader that went away needs no message.
int output(const QByteArray& bytes, int exit_code)
{
    if (write_to(stdout, bytes))
        return exit_code;
    const int error = errno;
    if (error == EPIPE)
        return exit_trouble;
    return trouble(QStringLiteral("standard output: ")
        + (error ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write error")));
}

// Qt's own warnings go to standard error too, so they carry the program's name like every other line.
void prefixed_message(QtMsgType, const QMessageLogContext&, const QString& text)
{
    write_to(stderr, prefixed_lines(program_prefix, text));
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(prefixed_message);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tandrel-compare"));

    QString refused;
    const QStringList args = decode_arguments(argc, argv, &refused);
    if (!refused.isEmpty())
        return trouble(undecodable_argument_message(refused));
    const CompareCommand command = parse_compare_command(args);
    switch (command.action) {
    case CompareCommand::Action::Help:
        return output(compare_usage_text().toUtf8(), exit_no_differences);
    case CompareCommand::Action::Version:
        return output("tandrel-compare 1.21\n", exit_no_differences);
    case CompareCommand::Action::Invalid:
        return trouble(command.error + u'\n' + compare_usage_text().section(u'\n', 0, 0)
            + QStringLiteral("\nTry 'tandrel-compare --help' for more information."));
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

    ConsolePort port(stderr, program_prefix);
    if (command.tree) {
        const TreeComparison tree
            = compare_trees(fs, port, DirPath(dir1.value).bare(), DirPath(dir2.value).bare(), command.ignore_one_hour);
        const int code = tree.trouble  ? exit_trouble
            : tree.differences_found() ? exit_differences
                                       : exit_no_differences;
        return output(command.json ? tree_report_json(tree) : tree_report_text(tree), code);
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

    return output(command.json ? pair_json(result) : pair_text(result),
        result.differences_found() ? exit_differences : exit_no_differences);
}
