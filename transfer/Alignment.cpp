#include "transfer/Alignment.h"

#include "compare/FileListsModel.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "transfer/CopyFile.h"
#include "transfer/EntryFiles.h"
#include "transfer/TransferContext.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QScopeGuard>

namespace {

// New files wait for one flush of the volume, at the latest after this long, before their entries
// count as aligned.
constexpr qint64 flush_after_ms = 3000;

} // namespace

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
    const TransferRun running(ctx);
    FileListModel& list = ctx.lists.list(list_number);
    FileListModel& aligned = ctx.lists.list(5);
    // What is copied is what was chosen at the press: clicks in the list while the copies let
    // window events run change nothing of it.
    const QStringList chosen = list.any_selected() ? list.selected_names() : list.names();

    ctx.port.set_busy(true);
    ctx.cancel.reset();
    ctx.dates_not_held = 0;
    ctx.host.set_cancel_enabled(true);

    // Lists filled anew while events run (a comparison, a pane change) are not this alignment's
    // any more: it stops rather than copy entries nobody chose.
    bool replaced = false;
    const auto watch_list = QObject::connect(&list, &QAbstractItemModel::modelReset, [&] { replaced = true; });
    const auto watch_aligned = QObject::connect(&aligned, &QAbstractItemModel::modelReset, [&] { replaced = true; });
    // On every way out, also when the program ends: the watches write to this frame.
    const auto unwatch = qScopeGuard([&] {
        QObject::disconnect(watch_list);
        QObject::disconnect(watch_aligned);
    });

    auto request_for = [&](const QString& name) {
        CopyRequest r = entry_copy(ctx, list_number, name);
        r.from_dir = from_dir;
        r.to_dir = to_dir;
        return r;
    };

    AlignProgress progress;
    progress.visible = true;
    progress.files_total = int(chosen.size());
    for (const QString& name : chosen)
        progress.bytes_total += ctx.fs.info(request_for(name).source()).value.length;

    // The window sees the progress and runs its events at most every events_every_ms, and at
    // once when `now`: at the start and after every flushed batch.
    QElapsedTimer since_events;
    auto let_events_run = [&](bool now) {
        if (!now && since_events.isValid() && since_events.elapsed() < ctx.events_every_ms)
            return;
        ctx.host.show_progress(progress);
        ctx.port.process_events();
        since_events.start();
    };
    let_events_run(true);

    // Copies reach the device in batches: their files are written under temporary names, the
    // volume is flushed once for all of them, and only then are they put in place and their
    // directory flushed. A failed flush removes the batch's files and leaves every older copy as
    // it was. The batch's entries move to the aligned list together once their files are in place.
    struct Pending {
        QString name; // the entry
        CopyRequest request;
        PendingCopy copy;
    };
    QVector<Pending> pending;
    qint64 pending_bytes = 0;
    QElapsedTimer since_flush;
    since_flush.start();
    FsError flush_error;
    QString flush_name;
    auto discard = [&] {
        for (const Pending& p : std::as_const(pending))
            ctx.fs.discard_copy(p.copy);
    };
    auto move_to_aligned = [&](const QStringList& names) {
        if (names.isEmpty() || replaced)
            return;
        list.remove_names(names);
        aligned.add_names(names);
    };
    auto flush = [&]() {
        if (!pending.isEmpty() && flush_error.failed())
            discard(); // after a failed flush nothing more goes in place
        else if (!pending.isEmpty()) {
            flush_name = pending.last().name;
            flush_error = ctx.fs.sync_volume(to_dir.path());
            if (flush_error.failed())
                discard();
            bool placed = false;
            QStringList done;
            for (const Pending& p : std::as_const(pending)) {
                const int dates_before = ctx.dates_not_held;
                if (flush_error.failed() || !Commit_copy(ctx, p.request, p.copy))
                    continue;
                placed = true;
                if (ctx.dates_not_held == dates_before) // else copied, but its date is not there
                    done.push_back(p.name);
            }
            if (placed)
                flush_error = ctx.fs.sync_dir(to_dir.path());
            move_to_aligned(done);
        }
        pending.clear();
        pending_bytes = 0;
        since_flush.restart();
    };
    auto finish = [&](bool focus_exit) {
        const bool batch = !pending.isEmpty();
        flush();
        if (batch)
            let_events_run(true);
        else
            ctx.host.show_progress(progress);
        progress.visible = false;
        ctx.host.show_progress(progress);
        if (flush_error.failed()) {
            ctx.copy_ok = false;
            ctx.port.set_busy(false);
            ctx.port.message(transfer_error_text(flush_error, flush_name)
                    + (flush_error.number == err_disk_full ? trash_space_note(ctx.fs, to_dir.path()) : QString()),
                MsgIcon::Critical);
        }
        if (ctx.dates_not_held > 0) {
            ctx.port.set_busy(false);
            ctx.port.message(QString::number(ctx.dates_not_held)
                    + (ctx.dates_not_held == 1 ? QStringLiteral(" file was copied whose date")
                                               : QStringLiteral(" files were copied whose dates"))
                    + QStringLiteral(" the volume of ") + (to_dir == ctx.dir2 ? u"dir 2" : u"dir 1")
                    + QStringLiteral(" cannot keep (FAT and exFAT hold dates from 1980 to 2107 only): copied, but "
                                     "not aligned, so still listed."),
                MsgIcon::Exclamation);
        }
        ctx.host.clear_free_space_labels();
        ctx.port.set_busy(false);
        ctx.host.set_cancel_enabled(false);
        if (focus_exit && !flush_error.failed())
            ctx.host.focus_exit();
    };

    for (const QString& name : chosen) {
        if (replaced)
            break;
        CopyRequest request = request_for(name);
        request.flush = false;
        PendingCopy written;
        request.pending = &written;
        const qint64 bytes_before = progress.bytes_done;
        request.progress = [&](qint64 done) {
            progress.bytes_done = bytes_before + done;
            let_events_run(false);
        };
        request.before_message = [&] { ctx.host.show_progress(progress); };
        const int dates_before = ctx.dates_not_held;
        Copy_file(ctx, request);
        request.pending = nullptr;
        request.progress = {};
        if (ctx.ended) {
            discard(); // the program is ending: nothing more is touched
            return;
        }
        if (ctx.copy_ok) {
            ++progress.files_done;
            const qint64 length
                = written.valid() ? written.source.length : ctx.fs.info(request.destination()).value.length;
            progress.bytes_done = bytes_before + length;
            if (written.valid()) {
                pending.push_back({ name, request, written });
                pending_bytes += length;
                if (pending_bytes >= ctx.flush_after_bytes || since_flush.elapsed() >= flush_after_ms) {
                    flush();
                    let_events_run(true);
                }
            } else if (ctx.dates_not_held == dates_before) // else copied, but its date is not there
                move_to_aligned({ name }); // put in place and flushed on its own
            let_events_run(false);
        }
        ctx.port.set_busy(true);
        if (ctx.cancel.requested() || flush_error.failed()) {
            finish(false);
            return;
        }
    }
    finish(true);
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
