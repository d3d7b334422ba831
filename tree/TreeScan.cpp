#include "tree/TreeScan.h"

#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"
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
    struct Children {
        QStringList dirs; // sorted
        bool marker = false; // the directory holds the marker: its children do not count
    };
    // The subdirectories of one tree's directory that can be branches, or none when it cannot be
    // listed (a missing side is no error: it is the counterpart of a one-sided branch).
    Children children(const QString& dir);
    void list_children(qsizetype index);
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

Scanner::Children Scanner::children(const QString& dir)
{
    Children c;
    // One listing tells both the subdirectories and the marker, without a lookup of each entry.
    const Result<QVector<NamedEntry>> listed = fs_.list_names(with_final_separator(dir));
    if (!listed.ok()) {
        if (!is_missing(listed.error)) {
            report_error(listed.error, dir);
            result_.unreadable << dir;
        }
        return c;
    }
    for (const NamedEntry& e : listed.value) {
        if (e.name == no_mirror_marker && !e.is_dir)
            c.marker = e.is_file || (e.is_link && holds_marker(fs_, dir));
        // A link is never a branch: it could lead out of the tree or round in a circle.
        else if (e.is_dir && !e.name.startsWith(u'.'))
            c.dirs << e.name;
    }
    if (c.marker)
        c.dirs.clear();
    sort_names(c.dirs);
    return c;
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

void Scanner::list_children(qsizetype index)
{
    // Copies: appending may move the list.
    const QString p1 = result_.pairs[index].dir1;
    const QString p2 = result_.pairs[index].dir2;
    // A side that is missing, or a link, has no branches below it; a marker on either side keeps
    // the children of both out.
    auto side = [&](const QString& p, bool in_tree) {
        progress(p);
        if (in_tree)
            return children(p);
        Children none;
        none.marker = holds_marker(fs_, p);
        return none;
    };
    const Children one = side(p1, result_.pairs[index].in_tree1);
    const Children two = one.marker ? Children() : side(p2, result_.pairs[index].in_tree2);
    if (one.marker || two.marker) {
        result_.pairs[index].excluded = true;
        return;
    }
    const QStringList& names1 = one.dirs;
    const QStringList& names2 = two.dirs;

    // A tree-1 child pairs with the tree-2 directory of the same name in the spelling that exists
    // there, so "Data" and "DATA" are one branch and no second directory is ever created beside it.
    QHash<QString, QString> spelling2;
    for (const QString& n : names2) {
        const QString k = fold_name(n);
        if (!spelling2.contains(k))
            spelling2.insert(k, n); // of several spellings, the first in listing order
    }

    // A root "/" gives children "/name".
    auto base = [](const QString& p) { return p.endsWith(path_separator) ? p : p + path_separator; };
    const QString base1 = base(p1);
    const QString base2 = base(p2);
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
    list_children(0);
    for (;;) {
        const qsizetype n = result_.pairs.size();
        bool listed = false;
        for (qsizetype i = 0; i < n; ++i) {
            if (result_.pairs[i].scanned)
                continue;
            list_children(i);
            result_.pairs[i].scanned = true;
            listed = true;
        }
        if (!listed)
            break;
    }

    for (const BranchPair& pair : std::as_const(result_.pairs)) {
        if (pair.in_tree2 || holds_marker(fs_, pair.dir1))
            continue;
        // Something that is not a directory (a file, a link) standing in the way, in this or in
        // another case, cannot be joined by a directory: that branch is reported without a
        // question.
        const Result<bool> occupied = fs_.exists(pair.dir2);
        const QString leaf = leaf_name(pair.dir2);
        const bool other_case = fs_.resolve_case(parent_path(pair.dir2), leaf) != leaf;
        if (options_.offer_create && occupied.ok() && !occupied.value && !other_case) {
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
