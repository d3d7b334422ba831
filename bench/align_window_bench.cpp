// Timing of "align all files" in the real main window against the copy engine alone.
//
// 3000 files of 4 KiB only in dir 1, on the disk the home folder is on. In the same run, with the
// runs of the two interleaved, prints the median over several runs of:
//   - the window: from the press of list 1's align button to the last entry reaching "aligned",
//     with the window shown (offscreen unless QT_QPA_PLATFORM says otherwise), its lists, progress
//     bar and repaints,
//   - the engine alone: the same alignment with no window, events run by a port nobody looks at,
// and their ratio (target 1.3). Usage: align_window_bench [FILES [RUNS]].

#include "app/MainController.h"
#include "bench/BenchSupport.h"
#include "compare/FileListsModel.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform_gui/QtPort.h"
#include "platform_gui/QtShell.h"
#include "transfer/Alignment.h"
#include "transfer/TransferContext.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The window's port, but any message is a failure of the run and waits for nobody.
using BenchPort = CountingPort<QtPort>;

struct MemorySettings : SettingsStore {
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QHash<QString, QString> values;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Empties `dir` but keeps the directory itself: the window holds it open from its comparison.
bool empty_dir(const QString& dir)
{
    const QDir d(dir);
    for (const QString& name : d.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!QFile::remove(d.filePath(name)))
            return false;
    return true;
}

void fail(const char* what)
{
    std::fprintf(stderr, "a run failed: %s\n", what);
    std::exit(1);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int files = argc > 1 ? std::max(1, atoi(argv[1])) : 3000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    // On the disk the files live on, not in a memory file system.
    QDir().mkpath(QDir::homePath() + QStringLiteral("/.cache"));
    QTemporaryDir tmp(QDir::homePath() + QStringLiteral("/.cache/tandrel-window-bench-XXXXXX"));
    if (!tmp.isValid())
        return 1;
    const QString src = tmp.path() + QStringLiteral("/src/");
    const QString dst = tmp.path() + QStringLiteral("/dst/");
    QDir().mkpath(src);
    QDir().mkpath(dst);
    QStringList names;
    for (int i = 0; i < files; ++i) {
        names << QStringLiteral("file_%1.dat").arg(i, 5, 10, QLatin1Char('0'));
        QByteArray bytes(4096, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        QFile f(src + names.last());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }

    // The window, as the program builds it.
    RealFileSystem fs;
    BenchPort port;
    QtShell shell;
    MemorySettings settings;
    Trace trace(fs, port, tmp.path());
    MainController controller(fs, port, settings, trace);
    controller.set_shell(&shell);
    MainWindow window(controller, port, shell);
    port.set_main_window(&window);
    window.show();
    controller.Main(src + QStringLiteral(" | ") + dst, tmp.path() + QStringLiteral("/history"));
    auto* button = window.findChild<QPushButton*>(QStringLiteral("bot_list1"));
    if (!button || port.ended())
        fail("no window");
    FileListModel& aligned = controller.lists().list(5);
    QElapsedTimer clock;
    qint64 last_entry_ns = 0;
    QObject::connect(&aligned, &QAbstractItemModel::rowsInserted, [&] {
        if (aligned.count() == files)
            last_entry_ns = clock.nsecsElapsed();
    });

    // The engine with nothing to show, and nothing held from the window's comparison.
    RealFileSystem engine_fs;
    SilentPort silent;
    FileListsModel lists;
    std::shared_ptr<const HeldDir> held1, held2;
    CancelToken cancel;
    SilentHost host;
    const DirPath dir1(src), dir2(dst);
    TransferContext engine { engine_fs, silent, lists, dir1, dir2, held1, held2, cancel, host, nullptr };

    auto ready = [&] {
        if (!empty_dir(dst))
            fail("cannot empty the destination");
        QProcess::execute(QStringLiteral("sync"), {});
        // Paints and events left by the last run are not this one's.
        QCoreApplication::processEvents();
    };
    std::vector<double> in_window, alone;
    for (int run = 0; run < runs; ++run) {
        auto window_run = [&] {
            ready();
            controller.bot_compare_Click();
            if (controller.lists().list(1).count() != files)
                fail("the comparison did not list every file");
            QCoreApplication::processEvents();
            last_entry_ns = 0;
            clock.start();
            button->click();
            if (port.messages || last_entry_ns == 0)
                fail("window");
            in_window.push_back(double(last_entry_ns) / 1e6);
        };
        auto engine_run = [&] {
            ready();
            lists.list(1).set_names(names);
            lists.list(5).clear();
            clock.start();
            align_list(engine, 1, dir1, dir2);
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            if (silent.messages || lists.list(5).count() != files)
                fail("engine");
            alone.push_back(ms);
        };
        // Each goes first in every other run, so neither pays for the other's leftovers.
        if (run % 2 == 0) {
            window_run();
            engine_run();
        } else {
            engine_run();
            window_run();
        }
    }
    empty_dir(dst);
    const double w = median(in_window), e = median(alone);
    std::printf("%d files of 4 KiB, median of %d runs: window %.0f ms, engine alone %.0f ms, ratio %.2f (target 1.3)\n",
        files, runs, w, e, w / e);
    std::printf("    fastest runs: window %.0f ms, engine alone %.0f ms\n",
        *std::min_element(in_window.begin(), in_window.end()), *std::min_element(alone.begin(), alone.end()));
    return 0;
}
