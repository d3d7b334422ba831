#include "tree/TreeScan.h"

#include "platform/CancelToken.h"
#include "platform/DirPath.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/UserPort.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace {

const QString crlf = QStringLiteral("\r\n");

bool holds_marker(const BranchListing& listing)
{
    return std::any_of(listing.entries.cbegin(), listing.entries.cend(),
        [](const BranchEntry& e) { return e.is_file && names_equal(e.name, no_mirror_marker); });
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
    Children children(const QString& root, const QString& dir, int side);
    void list_children(qsizetype index);
    bool append(const QString& c1, const QString& c2, bool in1, bool in2);
    // Whether the missing tree-2 branch of pair `index` may be offered for creation: its parent
    // is a directory of tree 2, or was offered and is missing (declined, or its creation failed),
    // and nothing stands at its name in any case.
    bool creatable(qsizetype index);
    void report(const QString& line) { result_.report += crlf + line; }
    void report_error(const FsError& e, const QString& path)
    {
        ++result_.errors;
        port_.message(report_error_text(e) + QStringLiteral(" (") + path + u')');
    }
    // Shows the progress and tells whether the scan goes on: false once "cancel" was pressed.
    bool progress(const QString& dir)
    {
        if (options_.progress)
            options_.progress(QStringLiteral("checking dir ") + (dir.isEmpty() ? QString(path_separator) : dir));
        if (options_.cancel && options_.cancel->requested())
            result_.cancelled = true;
        return !result_.cancelled;
    }

    FileSystem& fs_;
    UserPort& port_;
    const TreeScanOptions& options_;
    TreeScan result_;
    QString root1_;
    QString root2_;
    QSet<QString> offered_; // the tree-2 branches offered for creation and still missing
    qsizetype kept_names_ = 0;
    // The directory of each tree read last, kept open (FileSystem::anchor_branch).
    std::array<std::shared_ptr<const void>, 2> anchored_;
    // The directories of the coming pass, read ahead side by side, by tree and path.
    std::array<QHash<QString, Result<BranchFiles>>, 2> read_ahead_;
    void read_ahead();
};

void Scanner::read_ahead()
{
    // A pass only reads until it appends, and with the files kept nobody is asked anything: the
    // directories of a pass are read on several cores and taken in the pass's order after.
    if (options_.keep_files <= 0 || options_.threads < 2)
        return;
    struct Job {
        int side;
        QString root, dir;
        Result<BranchFiles> read;
        bool done = false;
    };
    std::vector<Job> jobs;
    for (const BranchPair& p : std::as_const(result_.pairs)) {
        if (p.scanned)
            continue;
        if (p.in_tree1)
            jobs.push_back({ 1, root1_, p.dir1, {} });
        if (p.in_tree2)
            jobs.push_back({ 2, root2_, p.dir2, {} });
    }
    if (jobs.size() < 2)
        return;
    std::atomic<size_t> next { 0 };
    std::atomic<qsizetype> kept { kept_names_ };
    auto work = [&] {
        for (size_t i; (i = next++) < jobs.size();) {
            Job& job = jobs[i];
            if (kept.load() >= options_.kept_names_budget)
                continue; // read in its turn, without its files
            job.read = fs_.list_branch_files(job.root, job.dir, options_.keep_files);
            job.done = true;
            if (job.read.value.files)
                kept += job.read.value.files->files.size();
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (int k = 1; k < options_.threads; ++k)
            helpers.emplace_back(work);
        work();
    }
    for (Job& job : jobs) {
        if (job.done)
            read_ahead_[job.side - 1].insert(job.dir, std::move(job.read));
    }
}

Scanner::Children Scanner::children(const QString& root, const QString& dir, int side)
{
    Children c;
    // One listing tells both the subdirectories and the marker, and, when asked, the files that
    // the comparison of the pair takes. Every directory is reached from its root without a link
    // on the way, so a link anywhere above a branch cannot lead out.
    Result<BranchListing> listed;
    auto& ahead = read_ahead_[side - 1];
    const auto read = ahead.find(dir);
    if (read != ahead.end() || (options_.keep_files > 0 && kept_names_ < options_.kept_names_budget)) {
        Result<BranchFiles> both
            = read != ahead.end() ? std::move(*read) : fs_.list_branch_files(root, dir, options_.keep_files);
        if (read != ahead.end())
            ahead.erase(read);
        listed = { std::move(both.value.branch), both.error };
        if (both.ok() && both.value.files) {
            kept_names_ += both.value.files->files.size();
            (side == 1 ? result_.files1 : result_.files2).insert(dir, std::move(*both.value.files));
        }
    } else {
        listed = fs_.list_branch(root, dir);
    }
    if (!listed.ok()) {
        if (!is_missing(listed.error)) {
            report_error(listed.error, dir);
            result_.unreadable << dir;
        }
        return c;
    }
    c.marker = holds_marker(listed.value);
    if (c.marker)
        return c;
    for (const BranchEntry& e : listed.value.entries) {
        // A link is never a branch: it could lead out of the tree or round in a circle.
        if (e.is_dir && !e.name.startsWith(u'.'))
            c.dirs << e.name;
    }
    for (const QString& shown : listed.value.undecodable_dirs)
        result_.undecodable << DirPath(dir).file(shown);
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
    return true;
}

void Scanner::list_children(qsizetype index)
{
    // Copies: appending may move the list.
    const BranchPair pair = result_.pairs[index];
    // A side that is missing, or a link, has no branches below it; a marker on either side keeps
    // the children of both out.
    auto side = [&](const QString& root, const QString& p, bool in_tree, int number) {
        if (!progress(p) || !in_tree)
            return Children();
        // Reached from the directory read before on that side, which stays open until then.
        std::shared_ptr<const void> next = fs_.anchor_branch(root, p);
        anchored_[number - 1] = std::move(next);
        return children(root, p, number);
    };
    const Children one = side(root1_, pair.dir1, pair.in_tree1, 1);
    const Children two = one.marker || result_.cancelled ? Children() : side(root2_, pair.dir2, pair.in_tree2, 2);
    if (result_.cancelled)
        return;
    if (one.marker || two.marker) {
        result_.pairs[index].excluded = true;
        return;
    }

    // As files in a pair comparison: a name held once on each side pairs in any spelling ("Data"
    // with "DATA", so no second directory is ever created beside it); where a side holds several
    // spellings, only the same spellings pair, and every other one is a branch of its own side.
    QHash<QString, QStringList> spellings2;
    for (const QString& n : two.dirs)
        spellings2[fold_name(n)] << n;
    QHash<QString, int> count1;
    for (const QString& n : one.dirs)
        ++count1[fold_name(n)];

    const DirPath base1(pair.dir1);
    const DirPath base2(pair.dir2);
    QSet<QString> paired2;
    for (const QString& n : one.dirs) {
        const QString key = fold_name(n);
        const QStringList variants = spellings2.value(key);
        QString partner;
        if (count1.value(key) == 1 && variants.size() == 1)
            partner = variants.first();
        else if (variants.contains(n))
            partner = n;
        if (!partner.isEmpty())
            paired2.insert(partner);
        if (!append(base1.file(n), base2.file(partner.isEmpty() ? n : partner), true, !partner.isEmpty()))
            break;
    }
    for (const QString& n : two.dirs) {
        if (!paired2.contains(n) && !append(base1.file(n), base2.file(n), false, true))
            break;
    }
}

bool Scanner::creatable(qsizetype index)
{
    const QString dir2 = result_.pairs[index].dir2;
    const QString leaf = leaf_name(dir2);
    const Result<BranchListing> parent = fs_.list_branch(root2_, parent_path(dir2));
    // Below a parent offered earlier: asked in turn; its creation fails as the parent's did.
    if (!parent.ok())
        return is_missing(parent.error) && offered_.contains(parent_path(dir2));
    // Something that is not a directory (a file, a link) standing in the way, in this or in
    // another case, cannot be joined by a directory.
    return std::none_of(parent.value.entries.cbegin(), parent.value.entries.cend(),
        [&](const BranchEntry& e) { return names_equal(e.name, leaf); });
}

TreeScan Scanner::run(const QString& root1, const QString& root2)
{
    root1_ = root1;
    root2_ = root2;
    result_.pairs.push_back({ root1, root2, true });
    list_children(0);
    if (result_.cancelled)
        return result_;
    for (;;) {
        const qsizetype n = result_.pairs.size();
        read_ahead();
        bool listed = false;
        for (qsizetype i = 0; i < n; ++i) {
            if (result_.pairs[i].scanned)
                continue;
            list_children(i);
            if (result_.cancelled)
                return result_;
            result_.pairs[i].scanned = true;
            listed = true;
        }
        if (!listed)
            break;
    }
    if (!result_.undecodable.isEmpty()) {
        port_.set_busy(false);
        port_.message(undecodable_message(result_.undecodable), MsgIcon::Exclamation);
        port_.set_busy(true);
    }

    for (qsizetype i = 0; i < result_.pairs.size(); ++i) {
        const BranchPair pair = result_.pairs[i];
        // A one-sided pair is listed on its own side only, so "excluded" is that side's marker.
        if (pair.in_tree2 || pair.excluded)
            continue;
        if (options_.offer_create && creatable(i)) {
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
                if (FsError e = fs_.make_branch(root2_, pair.dir2)) {
                    report_error(e, pair.dir2);
                    offered_.insert(pair.dir2);
                } else {
                    result_.pairs[i].in_tree2 = true;
                }
                continue;
            }
            offered_.insert(pair.dir2);
        }
        report(QStringLiteral("Only in tree 1: ") + pair.dir1);
        result_.only_in_tree1 << pair.dir1;
    }
    for (const BranchPair& pair : std::as_const(result_.pairs)) {
        if (!pair.in_tree1 && !pair.excluded) {
            report(QStringLiteral("Only in tree 2: ") + pair.dir2);
            result_.only_in_tree2 << pair.dir2;
        }
    }
    for (const QString& path : std::as_const(result_.undecodable))
        report(undecodable_line(path));
    return result_;
}

} // namespace

bool walkable(
    const FileSystem& fs, const QString& root1, const QString& root2, const QString& dir1, const QString& dir2)
{
    for (const auto& [root, dir] : { std::pair { root1, dir1 }, std::pair { root2, dir2 } }) {
        const Result<BranchListing> listed = fs.list_branch(root, dir);
        // Gone, or a link on the way (75); a directory that cannot be read is still shown, so
        // the person learns why it cannot be compared.
        if (is_missing(listed.error) || listed.error.number == err_path_file_access
            || listed.error.number == err_bad_file_name || (listed.ok() && holds_marker(listed.value)))
            return false;
    }
    return true;
}

QString undecodable_line(const QString& path)
{
    return QStringLiteral("Name not valid text: ") + path;
}

QString undecodable_message(const QStringList& paths)
{
    const QString count = paths.size() == 1 ? QStringLiteral("1 folder was")
                                            : QString::number(paths.size()) + QStringLiteral(" folders were");
    return count + QStringLiteral(" left out because the name is not valid text:\n") + paths.join(u'\n');
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
