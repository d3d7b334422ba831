#pragma once
// The history of compared pairs as the main window uses it: recording the pair in the panes,
// reopening an entry, and the history view with its commands, keys and mouse.

#include "app/PairRoutes.h"
#include "history/HistoryStore.h"

#include <QObject>

class FileSystem;
class UserPort;

class HistoryCommands final : public QObject, public PairHistory {
    Q_OBJECT
public:
    // Records and reopens the pairs `view` shows. `fallback_file` is where the history goes when
    // the program's folder cannot be written. The controller reaches it as its PairHistory once
    // the composition plugs it in.
    HistoryCommands(
        PairView& view, FileSystem& fs, UserPort& port, const QString& fallback_file = {}, QObject* parent = nullptr);

    HistoryStore& store() { return store_; }
    void load_history(const QString& file) override;
    QString newest_history_entry() const override { return store_.entries().value(0); }
    // Records the pair shown in the panes at the top of the history.
    void add_to_history() override;
    // Sets the panes to the pair of `entry` and compares it; outside start-up a tree comparison of
    // the pair follows.
    void apply_history_entry(const QString& entry, bool show_errors) override;
    void close_view() override { m_close_Click(); }

    // The history view: the list covering the file lists, with its own menu commands.
    bool view_open() const { return view_open_; }
    int selected() const { return selected_; }
    void set_selected(int row);
    void m_history_Click();
    void m_close_Click();
    void m_select_Click();
    void m_delete_Click();
    void m_clear_all_Click();
    void history_DblClick(int row);
    // A key pressed anywhere in the main window, seen before its controls; true when it is
    // consumed. `in_history_list` is true when the list has the focus.
    bool Form_KeyDown(int key, bool in_history_list);
    // A right click on the window's own surface, not on a control.
    void Form_MouseDown_right() { m_history_Click(); }

signals:
    void view_changed();
    // A reopened pair is to be compared as trees, as the "compare trees" button does.
    void tree_comparison_wanted();

private:
    void set_view_open(bool open);

    PairView& view_;
    FileSystem& fs_;
    UserPort& port_;
    HistoryStore store_;
    QString fallback_file_;
    bool view_open_ = false;
    int selected_ = -1;
};
