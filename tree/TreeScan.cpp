#include "tree/TreeScan.h"

#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/UserPort.h"

#include <QHash>
#include <QSet>

namespace {

const QString crlf = QStringLiteral("\r\n");

bool is_missing(const FsError& e)
{
    return e.number == err_file_not_found || e.number == err_path_not_found;
}

class Scanner {
public:
    Scanner(FileSystem& fs, UserPort& port, const TreeScanOptions& options)
        : fs_(fs)
        , port_(port)
        , options_(options)
    {
    }

    TreeScan run(const QString& root1, const QString& root2);

private:
    // The subdirectories of one tree's directory that can be branches, or none when it cannot be
    // listed (a missing side is no error: it is the counterpart of a one-sided branch).
    QVector<QString> branch_names(const QString& dir);
    void list_children(const BranchPair& pair);
    bool append(const QString& c1, const QString& c2, bool in1, bool in2);
    void report(const QString& line) { result_.report += crlf + line; }
    void report_error(const FsError& e, const QString& path)
    {
        ++result_.errors;
        port_.message(report_error_text(e) + QStringLiteral(" (") + path + u')');
    }
    void progress(const QString& dir)
    {
        if (options_.progress)
            options_.progress(QStringLiteral("checking dir ") + (dir.isEmpty() ? QString(path_separator) : dir));
    }
    static QString key(const QString& c1, const QString& c2) { return fold_name(c1) + QChar(0) + fold_name(c2); }

    FileSystem& fs_;
    UserPort& port_;
    const TreeScanOptions& options_;
    TreeScan result_;
    // Every pair in the list, to find a tree-2 child already paired from tree 1.
    QSet<QString> keys_;
};

QVector<QString> Scanner::branch_names(const QString& dir)
{
    QVector<QString> names;
    const Result<QVector<DirEntry>> listed = fs_.list(with_final_separator(dir), EntryKind::Directories, false);
    if (!listed.ok()) {
        if (!is_missing(listed.error)) {
            report_error(listed.error, dir);
            result_.unreadable << dir;
        }
        return names;
    }
    for (const DirEntry& e : listed.value) {
        // A link is never a branch: it could lead out of the tree or round in a circle.
        if (!e.name.startsWith(u'.') && !e.is_link)
            names.push_back(e.name);
    }
    return names;
}

bool Scanner::append(const QString& c1, const QString& c2, bool in1, bool in2)
{
    if (result_.pairs.size() + 1 > options_.max_pairs) {
        if (!result_.limit_reached) {
            result_.limit_reached = true;
            port_.set_busy(false);
            port_.message(branch_limit_message());
            port_.set_busy(true);
        }
        return false;
    }
    result_.pairs.push_back({ c1, c2, false, in1, in2 });
    keys_.insert(key(c1, c2));
    return true;
}

void Scanner::list_children(const BranchPair& pair)
{
    const QString& p1 = pair.dir1;
    const QString& p2 = pair.dir2;
    if (holds_marker(fs_, p1) || holds_marker(fs_, p2))
        return;
    // A side that is missing, or a link, has no branches below it.
    progress(p1);
    const QVector<QString> names1 = pair.in_tree1 ? branch_names(p1) : QVector<QString>();
    progress(p2);
    const QVector<QString> names2 = pair.in_tree2 ? branch_names(p2) : QVector<QString>();

    // A tree-1 child pairs with the tree-2 directory of the same name in the spelling that exists
    // there, so "Data" and "DATA" are one branch and no second directory is ever created beside it.
    QHash<QString, QString> spelling2;
    for (const QString& n : names2) {
        const QString k = fold_name(n);
        if (!spelling2.contains(k))
            spelling2.insert(k, n); // of several spellings, the first in listing order
    }

    const QString base1 = p1 + path_separator;
    const QString base2 = p2 + path_separator;
    for (const QString& n : names1) {
        const auto found = spelling2.constFind(fold_name(n));
        const bool in2 = found != spelling2.cend();
        if (!append(base1 + n, base2 + (in2 ? *found : n), true, in2))
            break;
    }
    for (const QString& n : names2) {
        const QString c1 = base1 + n;
        const QString c2 = base2 + n;
        if (keys_.contains(key(c1, c2)))
            continue;
        if (!append(c1, c2, false, true))
            break;
    }
}

TreeScan Scanner::run(const QString& root1, const QString& root2)
{
    result_.pairs.push_back({ root1, root2, true });
    keys_.insert(key(root1, root2));
    // The roots without a final separator, so that "/" gives children "/name".
    auto bare = [](QString r) {
        if (r.endsWith(path_separator))
            r.chop(1);
        return r;
    };
    list_children({ bare(root1), bare(root2) });
    for (;;) {
        const qsizetype n = result_.pairs.size();
        bool listed = false;
        for (qsizetype i = 0; i < n; ++i) {
            if (result_.pairs[i].scanned)
                continue;
            const BranchPair pair = result_.pairs[i];
            list_children(pair);
            result_.pairs[i].scanned = true;
            listed = true;
        }
        if (!listed)
            break;
    }

    for (const BranchPair& pair : std::as_const(result_.pairs)) {
        if (pair.in_tree2 || holds_marker(fs_, pair.dir1))
            continue;
        // Something that is not a directory (a file, a link) standing in the way cannot be
        // replaced by one: that branch is reported without a question.
        const Result<bool> occupied = fs_.exists(pair.dir2);
        if (options_.offer_create && occupied.ok() && !occupied.value) {
            port_.set_busy(false);
            const Answer a = port_.ask(
                QStringLiteral("Path ") + pair.dir2 + QStringLiteral(" does not exist. Do you want to create it?"),
                MsgButtons::YesNoCancel, Answer::Yes, MsgIcon::None);
            port_.set_busy(true);
            if (a == Answer::Cancel) {
                result_.cancelled = true;
                return result_;
            }
            if (a == Answer::Yes) {
                if (FsError e = fs_.make_dir(pair.dir2))
                    report_error(e, pair.dir2);
                continue;
            }
        }
        report(QStringLiteral("Only in tree 1: ") + pair.dir1);
        result_.only_in_tree1 << pair.dir1;
    }
    for (const BranchPair& pair : std::as_const(result_.pairs)) {
        if (!pair.in_tree1 && !holds_marker(fs_, pair.dir2)) {
            report(QStringLiteral("Only in tree 2: ") + pair.dir2);
            result_.only_in_tree2 << pair.dir2;
        }
    }
    return result_;
}

} // namespace

bool holds_marker(const FileSystem& fs, const QString& dir)
{
    const Result<FileInfo> info = fs.info(with_final_separator(dir) + no_mirror_marker);
    if (info.error.number == err_bad_file_name)
        return true;
    return info.ok() && info.value.is_file;
}

bool is_branch_dir(const FileSystem& fs, const QString& path)
{
    const Result<FileInfo> info = fs.info(path);
    return info.ok() && info.value.is_dir && !info.value.is_link;
}

bool walkable(const FileSystem& fs, const QString& dir1, const QString& dir2, bool roots)
{
    if (holds_marker(fs, dir1) || holds_marker(fs, dir2))
        return false;
    if (roots)
        return fs.dir_exists(dir1) && fs.dir_exists(dir2);
    return is_branch_dir(fs, dir1) && is_branch_dir(fs, dir2);
}

QString branch_limit_message()
{
    return QStringLiteral("Max number of directory paths reached (3000); some paths will not be checked.");
}

TreeScan scan_branches(
    FileSystem& fs, UserPort& port, const QString& root1, const QString& root2, const TreeScanOptions& options)
{
    Scanner scanner(fs, port, options);
    return scanner.run(root1, root2);
}
