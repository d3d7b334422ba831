#pragma once
// The machine's disk with chosen folders standing in as its only volumes; a path below none of
// them lies on the volume "/".

#include "platform/Names.h"
#include "platform/Paths.h"
#include "tests/util/FaultyFileSystem.h"

class FakeVolumes : public FaultyFileSystem {
public:
    QVector<Volume> volumes() const override
    {
        QVector<Volume> v;
        for (const QString& r : roots)
            v.push_back({ r, r });
        return v;
    }
    QString volume_root(const QString& path) const override
    {
        for (const QString& r : roots) {
            if (is_same_or_below(path, r))
                return r;
        }
        return QStringLiteral("/");
    }
    bool is_mount_point(const QString& path) const override { return roots.contains(without_final_separator(path)); }

    QStringList roots;
};
