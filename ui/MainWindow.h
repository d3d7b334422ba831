#pragma once
// The main window: panes, drop targets, the five lists, the hint line and the command buttons.
// It forwards every event to the MainController and shows its models.

#include <QMainWindow>
#include <QPointer>

#include <array>

class DirPaneWidget;
class FileListView;
class MainController;
class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
struct AlignProgress;
class Shell;
class UserPort;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(MainController& controller, UserPort& port, Shell& shell);
    ~MainWindow() override;

    // Places every control by the layout rules for the current size.
    void apply_layout();

    // What the history view takes over: its list, and the menus its commands stand between.
    QListWidget* history_list() const { return history_; }
    QMenu* file_menu() const { return m_file_; }
    QMenu* help_menu() const { return m_help_; }

signals:
    // The tree commands' buttons: "compare trees" and "next subdir".
    void compare_trees_clicked();
    void next_alignment_clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menus();
    void build_controls();
    void build_panes();
    void build_drop_targets();
    void build_lists();
    void build_command_frame();
    void connect_models();
    void sync_state();
    // Enables what the person may use while a command runs, or again once nothing does.
    void update_actions();
    void show_hint();
    // Keyboard order as the screen reads: panes, lists left to right, then the buttons.
    void set_tab_order();
    void show_dir_popup(int pane, const QPoint& global_pos);
    void show_progress(const AlignProgress& progress);
    void place_progress();
    // The lists' context menu, and the two drop targets that take list entries.
    void build_list_popup();
    void show_list_popup(int list, const QPoint& global_pos);
    bool drop_target_event(QLabel* target, QEvent* event);
    // The keys of a list that open its menu or act on its focused entry; true when taken.
    bool list_key(int list, const QKeyEvent* key, const QPoint& at_entry);
    void show_list_caption(int n);
    void show_align_button(int n);

    MainController& controller_;
    UserPort& port_;
    Shell& shell_;
    QWidget* client_ = nullptr;
    std::array<DirPaneWidget*, 2> panes_ {};
    std::array<FileListView*, 5> lists_ {};
    std::array<QLabel*, 5> list_captions_ {};
    std::array<QPushButton*, 4> align_buttons_ {};
    QLabel* hint_ = nullptr;
    std::array<QLabel*, 2> bytes_free_ {};
    QLabel* text1_ = nullptr;
    QLabel* text2_ = nullptr;
    QPushButton* next_alignment_ = nullptr;
    QFrame* frame_ = nullptr;
    QPushButton* bot_compare_tree_ = nullptr;
    QPushButton* bot_compare_ = nullptr;
    QPushButton* bot_delete_ = nullptr;
    QPushButton* bot_cancel_ = nullptr;
    QPushButton* bot_exit_ = nullptr;
    // Files and bytes of a bulk alignment, over the first command buttons while it runs.
    QProgressBar* progress_ = nullptr;
    QListWidget* history_ = nullptr;
    QAction* m_ignore_one_hour_differences_ = nullptr;
    QAction* m_skip_delete_confirmations_ = nullptr;
    QAction* m_delete_to_trash_ = nullptr;
    QMenu* m_file_ = nullptr;
    QMenu* m_help_ = nullptr;
    QMenu* m_popup_ = nullptr;
    QMenu* m_popup_dir_ = nullptr;
    bool closing_ = false;
    // The event filters that call into this window, removed first when it goes.
    QList<QPointer<QObject>> hooks_;
};
