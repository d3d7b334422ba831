#pragma once
// A pair of real temporary directories with everything the transfer commands work with: the
// failing file system, a scripted port, the five lists, a recording window and a shell whose
// outside copies a test decides.

#include "compare/FileListsModel.h"
#include "tests/util/AsNobody.h"
#include "tests/util/FakeShell.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/RecordingHost.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "transfer/TransferContext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

struct TransferPair {
    QTemporaryDir tmp;
    DirPath dir1 { tmp.path() + QStringLiteral("/one") };
    DirPath dir2 { tmp.path() + QStringLiteral("/two") };
    FaultyFileSystem fs;
    ScriptedPort port;
    FileListsModel lists;
    FakeShell shell;
    std::shared_ptr<const HeldDir> held1, held2;
    CancelToken cancel;
    RecordingHost host;
    TransferContext ctx { fs, port, lists, dir1, dir2, held1, held2, cancel, host, &shell };
    bool& copy_ok = ctx.copy_ok;

    TransferPair() { make_tree(tmp.path(), { QStringLiteral("one"), QStringLiteral("two") }); }

    QString path(int side, const QString& name) const { return (side == 1 ? dir1 : dir2).file(name); }
    bool put(int side, const QString& name, const QByteArray& content, qint64 mtime)
    {
        return make_file(path(side, name), content, mtime);
    }
    QByteArray read(int side, const QString& name) const
    {
        QFile f(path(side, name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    qint64 mtime(int side, const QString& name) const { return fs.info(path(side, name)).value.mtime; }
    QStringList on_disk(int side) const { return entries((side == 1 ? dir1 : dir2).path()); }
};
