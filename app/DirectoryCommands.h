#pragma once
// The directory commands of the panes' context menu, and the refresh command.

#include "platform/ErrorCodes.h"

#include <QString>

class DirPane;
class FileSystem;
class UserPort;

// What the directory commands ask of the window that runs them (MainController).
class DirectoryHost {
public:
    virtual ~DirectoryHost() = default;
    // "Delete directory" moves the directory to the desktop trash.
    virtual bool delete_to_trash() const = 0;
    // A command changed files on disk that the panes' file lists may show: they are read again.
    virtual void files_changed() = 0;
};

class DirectoryCommands {
public:
    DirectoryCommands(FileSystem& fs, UserPort& port, DirPane& pane1, DirPane& pane2, DirectoryHost& host);

    // The pane the context menu was last opened on: 1 or 2.
    int popup_dir_pane = 0;

    // A cancelled input box ends a command without a word; a blank answer, a name that cannot
    // be one, a name already taken (also in another case) gets a message and changes nothing.
    void m_create_dir();
    // A bare name renames the directory in place (next to it in its parent); a complete path
    // moves it there. The other pane follows when it showed the directory or one inside it.
    void m_rename_dir();
    // Refuses a volume root and a directory that is or holds the one shown in the other pane.
    // While "delete to trash" is on the directory goes to the trash whole (and where no trash can
    // take it, only after a second Yes). After a deletion the pane shows the parent directory;
    // after one that failed part-way, the message names the path and the cause, and both panes
    // and the lists are read again.
    // All three commands act on the directory the pane showed when they started: when its path
    // leads elsewhere by the time the person has answered, they refuse and change nothing.
    void m_delete_dir();
    // Re-reads the subdirectories of both panes.
    void m_refresh();

private:
    DirPane& chosen_pane();
    DirPane& other_pane();
    void tell(const QString& text);
    void report_error(const FsError& error);
    // Re-reads a pane's subdirectories, hidden ones included.
    void reread(DirPane& pane);
    bool name_taken(const QString& path, const QString& self) const;
    bool is_volume_root(const QString& dir) const;
    bool holds_other_pane(const QString& dir) const;

    FileSystem& fs_;
    UserPort& port_;
    DirPane& pane1_;
    DirPane& pane2_;
    DirectoryHost& host_;
};

// "To avoid mirroring a directory, place an empty text file named "_no_mirror.flg" in that directory."
QString directory_flags_text();
