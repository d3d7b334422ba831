#pragma once
// What the person sees of one directory pane: its drive selector and its directory list.

#include <QIcon>
#include <QObject>
#include <QPoint>

class DirPane;
class PaneRowDelegate;
class QComboBox;
class QListWidget;
class QWidget;

// Owns nothing visual itself: it creates the drive selector "Drive<n>" and the directory list
// "Dir<n>" as children of the given window, so that the window's layout code places each of
// them, and it keeps both in step with the pane.
class DirPaneWidget final : public QObject {
    Q_OBJECT
public:
    DirPaneWidget(DirPane& pane, int number, QWidget* parent);

    QComboBox* drive_box() const { return drive_box_; }
    QListWidget* dir_list() const { return dir_list_; }
    DirPane& pane() const { return pane_; }
    int number() const { return number_; }

    // Reads the volumes again into the drive selector; it also does so each time it opens, so
    // a volume mounted during the run can be chosen.
    void reload_drives();

signals:
    // The person chose a volume; the window's handler moves the pane there and reports errors.
    // The selector shows the pane's drive again afterwards, so a refused choice is undone.
    void drive_chosen(const QString& root);
    // Right click (or the menu key) on the directory list, at this screen position.
    void context_menu_requested(const QPoint& global_pos);
    // A row could not be opened: the error text, as "Error 70 - Permission denied".
    void open_failed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_rows();
    // Brings the highlighted row into view, with the subdirectories below it where they fit.
    void scroll_to_current();
    void show_drive();
    void open(int row);

    DirPane& pane_;
    int number_;
    QComboBox* drive_box_;
    QListWidget* dir_list_;
    int shown_components_ = 0; // the path rows among the items
    PaneRowDelegate* delegate_ = nullptr;
    bool scroll_pending_ = false; // rows changed while the list was hidden
    // The open folder of the path rows and the folder of the subdirectories, read from the style
    // once, when the first rows are made.
    QIcon open_icon_;
    QIcon folder_icon_;
};
