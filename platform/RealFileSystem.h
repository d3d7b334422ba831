#pragma once
// The file system of the machine, through POSIX calls.

#include "platform/FileSystem.h"

#include <cstddef>

class RealFileSystem : public FileSystem {
public:
    Result<QVector<DirEntry>> list(const QString& dir, EntryKind kind, bool include_hidden) const override;
    Result<QVector<NamedEntry>> list_names(const QString& dir) const override;
    Result<FileInfo> info(const QString& path) const override;
    Result<bool> exists(const QString& path) const override;
    bool dir_exists(const QString& path) const override;
    QString resolve_case(const QString& dir, const QString& name) const override;

    FsError copy_file(const QString& from, const QString& to) override;
    FsError remove_file(const QString& path) override;
    FsError remove_entry(const QString& dir, const QString& name, bool any_case, bool to_trash) override;
    FsError make_dir(const QString& path) override;
    FsError remove_dir(const QString& path) override;
    FsError rename(const QString& from, const QString& to) override;

    Result<QByteArray> read_file(const QString& path) const override;
    Result<QByteArray> read_file_head(const QString& path, qint64 max_bytes) const override;
    FsError write_file(const QString& path, const QByteArray& data) override;
    FsError append_file(const QString& path, const QByteArray& data) override;

    QVector<Volume> volumes() const override;
    QString volume_root(const QString& path) const override;
    QString current_dir() const override;

protected:
    // Every byte the program writes into a file goes through here: `offset` is the position of
    // `data` in the file being written. Returns 0 or an errno value. Tests override it to make a
    // device fail part-way.
    virtual int write_bytes(int fd, const char* data, std::size_t size, qint64 offset);
};
