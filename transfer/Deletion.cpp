#include "transfer/Deletion.h"

#include "compare/FileListsModel.h"
#include "compare/PairComparison.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"
#include "transfer/Alignment.h"
#include "transfer/EntryFiles.h"
#include "transfer/TransferContext.h"

#include <array>

namespace {

// Entries of lists 3 to 5 are spelled as in dir 1; list 2's as in dir 2.
constexpr std::array<DeleteRow, 5> delete_table { {
    { true, false, "dir1", 0 }, // only in dir 1
    { false, true, "dir2", 0 }, // only in dir 2
    { true, false, "dir1", 2 }, // newer in dir 1: the older dir 2 copy remains
    { false, true, "dir2", 1 }, // newer in dir 2: the older dir 1 copy remains
    { true, true, "both directories", 0 }, // aligned
} };

QString no_file_deleted()
{
    return QStringLiteral("No file deleted.");
}

} // namespace

const DeleteRow& delete_row(int list)
{
    return delete_table[size_t(list - 1)];
}

Deletion::Deletion(TransferContext& ctx)
    : ctx_(ctx)
    , fs_(ctx.fs)
    , port_(ctx.port)
    , lists_(ctx.lists)
{
}

DeletionContext Deletion::context() const
{
    return { ctx_.dir1, ctx_.dir2, ctx_.host.skip_delete_confirmations(), ctx_.host.delete_to_trash(), ctx_.held1,
        ctx_.held2 };
}

void Deletion::clear_free_space_labels()
{
    ctx_.host.clear_free_space_labels();
    // Deleted entries take their selection with them: "align selected files" may no longer hold.
    for (int n = 1; n <= 4; ++n)
        lists_.set_align_caption(n);
}

bool Deletion::same_directory_state(const DeletionContext& ctx) const
{
    // The same directory reached another way (a link, a bind mount) also shows in both lists.
    return same_directory(fs_, ctx.dir1.path(), ctx.dir2.path());
}

void Deletion::refill_if_same_directory(const DeletionContext& ctx)
{
    if (same_directory_state(ctx))
        ctx_.host.refill_lists();
}

FsError Deletion::delete_entry(
    int list, const QString& name, const DeletionContext& ctx, bool& deleted, QString& refused)
{
    const DeleteRow& row = delete_row(list);
    const bool one_dir = same_directory_state(ctx);
    FileListModel& source = lists_.list(list);
    // A newer copy deleted in favour of the older one: the older must be another file.
    if (list == 3 || list == 4) {
        const QString name2 = fs_.resolve_case(ctx.dir2.path(), name);
        refused = list == 3 ? same_file_refusal(fs_, ctx.dir1, name, ctx.dir2, name2)
                            : same_file_refusal(fs_, ctx.dir2, name2, ctx.dir1, name);
        if (!refused.isEmpty())
            return {};
    }
    if (row.dir1) {
        if (const FsError e = delete_entry_file(fs_, ctx.dir1, name, ctx.to_trash, Spelling::ThisSide, &port_))
            return e;
        deleted = true;
    }
    // Where both sides are one directory, the dir 1 file was the dir 2 file too.
    if (row.dir2 && !(row.dir1 && one_dir)) {
        const Spelling spelling = list == 2 ? Spelling::ThisSide : Spelling::OtherSide;
        if (const FsError e = delete_entry_file(fs_, ctx.dir2, name, ctx.to_trash, spelling, &port_)) {
            // The dir 1 copy is gone already: the entry is no longer aligned, but only in dir 2.
            if (row.dir1) {
                source.remove(name);
                lists_.list(2).add(fs_.resolve_case(ctx.dir2.path(), name));
            }
            return e;
        }
        deleted = true;
    }
    source.remove(name);
    // The copy left behind keeps its own spelling.
    if (row.moves_to == 2)
        lists_.list(2).add(fs_.resolve_case(ctx.dir2.path(), name));
    else if (row.moves_to == 1)
        lists_.list(1).add(name);
    // Both lists show the one directory: the file has left both.
    if (one_dir && list <= 2)
        lists_.list(3 - list).remove(name);
    return {};
}

bool Deletion::delete_selected(int list_number)
{
    const DeletionContext ctx = context();
    FileListModel& list = lists_.list(list_number);
    const QString place = QString::fromLatin1(delete_row(list_number).place);
    bool deleted = false;
    // Yes answers so far; 9999: stop asking in this call; negative: the skip offer was declined.
    int confirm_count = 0;
    int i = 0;
    while (i < list.count()) {
        const QString name = list.at(i);
        if (!list.selection()->isRowSelected(i) || name.isEmpty()) {
            ++i;
            continue;
        }
        Answer answer = Answer::Yes;
        if (!ctx.skip_confirmations && confirm_count < 9999) {
            port_.set_busy(false);
            answer = port_.ask(
                QStringLiteral("do you want to delete ") + name.toUpper() + QStringLiteral(" from ") + place + u'?',
                MsgButtons::YesNoCancel, Answer::No, MsgIcon::Question);
            if (answer == Answer::Cancel)
                return deleted;
            if (answer == Answer::Yes && ++confirm_count >= 2 && confirm_count < 9999) {
                confirm_count = port_.ask(QStringLiteral("do you want to skip further confirmation requests?"),
                                    MsgButtons::YesNo, Answer::No, MsgIcon::Question)
                        == Answer::Yes
                    ? 9999
                    : -9999;
            }
        }
        port_.set_busy(true);
        if (answer != Answer::Yes) {
            ++i;
            continue;
        }
        bool went = false;
        QString refused;
        const FsError e = delete_entry(list_number, name, ctx, went, refused);
        deleted = deleted || went;
        clear_free_space_labels();
        if (!refused.isEmpty()) {
            port_.message(refused, MsgIcon::Exclamation);
            port_.set_busy(false);
            return deleted;
        }
        if (e) {
            port_.message(QStringLiteral("Error: ") + QString::number(e.number) + QStringLiteral(" - ") + e.description
                + QStringLiteral("\r\nCurrent file: ") + name);
            port_.set_busy(false);
            return deleted;
        }
        // The next entry has moved into position i.
    }
    port_.set_busy(false);
    return deleted;
}

bool Deletion::still_compared(const DeletionContext& ctx)
{
    const QString refused = compared_dirs_refusal(fs_, ctx.held1.get(), ctx.dir1, ctx.held2.get(), ctx.dir2);
    if (!refused.isEmpty())
        port_.message(refused, MsgIcon::Exclamation);
    return refused.isEmpty();
}

void Deletion::bot_delete_Click()
{
    if (!still_compared(context()))
        return;
    bool deleted = false;
    for (int n = 1; n <= FileListsModel::list_count; ++n)
        deleted = delete_selected(n) || deleted;
    if (!deleted)
        port_.message(no_file_deleted());
    else
        refill_if_same_directory(context());
}

void Deletion::m_select_all_Click()
{
    if (popup_list < 1 || popup_list > FileListsModel::list_count)
        return;
    FileListModel& list = lists_.list(popup_list);
    if (list.count() > 0)
        list.selection()->select(
            QItemSelection(list.index(0), list.index(list.count() - 1)), QItemSelectionModel::Select);
}

void Deletion::m_delete_selected_files_Click()
{
    if (!still_compared(context()))
        return;
    const bool deleted = popup_list >= 1 && popup_list <= FileListsModel::list_count && delete_selected(popup_list);
    if (!deleted)
        port_.message(no_file_deleted());
    else
        refill_if_same_directory(context());
}

void Deletion::m_delete_all_files_Click()
{
    m_select_all_Click();
    m_delete_selected_files_Click();
    ctx_.host.auto_next();
}

QString Deletion::drop_error_text(const FsError& error)
{
    // The drop names no file in its disk-full message; every other text is the transfers' own.
    return error.number == err_disk_full ? QStringLiteral("ERROR 61: Disk full") : transfer_error_text(error, {});
}

void Deletion::Text2_DragDrop(int source_list, const QString& name)
{
    // Only an entry the list still shows: a drag may carry a name from another window.
    if (source_list < 1 || source_list > FileListsModel::list_count || name.isEmpty()
        || lists_.list(source_list).index_of(name) < 0)
        return;
    const DeletionContext ctx = context();
    if (!still_compared(ctx))
        return;
    QString question = QStringLiteral("do you want to delete ") + name.toUpper();
    if (source_list == 5)
        question += QStringLiteral("from both directories?");
    else
        question
            += source_list == 1 || source_list == 3 ? QStringLiteral(" from dir 1?") : QStringLiteral(" from dir 2?");
    if (port_.ask(question, MsgButtons::YesNo, Answer::Yes, MsgIcon::None) != Answer::Yes)
        return;
    port_.set_busy(true);
    bool deleted = false;
    QString refused;
    const FsError e = delete_entry(source_list, name, ctx, deleted, refused);
    if (deleted)
        clear_free_space_labels();
    port_.set_busy(false);
    if (!refused.isEmpty()) {
        port_.message(refused, MsgIcon::Exclamation);
        return;
    }
    if (e) {
        port_.message(drop_error_text(e), MsgIcon::Critical);
        return;
    }
    refill_if_same_directory(ctx);
}
