#include "transfer/EntryFiles.h"

#include "platform/FileSystem.h"

FsError delete_entry_file(FileSystem& fs, const QString& dir, const QString& name, bool to_trash)
{
    Q_UNUSED(to_trash);
    return fs.remove_file(dir + fs.resolve_case(dir, name));
}
