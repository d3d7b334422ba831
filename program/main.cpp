// Tandrel: compares two directories and helps bring them into line.

#include "app/CommandLine.h"
#include "app/HistoryCommands.h"
#include "app/MainController.h"
#include "app/TreeCommands.h"
#include "platform/AppPaths.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform_gui/QtPort.h"
#include "platform_gui/QtShell.h"
#include "ui/AppIcon.h"
#include "ui/HelpTexts.h"
#include "ui/HistoryView.h"
#include "ui/MainWindow.h"
#include "ui/ResultsWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Without a display the toolkit would abort with a backtrace; say it in one line instead.
bool display_available()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

// `tandrel --help` and `tandrel --version` alone answer on stdout, with no window and no display.
// Any other command line names directories, which may be called anything.
bool answer_alone(int argc, char* argv[])
{
    if (argc != 2 || (std::strcmp(argv[1], "--help") != 0 && std::strcmp(argv[1], "--version") != 0))
        return false;
    const QString text = std::strcmp(argv[1], "--help") == 0
        ? command_line_help_text()
        : QStringLiteral("tandrel ") + QStringLiteral(TANDREL_VERSION) + u'\n';
    std::fputs(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toLocal8Bit().constData(), stdout);
    return true;
}

// The branch report in its own window over the main window.
class ReportWindow final : public ReportView {
public:
    ReportWindow(FileSystem& fs, Shell& shell, UserPort& port, QWidget& window)
        : fs_(fs)
        , shell_(shell)
        , port_(port)
        , window_(window)
    {
    }
    void show_report(QString& report) override { ResultsWindow::show_report(report, fs_, shell_, port_, &window_); }

private:
    FileSystem& fs_;
    Shell& shell_;
    UserPort& port_;
    QWidget& window_;
};

} // namespace

int main(int argc, char* argv[])
{
    if (answer_alone(argc, argv))
        return 0;
    if (!display_available()) {
        std::fprintf(stderr,
            "tandrel: no display available (DISPLAY is not set); start it from a desktop "
            "session or under xvfb-run\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tandrel"));
    QApplication::setOrganizationName(QStringLiteral("tandrel"));
    QApplication::setWindowIcon(app_icon());
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tandrel.Tandrel"));
    // The program ends through its own exit paths only: while a long operation keeps the main
    // window hidden, closing a message box must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // The arguments are joined with single blanks into one command line, then parsed.
    QString refused;
    const QString command_line = decode_arguments(argc, argv, &refused).join(u' ');

    RealFileSystem fs;
    QtPort port;
    if (!refused.isEmpty()) {
        port.message(undecodable_command_line_text(refused));
        return 2;
    }
    QtShell shell;
    QtSettingsStore settings;
    Trace trace(fs, port, trace_folder());
    MainController controller(fs, port, settings, trace);
    HistoryCommands history(controller, fs, port, history_fallback_path());
    TreeCommands tree(controller, fs, port, &history);
    controller.set_history(&history);
    controller.set_tree(&tree);
    controller.set_shell(&shell);
    MainWindow window(controller, port, shell);
    port.set_main_window(&window);
    new HistoryView(window, history);
    ReportWindow reports(fs, shell, port, window);
    tree.set_report_view(&reports);
    QObject::connect(&window, &MainWindow::compare_trees_clicked, &tree, &TreeCommands::bot_compare_tree_Click);
    QObject::connect(&window, &MainWindow::next_alignment_clicked, &tree, &TreeCommands::b_next_alignment_Click);

    controller.Main(command_line, history_file_path());
    if (port.ended())
        return port.exit_code();
    return QApplication::exec();
}
