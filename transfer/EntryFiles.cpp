#include "transfer/EntryFiles.h"

#include "platform/FileSystem.h"

FsError delete_entry_file(FileSystem& fs, const QString& dir, const QString& name, bool to_trash, Spelling spelling)
{
    return fs.remove_entry(dir, name, spelling == Spelling::OtherSide, to_trash);
}
