// Timing of a bulk alignment against the system's own copy, in the same run and on the same disk.
//
// For (a) 3000 files of 4 KiB and (b) one file of 1 GiB, copied from one directory into an
// empty one, and (c) the 3000 files replacing older copies of them, prints the median over a few
// runs of:
//   - the "align all files" of list 1, including its flush of the destination volume,
//   - `cp -p` of the same files followed by `sync`,
// and their ratio. For (a) it also prints a copy that flushes every file on its own, the other way
// to make the files durable, to show why an alignment of new files flushes the volume once.

#include "bench/BenchSupport.h"
#include "compare/FileListsModel.h"
#include "platform/RealFileSystem.h"
#include "platform/UserPort.h"
#include "transfer/Alignment.h"
#include "transfer/CopyFile.h"
#include "transfer/TransferContext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

bool fill_random(const QString& path, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    std::vector<quint32> block(1 << 18); // 1 MiB
    while (bytes > 0) {
        QRandomGenerator::global()->fillRange(block.data(), block.size());
        const qint64 n = std::min<qint64>(bytes, qint64(block.size() * sizeof(quint32)));
        if (f.write(reinterpret_cast<const char*>(block.data()), n) != n)
            return false;
        bytes -= n;
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool empty_dir(const QString& dir)
{
    QDir d(dir);
    return d.removeRecursively() && QDir().mkpath(dir);
}

// Milliseconds of `work`, after the disk has been flushed of earlier writes.
double timed(const std::function<bool()>& work)
{
    QProcess::execute(QStringLiteral("sync"), {});
    QElapsedTimer clock;
    clock.start();
    if (!work()) {
        std::fprintf(stderr, "a run failed\n");
        std::exit(1);
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

struct Figures {
    double tandrel = 0, system = 0, each = 0; // medians
    double tandrel_best = 0, system_best = 0; // fastest runs: what is left without other load
};

// The destination before a run: empty, or (`older`) holding an older copy of every file.
bool prepare(const QString& dst, const QStringList& names, bool older)
{
    if (!empty_dir(dst))
        return false;
    for (const QString& n : names) {
        QFile f(dst + n);
        if (older
            && (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(4096, 'o')) != 4096 || !f.flush()
                || !f.setFileTime(QDateTime::fromSecsSinceEpoch(1500000000), QFileDevice::FileModificationTime)))
            return false;
    }
    return true;
}

// `list` 1 copies new files, 3 replaces older copies.
Figures measure(const QString& src, const QStringList& names, int runs, bool also_each, int list = 1)
{
    const QString dst = src.chopped(4) + QStringLiteral("dst/"); // beside ".../src/"
    const bool older = list == 3;
    RealFileSystem fs;
    SilentPort port;
    FileListsModel lists;
    std::shared_ptr<const HeldDir> held1, held2;
    CancelToken cancel;
    SilentHost host;
    const DirPath dir1(src), dir2(dst);
    TransferContext ctx { fs, port, lists, dir1, dir2, held1, held2, cancel, host, nullptr };

    std::vector<double> tandrel, system, each;
    for (int run = 0; run < runs; ++run) {
        auto ours = [&] {
            prepare(dst, names, older);
            lists.list(list).set_names(names);
            tandrel.push_back(timed([&] {
                align_list(ctx, list, dir1, dir2);
                return port.messages == 0 && lists.list(5).count() == names.size();
            }));
            lists.list(5).clear();
        };
        auto theirs = [&] {
            prepare(dst, names, older);
            system.push_back(timed([&] {
                QStringList args { QStringLiteral("-p"), QStringLiteral("--") };
                for (const QString& n : names)
                    args << src + n;
                args << dst;
                return QProcess::execute(QStringLiteral("cp"), args) == 0
                    && QProcess::execute(QStringLiteral("sync"), {}) == 0;
            }));
        };
        // Each goes first in every other run, so neither pays for the other's leftovers.
        if (run % 2 == 0) {
            ours();
            theirs();
        } else {
            theirs();
            ours();
        }

        if (also_each) {
            empty_dir(dst);
            each.push_back(timed([&] {
                for (const QString& n : names) {
                    CopyRequest r;
                    r.from_dir = dir1;
                    r.to_dir = dir2;
                    r.from_name = r.to_name = n;
                    r.flush = true;
                    Copy_file(ctx, r);
                    if (!ctx.copy_ok)
                        return false;
                }
                return true;
            }));
        }
    }
    empty_dir(dst);
    return { median(tandrel), median(system), also_each ? median(each) : 0,
        *std::min_element(tandrel.begin(), tandrel.end()), *std::min_element(system.begin(), system.end()) };
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // On the disk the files live on, not in a memory file system.
    QDir().mkpath(QDir::homePath() + QStringLiteral("/.cache"));
    QTemporaryDir tmp(QDir::homePath() + QStringLiteral("/.cache/tandrel-align-bench-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    const QString small = tmp.path() + QStringLiteral("/small/src/");
    const QString large = tmp.path() + QStringLiteral("/large/src/");
    QDir().mkpath(small);
    QDir().mkpath(large);

    // "small", "replace" or "large" runs only that part.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QStringList small_names;
    for (int i = 0; i < 3000 && only != u"large"; ++i) {
        small_names << QStringLiteral("file_%1.dat").arg(i, 4, 10, QLatin1Char('0'));
        if (!fill_random(small + small_names.last(), 4096))
            return 1;
    }
    if (only != u"small" && !fill_random(large + QStringLiteral("big.bin"), qint64(1) << 30))
        return 1;

    if (only.isEmpty() || only == u"small") {
        const Figures a = measure(small, small_names, 5, true);
        std::printf("(a) 3000 files of 4 KiB: align %.0f ms, cp -p + sync %.0f ms, ratio %.2f (target 1.2)\n",
            a.tandrel, a.system, a.tandrel / a.system);
        std::printf("    fastest runs: align %.0f ms, cp -p + sync %.0f ms, ratio %.2f\n", a.tandrel_best,
            a.system_best, a.tandrel_best / a.system_best);
        std::printf("    flushing every file instead: %.0f ms, ratio %.2f\n", a.each, a.each / a.system);
    }
    if (only.isEmpty() || only == u"replace") {
        const Figures c = measure(small, small_names, 5, false, 3);
        std::printf("(c) 3000 files of 4 KiB replacing older copies: align %.0f ms, cp -p + sync %.0f ms, ratio %.2f "
                    "(target 1.3)\n",
            c.tandrel, c.system, c.tandrel / c.system);
        std::printf("    fastest runs: align %.0f ms, cp -p + sync %.0f ms, ratio %.2f\n", c.tandrel_best,
            c.system_best, c.tandrel_best / c.system_best);
    }
    if (only == u"small" || only == u"replace")
        return 0;
    const Figures b = measure(large, { QStringLiteral("big.bin") },
        qEnvironmentVariableIntValue("ALIGN_BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("ALIGN_BENCH_RUNS") : 7,
        false);
    std::printf("(b) one file of 1 GiB: align %.0f ms, cp -p + sync %.0f ms, ratio %.2f (target 1.1)\n", b.tandrel,
        b.system, b.tandrel / b.system);
    std::printf("    fastest runs: align %.0f ms, cp -p + sync %.0f ms, ratio %.2f\n", b.tandrel_best, b.system_best,
        b.tandrel_best / b.system_best);
    return 0;
}
