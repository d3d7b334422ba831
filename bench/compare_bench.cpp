// Timing of one comparison of two full directories against the bare cost of listing them.
//
// Builds two temporary directories of 3001 files each, holding all five classes, and prints the
// median over a number of runs of:
//   (a) listing both directories with lengths and dates (the floor no comparison can beat),
//   (b) the comparison's own listing plus the classification,
//   (c) the window's compare_directories end to end, with the five lists filled,
//   (d) the tandrel-compare program on the same pair, against
//   (i) `find -printf` of every file's length and date in both directories, the bare listing a
//       program can do (target d/i <= 1.4), and the same two on a pair whose names are not ASCII.
// Then builds two directories of 100000 files each and prints the median time of
//   (e) the tandrel-compare program, which lists, sorts and cuts at the limit, and
//   (f) `rsync -n -i -d` on the same pair, which looks at every file once,
// and their ratio (target <= 0.3). Last, (g) deleting a chain of 2000 nested directories with
// delete_tree against (h) `rm -rf` on the same chain.

#include "app/MainController.h"
#include "bench/BenchSupport.h"
#include "compare/ConsolePort.h"
#include "compare/DirectoryListing.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform_gui/QtShell.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int files_per_dir = 3001;
constexpr int runs = 15;
constexpr int per_class = 600; // of each of the four difference classes; the rest is aligned

bool make_file(const QString& path, qint64 mtime, int bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(bytes, 'b')) != bytes || !f.flush())
        return false;
    return f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime), QFileDevice::FileModificationTime);
}

struct Expected {
    int only1 = 0, only2 = 0, newer1 = 0, newer2 = 0, aligned = 0;
};

// Fills dir1 and dir2; every seventh dir-2 partner is spelled in upper case so that pairing has
// to fold case. `stem` begins every name.
bool build_tree(const QString& dir1, const QString& dir2, Expected& e, const QString& stem = QStringLiteral("file"))
{
    const qint64 t = 1'700'000'000;
    for (int i = 0; i < files_per_dir; ++i) {
        const QString name = stem + QStringLiteral("_%1.dat").arg(i, 5, 10, QLatin1Char('0'));
        const QString name2 = i % 7 == 0 ? name.toUpper() : name;
        bool ok = true;
        if (i < per_class) { // only in dir 1, and as many only in dir 2
            ok = make_file(dir1 + name, t, 10) && make_file(dir2 + QStringLiteral("other_") + name, t, 10);
            ++e.only1;
            ++e.only2;
        } else if (i < 2 * per_class) {
            ok = make_file(dir1 + name, t + 600, 10) && make_file(dir2 + name2, t, 10);
            ++e.newer1;
        } else if (i < 3 * per_class) {
            ok = make_file(dir1 + name, t, 10) && make_file(dir2 + name2, t + 600, 10);
            ++e.newer2;
        } else {
            ok = make_file(dir1 + name, t + 1, 10) && make_file(dir2 + name2, t, 10);
            ++e.aligned;
        }
        if (!ok)
            return false;
    }
    return true;
}

// A chain of `depth` nested directories below `top`, made relative to each one in turn.
bool build_chain(const QString& top, int depth)
{
    if (!QDir().mkpath(top))
        return false;
    int fd = ::open(QFile::encodeName(top).constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        const int next = ::mkdirat(fd, "level", 0755) == 0 ? ::openat(fd, "level", O_RDONLY | O_DIRECTORY) : -1;
        ::close(fd);
        fd = next;
    }
    return fd >= 0 && ::close(fd) == 0;
}

// Runs `program` with `args` to its end, its output thrown away; false when it could not run.
bool run_program(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() <= 1;
}

double median_ms(const std::function<void()>& work, int runs = ::runs)
{
    work(); // warm the caches once
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir tmp;
    const QString dir1 = tmp.filePath(QStringLiteral("one/"));
    const QString dir2 = tmp.filePath(QStringLiteral("two/"));
    Expected expected;
    if (!QDir().mkpath(dir1) || !QDir().mkpath(dir2) || !build_tree(dir1, dir2, expected)) {
        std::fprintf(stderr, "could not build the test directories in %s\n", qPrintable(tmp.path()));
        return 2;
    }

    RealFileSystem fs;

    // The result must be the intended one, or the timings say nothing.
    const Classification check = classify(list_directory(fs, dir1).records, list_directory(fs, dir2).records, false);
    if (check.only_in_dir1.size() != expected.only1 || check.only_in_dir2.size() != expected.only2
        || check.newer_in_dir1.size() != expected.newer1 || check.newer_in_dir2.size() != expected.newer2
        || check.aligned.size() != expected.aligned || !check.warnings.isEmpty()) {
        std::fprintf(stderr, "unexpected classification of the test directories\n");
        return 2;
    }

    qsizetype sink = 0; // keeps the work from being optimised away
    const double a = median_ms([&] {
        sink += fs.list(dir1, EntryKind::Files, false).value.size();
        sink += fs.list(dir2, EntryKind::Files, false).value.size();
    });
    const double b = median_ms([&] {
        const Listing l1 = list_directory(fs, dir1);
        const Listing l2 = list_directory(fs, dir2);
        sink += classify(l1.records, l2.records, false).aligned.size();
    });

    // (c) the window's comparison, with the five lists shown in a real (offscreen) window.
    ConsolePort port;
    QtShell shell;
    QtSettingsStore settings(tmp.filePath(QStringLiteral("settings.ini")));
    Trace trace(fs, port, tmp.path());
    MainController controller(fs, port, settings, trace);
    MainWindow window(controller, port, shell);
    window.show();
    if (controller.pane(1).set_path(dir1).failed() || controller.pane(2).set_path(dir2).failed()) {
        std::fprintf(stderr, "could not open the test directories in the panes\n");
        return 2;
    }
    bool lists_as_expected = true;
    const std::function<void()> end_to_end = [&] {
        controller.compare_directories();
        QCoreApplication::processEvents();
        FileListsModel& lists = controller.lists();
        lists_as_expected = lists_as_expected && lists.list(1).count() == expected.only1
            && lists.list(2).count() == expected.only2 && lists.list(3).count() == expected.newer1
            && lists.list(4).count() == expected.newer2 && lists.list(5).count() == expected.aligned;
    };

    std::printf("files per directory: %d, runs: %d (median)\n", files_per_dir, runs);
    std::printf("(a) listing both directories:         %8.2f ms\n", a);
    std::printf("(b) listing + classification:         %8.2f ms   b/a = %.2f (target <= 1.5)\n", b, b / a);
    const double c = median_ms(end_to_end);
    std::printf("(c) compare_directories end to end:   %8.2f ms   c/a = %.2f (target <= 2.0)\n", c, c / a);
    if (!lists_as_expected) {
        std::fprintf(stderr, "the window's lists do not hold the expected classification\n");
        return 2;
    }
    const QString program = QStringLiteral(TANDREL_COMPARE_PROGRAM);
    bool ran = true;
    const double d = median_ms([&] { ran = run_program(program, { dir1, dir2 }) && ran; });
    const auto find_both = [](const QString& one, const QString& two) {
        return QStringList { one, two, QStringLiteral("-maxdepth"), QStringLiteral("1"), QStringLiteral("-type"),
            QStringLiteral("f"), QStringLiteral("-printf"), QStringLiteral("%s %T@ %f\\n") };
    };
    const double i = median_ms([&] { ran = run_program(QStringLiteral("find"), find_both(dir1, dir2)) && ran; });
    std::printf("(d) tandrel-compare:                  %8.2f ms   d/i = %.2f (target <= 1.4)\n", d, d / i);
    std::printf("(i) find -printf, both directories:   %8.2f ms\n", i);
    const QString accented1 = tmp.filePath(QStringLiteral("\u00e9t\u00e91/"));
    const QString accented2 = tmp.filePath(QStringLiteral("\u00e9t\u00e92/"));
    Expected accented;
    if (!QDir().mkpath(accented1) || !QDir().mkpath(accented2)
        || !build_tree(accented1, accented2, accented, QStringLiteral("f\u00efchier_\u00e9t\u00e9"))) {
        std::fprintf(stderr, "could not build the accented test directories in %s\n", qPrintable(tmp.path()));
        return 2;
    }
    const double d2 = median_ms([&] { ran = run_program(program, { accented1, accented2 }) && ran; });
    const double i2
        = median_ms([&] { ran = run_program(QStringLiteral("find"), find_both(accented1, accented2)) && ran; });
    std::printf("names not in ASCII:\n");
    std::printf("(d) tandrel-compare:                  %8.2f ms   d/i = %.2f (target <= 1.4)\n", d2, d2 / i2);
    std::printf("(i) find -printf, both directories:   %8.2f ms\n", i2);

    constexpr int large_files = 100000;
    constexpr int large_runs = 7;
    const QString big1 = tmp.filePath(QStringLiteral("big1/"));
    const QString big2 = tmp.filePath(QStringLiteral("big2/"));
    if (!QDir().mkpath(big1) || !QDir().mkpath(big2) || !build_large_pair(big1, big2, large_files)) {
        std::fprintf(stderr, "could not build the large test directories in %s\n", qPrintable(tmp.path()));
        return 2;
    }
    // Run in turn, so that both see the same load of a shared machine.
    std::vector<double> es, fs_, ratios;
    for (int i = 0; i <= large_runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        ran = run_program(program, { big1, big2 }) && ran;
        const double one = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        ran = run_program(QStringLiteral("rsync"),
                  { QStringLiteral("-n"), QStringLiteral("-i"), QStringLiteral("-d"), big1, big2 })
            && ran;
        const double other = double(timer.nsecsElapsed()) / 1e6;
        if (i == 0)
            continue; // the caches warmed
        es.push_back(one);
        fs_.push_back(other);
        ratios.push_back(one / other);
    }
    for (auto* v : { &es, &fs_, &ratios })
        std::sort(v->begin(), v->end());
    const double e = es[es.size() / 2], f = fs_[fs_.size() / 2], ef = ratios[ratios.size() / 2];
    if (!ran) {
        std::fprintf(stderr, "tandrel-compare or rsync could not be run\n");
        return 2;
    }
    std::printf("files per directory: %d, runs: %d (median)\n", large_files, large_runs);
    std::printf("(e) tandrel-compare:                  %8.2f ms\n", e);
    std::printf(
        "(f) rsync -n -i -d, run in turn:      %8.2f ms   e/f = %.2f, run by run %.2f (target <= 0.3)\n", f, e / f, ef);

    constexpr int depth = 2000;
    const QString chain = tmp.filePath(QStringLiteral("chain"));
    auto timed_delete = [&](const std::function<bool()>& remove) {
        std::vector<double> ms;
        for (int i = 0; i < 3; ++i) {
            if (!build_chain(chain, depth))
                return -1.0;
            QElapsedTimer timer;
            timer.start();
            if (!remove() || QFile::exists(chain))
                return -1.0;
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        return ms[1];
    };
    const double g = timed_delete([&] { return !fs.delete_tree(chain).failed(); });
    const double h = timed_delete([&] { return run_program(QStringLiteral("rm"), { QStringLiteral("-rf"), chain }); });
    if (g < 0 || h < 0) {
        std::fprintf(stderr, "the chain of directories could not be made or deleted\n");
        return 2;
    }
    std::printf("nested directories: %d, runs: 3 (median)\n", depth);
    std::printf("(g) delete_tree:                      %8.2f ms\n", g);
    std::printf("(h) rm -rf:                           %8.2f ms   g/h = %.2f\n", h, g / h);
    return sink > 0 ? 0 : 2;
}
