#include "transfer/Alignment.h"

#include "compare/FileListsModel.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "transfer/CopyFile.h"
#include "transfer/EntryFiles.h"
#include "transfer/TransferContext.h"

#include <QElapsedTimer>
#include <QLocale>

QString transfer_error_text(const FsError& error, const QString& name)
{
    switch (error.number) {
    case err_device_io:
        return QStringLiteral("ERROR 57: Device I/O error");
    case err_disk_full:
        return QStringLiteral("ERROR 61: Disk full while copying ") + name.toUpper();
    case err_device_unavailable:
        return QStringLiteral("ERROR 68: Drive A not available.");
    case err_path_file_access:
        return QStringLiteral("ERROR 75: Path/File access error (file may be protected)");
    case err_path_not_found:
        return QStringLiteral("ERROR 76: That path doesn't exist in drive a:");
    default:
        return QStringLiteral("ERROR ") + QString::number(error.number) + u' ' + error.description;
    }
}

QString trash_space_note(const FileSystem& fs, const QString& dir)
{
    const qint64 bytes = fs.trash_bytes(dir);
    if (bytes <= 0)
        return {};
    return QStringLiteral("\r\nThe trash of that volume holds ") + QLocale().formattedDataSize(bytes)
        + QStringLiteral(" of deleted files; emptying it gives that space back.");
}

namespace {

// New files wait for one flush of the volume, at the latest after this long, before their entries
// count as aligned.
constexpr qint64 flush_after_ms = 3000;

// One alignment of a list, from the press of its button to its last message. Its methods share what
// the copies have done so far: the progress, the batch of copies waiting for a flush, the watches on
// the lists.
class ListAlignment {
public:
    ListAlignment(TransferContext& ctx, int list_number, const DirPath& from_dir, const DirPath& to_dir);
    ~ListAlignment();
    ListAlignment(const ListAlignment&) = delete;
    ListAlignment& operator=(const ListAlignment&) = delete;

    void run();

private:
    struct Pending {
        QString name; // the entry
        CopyRequest request;
        PendingCopy copy;
    };

    void start();
    CopyRequest request_for(const QString& name) const;
    bool copy(const QString& name);
    void copied(const QString& name, const CopyRequest& request, const PendingCopy& written, qint64 bytes_before,
        int dates_before);
    void let_events_run(bool now);
    void discard();
    void move_to_aligned(const QStringList& names);
    void flush();
    void finish(bool focus_exit);

    TransferContext& ctx_;
    const int list_number_;
    const DirPath& from_dir_;
    const DirPath& to_dir_;
    const TransferRun running_;
    FileListModel& list_;
    FileListModel& aligned_;
    // What is copied is what was chosen at the press: clicks in the list while the copies let
    // window events run change nothing of it.
    const QStringList chosen_;

    // Lists filled anew while events run (a comparison, a pane change) are not this alignment's
    // any more: it stops rather than copy entries nobody chose.
    bool replaced_ = false;
    QMetaObject::Connection watch_list_;
    QMetaObject::Connection watch_aligned_;

    AlignProgress progress_;
    QElapsedTimer since_events_;

    // Copies reach the device in batches: their files are written under temporary names, the
    // volume is flushed once for all of them, and only then are they put in place and their
    // directory flushed. A failed flush removes the batch's files and leaves every older copy as
    // it was. The batch's entries move to the aligned list together once their files are in place.
    QVector<Pending> pending_;
    qint64 pending_bytes_ = 0;
    QElapsedTimer since_flush_;
    FsError flush_error_;
    QString flush_name_;
};

ListAlignment::ListAlignment(TransferContext& ctx, int list_number, const DirPath& from_dir, const DirPath& to_dir)
    : ctx_(ctx)
    , list_number_(list_number)
    , from_dir_(from_dir)
    , to_dir_(to_dir)
    , running_(ctx)
    , list_(ctx.lists.list(list_number))
    , aligned_(ctx.lists.list(5))
    , chosen_(list_.any_selected() ? list_.selected_names() : list_.names())
{
}

// On every way out, also when the program ends: the watches write to this object.
ListAlignment::~ListAlignment()
{
    QObject::disconnect(watch_list_);
    QObject::disconnect(watch_aligned_);
}

void ListAlignment::run()
{
    start();
    for (const QString& name : chosen_) {
        if (replaced_)
            break;
        if (!copy(name))
            return;
        ctx_.port.set_busy(true);
        if (ctx_.cancel.requested() || flush_error_.failed()) {
            finish(false);
            return;
        }
    }
    finish(true);
}

void ListAlignment::start()
{
    ctx_.port.set_busy(true);
    ctx_.cancel.reset();
    ctx_.dates_not_held = 0;
    ctx_.host.set_cancel_enabled(true);

    watch_list_ = QObject::connect(&list_, &QAbstractItemModel::modelReset, [this] { replaced_ = true; });
    watch_aligned_ = QObject::connect(&aligned_, &QAbstractItemModel::modelReset, [this] { replaced_ = true; });

    progress_.visible = true;
    progress_.files_total = int(chosen_.size());
    for (const QString& name : chosen_)
        progress_.bytes_total += ctx_.fs.info(request_for(name).source()).value.length;

    let_events_run(true);
    since_flush_.start();
}

CopyRequest ListAlignment::request_for(const QString& name) const
{
    CopyRequest r = entry_copy(ctx_, list_number_, name);
    r.from_dir = from_dir_;
    r.to_dir = to_dir_;
    return r;
}

// Copies one entry; false when the program is ending.
bool ListAlignment::copy(const QString& name)
{
    CopyRequest request = request_for(name);
    request.flush = false;
    PendingCopy written;
    request.pending = &written;
    const qint64 bytes_before = progress_.bytes_done;
    request.progress = [&](qint64 done) {
        progress_.bytes_done = bytes_before + done;
        let_events_run(false);
    };
    request.before_message = [this] { ctx_.host.show_progress(progress_); };
    const int dates_before = ctx_.dates_not_held;
    Copy_file(ctx_, request);
    request.pending = nullptr;
    request.progress = {};
    if (ctx_.ended) {
        discard(); // the program is ending: nothing more is touched
        return false;
    }
    if (ctx_.copy_ok)
        copied(name, request, written, bytes_before, dates_before);
    return true;
}

// A good copy: its file waits for the batch's flush, or was put in place on its own.
void ListAlignment::copied(
    const QString& name, const CopyRequest& request, const PendingCopy& written, qint64 bytes_before, int dates_before)
{
    ++progress_.files_done;
    const qint64 length = written.valid() ? written.source.length : ctx_.fs.info(request.destination()).value.length;
    progress_.bytes_done = bytes_before + length;
    if (written.valid()) {
        pending_.push_back({ name, request, written });
        pending_bytes_ += length;
        if (pending_bytes_ >= ctx_.flush_after_bytes || since_flush_.elapsed() >= flush_after_ms) {
            flush();
            let_events_run(true);
        }
    } else if (ctx_.dates_not_held == dates_before) // else copied, but its date is not there
        move_to_aligned({ name }); // put in place and flushed on its own
    let_events_run(false);
}

// The window sees the progress and runs its events at most every events_every_ms, and at
// once when `now`: at the start and after every flushed batch.
void ListAlignment::let_events_run(bool now)
{
    if (!now && since_events_.isValid() && since_events_.elapsed() < ctx_.events_every_ms)
        return;
    ctx_.host.show_progress(progress_);
    ctx_.port.process_events();
    since_events_.start();
}

void ListAlignment::discard()
{
    for (const Pending& p : std::as_const(pending_))
        ctx_.fs.discard_copy(p.copy);
}

void ListAlignment::move_to_aligned(const QStringList& names)
{
    if (names.isEmpty() || replaced_)
        return;
    list_.remove_names(names);
    aligned_.add_names(names);
}

void ListAlignment::flush()
{
    if (!pending_.isEmpty() && flush_error_.failed())
        discard(); // after a failed flush nothing more goes in place
    else if (!pending_.isEmpty()) {
        flush_name_ = pending_.last().name;
        flush_error_ = ctx_.fs.sync_volume(to_dir_.path());
        if (flush_error_.failed())
            discard();
        bool placed = false;
        QStringList done;
        for (const Pending& p : std::as_const(pending_)) {
            const int dates_before = ctx_.dates_not_held;
            if (flush_error_.failed() || !Commit_copy(ctx_, p.request, p.copy))
                continue;
            placed = true;
            if (ctx_.dates_not_held == dates_before) // else copied, but its date is not there
                done.push_back(p.name);
        }
        if (placed)
            flush_error_ = ctx_.fs.sync_dir(to_dir_.path());
        move_to_aligned(done);
    }
    pending_.clear();
    pending_bytes_ = 0;
    since_flush_.restart();
}

void ListAlignment::finish(bool focus_exit)
{
    const bool batch = !pending_.isEmpty();
    flush();
    if (batch)
        let_events_run(true);
    else
        ctx_.host.show_progress(progress_);
    progress_.visible = false;
    ctx_.host.show_progress(progress_);
    if (flush_error_.failed()) {
        ctx_.copy_ok = false;
        ctx_.port.set_busy(false);
        ctx_.port.message(transfer_error_text(flush_error_, flush_name_)
                + (flush_error_.number == err_disk_full ? trash_space_note(ctx_.fs, to_dir_.path()) : QString()),
            MsgIcon::Critical);
    }
    if (ctx_.dates_not_held > 0) {
        ctx_.port.set_busy(false);
        ctx_.port.message(QString::number(ctx_.dates_not_held)
                + (ctx_.dates_not_held == 1 ? QStringLiteral(" file was copied whose date")
                                            : QStringLiteral(" files were copied whose dates"))
                + QStringLiteral(" the volume of ") + (to_dir_ == ctx_.dir2 ? u"dir 2" : u"dir 1")
                + QStringLiteral(" cannot keep (FAT and exFAT hold dates from 1980 to 2107 only): copied, but "
                                 "not aligned, so still listed."),
            MsgIcon::Exclamation);
    }
    ctx_.host.clear_free_space_labels();
    ctx_.port.set_busy(false);
    ctx_.host.set_cancel_enabled(false);
    if (focus_exit && !flush_error_.failed())
        ctx_.host.focus_exit();
}

} // namespace

void align_list(TransferContext& ctx, int list_number, const DirPath& from_dir, const DirPath& to_dir)
{
    if (ctx.running || ctx.ended)
        return;
    if (const QString why = compared_dirs_refusal(ctx.fs, ctx.held1.get(), ctx.dir1, ctx.held2.get(), ctx.dir2);
        !why.isEmpty()) {
        ctx.copy_ok = false;
        ctx.port.message(why, MsgIcon::Exclamation);
        return;
    }
    ListAlignment(ctx, list_number, from_dir, to_dir).run();
}

void bot_list_Click(TransferContext& ctx, int list_number)
{
    if (ctx.running || ctx.ended)
        return;
    const bool from_dir1 = list_number == 1 || list_number == 3;
    // Copies of the paths: the panes may change while the alignment lets events run.
    const DirPath from_dir = from_dir1 ? ctx.dir1 : ctx.dir2;
    const DirPath to_dir = from_dir1 ? ctx.dir2 : ctx.dir1;
    align_list(ctx, list_number, from_dir, to_dir);
    if (ctx.ended)
        return;
    // The first button goes on only after a good copy, the others in every case.
    if (list_number != 1 || ctx.copy_ok)
        ctx.host.auto_next();
}
