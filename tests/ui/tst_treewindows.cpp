// The tree comparison's report window and the history view in the main window, their keys and menus.

#include "compare/PairComparison.h"
#include "tests/util/WindowPair.h"
#include "ui/ResultsWindow.h"

#include <QAccessible>
#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

class TestTreeWindows : public QObject {
    Q_OBJECT
private slots:
    void report_window_shows_and_decides()
    {
        RealFileSystem fs;
        ScriptedPort port;
        FakeShell shell;
        // Cancel empties the report; proceed, or closing the window any other way, keeps it.
        const std::function<void(ResultsWindow*)> ends[] = {
            [](ResultsWindow* w) { w->findChild<QPushButton*>(u"b_cancel"_s)->click(); },
            [](ResultsWindow* w) { w->findChild<QPushButton*>(u"b_proceed"_s)->click(); },
            [](ResultsWindow* w) { w->close(); },
        };
        for (int i = 0; i < 3; ++i) {
            QString report = u"\r\nOnly in tree 1: /a/x"_s;
            QTimer::singleShot(0, [&ends, i] {
                auto* w = qobject_cast<ResultsWindow*>(QApplication::activeModalWidget());
                QVERIFY(w);
                auto* text = w->findChild<QPlainTextEdit*>(u"Text1"_s);
                text->setPlainText(u"typed"_s); // every edit is undone at once
                QCOMPARE(text->toPlainText(), u"Only in tree 1: /a/x"_s); // on the first row
                ends[i](w);
            });
            ResultsWindow::show_report(report, fs, shell, port, nullptr);
            QCOMPARE(report.isEmpty(), i == 0);
        }
    }

    void history_view_swaps_the_menus()
    {
        WindowPair w;
        w.history.store().add_to_history(u"/a <-> /b"_s);
        w.history.store().add_to_history(u"/c <-> /d"_s);
        w.open(w.dir1 + u" | "_s + w.dir1);
        MainWindow& window = *w.window;
        auto* list = window.findChild<QListWidget*>(u"history"_s);
        auto action = [&](const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); };
        QVERIFY(!list->isVisible() && action("m_history")->isVisible() && !action("m_close")->isVisible());
        auto* compare = window.findChild<QPushButton*>(u"bot_compare"_s);
        compare->setFocus();

        QTest::keyClick(&window, Qt::Key_F8);
        QVERIFY(list->isVisible() && list->hasFocus());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(!action("m_history")->isVisible() && !window.findChild<QMenu*>(u"m_file"_s)->menuAction()->isVisible());
        for (const char* name : { "m_close", "m_select", "m_delete", "m_clear_all" })
            QVERIFY(action(name)->isVisible());

        // The shown commands own their Alt keys on every press: Alt+C closes, not compares; Alt+H
        // opens the view, not the Help menu.
        for (int press = 0; press < 2; ++press) {
            QTest::keyClick(window.windowHandle(), Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(!list->isVisible() && action("m_history")->isVisible());
            QVERIFY(compare->hasFocus()); // the keyboard is back where it was
            QTest::keyClick(window.windowHandle(), Qt::Key_H, Qt::AltModifier);
            QTRY_VERIFY(list->isVisible());
        }
        action("m_close")->trigger();
        // Closed, or refilled as when the entry reached by arrows is reopened, the hidden list leaves
        // no entry a screen reader takes for the focused one.
        auto focused
            = [&](int row) { return QAccessible::queryAccessibleInterface(list)->child(row)->state().focused; };
        QVERIFY(!focused(0));
        w.history.set_selected(1);
        w.history.store().add_to_history(u"/e <-> /f"_s);
        QVERIFY(!focused(1));

        // A right click on the window's own surface opens the view; on a control it does not.
        QTest::mouseClick(window.findChild<QPushButton*>(u"bot_exit"_s), Qt::RightButton);
        QVERIFY(!list->isVisible());
        QTest::mouseClick(window.centralWidget(), Qt::RightButton, {}, QPoint(2, 2));
        QVERIFY(list->isVisible());
        action("m_clear_all")->trigger();
        QVERIFY(!list->isVisible());
        QCOMPARE(list->count(), 0);
        QVERIFY(w.port.shown.isEmpty());

        // The hidden "Close" owns no mnemonic: Alt+C compares on its first press (both panes show
        // one directory, which the comparison says).
        QTest::keyClick(window.windowHandle(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(w.port.texts(), QStringList { equal_directories_message() });
    }
};

QTEST_MAIN(TestTreeWindows)
#include "tst_treewindows.moc"
