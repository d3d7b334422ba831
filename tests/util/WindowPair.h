#pragma once
// The real main window over the logic of a ControllerPair, wired as the program wires it.

#include "tests/util/ControllerPair.h"
#include "ui/HistoryView.h"
#include "ui/MainWindow.h"

#include <memory>

struct WindowPair : ControllerPair {
    std::unique_ptr<MainWindow> window;

    ~WindowPair() { window.reset(); } // before the controller it shows
    // A new window, shown, loaded with `command_line` (the pair by default).
    void open(const QString& command_line = {})
    {
        window.reset();
        window = std::make_unique<MainWindow>(controller, port, shell);
        new HistoryView(*window, history);
        QObject::connect(
            window.get(), &MainWindow::compare_trees_clicked, &tree, &TreeCommands::bot_compare_tree_Click);
        QObject::connect(
            window.get(), &MainWindow::next_alignment_clicked, &tree, &TreeCommands::b_next_alignment_Click);
        QVERIFY(load(command_line.isEmpty() ? pair() : command_line));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <class T> T* find(const QString& name) const { return window->findChild<T*>(name); }
};
