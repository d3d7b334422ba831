#pragma once
// One directory pane: a drive selector (`Drive1`), a directory list (`Dir1`) and the unshown
// file list (`File1`) of the current directory. Every move, by the person or by code, emits
// path_changed, so the window's change handlers run for both.

#include "platform/FileSystem.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class DirPane final : public QObject {
    Q_OBJECT
public:
    explicit DirPane(FileSystem& fs, QObject* parent = nullptr);

    // --- the drive selector
    QVector<Volume> drives() const;
    QString drive() const { return drive_; } // root of the chosen volume
    // Takes the pane to the directory last shown on that volume during this run, or to its root
    // on the first visit. Error 68 when the volume is not available; the pane then stays.
    FsError set_drive(const QString& volume_root);

    // --- the directory list
    // The current directory: no final separator, except for the root "/".
    QString Path() const { return path_; }
    // Moves the pane to `path` (made absolute and cleaned). On success the rows are re-read and
    // path_changed is emitted when the path is new. On failure (missing or not a directory: 76;
    // unreadable: the listing's error) the pane stays. A path that does not exist as spelled
    // but does in another case, component by component, is taken in the case that exists.
    FsError set_path(const QString& path);
    // All rows: first one row per path component from the root down to Path(), then one per
    // subdirectory of Path() (sorted ignoring case).
    int row_count() const { return int(rows_.size()); }
    int component_count() const { return component_count_; }
    QString row_path(int row) const { return rows_.value(row); }
    // The text a row shows: the root's path, or a component's or subdirectory's own name.
    QString row_text(int row) const;
    // Subdirectory rows, counted as a directory list control counts them: List(i) is the full path
    // of subdirectory row i, ListCount() their number, ListIndex() the highlighted one. The path
    // rows have negative numbers: -1 is the current directory itself (highlighted after every
    // move), -2 its parent, and so on up to the root; List() accepts them too.
    int ListCount() const { return row_count() - component_count_; }
    QString List(int i) const { return row_path(component_count_ + i); }
    int ListIndex() const { return list_index_; }
    void set_ListIndex(int i);
    // The highlighted row as an absolute row number (component rows included), -1 when the pane
    // shows nothing yet.
    int highlighted_row() const;
    void highlight_row(int row);
    // Double click or Enter on a row: that row becomes the current directory.
    FsError open_row(int row);
    // Re-reads the subdirectories of the current directory (hidden ones only when they were
    // added). When the directory has gone meanwhile, the pane moves up to the nearest ancestor
    // that still exists.
    void refresh();
    // Inserts the hidden subdirectories among the subdirectory rows in sorted place (nothing is
    // "system" on this platform, so none is left out). Once called, later re-reads of the same
    // directory (refresh, set_path to the same path) keep showing them.
    void add_hidden_folders();

    // --- the file list
    // The names of the plain files of Path(), sorted ignoring case (hidden files left out), as
    // read by the last refresh_files().
    const QStringList& files() const { return files_; }
    // Reads the file list again; the error when the directory could not be listed (files() is
    // then empty).
    FsError refresh_files();

signals:
    void path_changed(); // `Dir_Change`: the pane shows another directory
    void rows_changed(); // the rows or the highlighted row changed
    void drive_changed();

private:
    // The directory `path` names, made absolute and cleaned; when it does not exist as spelled,
    // the spelling that exists ignoring case, component by component.
    Result<QString> existing_dir(const QString& path) const;
    // Shows `dir` (absolute, cleaned, existing); a failure to list it leaves the pane as it was.
    FsError move_to(const QString& dir);
    // How many of the current path rows are also path rows of `dir` (0 when `dir` is the current
    // directory: its rows are then all built again).
    int shared_component_rows(const QString& dir) const;
    bool insert_hidden_rows();
    QString highlighted_path() const;
    void highlight_path(const QString& path);

    FileSystem& fs_;
    QString drive_;
    QString path_;
    QStringList rows_;
    QStringList row_volumes_; // the volume root of each path row
    int component_count_ = 0;
    int list_index_ = -1;
    QStringList files_;
    bool hidden_shown_ = false;
    QHash<QString, QString> last_dir_on_volume_;
};
