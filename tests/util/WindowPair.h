#pragma once
// The real main window on a pair of temporary directories, its settings kept in memory.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "tests/util/FakeShell.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct MemorySettings : SettingsStore {
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QHash<QString, QString> values;
};

struct WindowPair {
    QTemporaryDir tmp;
    QString dir1 = tmp.path() + QStringLiteral("/one/");
    QString dir2 = tmp.path() + QStringLiteral("/two/");
    RealFileSystem fs;
    ScriptedPort port;
    MemorySettings settings;
    FakeShell shell;
    Trace trace { fs, port, tmp.path() };
    std::unique_ptr<MainController> controller;
    std::unique_ptr<MainWindow> window; // goes before the controller

    WindowPair()
    {
        QDir().mkpath(dir1);
        QDir().mkpath(dir2);
    }
    // A new window, shown, with `left` and `right` loaded into its panes.
    void open(const QString& left, const QString& right)
    {
        window.reset();
        if (!controller)
            controller = std::make_unique<MainController>(fs, port, settings, trace);
        window = std::make_unique<MainWindow>(*controller, port, shell);
        QVERIFY(controller->form_load(left + QStringLiteral(" | ") + right));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <class T> T* find(const QString& name) const { return window->findChild<T*>(name); }
};
