#pragma once
// The tree comparison as the main window runs it: the scan of the two trees in the panes, the
// branch report, and the walk through the branch pairs with "next subdir".

#include "app/PairRoutes.h"
#include "tree/TreeWalk.h"

#include <QObject>

class FileSystem;
class HistoryCommands;
class UserPort;

// Where the branch report is shown (a window over the main window).
class ReportView {
public:
    virtual ~ReportView() = default;
    // Shows the report modally; the report comes back empty after "cancel operation".
    virtual void show_report(QString& report) = 0;
};

class TreeCommands final : public QObject, public TreeRoute, private TreeWalkHost {
    Q_OBJECT
public:
    // Works on the pair `view` shows; a pair reopened from `history` is compared as trees. The
    // controller reaches it as its TreeRoute once the composition plugs it in.
    TreeCommands(PairView& view, FileSystem& fs, UserPort& port, HistoryCommands* history, QObject* parent = nullptr);

    // "compare trees": the scan with the main window hidden, unless something runs.
    void bot_compare_tree_Click();
    // The same inside a running command (a history entry reopened).
    void compare_trees();
    // The scan with the window left as it is (the command line's start).
    void m_tree_Click() { scan_tree(); }
    void scan_tree();

    void do_tree() { walk_.do_tree(); }
    void b_next_alignment_Click();
    void Auto_next();
    bool differenza_trovata() const { return walk_.differenza_trovata(); }
    const QVector<BranchPair>& branches() const { return walk_.branches(); }
    const TreeWalk& walk() const { return walk_; }
    // The branch report of the last scan, as the person left it.
    const QString& report() const { return report_; }

    // TreeRoute
    bool walk_active() const override { return walk_.walk_active(); }
    void start_tree_comparison() override { m_tree_Click(); }
    void auto_next() override { Auto_next(); }

    // Where the branch report is shown; without one the report is accepted as it is.
    void set_report_view(ReportView* view) { report_view_ = view; }

private:
    QString pane_path(int pane) const override;
    void set_progress(const QString& text) override;
    bool show_and_compare(const QString& p1, const QString& p2) override;
    void show_roots(const QString& root1, const QString& root2) override;
    bool next_visible() const override;
    void set_next_visible(bool visible) override;
    void set_default_comment() override;
    qint64 difference_count() const override;

    PairView& view_;
    FileSystem& fs_;
    UserPort& port_;
    HistoryCommands* history_;
    TreeWalk walk_;
    QString report_;
    ReportView* report_view_ = nullptr;
};
