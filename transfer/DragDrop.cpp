#include "transfer/DragDrop.h"

#include "compare/FileListsModel.h"
#include "compare/PairComparison.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "transfer/Alignment.h"
#include "transfer/CopyFile.h"
#include "transfer/EntryFiles.h"
#include "transfer/TransferContext.h"

namespace {

// Dropping on list 1 makes the file exist in dir 1 only, on list 2 in dir 2 only, on list 5 in
// both; lists 3 and 4 take no drops.
constexpr DropRule transfer_matrix[] = {
    { 2, 1, DropAction::Move, 2 },
    { 3, 1, DropAction::DeleteOnly, 2 },
    { 4, 1, DropAction::DeleteOnly, 2 },
    { 5, 1, DropAction::DeleteOnly, 2 },
    { 1, 2, DropAction::Move, 1 },
    { 3, 2, DropAction::DeleteOnly, 1 },
    { 4, 2, DropAction::DeleteOnly, 1 },
    { 5, 2, DropAction::DeleteOnly, 1 },
    { 1, 5, DropAction::Copy, 1 },
    { 2, 5, DropAction::Copy, 2 },
    { 3, 5, DropAction::Copy, 1 },
    { 4, 5, DropAction::Copy, 2 },
};

} // namespace

DropRule drop_rule(int source, int target)
{
    for (const DropRule& rule : transfer_matrix)
        if (rule.source == source && rule.target == target)
            return rule;
    return { source, target, DropAction::Refused, 0 };
}

void list_drag_drop(TransferContext& ctx, int source, int target, const QString& name)
{
    const DropRule rule = drop_rule(source, target);
    if (rule.action == DropAction::Refused || name.isEmpty() || ctx.running || ctx.ended)
        return;
    FileListModel& from_list = ctx.lists.list(source);
    FileListModel& to_list = ctx.lists.list(target);
    // An entry that left its list while the drag was under way stands for nothing any more.
    if (from_list.index_of(name) < 0)
        return;
    const TransferRun running(ctx);
    ctx.port.set_busy(true);
    auto done = [&] { ctx.port.set_busy(false); };
    auto tell = [&](const QString& text) {
        done();
        ctx.port.message(text, MsgIcon::Exclamation);
    };
    auto refuse = [&](const QString& why) { tell(name + u' ' + why); };
    auto error = [&](const FsError& e) {
        done();
        ctx.port.message(transfer_error_text(e, name), MsgIcon::Critical);
    };
    if (const QString why = compared_dirs_refusal(ctx.fs, ctx.held1.get(), ctx.dir1, ctx.held2.get(), ctx.dir2);
        !why.isEmpty())
        return tell(why);
    // The same directory twice: deleting "the other copy" would delete the only one.
    if (rule.action != DropAction::Copy && same_directory(ctx.fs, ctx.dir1.path(), ctx.dir2.path()))
        return refuse(QStringLiteral("is left where it is: dir 1 and dir 2 are the same directory, so it has no "
                                     "other copy and would be lost."));

    switch (rule.action) {
    case DropAction::Copy:
        Copy_file(ctx, entry_copy(ctx, source, name));
        if (ctx.ended)
            return;
        ctx.host.clear_free_space_labels();
        if (ctx.copy_ok) {
            from_list.remove(name);
            to_list.add(name);
        }
        break;
    case DropAction::Move: {
        const CopyRequest request = entry_copy(ctx, source, name);
        Copy_file(ctx, request);
        if (ctx.ended)
            return;
        ctx.host.clear_free_space_labels();
        if (!ctx.copy_ok)
            break;
        // Only now that the copy is complete and on the device, and only when it is another file.
        if (const QString why
            = same_file_refusal(ctx.fs, request.from_dir, request.from_name, request.to_dir, request.to_name);
            !why.isEmpty())
            return tell(why);
        to_list.add(name);
        if (const FsError e = delete_entry_file(
                ctx.fs, request.from_dir, request.from_name, ctx.host.delete_to_trash(), Spelling::ThisSide, &ctx.port))
            return error(e);
        from_list.remove(name);
        break;
    }
    case DropAction::DeleteOnly: {
        const DirPath& delete_dir = rule.side == 1 ? ctx.dir1 : ctx.dir2;
        const DirPath& keep_dir = rule.side == 1 ? ctx.dir2 : ctx.dir1;
        const Result<FileInfo> kept = ctx.fs.info(keep_dir.file(ctx.fs.resolve_case(keep_dir.path(), name)));
        if (!kept.ok() || !kept.value.is_file)
            return refuse(QStringLiteral("is not deleted: its other copy in ") + keep_dir.path()
                + QStringLiteral(" is no longer there. Compare again to see the new state."));
        // Entries of lists 3 to 5 are spelled as in dir 1.
        const Spelling spelling = rule.side == 1 ? Spelling::ThisSide : Spelling::OtherSide;
        const QString delete_name = rule.side == 1 ? name : ctx.fs.resolve_case(delete_dir.path(), name);
        const QString keep_name = rule.side == 1 ? ctx.fs.resolve_case(keep_dir.path(), name) : name;
        if (const QString why = same_file_refusal(ctx.fs, delete_dir, delete_name, keep_dir, keep_name); !why.isEmpty())
            return tell(why);
        if (const FsError e
            = delete_entry_file(ctx.fs, delete_dir, name, ctx.host.delete_to_trash(), spelling, &ctx.port))
            return error(e);
        ctx.host.clear_free_space_labels();
        from_list.remove(name);
        to_list.add(name);
        break;
    }
    case DropAction::Refused:
        break;
    }
    done();
}
