#pragma once
// A shell for tests: it records what it was asked to open or start, opens nothing, and starts a
// program only when the test's on_start says it could.

#include "platform/Shell.h"

#include <QStringList>

#include <functional>

struct FakeShell : Shell {
    // Called for every program started; its answer says whether it could be started.
    std::function<bool(const QString& program, const QStringList& arguments)> on_start;
    QStringList urls, paths; // handed to the browser; opened with their own programs
    QStringList started; // "program arg arg ..."

    bool open_url(const QString& url) override { return urls << url, false; }
    bool open_path(const QString& path) override { return paths << path, false; }
    bool start_detached(const QString& program, const QStringList& arguments) override
    {
        started << (QStringList { program } + arguments).join(u' ');
        return on_start && on_start(program, arguments);
    }
    void beep() override { ++beeps; }
    int beeps = 0;
};
