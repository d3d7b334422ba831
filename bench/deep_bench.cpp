// Timing of the tree walk on deep trees, as the window runs it.
//
// Builds two identical trees that are one chain of N directories (one file in each) and runs the
// tree comparison through the main controller, with both directory panes shown by their widgets
// (offscreen), from "compare trees" to "End of tree comparison.". Prints the seconds for 500, 1000,
// 2000 and 3000 levels (or the depths given on the command line), so that the growth with the
// depth shows. The deeper chains have paths longer than a system call takes (PATH_MAX): the walk
// reaches them all the same, from the directories it holds open. A chain of 3000 levels makes one
// pair more than a tree comparison takes: its deepest level is left out, as said.

#include "app/MainController.h"
#include "app/TreeCommands.h"
#include "bench/BenchSupport.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/UserPort.h"
#include "tree/TreeScan.h"
#include "ui/DirPaneWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct NoSettings final : SettingsStore {
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override { }
};

// A chain of `levels` directories below `root`, each holding one file, made by descriptor one level
// below the other (mkdirat, openat), so that building it costs no path lookup of its depth.
bool build_chain(const QString& root, int levels)
{
    int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < levels && fd >= 0; ++i) {
        const int file = ::openat(fd, "d.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const timespec when[2] = { { 1'700'000'000, 0 }, { 1'700'000'000, 0 } };
        const bool made = file >= 0 && ::write(file, "x\n", 2) == 2 && ::futimens(file, when) == 0;
        if (file >= 0)
            ::close(file);
        const int next = made && ::mkdirat(fd, "d", 0755) == 0
            ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
            : -1;
        ::close(fd);
        fd = next;
    }
    return fd >= 0 && ::close(fd) == 0;
}

// Removes the chain below `root` by descriptor, deepest level first.
void remove_chain(const QString& root, int levels)
{
    std::vector<int> fds { ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) };
    for (int i = 0; i < levels && fds.back() >= 0; ++i)
        fds.push_back(::openat(fds.back(), "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    for (size_t i = fds.size(); i-- > 0;) {
        if (fds[i] < 0)
            continue;
        ::unlinkat(fds[i], "d.txt", 0);
        if (i + 1 < fds.size())
            ::unlinkat(fds[i], "d", AT_REMOVEDIR);
        ::close(fds[i]);
    }
}

// Seconds for one whole walk of two identical chains of `levels` directories; negative on failure.
double walk_seconds(const QString& base, int levels)
{
    const QString one = base + QStringLiteral("/one");
    const QString two = base + QStringLiteral("/two");
    if (!QDir().mkpath(one) || !QDir().mkpath(two) || !build_chain(one, levels) || !build_chain(two, levels))
        return -1;
    // The chains go whatever the walk's outcome.
    const auto cleanup = qScopeGuard([&] {
        remove_chain(one, levels);
        remove_chain(two, levels);
        QDir(base).removeRecursively();
    });

    RealFileSystem fs;
    WindowlessPort port;
    NoSettings settings;
    Trace trace(fs, port, base);
    MainController controller(fs, port, settings, trace);
    TreeCommands tree(controller, fs, port, nullptr);
    QWidget window;
    DirPaneWidget pane1(controller.pane(1), 1, &window);
    DirPaneWidget pane2(controller.pane(2), 2, &window);
    if (controller.pane(1).set_path(one) || controller.pane(2).set_path(two))
        return -1;

    QElapsedTimer t;
    t.start();
    tree.bot_compare_tree_Click();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    QStringList expected { QStringLiteral("End of tree comparison.") };
    if (levels >= max_branch_pairs)
        expected.prepend(branch_limit_message());
    if (port.said != expected) {
        std::fprintf(stderr, "the walk said: %s\n", qPrintable(port.said.join(QStringLiteral(" | "))));
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> depths;
    for (int i = 1; i < argc; ++i)
        depths << QString::fromLocal8Bit(argv[i]).toInt();
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/dp-XXXXXX"));
    if (depths.isEmpty())
        depths = { 500, 1000, 2000, 3000 };
    for (int levels : depths) {
        const double s = walk_seconds(tmp.path() + QStringLiteral("/%1").arg(levels, 5, 10, QLatin1Char('0')), levels);
        if (s < 0) {
            std::fprintf(stderr, "the walk of %d levels could not be run\n", levels);
            return 2;
        }
        std::printf("%5d levels: %8.2f s\n", levels, s);
        std::fflush(stdout);
    }
    return 0;
}
