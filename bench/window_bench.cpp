// Timing and memory of the window's comparison of two large directories.
//
// Builds two directories of 100000 plain files each (or the number given as the only argument; or
// takes the two directories given) and runs, each in a fresh process of this program so that its
// peak memory is its own:
//   (o) opening the pair: both panes moved to the two directories, as a history entry or the
//       command line does, with the plain view of their files in lists 1 and 2;
//   (c) "compare dir's" pressed in the real (offscreen) window, to the five lists filled.
// Prints the median time of each and the process's peak resident memory (getrusage) after it and
// before the pair is opened, beside the median of `rsync -n -i -d` on the same pair in the
// same run, as the reference that says how loaded the machine was.

#include "app/MainController.h"
#include "bench/BenchSupport.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/UserPort.h"
#include "platform_gui/QtShell.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int runs = 5;

struct NoSettings final : SettingsStore {
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override { }
};

double peak_mib()
{
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

double ms_since(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// One run in this process: prints "open-ms open-MiB compare-ms compare-MiB start-MiB
// lists-1-to-5", the peaks after each step and before the pair is opened.
int run_once(int argc, char* argv[], const QString& dir1, const QString& dir2)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    RealFileSystem fs;
    WindowlessPort port;
    NoSettings settings;
    QtShell shell;
    Trace trace(fs, port, tmp.path());
    MainController controller(fs, port, settings, trace);
    MainWindow window(controller, port, shell);
    window.show();
    QCoreApplication::processEvents();
    const double start_mib = peak_mib();

    QElapsedTimer t;
    t.start();
    if (controller.pane(1).set_path(dir1).failed() || controller.pane(2).set_path(dir2).failed())
        return 2;
    QCoreApplication::processEvents();
    const double open_ms = ms_since(t);
    const double open_mib = peak_mib();

    t.restart();
    controller.bot_compare_Click();
    QCoreApplication::processEvents();
    const double compare_ms = ms_since(t);
    const double compare_mib = peak_mib();

    const FileListsModel& lists = controller.lists();
    std::printf("%.3f %.1f %.3f %.1f %.1f %d %d %d %d %d\n", open_ms, open_mib, compare_ms, compare_mib, start_mib,
        lists.list(1).count(), lists.list(2).count(), lists.list(3).count(), lists.list(4).count(),
        lists.list(5).count());
    return 0;
}

// The entries of `dir`, counted without keeping them: a peak of this process would be the peak
// its children start from (the kernel keeps it across exec).
int count_entries(const QString& dir)
{
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    int n = 0;
    while (d && ::readdir(d))
        ++n;
    if (d)
        ::closedir(d);
    return n - 2;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--once")
        return run_once(1, argv, QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));

    QCoreApplication app(argc, argv);
    // Two directories given are taken as they are (building the pair takes longer than the runs).
    const bool given = argc == 3;
    int files = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir tmp;
    const QString dir1 = given ? QFile::decodeName(argv[1]) : tmp.filePath(QStringLiteral("one/"));
    const QString dir2 = given ? QFile::decodeName(argv[2]) : tmp.filePath(QStringLiteral("two/"));
    if (given)
        files = count_entries(dir1);
    else if (files <= 0 || !QDir().mkpath(dir1) || !QDir().mkpath(dir2) || !build_large_pair(dir1, dir2, files)) {
        std::fprintf(stderr, "could not build the test directories in %s\n", qPrintable(tmp.path()));
        return 2;
    }

    // Each run of the window beside one of the reference, so that both see the same load.
    std::vector<double> open_ms, open_mib, compare_ms, compare_mib, start_mib, rsync_ms;
    QString lists;
    for (int i = 0; i <= runs; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--once"), dir1, dir2 });
        if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "the window's run failed: %s\n", p.readAllStandardError().constData());
            return 2;
        }
        const QStringList f = QString::fromLatin1(p.readAllStandardOutput()).simplified().split(u' ');
        if (f.size() != 10)
            return 2;
        QElapsedTimer t;
        t.start();
        QProcess rsync;
        rsync.setStandardOutputFile(QProcess::nullDevice());
        rsync.start(
            QStringLiteral("rsync"), { QStringLiteral("-n"), QStringLiteral("-i"), QStringLiteral("-d"), dir1, dir2 });
        if (!rsync.waitForFinished(-1) || rsync.exitCode() != 0) {
            std::fprintf(stderr, "rsync could not be run\n");
            return 2;
        }
        const double r = ms_since(t);
        if (i == 0)
            continue; // the caches warmed
        open_ms.push_back(f[0].toDouble());
        open_mib.push_back(f[1].toDouble());
        compare_ms.push_back(f[2].toDouble());
        compare_mib.push_back(f[3].toDouble());
        start_mib.push_back(f[4].toDouble());
        rsync_ms.push_back(r);
        lists = f.mid(5).join(u' ');
    }
    std::printf("files per directory: %d, runs: %d (median), each in a process of its own\n", files, runs);
    std::printf("    the window before the pair:                  peak %7.1f MiB\n", median(start_mib));
    std::printf("(o) opening the pair, plain view:     %8.2f ms   peak %7.1f MiB\n", median(open_ms), median(open_mib));
    std::printf(
        "(c) compare dir's to the lists filled: %7.2f ms   peak %7.1f MiB\n", median(compare_ms), median(compare_mib));
    std::printf("(r) rsync -n -i -d, same pair:        %8.2f ms   c/r = %.2f\n", median(rsync_ms),
        median(compare_ms) / median(rsync_ms));
    std::printf("entries of lists 1 to 5: %s\n", qPrintable(lists));
    return 0;
}
