#pragma once
// What the copy, alignment, drop and delete commands work with: the files, the person, the five
// lists and the pair they were read from, given by the main window's pair session, and the window
// that runs them.

#include "platform/CancelToken.h"
#include "platform/DirPath.h"

#include <QString>

#include <memory>

class FileListsModel;
class FileSystem;
class HeldDir;
class Shell;
class UserPort;

// Files and bytes of a bulk alignment; `visible` is false once it is over.
struct AlignProgress {
    bool visible = false;
    int files_done = 0;
    int files_total = 0;
    qint64 bytes_done = 0;
    qint64 bytes_total = 0;
};

// What the copy, alignment, drop and delete commands ask of the window that runs them
// (MainController): the File menu's options, and what the window shows while they work.
class TransferHost {
public:
    virtual ~TransferHost() = default;
    // "Ignore 1-hour differences": dates an hour apart count as equal.
    virtual bool ignore_one_hour_diff() const = 0;
    // Deleted files go to the desktop trash.
    virtual bool delete_to_trash() const = 0;
    // Files are deleted from the lists without asking about each.
    virtual bool skip_delete_confirmations() const = 0;
    // Files changed on disk: the free-space labels no longer hold.
    virtual void clear_free_space_labels() = 0;
    virtual void set_cancel_enabled(bool on) = 0;
    virtual void show_progress(const AlignProgress& progress) = 0;
    // A bulk alignment ended well: the "exit" button takes the focus.
    virtual void focus_exit() = 0;
    // Goes on with a waiting tree walk once the pair no longer differs.
    virtual void auto_next() = 0;
    // Both panes show one directory: re-reads the files of pane 2 into list 2, then those of
    // pane 1 into list 1.
    virtual void refill_lists() = 0;
    // Waits `seconds` letting window events run.
    virtual void wait(double seconds) = 0;
};

struct TransferContext {
    FileSystem& fs;
    UserPort& port;
    FileListsModel& lists;
    const DirPath& dir1;
    const DirPath& dir2;
    // dir 1 and dir 2 as the lists were read from them, held open (FileSystem::hold_dir) so that
    // what is done afterwards is done there; null when nothing is held.
    const std::shared_ptr<const HeldDir>& held1;
    const std::shared_ptr<const HeldDir>& held2;
    CancelToken& cancel; // set by "cancel", polled after every file
    TransferHost& host;
    // Starts the outside copy of the last attempts; without one they cannot be started.
    Shell* shell = nullptr;

    // New files copied by an alignment are flushed to their volume, and their entries move to the
    // aligned list, at the latest after this many bytes.
    qint64 flush_after_bytes = qint64(256) << 20;
    // While files are copied the window is shown the progress and its events run at most this
    // often (and once for every flushed batch): a window repainted for every small file would
    // take longer than the copies.
    qint64 events_every_ms = 50;

    // An alignment or a drop is under way: a second one started from the events it lets run
    // would work on lists that are changing under the first.
    bool running = false;
    // The program is ending: a copy under way stops at its next chunk and nothing else starts.
    bool abandon = false;
    // The program ended through the fatal copy message: callers return at once.
    bool ended = false;
    // Files copied whose date their new volume cannot keep (CopyResult::date_not_held).
    int dates_not_held = 0;
    // The result of the last Copy_file.
    bool copy_ok = false;
};

// Marks a transfer as under way, and clears the mark on every way out.
struct TransferRun {
    TransferContext& ctx;
    explicit TransferRun(TransferContext& c)
        : ctx(c)
    {
        ctx.running = true;
    }
    ~TransferRun() { ctx.running = false; }
    TransferRun(const TransferRun&) = delete;
    TransferRun& operator=(const TransferRun&) = delete;
};
