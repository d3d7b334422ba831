#include "tree/TreeReport.h"

#include "compare/CompareOutput.h"
#include "platform/DirPath.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

QByteArray compact(const QJsonArray& a)
{
    return QJsonDocument(a).toJson(QJsonDocument::Compact);
}

QByteArray json_string(const QString& s)
{
    const QByteArray a = compact(QJsonArray { s });
    return a.mid(1, a.size() - 2);
}

// The pair's own JSON object with the two directories in front, indented as a member of the list.
QByteArray branch_json(const BranchComparison& b)
{
    QByteArray out = pair_json(b.result).trimmed();
    out.insert(1, "\n  \"dir1\": " + json_string(b.dir1) + ",\n  \"dir2\": " + json_string(b.dir2) + ",");
    return "    " + out.replace("\n", "\n    ");
}

// Keeps what one pair's comparison has to say until every pair is done.
class HeldMessages : public UserPort {
public:
    Answer message_box(const QString& text, MsgButtons, MsgIcon icon, Answer default_button, const QString&) override
    {
        held.push_back({ text, icon });
        return default_button;
    }
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override { return {}; }
    void set_busy(bool) override { }
    void process_events() override { }
    void set_main_window_visible(bool) override { }
    bool main_window_visible() const override { return false; }
    void end_program(int) override { }

    QVector<std::pair<QString, MsgIcon>> held;
};

struct PairJob {
    BranchComparison branch;
    ListingErrors errors;
    HeldMessages messages;
};

} // namespace

bool TreeComparison::differences_found() const
{
    // A folder left out for its name was not looked at: the trees cannot be called aligned.
    if (!scan.only_in_tree1.isEmpty() || !scan.only_in_tree2.isEmpty() || !scan.undecodable.isEmpty())
        return true;
    return std::any_of(
        branches.begin(), branches.end(), [](const BranchComparison& b) { return b.result.differences_found(); });
}

TreeComparison compare_trees(
    FileSystem& fs, UserPort& port, const QString& root1, const QString& root2, bool ignore_one_hour_diff)
{
    TreeComparison tree;
    TreeScanOptions options;
    options.offer_create = false;
    // Each directory is read once, for its branches and its files together.
    options.keep_files = max_listed_files;
    options.threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    tree.scan = scan_branches(fs, port, root1, root2, options);
    tree.trouble = tree.scan.errors != 0 || tree.scan.limit_reached;

    std::vector<PairJob> jobs;
    for (const BranchPair& pair : std::as_const(tree.scan.pairs)) {
        // The walk's rules, as the scan has just found them: excluded pairs and pairs with a
        // side missing are passed by; roots without branches are compared as a plain pair.
        if (tree.scan.pairs.size() > 1 && (pair.excluded || !pair.in_tree1 || !pair.in_tree2))
            continue;
        jobs.emplace_back().branch = { pair.dir1, pair.dir2, {} };
    }
    // Nobody waits for an answer here, so the pairs are compared side by side on the machine's
    // cores; what they have to say is said afterwards, in walk order.
    std::atomic<size_t> next { 0 };
    auto work = [&] {
        for (size_t i; (i = next++) < jobs.size();) {
            PairJob& job = jobs[i];
            const QString dir1 = DirPath(job.branch.dir1).path();
            const QString dir2 = DirPath(job.branch.dir2).path();
            const auto kept1 = tree.scan.files1.constFind(job.branch.dir1);
            const auto kept2 = tree.scan.files2.constFind(job.branch.dir2);
            job.branch.result = kept1 != tree.scan.files1.cend() && kept2 != tree.scan.files2.cend()
                ? compare_listings(job.messages, listing_of({ *kept1, {} }), listing_of({ *kept2, {} }), dir1, dir2,
                    ignore_one_hour_diff, { fs.keeps_fat_dates(dir1), fs.keeps_fat_dates(dir2) }, &job.errors)
                : compare_listed_directories(fs, job.messages, dir1, dir2, ignore_one_hour_diff, &job.errors);
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned k = 1; k < std::clamp(std::thread::hardware_concurrency(), 1u, 4u); ++k)
            helpers.emplace_back(work);
        work();
    }
    for (PairJob& job : jobs) {
        for (const auto& [text, icon] : std::as_const(job.messages.held))
            port.message(text, icon);
        for (const auto& [error, dir] :
            { std::pair { job.errors.dir1, job.branch.dir1 }, std::pair { job.errors.dir2, job.branch.dir2 } }) {
            if (error.failed()) {
                tree.trouble = true;
                if (!tree.scan.unreadable.contains(dir)) // said once already by the scan
                    port.message(report_error_text(error) + QStringLiteral(" (") + dir + u')');
            }
        }
        tree.branches.push_back(std::move(job.branch));
    }
    return tree;
}

QByteArray tree_report_text(const TreeComparison& tree)
{
    QString lines;
    for (const QString& path : tree.scan.only_in_tree1)
        lines += QStringLiteral("Only in tree 1: ") + escaped_name(path) + u'\n';
    for (const QString& path : tree.scan.only_in_tree2)
        lines += QStringLiteral("Only in tree 2: ") + escaped_name(path) + u'\n';
    for (const QString& path : tree.scan.undecodable)
        lines += undecodable_line(escaped_name(path)) + u'\n';
    QByteArray out = lines.toUtf8();
    for (const BranchComparison& b : tree.branches) {
        if (!b.result.differences_found())
            continue;
        out += (QStringLiteral("BRANCH: ") + escaped_name(b.dir1) + QStringLiteral(" | ") + escaped_name(b.dir2)
            + u'\n')
                   .toUtf8();
        out += pair_text(b.result);
    }
    return out;
}

QByteArray tree_report_json(const TreeComparison& tree)
{
    QByteArray out = "{\n  \"only_in_tree1\": " + compact(QJsonArray::fromStringList(tree.scan.only_in_tree1))
        + ",\n  \"only_in_tree2\": " + compact(QJsonArray::fromStringList(tree.scan.only_in_tree2))
        + ",\n  \"undecodable_dirs\": " + compact(QJsonArray::fromStringList(tree.scan.undecodable))
        + ",\n  \"branches\": [";
    for (qsizetype i = 0; i < tree.branches.size(); ++i)
        out += (i ? ",\n" : "\n") + branch_json(tree.branches[i]);
    out += tree.branches.isEmpty() ? "]" : "\n  ]";
    out += ",\n  \"differences_found\": " + QByteArray(tree.differences_found() ? "true" : "false") + "\n}\n";
    return out;
}
