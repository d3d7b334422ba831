#pragma once
// Stand-ins for the settings store and the shell: nothing is stored, nothing is started, and what
// the shell was asked to do is recorded.

#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <QStringList>

class NoSettings : public SettingsStore {
public:
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override { }
};

class RecordingShell : public Shell {
public:
    bool open_url(const QString&) override { return true; }
    bool open_path(const QString& path) override
    {
        opened << path;
        return true;
    }
    bool start_detached(const QString&, const QStringList&) override { return true; }
    void beep() override { ++beeps; }

    QStringList opened;
    int beeps = 0;
};
