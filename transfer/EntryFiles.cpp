#include "transfer/EntryFiles.h"

#include "platform/FileSystem.h"

FsError delete_entry_file(FileSystem& fs, const QString& dir, const QString& name, bool to_trash, Spelling spelling)
{
    return fs.remove_entry(dir, name, spelling == Spelling::OtherSide, to_trash);
}

QString same_file_refusal(
    const FileSystem& fs, const QString& dir, const QString& name, const QString& keep_dir, const QString& keep_name)
{
    const Result<FileInfo> gone = fs.info(dir + name);
    const Result<FileInfo> kept = fs.info(keep_dir + keep_name);
    if (!gone.ok() || !kept.ok() || gone.value.device != kept.value.device || gone.value.inode != kept.value.inode)
        return {};
    return dir + name + QStringLiteral(" is not deleted: it is the same file as ") + keep_dir + keep_name
        + QStringLiteral(" (a link or a second name), so it has no other copy and would be lost.");
}
