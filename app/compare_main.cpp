// tandrel-compare: the comparison of two directories without the window, for scripts.

#include "compare/ConsolePort.h"
#include "compare/PairComparison.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "tree/TreeReport.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

enum ExitCode { exit_no_differences = 0, exit_differences = 1, exit_trouble = 2 };

void write_to(std::FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

QString usage_text()
{
    return QStringLiteral(
        "Usage: tandrel-compare [--tree] [--ignore-one-hour] [--json] DIR1 DIR2\n"
        "\n"
        "Compares the plain files directly inside DIR1 and DIR2, pairing names without regard to\n"
        "case, and prints every name with its class:\n"
        "  only in dir 1, newer in dir 1, aligned, newer in dir 2, only in dir 2.\n"
        "Dates up to 2 seconds apart count as the same; of two files with the same date and\n"
        "different lengths the larger counts as newer, with a warning.\n"
        "\n"
        "With --tree the two whole trees are compared: subdirectories are paired by name without\n"
        "regard to case (links, hidden ones and those holding \"_no_mirror.flg\" left out), the\n"
        "branches found in one tree only are listed (\"Only in tree 1: PATH\"), then every pair of\n"
        "branches that differs, introduced by \"BRANCH: DIR1-PATH | DIR2-PATH\". Nothing is created.\n"
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

int trouble(const QString& text)
{
    write_to(stderr, QStringLiteral("tandrel-compare: ") + text + u'\n');
    return exit_trouble;
}

QStringList sorted(QStringList names)
{
    sort_names(names);
    return names;
}

QJsonArray json_names(const QStringList& names)
{
    QJsonArray a;
    for (const QString& n : sorted(names))
        a.append(n);
    return a;
}

QByteArray compact(const QJsonArray& a)
{
    return QJsonDocument(a).toJson(QJsonDocument::Compact);
}

// Written by hand so the keys come in the order of the classes rather than alphabetically.
void print_json(const Classification& c)
{
    QJsonArray warnings;
    for (const SizeWarning& w : c.warnings) {
        warnings.append(QJsonObject{{QStringLiteral("name"), w.name2},
                                    {QStringLiteral("bytes_dir1"), w.bytes_dir1},
                                    {QStringLiteral("bytes_dir2"), w.bytes_dir2}});
    }
    const std::pair<const char*, QByteArray> members[] = {
        {"only_in_dir1", compact(json_names(c.only_in_dir1))},
        {"newer_in_dir1", compact(json_names(c.newer_in_dir1))},
        {"aligned", compact(json_names(c.aligned))},
        {"newer_in_dir2", compact(json_names(c.newer_in_dir2))},
        {"only_in_dir2", compact(json_names(c.only_in_dir2))},
        {"warnings", compact(warnings)},
        {"differences_found", c.differences_found() ? QByteArray("true") : QByteArray("false")},
    };
    QByteArray out = "{\n";
    for (const auto& [key, value] : members) {
        if (out.size() > 2)
            out += ",\n";
        out += QByteArray("  \"") + key + "\": " + value;
    }
    out += "\n}\n";
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
}

void print_lines(const Classification& c)
{
    const std::pair<const char16_t*, const QStringList*> classes[] = {
        {u"only in dir 1", &c.only_in_dir1}, {u"newer in dir 1", &c.newer_in_dir1}, {u"aligned", &c.aligned},
        {u"newer in dir 2", &c.newer_in_dir2}, {u"only in dir 2", &c.only_in_dir2}};
    QString out;
    for (const auto& [caption, names] : classes) {
        for (const QString& n : sorted(*names))
            out += QString::fromUtf16(caption) + QStringLiteral(": ") + n + u'\n';
    }
    write_to(stdout, out);
}

// The directory `arg` names, absolute and with a final separator, or the reason it cannot be
// compared.
Result<QString> directory_argument(const FileSystem& fs, const QString& arg)
{
    Result<QString> r;
    const QString path = is_absolute_path(arg) ? arg : fs.current_dir() + arg;
    const Result<FileInfo> info = fs.info(path);
    if (!info.ok()) {
        r.error = info.error;
        r.value = arg + QStringLiteral(": ") + report_error_text(info.error);
    } else if (!info.value.is_dir) {
        r.error = make_error(err_path_not_found);
        r.value = arg + QStringLiteral(": not a directory");
    } else {
        r.value = with_final_separator(path);
    }
    return r;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tandrel-compare"));

    bool ignore_one_hour = false;
    bool json = false;
    bool tree = false;
    QStringList dirs;
    const QStringList args = QCoreApplication::arguments().mid(1);
    bool options_done = false;
    for (const QString& a : args) {
        if (!options_done && a.startsWith(u'-') && a.size() > 1) {
            if (a == u"--")
                options_done = true;
            else if (a == u"--ignore-one-hour")
                ignore_one_hour = true;
            else if (a == u"--json")
                json = true;
            else if (a == u"--tree")
                tree = true;
            else if (a == u"--help" || a == u"-h") {
                write_to(stdout, usage_text());
                return exit_no_differences;
            } else if (a == u"--version") {
                write_to(stdout, QStringLiteral("tandrel-compare 1.21\n"));
                return exit_no_differences;
            } else {
                write_to(stderr, QStringLiteral("tandrel-compare: unknown option ") + a + u'\n' + usage_text());
                return exit_trouble;
            }
        } else {
            dirs.push_back(a);
        }
    }
    if (dirs.size() != 2) {
        write_to(stderr, QStringLiteral("tandrel-compare: two directories are needed\n") + usage_text());
        return exit_trouble;
    }

    RealFileSystem fs;
    const Result<QString> dir1 = directory_argument(fs, dirs[0]);
    if (!dir1.ok())
        return trouble(dir1.value);
    const Result<QString> dir2 = directory_argument(fs, dirs[1]);
    if (!dir2.ok())
        return trouble(dir2.value);
    if (same_directory(fs, dir1.value, dir2.value))
        return trouble(equal_directories_message());

    ConsolePort port;
    if (tree) {
        const TreeComparison result = compare_trees(fs, port, without_final_separator(dir1.value),
                                                    without_final_separator(dir2.value), ignore_one_hour);
        if (json)
            std::fputs(tree_report_json(result).constData(), stdout);
        else
            write_to(stdout, tree_report_text(result));
        std::fflush(stdout);
        if (result.trouble)
            return exit_trouble;
        return result.differences_found() ? exit_differences : exit_no_differences;
    }
    ListingErrors errors;
    const Classification result =
        compare_listed_directories(fs, port, dir1.value, dir2.value, ignore_one_hour, &errors);
    // An unreadable directory would look empty and every file of the other side would seem to
    // be missing there; a script acting on that could copy or delete the wrong files.
    if (errors.dir1.failed())
        return trouble(dirs[0] + QStringLiteral(": ") + report_error_text(errors.dir1));
    if (errors.dir2.failed())
        return trouble(dirs[1] + QStringLiteral(": ") + report_error_text(errors.dir2));

    if (json)
        print_json(result);
    else
        print_lines(result);
    std::fflush(stdout);
    return result.differences_found() ? exit_differences : exit_no_differences;
}
