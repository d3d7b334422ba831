// Timing of the tree walk on deep trees, as the window runs it.
//
// Builds two identical trees that are one chain of N directories (one file in each) and runs the
// tree comparison through the main controller, with both directory panes shown by their widgets
// (offscreen), from "compare trees" to "End of tree comparison.". Prints the seconds for
// N = 500, 1000 and 2000 (or the depths given on the command line), so that the growth with the
// depth shows. 2000 is about as deep as a chain of one-letter names goes before its paths pass
// the 4096 bytes a path may have; a deeper chain cannot be reached by path at all.

#include "app/MainController.h"
#include "app/TreeCommands.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/UserPort.h"
#include "ui/DirPaneWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>

namespace {

// Answers every box with its default button and counts what was said.
class BenchPort final : public UserPort {
public:
    Answer message_box(const QString& text, MsgButtons, MsgIcon, Answer default_button, const QString&) override
    {
        said << text;
        return default_button;
    }
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override { return std::nullopt; }
    void set_busy(bool) override { }
    void process_events() override { QCoreApplication::processEvents(); }
    void set_main_window_visible(bool visible) override { visible_ = visible; }
    bool main_window_visible() const override { return visible_; }
    void end_program(int) override { }
    QStringList said;

private:
    bool visible_ = true;
};

struct NoSettings final : SettingsStore {
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override { }
};

// A chain of `levels` directories below `root`, each holding one file. The names are one letter
// long so that the deepest path stays within what a path may be.
bool build_chain(const QString& root, int levels)
{
    QString dir = root;
    for (int i = 0; i < levels; ++i) {
        dir += QStringLiteral("/d");
        QFile f(dir + QStringLiteral(".txt"));
        if (!QDir().mkdir(dir) || !f.open(QIODevice::WriteOnly) || f.write("x\n") != 2)
            return false;
        f.close();
        if (!f.open(QIODevice::ReadWrite)
            || !f.setFileTime(QDateTime::fromSecsSinceEpoch(1'700'000'000), QFileDevice::FileModificationTime))
            return false;
    }
    return true;
}

// Seconds for one whole walk of two identical chains of `levels` directories; negative on failure.
double walk_seconds(const QString& base, int levels)
{
    const QString one = base + QStringLiteral("/one");
    const QString two = base + QStringLiteral("/two");
    if (!QDir().mkpath(one) || !QDir().mkpath(two) || !build_chain(one, levels) || !build_chain(two, levels))
        return -1;

    RealFileSystem fs;
    BenchPort port;
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
    if (port.said != QStringList { QStringLiteral("End of tree comparison.") }) {
        std::fprintf(stderr, "the walk said: %s\n", qPrintable(port.said.join(QStringLiteral(" | "))));
        return -1;
    }
    QDir(base).removeRecursively();
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
    if (depths.isEmpty())
        depths = { 500, 1000, 2000 };

    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/dp-XXXXXX"));
    for (int levels : depths) {
        const double s = walk_seconds(tmp.path() + QStringLiteral("/%1").arg(levels), levels);
        if (s < 0) {
            std::fprintf(stderr, "the walk of %d levels could not be run\n", levels);
            return 2;
        }
        std::printf("%5d levels: %8.2f s\n", levels, s);
        std::fflush(stdout);
    }
    return 0;
}
