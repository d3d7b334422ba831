#include "transfer/CopyFile.h"

#include "compare/Classification.h"
#include "compare/PairComparison.h"
#include "platform/Shell.h"
#include "platform/UserPort.h"
#include "transfer/Alignment.h"
#include "transfer/TransferContext.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

#include <cerrno>

namespace {

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

// The sentence for an error that comes from what the destination's volume can hold, which no
// second attempt gets past; empty for any other error.
QString volume_limit_reason(const TransferContext& ctx, const CopyRequest& request, const FsError& error)
{
    const QString volume = QStringLiteral("the volume of ") + (request.to_dir == ctx.dir2 ? u"dir 2" : u"dir 1");
    switch (error.os_error) {
    case EROFS:
        return volume + QStringLiteral(" is read-only: nothing can be written there");
    case EFBIG:
        return QStringLiteral("the file is larger than ") + volume
            + QStringLiteral(" can hold in one file (4 GiB on FAT)");
    case ENAMETOOLONG:
        return QStringLiteral("the name is too long for ") + volume;
    case EINVAL:
    case EILSEQ:
        return volume + QStringLiteral(" cannot store this name");
    }
    return {};
}

// Why a copy did not start, for the person; they compare again to see the new state.
QString refusal_reason(const TransferContext& ctx, const CopyResult& r, const CopyRequest& request)
{
    const QString again = QStringLiteral(". Compare again to see the new state.");
    switch (r.refusal) {
    case CopyRefusal::Exists:
        return QStringLiteral("a file named ") + quoted(r.existing) + QStringLiteral(" is already in ")
            + request.to_dir.path() + QStringLiteral(": it appeared there since the comparison, and it is not replaced")
            + again;
    case CopyRefusal::CaseTwin:
        return request.to_dir.path() + QStringLiteral(" holds ") + quoted(r.existing)
            + QStringLiteral(", whose name differs only in case: a second file of that name is not made beside it")
            + again;
    case CopyRefusal::Changed:
        return QStringLiteral("the file in ") + request.to_dir.path()
            + QStringLiteral(" is no longer the older copy: it changed or went away since the comparison, and it is "
                             "left as it is")
            + again;
    case CopyRefusal::EditedMeanwhile:
        return QStringLiteral("the file in ") + request.to_dir.path()
            + QStringLiteral(" changed while the copy ran: that edit is kept and the copy is dropped") + again;
    case CopyRefusal::NameRefused:
        return volume_limit_reason(ctx, request, r.error);
    case CopyRefusal::SameFile:
    case CopyRefusal::None:
        break;
    }
    return QStringLiteral("source and destination are the same file");
}

void unable_to_copy(TransferContext& ctx, const CopyRequest& request, const QString& note)
{
    if (request.before_message)
        request.before_message();
    ctx.port.set_busy(false);
    QString text = QStringLiteral("Unable to copy file ") + quoted(request.source());
    if (!note.isEmpty())
        text += QStringLiteral(" (") + note + u')';
    ctx.port.message(text);
    ctx.port.set_busy(true);
    ctx.copy_ok = false;
}

void fatal(TransferContext& ctx, const CopyRequest& request, const FsError& error)
{
    QString text = report_error_text(error) + QStringLiteral("\r\nFile: ") + request.source();
    if (error.number == err_disk_not_ready && !error.path.isEmpty()) {
        const bool dir2 = error.path.startsWith(ctx.dir2.path())
            && (!error.path.startsWith(ctx.dir1.path()) || ctx.dir2.path().size() > ctx.dir1.path().size());
        text = report_error_text(make_error(err_disk_not_ready)) + QStringLiteral(": the volume of ")
            + (dir2 ? u"dir 2" : u"dir 1") + QStringLiteral(" went away\r\nFile: ") + error.path;
    }
    if (error.number == err_disk_full)
        text += trash_space_note(ctx.fs, request.to_dir.path());
    if (request.before_message)
        request.before_message();
    ctx.port.message(text);
    ctx.copy_ok = false;
    ctx.ended = true;
    ctx.port.end_program(1);
}

CopyOptions options_for(const TransferContext& ctx, const CopyRequest& request)
{
    CopyOptions o;
    o.replace = request.kind == CopyKind::Replacing;
    o.flush = request.flush;
    o.defer = request.pending != nullptr;
    if (o.replace) {
        const bool ignore = ctx.host.ignore_one_hour_diff();
        o.may_replace = [ignore](const FileInfo& source, const FileInfo& there) {
            return classify_pair(source.length, source.mtime, there.length, there.mtime, ignore)
                == PairClass::NewerInDir1;
        };
    }
    const bool* abandon = &ctx.abandon;
    o.progress = [abandon, progress = request.progress](qint64 done) {
        if (progress)
            progress(done);
        return !*abandon;
    };
    return o;
}

// The outside copy of attempts 3 and 4, into a temporary name that is put in place by the same
// rules as the first attempts once it proves complete. False when the copy could not be started.
bool outside_copy(TransferContext& ctx, const CopyRequest& request, const QString& program, const QString& temp)
{
    return ctx.shell
        && ctx.shell->start_detached(
            program, { QStringLiteral("-p"), QStringLiteral("--"), request.source(), request.to_dir.file(temp) });
}

} // namespace

CopyRequest entry_copy(const TransferContext& ctx, int list_number, const QString& name)
{
    CopyRequest r;
    const bool from_dir1 = list_number == 1 || list_number == 3;
    r.from_dir = from_dir1 ? ctx.dir1 : ctx.dir2;
    r.to_dir = from_dir1 ? ctx.dir2 : ctx.dir1;
    r.kind = list_number <= 2 ? CopyKind::OnlyIn : CopyKind::Replacing;
    r.from_name = r.to_name = name;
    // Entries of lists 3 and 4 are spelled as in dir 1; their dir-2 file may differ in case.
    if (list_number == 3)
        r.to_name = ctx.fs.resolve_case(ctx.dir2.path(), name);
    else if (list_number == 4)
        r.from_name = ctx.fs.resolve_case(ctx.dir2.path(), name);
    return r;
}

void Copy_file(TransferContext& ctx, const CopyRequest& request)
{
    ctx.copy_ok = true;
    QString copy_note;

    if (same_directory(ctx.fs, request.from_dir.path(), request.to_dir.path())) {
        unable_to_copy(ctx, request, QStringLiteral("source and destination are the same directory"));
        return;
    }
    const CopyOptions options = options_for(ctx, request);
    if (request.pending)
        *request.pending = {};
    auto attempt = [&] {
        CopyResult r = ctx.fs.copy_into(request.source(), request.to_dir.path(), request.to_name, options);
        if (r.ok() && request.pending)
            *request.pending = r.pending;
        return r;
    };
    // A refusal is not a failure to retry: the destination is not what the copy may touch.
    auto settled = [&](const CopyResult& r) {
        if (r.ok()) {
            ctx.dates_not_held += r.date_not_held ? 1 : 0;
            return true;
        }
        if (r.abandoned) {
            ctx.copy_ok = false;
            return true;
        }
        if (r.refusal != CopyRefusal::None) {
            unable_to_copy(ctx, request, refusal_reason(ctx, r, request));
            return true;
        }
        if (const QString reason = volume_limit_reason(ctx, request, r.error); !reason.isEmpty()) {
            unable_to_copy(ctx, request, reason);
            return true;
        }
        return false;
    };

    CopyResult r = attempt();
    if (settled(r))
        return;
    bool source_changing = r.source_changed;
    if (r.error.number == err_permission_denied)
        copy_note = report_error_text(r.error) + QStringLiteral("\r\nFile: ") + request.source()
            + QStringLiteral(" may be open");

    r = attempt();
    if (settled(r))
        return;
    // A file being written to is copied by nobody: the outside copy would only catch it half done.
    if (source_changing || r.source_changed) {
        unable_to_copy(ctx, request, QStringLiteral("it changed while it was copied; try again once it is complete"));
        return;
    }
    const int n = r.error.number;
    if (n != err_permission_denied && n != err_path_file_access && n != err_path_not_found && n != err_bad_file_name) {
        fatal(ctx, request, r.error);
        return;
    }

    const QString temp = ctx.fs.temp_name();
    const Result<FileInfo> before = ctx.fs.info(request.source());
    if (!outside_copy(ctx, request, QStringLiteral("cp"), temp)
        && !outside_copy(ctx, request, QStringLiteral("/bin/cp"), temp)) {
        fatal(ctx, request, make_error(err_file_not_found));
        return;
    }
    ctx.host.wait(1);

    const QString written = request.to_dir.file(temp);
    const Result<FileInfo> source = ctx.fs.info(request.source());
    const Result<FileInfo> copy = ctx.fs.info(written);
    // The outside copy is of one version only when the source is the same file, untouched, after it.
    const bool unchanged = before.ok() && source.ok() && before.value.device == source.value.device
        && before.value.inode == source.value.inode && before.value.length == source.value.length
        && before.value.mtime_ns == source.value.mtime_ns && before.value.ctime_ns == source.value.ctime_ns;
    if (unchanged && copy.ok() && copy.value.length == source.value.length
        && Copy_completed(ctx.fs, request.source(), written)) {
        // Flushed on its own: what the outside copy wrote is put in place now.
        CopyOptions placed = options;
        placed.flush = true;
        r = ctx.fs.place_file(request.to_dir.path(), temp, request.to_name, source.value, placed);
        if (settled(r))
            return;
    } else {
        // A copy still under way writes on into a file without a name, which goes when it ends.
        ctx.fs.remove_file(written);
    }
    unable_to_copy(ctx, request, copy_note);
}

bool Commit_copy(TransferContext& ctx, const CopyRequest& request, const PendingCopy& pending)
{
    const CopyResult r = ctx.fs.commit_copy(pending, options_for(ctx, request));
    if (r.ok()) {
        ctx.dates_not_held += r.date_not_held ? 1 : 0;
        return true;
    }
    QString note
        = r.refusal != CopyRefusal::None ? refusal_reason(ctx, r, request) : volume_limit_reason(ctx, request, r.error);
    unable_to_copy(ctx, request, note.isEmpty() ? report_error_text(r.error) : note);
    return false;
}

bool Copy_completed(const FileSystem& fs, const QString& source, const QString& destination)
{
    const Result<FileInfo> d = fs.info(destination);
    const Result<FileInfo> s = fs.info(source);
    if (!d.ok() || !s.ok())
        return false;
    const qint64 seconds = d.value.mtime - s.value.mtime;
    return (seconds < 0 ? -seconds : seconds) <= 4;
}

void Wait_seconds(UserPort& port, double seconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.nsecsElapsed() < qint64(seconds * 1e9)) {
        port.process_events();
        QThread::msleep(10);
    }
}
