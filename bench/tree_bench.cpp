// Timing of the tree comparison against two common tools on the same two trees.
//
// Builds two identical trees of 3000 directories each (the root and 2999 below it, ten files in
// every one) and prints the median over a number of runs of:
//   (a) `find DIR1 DIR2 -type d`, and the tree scan over the two trees: target scan/find <= 1.5;
//   (b) `rsync -n -r -i DIR1/ DIR2/`, and `tandrel-compare --tree DIR1 DIR2`, run in turn: target <= 0.7.
// The trees are kept under the system's temporary folder between runs, since making them takes
// longer than the measurements.

#include "compare/ConsolePort.h"
#include "platform/RealFileSystem.h"
#include "tree/TreeScan.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int directories = 3000; // the root included
constexpr int top_level = 20;
constexpr int files_per_dir = 10;
constexpr int runs = 7;

double median_ms(const std::function<void()>& work)
{
    std::vector<double> times;
    work(); // warm the caches once
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The medians of `a` and `b` run in turn, so that both see the same load of a shared machine, and
// the median of their ratios run by run.
struct Side {
    double a = 0, b = 0, ratio = 0;
};
Side median_side_by_side(const std::function<void()>& a, const std::function<void()>& b)
{
    std::vector<double> ta, tb, ratios;
    a(); // warm the caches once
    b();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        a();
        ta.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        b();
        tb.push_back(double(t.nsecsElapsed()) / 1e6);
        ratios.push_back(ta.back() / tb.back());
    }
    for (auto* v : { &ta, &tb, &ratios })
        std::sort(v->begin(), v->end());
    return { ta[ta.size() / 2], tb[tb.size() / 2], ratios[ratios.size() / 2] };
}

bool fill_dir(const QString& dir)
{
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    for (int f = 0; f < files_per_dir; ++f) {
        QFile file(dir + QStringLiteral("/file%1.txt").arg(f));
        if (!file.open(QIODevice::WriteOnly) || file.write("some content\n") != 13)
            return false;
        file.close();
        if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(when, QFileDevice::FileModificationTime))
            return false;
    }
    return true;
}

bool build_tree(const QString& root)
{
    if (!QDir().mkpath(root) || !fill_dir(root))
        return false;
    int made = 1;
    for (int top = 0; top < top_level; ++top) {
        const QString t = root + QStringLiteral("/Folder%1").arg(top, 2, 10, QLatin1Char('0'));
        if (!QDir().mkdir(t) || !fill_dir(t))
            return false;
        ++made;
    }
    for (int sub = 0; made < directories; ++sub) {
        for (int top = 0; top < top_level && made < directories; ++top) {
            const QString s = root
                + QStringLiteral("/Folder%1/sub%2").arg(top, 2, 10, QLatin1Char('0')).arg(sub, 3, 10, QLatin1Char('0'));
            if (!QDir().mkdir(s) || !fill_dir(s))
                return false;
            ++made;
        }
    }
    return true;
}

bool run_quietly(const QString& program, const QStringList& arguments, int* exit_code = nullptr)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, arguments);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return false;
    if (exit_code)
        *exit_code = p.exitCode();
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString base = QDir::tempPath() + QStringLiteral("/tandrel-tree-bench");
    const QString dir1 = base + QStringLiteral("/one");
    const QString dir2 = base + QStringLiteral("/two");
    const QString ready = base + QStringLiteral("/ready");
    if (!QFile::exists(ready)) {
        std::printf("building two trees of %d directories with %d files each in %s ...\n", directories, files_per_dir,
            qPrintable(base));
        std::fflush(stdout);
        QDir(base).removeRecursively();
        QFile mark(ready);
        if (!build_tree(dir1) || !build_tree(dir2) || !mark.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "could not build the trees in %s\n", qPrintable(base));
            return 2;
        }
    }

    RealFileSystem fs;
    ConsolePort port;
    TreeScanOptions options;
    options.offer_create = false;
    qsizetype pairs = 0;
    const double scan = median_ms([&] { pairs = scan_branches(fs, port, dir1, dir2, options).pairs.size(); });
    if (pairs != directories) {
        std::fprintf(stderr, "the scan found %lld pairs, expected %d\n", qint64(pairs), directories);
        return 2;
    }
    bool ok = true;
    const double find = median_ms([&] {
        ok = ok && run_quietly(QStringLiteral("find"), { dir1, dir2, QStringLiteral("-type"), QStringLiteral("d") });
    });

    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/../tandrel-compare");
    int code = -1;
    const Side side = median_side_by_side(
        [&] {
            ok = ok && run_quietly(tool, { QStringLiteral("--tree"), dir1, dir2 }, &code);
        },
        [&] {
            ok = ok
                && run_quietly(QStringLiteral("rsync"),
                    { QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("-i"), dir1 + u'/', dir2 + u'/' });
        });
    if (code != 0) {
        std::fprintf(stderr, "tandrel-compare --tree exited with %d on two equal trees\n", code);
        return 2;
    }
    if (!ok) {
        std::fprintf(stderr, "find, rsync or tandrel-compare could not be run\n");
        return 2;
    }

    std::printf("two trees of %d directories, %d files each; runs: %d (median)\n", directories, files_per_dir, runs);
    std::printf("(a) find DIR1 DIR2 -type d:          %8.2f ms\n", find);
    std::printf(
        "    tree scan:                       %8.2f ms   scan/find = %.2f (target <= 1.5)\n", scan, scan / find);
    std::printf("(b) rsync -n -r -i DIR1/ DIR2/:      %8.2f ms   (run in turn with the next)\n", side.b);
    std::printf(
        "    tandrel-compare --tree:          %8.2f ms   tandrel/rsync = %.2f, run by run %.2f (target <= 0.7)\n",
        side.a, side.a / side.b, side.ratio);
    return 0;
}
