#pragma once
// The logic of the main window: start-up and the command line, the pair comparison, the plain
// view, the hint line, the option toggles, the panes' change handlers and the exits. It knows no
// widgets: the window forwards its events here and shows the models. The commands it runs ask it
// for options and window changes through TransferHost and DirectoryHost, which it answers.

#include "app/DirPane.h"
#include "app/DirectoryCommands.h"
#include "app/PairRoutes.h"
#include "app/PairSession.h"
#include "app/RunGate.h"
#include "app/WindowState.h"
#include "transfer/Deletion.h"
#include "transfer/TransferContext.h"

#include <optional>

class FileSystem;
class SettingsStore;
class Shell;
class Trace;
class UserPort;

class MainController final : public QObject, public PairView, private TransferHost, private DirectoryHost {
    Q_OBJECT
public:
    static constexpr const char* setting_ignore_one_hour = "ignore_one_hour_diff";
    static constexpr const char* setting_delete_to_trash = "delete_to_trash";

    MainController(FileSystem& fs, UserPort& port, SettingsStore& settings, Trace& trace, QObject* parent = nullptr);

    FileListsModel& lists() { return session_.lists; }
    // Check marks, enabled buttons and free-space labels, for the window to show.
    const WindowState& state() const { return state_; }
    DirPane& pane(int number) { return number == 1 ? pane1_ : pane2_; }
    // What runs now; the person's commands below are refused while something does.
    RunGate& gate() override { return gate_; }
    // The outside copy of a copy's last attempts goes through `shell`.
    void set_shell(Shell* shell) { transfers_.shell = shell; }
    // The pane (1 or 2) and the list (1 to 5) the context menus were last opened on: their
    // commands act there.
    void set_popup_dir_pane(int pane) { dir_commands_.popup_dir_pane = pane; }
    int popup_list() const { return deletion_.popup_list; }
    void set_popup_list(int list) { deletion_.popup_list = list; }

    // Where the work on the pair goes beyond the lists: either may stay unset.
    void set_history(PairHistory* history) { history_ = history; }
    void set_tree(TreeRoute* tree) { tree_ = tree; }

    // The entry point's part: the main window's load with the command line (the program's
    // arguments joined with single blanks). `history_file` is where the history lives.
    void Main(const QString& command_line, const QString& history_file);
    // The main window's load sequence. Returns false when the program ended during it.
    bool form_load(const QString& command_line, const QString& history_file = {});
    // The main window is still loading: no history entries are recorded.
    bool starting_up() const override { return starting_up_; }

    // Buttons and menus. Each of the commands that change files, lists or panes is refused while
    // another runs.
    void bot_compare_Click();
    // The comparison of the pair in the panes with the window's busy cursor, inside a running step.
    void compare_shown_pair() override;
    void bot_cancel_Click() { gate_.cancel().request(); }
    // "align these files" under list 1 to 4.
    void bot_list_Click(int list_number);
    // The entry `name` of list `source` was dropped on list `target`.
    void list_drag_drop(int source, int target, const QString& name);
    void exit_Click();
    void m_ignore_one_hour_differences_Click();
    void m_skip_delete_confirmations_Click();
    void m_refresh_Click();
    void m_delete_to_trash_Click();
    // The delete button (Alt+D), the lists' context menu and the delete drop target.
    void bot_delete_Click();
    void m_select_all_Click();
    void m_delete_selected_files_Click();
    void m_delete_all_files_Click();
    void Text2_DragDrop(int list, const QString& name);
    // A command of the panes' context menu.
    void directory_command(void (DirectoryCommands::*command)());

    // The open/run drop target: an entry of list `list`, or a text from elsewhere. The entry's
    // drop returns the date and length of what it opened.
    QString Text1_DragDrop(Shell& shell, int list, const QString& name);
    void Text1_drop_text(Shell& shell, const QString& text);

    // The comparison of the pair shown in the panes; the session keeps its outcome as the last.
    PairOutcome compare_directories();
    // The plain view: the files of dir 1 and dir 2 in lists 1 and 2.
    void show_file_lists();
    // Fills `list` with the names of the files of the pane's directory.
    static void fill_list_from_files(const DirPane& pane, FileListModel& list);
    void set_default_comment() override { session_.lists.set_default_comment(); }

    // PairView
    QString pane_path(int pane) const override { return pane == 1 ? pane1_.Path() : pane2_.Path(); }
    ShownPair show_pair(const QString& dir1, const QString& dir2) override;
    void move_panes(const QString& dir1, const QString& dir2) override;
    qint64 difference_count() const override;
    void set_hint(const QString& text) override { session_.lists.set_hint(text); }
    bool next_alignment_visible() const override { return state_.next_alignment_visible(); }
    void set_next_alignment_visible(bool visible) override { state_.set_next_alignment_visible(visible); }
    // Hover details for the entry at `row` of list `list_number` (1..5); a row outside the list
    // restores the standing hint.
    void list_mouse_move(int list_number, int row);
    // The text list_mouse_move shows for one file; empty when it cannot be read.
    QString file_details(const QString& path) const;

    // The session's pair from the panes.
    void read_dir_panes();
    void clear_free_space_labels() override;

    // A drive chosen in the selector of pane 1 or 2.
    void Drive_Change(int pane_number, const QString& volume_root);

    // The leading number of a stored option text, as a truth value: "" and "0" are off; any other
    // number, also one beyond 16 bits, is on.
    static bool option_value(const QString& stored);

signals:
    // At the start of the load: the window takes its place on the screen.
    void placing_window();
    // At the end of the load: the window lays out its controls.
    void layout_wanted();
    // The plain view was filled: the "compare trees" button takes the focus when it is visible.
    void plain_view_shown();
    // An alignment ended without a flush error: the "exit" button takes the focus.
    void exit_focus_wanted();
    // How far a bulk alignment has gone; `visible` is false once it is over.
    void alignment_progress(const AlignProgress& progress);

private:
    // What the transfer, deletion and directory commands ask of the window.
    bool ignore_one_hour_diff() const override { return state_.ignore_one_hour_checked(); }
    bool delete_to_trash() const override { return state_.delete_to_trash_checked(); }
    bool skip_delete_confirmations() const override { return state_.skip_delete_confirmations_checked(); }
    void set_cancel_enabled(bool on) override { state_.set_cancel_enabled(on); }
    void show_progress(const AlignProgress& progress) override { emit alignment_progress(progress); }
    void focus_exit() override { emit exit_focus_wanted(); }
    void auto_next() override;
    void refill_lists() override;
    void wait(double seconds) override;
    void files_changed() override;

    void Dir_Change(int pane_number);
    // `command_line` is the one the message names.
    bool take_recovery_route(const QString& command_line);
    // The steps of form_load: the stored options; the command line's pair in the panes (nullopt
    // when the program ended, otherwise whether the recovery route was taken); the file lists
    // (true when they could not be read even after the recovery route); the history and the
    // first comparison.
    void read_options();
    std::optional<bool> open_pair(const QString& side1, const QString& side2, const QString& command_line);
    bool fill_lists(bool recovered, const QString& command_line);
    bool finish_start(bool pair_from_command_line, bool tree_pair, bool gave_up, const QString& history_file);
    bool invalid_format_exit();
    void end_program(int code);

    // Runs `command` as `what`, unless something runs already.
    template <typename F> void run(Running what, F&& command)
    {
        if (!gate_.admit())
            return;
        const RunScope scope(gate_, what);
        command();
    }

    FileSystem& fs_;
    UserPort& port_;
    SettingsStore& settings_;
    Trace& trace_;
    PairSession session_;
    RunGate gate_;
    WindowState state_;
    DirPane pane1_;
    DirPane pane2_;
    TransferContext transfers_;
    DirectoryCommands dir_commands_;
    Deletion deletion_;
    PairHistory* history_ = nullptr;
    TreeRoute* tree_ = nullptr;
    QString current_drive_;
    bool starting_up_ = false;
    bool ended_ = false;
};
