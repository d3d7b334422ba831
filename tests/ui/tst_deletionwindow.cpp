// Deleting and opening from the main window: the lists' context menu on a right click, the two
// drop targets, the delete button and the trash toggle.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "ui/ListDrag.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class MemorySettings : public SettingsStore {
public:
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QHash<QString, QString> values;
};

class RecordingShell : public Shell {
public:
    bool open_url(const QString& url) override { return opened << url, true; }
    bool open_path(const QString& path) override { return opened << path, true; }
    bool start_detached(const QString&, const QStringList&) override { return true; }
    void beep() override {}
    QStringList opened;
};

}  // namespace

class TestDeletionWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> tmp;
    QString dir1, dir2;
    RealFileSystem fs;
    ScriptedPort port;
    MemorySettings settings;
    RecordingShell shell;
    std::unique_ptr<Trace> trace;
    std::unique_ptr<MainController> controller;
    std::unique_ptr<MainWindow> window;

    void open_window()
    {
        trace = std::make_unique<Trace>(fs, port, tmp->path());
        controller = std::make_unique<MainController>(fs, port, settings, *trace);
        window = std::make_unique<MainWindow>(*controller, port, shell);
        QVERIFY(controller->form_load(dir1 + QStringLiteral(" | ") + dir2));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QListView* list(int n) { return window->findChild<QListView*>(QStringLiteral("List%1").arg(n)); }
    void drop(const char* target, QMimeData& mime)
    {
        auto* box = window->findChild<QLabel*>(QString::fromLatin1(target));
        const QPoint at = box->rect().center();
        QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(at, Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(box, &dropped);
        QVERIFY(dropped.isAccepted());
        QCoreApplication::processEvents();  // the drop's work runs once the drag has ended
    }

private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        dir1 = tmp->path() + QStringLiteral("/one");
        dir2 = tmp->path() + QStringLiteral("/two");
        QVERIFY(make_tree(tmp->path(), {QStringLiteral("one"), QStringLiteral("two")},
                          {QStringLiteral("one/a.txt"), QStringLiteral("one/b.txt"), QStringLiteral("two/c.txt")}));
        settings.values.clear();
        settings.values[QStringLiteral("delete_to_trash")] = QStringLiteral("0");
        port = ScriptedPort();
        shell.opened.clear();
        open_window();
    }
    void cleanup()
    {
        window.reset();
        controller.reset();
        QCOMPARE(port.unexpected_questions, 0);
    }

    void right_click_opens_the_menu_and_keeps_the_selection()
    {
        QListView* list1 = list(1);
        const QModelIndex b = list1->model()->index(1, 0);
        list1->selectionModel()->select(b, QItemSelectionModel::Select);
        QTest::mousePress(list1->viewport(), Qt::RightButton, {}, list1->visualRect(list1->model()->index(0, 0)).center());
        auto* menu = window->findChild<QMenu*>(QStringLiteral("m_popup"));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(list1->selectionModel()->selectedRows(), QModelIndexList{b});
        QCOMPARE(controller->deletion().popup_list, 1);
        port.answer(Answer::Yes);
        menu->findChild<QAction*>(QStringLiteral("m_delete_selected_files"))->trigger();
        QCOMPARE(port.texts(), QStringList{QStringLiteral("do you want to delete B.TXT from dir1?")});
        QCOMPARE(entries(dir1), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(controller->lists().list(1).names(), QStringList{QStringLiteral("a.txt")});
        menu->close();

        // "Select all" on list 2 through the keyboard's menu key, then the delete button.
        // (What the window system sends the focused list for the menu key.)
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint());
        QApplication::sendEvent(list(2), &key);
        QCOMPARE(controller->deletion().popup_list, 2);
        menu->findChild<QAction*>(QStringLiteral("m_select_all"))->trigger();
        QCOMPARE(list(2)->selectionModel()->selectedRows().size(), 1);
        port.answer(Answer::No);
        window->findChild<QPushButton*>(QStringLiteral("bot_delete"))->click();
        QCOMPARE(port.texts().mid(1), (QStringList{QStringLiteral("do you want to delete C.TXT from dir2?"),
                                                   QStringLiteral("No file deleted.")}));
    }

    void drops_on_the_two_targets()
    {
        std::unique_ptr<QMimeData> entry(ListDrag{1, QStringLiteral("a.txt")}.to_mime());
        port.answer(Answer::Yes);
        drop("Text2", *entry);
        QCOMPARE(port.texts(), QStringList{QStringLiteral("do you want to delete A.TXT from dir 1?")});
        QCOMPARE(entries(dir1), QStringList{QStringLiteral("b.txt")});

        // The delete target takes list entries only; the open/run target takes texts too.
        QMimeData text;
        text.setText(QStringLiteral("www.example.org"));
        auto* text2 = window->findChild<QLabel*>(QStringLiteral("Text2"));
        QDragEnterEvent refused(QPoint(1, 1), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(text2, &refused);
        QVERIFY(!refused.isAccepted());
        drop("Text1", text);
        QCOMPARE(shell.opened, QStringList{QStringLiteral("https://www.example.org")});
    }

    void trash_toggle_is_stored_and_on_by_default()
    {
        auto* toggle = window->findChild<QAction*>(QStringLiteral("m_delete_to_trash"));
        QVERIFY(toggle && toggle->isCheckable() && !toggle->isChecked());
        toggle->trigger();
        QVERIFY(toggle->isChecked());
        QCOMPARE(settings.values.value(QStringLiteral("delete_to_trash")), QStringLiteral("-1"));
        settings.values.clear();
        window.reset();
        open_window();
        QVERIFY(window->findChild<QAction*>(QStringLiteral("m_delete_to_trash"))->isChecked());
    }
};

QTEST_MAIN(TestDeletionWindow)
#include "tst_deletionwindow.moc"
