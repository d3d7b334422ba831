#pragma once
// Deleting files from the five lists: the delete button, the lists' context menu and the delete
// drop target. Which copy goes follows from the list the entry is in.

#include "platform/DirPath.h"
#include "platform/ErrorCodes.h"

#include <QString>

#include <memory>

class FileListsModel;
class FileSystem;
class HeldDir;
class UserPort;
struct TransferContext;

// What a deletion reads from the pair and the window when it starts.
struct DeletionContext {
    DirPath dir1;
    DirPath dir2;
    bool skip_confirmations = false; // the File menu's check mark
    bool to_trash = true;
    // The directories held since the comparison (TransferContext::held1, held2).
    std::shared_ptr<const HeldDir> held1, held2;
};

// One row of the delete table: the files an entry of a list stands for, and where it goes after.
struct DeleteRow {
    bool dir1; // the dir 1 file is deleted
    bool dir2; // the dir 2 file is deleted
    const char* place; // the word of the confirmation: "dir1", "dir2", "both directories"
    int moves_to; // the list the entry moves to; 0: it leaves the lists
};
const DeleteRow& delete_row(int list);

class Deletion {
public:
    // Works on the pair, the lists and the window of `ctx`.
    explicit Deletion(TransferContext& ctx);

    // The list (1 to 5) the context menu was last opened on.
    int popup_list = 0;

    // Deletes the files of the selected entries of `list`, asking per file unless confirmations
    // are off, offering once (after the second Yes) to stop asking. Cancel ends this list. True
    // when at least one file was deleted. The first failure is reported and ends the call.
    bool delete_selected(int list);
    // Lists 1 to 5 in turn; "No file deleted." when none of them deleted a file.
    void bot_delete_Click();
    // Select every entry of the list the menu was opened on.
    void m_select_all_Click();
    void m_delete_selected_files_Click();
    // Selects all, deletes the selection, then goes on with a waiting tree walk.
    void m_delete_all_files_Click();
    // The entry `name` of list `source_list` dropped on the delete target: one question, always.
    // A name that is not (or no longer) in that list is ignored.
    void Text2_DragDrop(int source_list, const QString& name);

    // The message for a failure of the drop, by error number.
    static QString drop_error_text(const FsError& error);

private:
    // Deletes the file or files of the entry; `deleted` becomes true as soon as one went. On
    // success, or after a partial deletion, the lists follow what is on disk. A deletion that
    // would take the only copy is not started: `refused` then says why, naming both paths.
    FsError delete_entry(int list, const QString& name, const DeletionContext& ctx, bool& deleted, QString& refused);
    // Both paths name one directory on disk: the two file lists then show the same files.
    bool same_directory_state(const DeletionContext& ctx) const;
    // False, after telling the person, when a pane no longer leads to the directory compared.
    bool still_compared(const DeletionContext& ctx);
    void clear_free_space_labels();
    void refill_if_same_directory(const DeletionContext& ctx);
    DeletionContext context() const;

    TransferContext& ctx_;
    FileSystem& fs_;
    UserPort& port_;
    FileListsModel& lists_;
};
