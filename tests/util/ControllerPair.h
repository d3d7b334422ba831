#pragma once
// The window's logic on temporary directories "one" and "two", wired as the program wires it, on
// a file system with faults on request, a scripted port, settings in memory and a shell that opens nothing.

#include "app/HistoryCommands.h"
#include "app/MainController.h"
#include "app/TreeCommands.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "tests/util/FakeShell.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

struct MemorySettings : SettingsStore {
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QHash<QString, QString> values;
};

struct ControllerPair : ReportView {
    static constexpr qint64 t0 = 1700000000;

    QTemporaryDir tmp;
    QString dir1 = tmp.path() + QStringLiteral("/one");
    QString dir2 = tmp.path() + QStringLiteral("/two");
    QString history_file = tmp.path() + QStringLiteral("/his.tmp");
    FaultyFileSystem fs;
    ScriptedPort port;
    MemorySettings settings;
    FakeShell shell;
    Trace trace { fs, port, tmp.path() };
    MainController controller { fs, port, settings, trace };
    HistoryCommands history { controller, fs, port };
    TreeCommands tree { controller, fs, port, &history };
    const TreeWalk& walk = tree.walk();
    FileListsModel& lists = controller.lists();
    QStringList reports; // every branch report shown
    // What the person does while a report is up; emptying it is "cancel operation".
    std::function<void(QString& report)> on_report = [](QString&) {};

    ControllerPair()
    {
        QDir().mkpath(dir1);
        QDir().mkpath(dir2);
        controller.set_shell(&shell);
        controller.set_history(&history);
        controller.set_tree(&tree);
        history.store().set_files(history_file);
        tree.set_report_view(this);
    }
    void show_report(QString& report) override
    {
        reports << report;
        on_report(report);
    }

    // The program started with `command_line`, as from the shell.
    void start(const QString& command_line) { controller.Main(command_line, history_file); }
    // The window loaded with `command_line`, the history where the program keeps it.
    bool load(const QString& command_line) { return controller.form_load(command_line, history_file); }
    QString pair(const QString& separator = QStringLiteral(" | ")) const { return dir1 + separator + dir2; }
    QString pane(int n) { return controller.pane(n).Path(); }
    // The same file, with the same date, on both sides (`rel` begins with "/").
    bool same(const QString& rel) { return make_file(dir1 + rel, "x", t0) && make_file(dir2 + rel, "x", t0); }
    // The folders `rels` (each beginning with "/") on both sides.
    bool dirs(const QStringList& rels) { return make_tree(dir1, rels) && make_tree(dir2, rels); }
    // Nothing runs: the window shown, no hourglass, no progress box.
    bool idle() const { return port.main_window_visible() && !port.busy && !port.progress_up; }
};
