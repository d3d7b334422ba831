#include "transfer/EntryFiles.h"

#include "platform/FileSystem.h"
#include "platform/HeldDir.h"
#include "platform/Paths.h"
#include "platform/UserPort.h"

FsError delete_entry_file(
    FileSystem& fs, const DirPath& dir, const QString& name, bool to_trash, Spelling spelling, UserPort* port)
{
    const bool any_case = spelling == Spelling::OtherSide;
    FsError e = fs.remove_entry(dir.path(), name, any_case, to_trash);
    if (!e.no_trash)
        return e;
    // Nothing is deleted for good without the person saying so.
    const QString question = e.path + QStringLiteral(": ") + e.description + QStringLiteral(".\nDelete it for good?");
    if (port && port->ask(question, MsgButtons::YesNo, Answer::No, MsgIcon::Exclamation) == Answer::Yes)
        return fs.remove_entry(dir.path(), name, any_case, false);
    e.description = QStringLiteral("Not deleted: no trash can take it");
    return e;
}

QString same_file_refusal(
    const FileSystem& fs, const DirPath& dir, const QString& name, const DirPath& keep_dir, const QString& keep_name)
{
    const Result<FileInfo> gone = fs.info(dir.file(name));
    const Result<FileInfo> kept = fs.info(keep_dir.file(keep_name));
    if (!gone.ok() || !kept.ok() || gone.value.device != kept.value.device || gone.value.inode != kept.value.inode)
        return {};
    return dir.file(name) + QStringLiteral(" is not deleted: it is the same file as ") + keep_dir.file(keep_name)
        + QStringLiteral(" (a link or a second name), so it has no other copy and would be lost.");
}

QString compared_dirs_refusal(
    const FileSystem& fs, const HeldDir* held1, const DirPath& dir1, const HeldDir* held2, const DirPath& dir2)
{
    const HeldDir* held[] = { held1, held2 };
    const QString* dir[] = { &dir1.path(), &dir2.path() };
    for (int side = 0; side < 2; ++side)
        if (held[side] && held[side]->path() == *dir[side] && !fs.still_names(*held[side])) {
            // A path longer than the system takes cannot be checked at all: comparing again would
            // not help, so that is what is said.
            if (path_too_long(*dir[side]))
                return QStringLiteral("Path is too long for this system: ") + *dir[side];
            return QStringLiteral("dir %1 is no longer the directory that was compared; compare again").arg(side + 1);
        }
    return {};
}
