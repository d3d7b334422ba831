// Dragging in the real window: which controls take an entry, drops, align progress, menu, targets, trash.

#include "app/RunGate.h"
#include "tests/util/WindowPair.h"
#include "ui/ListDrag.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <optional>

namespace {

using Command = std::function<void(WindowPair&)>; // given through the window while an alignment runs

// Drags `mime` (then deleted) onto `target` and drops it, then lets what the drop queued run
// unless `settle` is false; true when both were taken.
bool drop_on(QWidget* target, QMimeData* mime, bool settle = true)
{
    const std::unique_ptr<QMimeData> owned(mime);
    QDragEnterEvent enter(QPoint(2, 2), Qt::MoveAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPoint(2, 2), Qt::MoveAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &dropped);
    if (settle)
        QTest::qWait(20);
    return enter.isAccepted() && dropped.isAccepted();
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TestListDrag : public QObject {
    Q_OBJECT
    std::optional<WindowPair> w;

private slots:
    void init()
    {
        w.emplace();
        QVERIFY(make_file(w->dir1 + u"/newer.txt", "new", 1700000100)
            && make_file(w->dir2 + u"/newer.txt", "old", 1700000000));
        QVERIFY(make_file(w->dir1 + u"/a.txt", "a", 1700000000) && make_file(w->dir1 + u"/b.txt", "b", 1700000000));
        w->settings.values[u"delete_to_trash"_qs] = u"0"_qs;
        w->open();
    }
    void cleanup() { w.reset(); }

    void only_lists_1_2_and_5_take_drops()
    {
        // Entered and left again, so that no later drop goes to a control the test has left.
        auto accepts = [&](QWidget* target, int source) {
            const std::unique_ptr<QMimeData> mime(ListDrag { source, u"newer.txt"_qs }.to_mime());
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            enter.ignore();
            QCoreApplication::sendEvent(target, &enter);
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(target, &leave);
            return target->acceptDrops() && enter.isAccepted();
        };
        for (int target = 1; target <= 5; ++target)
            for (int source = 1; source <= 5; ++source)
                QVERIFY2(accepts(w->find<QListView>(u"List%1"_qs.arg(target))->viewport(), source)
                        == (target != source && target != 3 && target != 4),
                    qPrintable(u"%1 on %2"_qs.arg(source).arg(target)));
        // No other control than the lists and the two targets takes a drop.
        for (QWidget* widget : w->window->findChildren<QWidget*>()) {
            const QWidget* list = widget->parentWidget();
            if (!(list && list->objectName().startsWith(u"List"_qs)) && !widget->objectName().startsWith(u"Text"_qs))
                QVERIFY2(!accepts(widget, 1), qPrintable(widget->objectName()));
        }
    }

    void a_drop_runs_once_the_drag_is_over_and_an_align_shows_progress()
    {
        QVERIFY(drop_on(w->find<QListView>(u"List5"_qs)->viewport(), ListDrag { 3, u"newer.txt"_qs }.to_mime(), false));
        QCOMPARE(w->lists.list(3).count(), 1); // not inside the drag's own event
        QTRY_COMPARE(w->lists.list(5).names(), QStringList { u"newer.txt"_qs });

        auto* progress = w->find<QProgressBar>(u"align_progress"_qs);
        int largest = 0;
        connect(progress, &QProgressBar::valueChanged, this, [&](int v) { largest = std::max(largest, v); });
        QTest::mouseClick(w->find<QPushButton>(u"bot_list1"_qs), Qt::LeftButton);
        QCOMPARE(w->lists.list(5).names(), (QStringList { u"a.txt"_qs, u"b.txt"_qs, u"newer.txt"_qs }));
        QVERIFY(largest == progress->maximum() && progress->isHidden());
        QTRY_VERIFY(w->find<QPushButton>(u"bot_exit"_qs)->hasFocus());
        QVERIFY(!w->find<QPushButton>(u"bot_cancel"_qs)->isEnabled());
    }

    void commands_wait_for_a_running_alignment_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<bool>("beeps"); // refused with a beep; a drop is not taken, a pane is disabled
        auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
            // To the window, where the buttons' mnemonics are found; a button clicks a moment later.
            return [k, mods](WindowPair& w) {
                QTest::keyClick(w.window->windowHandle(), k, mods);
                QTest::qWait(200);
            };
        };
        auto drop = [](const char* target) {
            return [target](WindowPair& w) {
                QWidget* on = w.find<QWidget>(QString::fromLatin1(target));
                if (auto* list = qobject_cast<QListView*>(on))
                    on = list->viewport();
                drop_on(on, ListDrag { 1, u"a.txt"_qs }.to_mime()); // an entry the alignment leaves alone
            };
        };
        auto list1_key = [](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
            return [k, mods](WindowPair& w) {
                auto* list = w.find<QListView>(u"List1"_qs);
                list->setCurrentIndex(list->model()->index(0, 0));
                QTest::keyClick(list, k, mods);
            };
        };
        // An entry of list 3 is selected before each command.
        QTest::newRow("Alt+D") << Command(key(Qt::Key_D, Qt::AltModifier)) << true;
        QTest::newRow("list menu") << Command([](WindowPair& w) {
            w.controller.set_popup_list(3);
            w.find<QAction>(u"m_delete_all_files"_qs)->trigger();
        }) << true;
        QTest::newRow("delete target") << Command(drop("Text2")) << false;
        QTest::newRow("open target") << Command(drop("Text1")) << false;
        QTest::newRow("list drop") << Command(drop("List5")) << false;
        QTest::newRow("Ctrl+Enter") << Command(list1_key(Qt::Key_Return, Qt::ControlModifier)) << true;
        QTest::newRow("Delete key") << Command(list1_key(Qt::Key_Delete)) << true;
        QTest::newRow("history entry") << Command([](WindowPair& w) {
            w.history.store().add_to_history(history_entry(w.dir2, w.dir1));
            QTest::keyClick(w.window.get(), Qt::Key_F8);
            QTest::keyClick(w.find<QWidget>(u"history"_qs), Qt::Key_Return);
        }) << true;
        QTest::newRow("compare button") << Command([](WindowPair& w) {
            w.find<QPushButton>(u"bot_compare"_qs)->click();
        }) << true;
        QTest::newRow("compare trees") << Command([](WindowPair& w) {
            w.find<QPushButton>(u"bot_compare_tree"_qs)->click();
        }) << true;
        QTest::newRow("refresh") << Command([](WindowPair& w) { w.find<QAction>(u"m_refresh"_qs)->trigger(); }) << true;
        QTest::newRow("create directory") << Command([](WindowPair& w) {
            w.controller.set_popup_dir_pane(1);
            w.find<QAction>(u"m_create_dir"_qs)->trigger();
        }) << true;
        QTest::newRow("drive change") << Command([](WindowPair& w) {
            emit w.find<QComboBox>(u"Drive1"_qs)->activated(0);
        }) << true;
        QTest::newRow("directory change") << Command([](WindowPair& w) {
            auto* dirs = w.find<QListWidget>(u"Dir1"_qs);
            dirs->setCurrentRow(dirs->count() - 1); // the subdirectory "sub"
            QTest::keyClick(dirs, Qt::Key_Return);
        }) << false;
    }

    // A command given while an alignment runs waits: every entry is aligned and nothing else changes.
    void commands_wait_for_a_running_alignment()
    {
        QFETCH(Command, command);
        QFETCH(bool, beeps);
        for (const QString& name : { u"/x.txt"_qs, u"/y.txt"_qs, u"/z.txt"_qs })
            QVERIFY(make_file(w->dir1 + name, "new", 1700000100) && make_file(w->dir2 + name, "old", 1700000000));
        QVERIFY(QDir().mkpath(w->dir1 + u"/sub"_qs));
        w->open();
        w->controller.m_skip_delete_confirmations_Click();
        FileListsModel& lists = w->lists;
        const QStringList newer = lists.list(3).names(), before1 = lists.list(1).names(), on_disk = entries(w->dir1);
        int refused = 0;
        connect(&w->controller.gate(), &RunGate::refused, this, [&] { ++refused; });
        w->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->window.get()));
        int runs = 0;
        w->port.during_events = [&] {
            if (++runs < 2)
                return false; // the second file is being copied
            lists.list(3).select_row(0, true);
            command(*w);
            return true;
        };
        QTest::mouseClick(w->find<QPushButton>(u"bot_list3"_qs), Qt::LeftButton);
        QCOMPARE(runs, 2); // the command was given
        QCOMPARE(refused, beeps ? 1 : 0);
        QCOMPARE(lists.list(3).names(), QStringList());
        QCOMPARE(lists.list(5).names(), newer);
        QCOMPARE(lists.list(1).names(), before1);
        QCOMPARE(entries(w->dir1), on_disk);
        QCOMPARE(w->controller.pane(1).Path(), w->dir1);
        QCOMPARE(w->shell.paths, QStringList()); // a question asked would have failed the test
    }

    void menu_drops_and_trash_toggle()
    {
        // A right click opens the menu and leaves the selection alone: it is what the menu deletes.
        auto* list1 = w->find<QListView>(u"List1"_qs);
        const QModelIndex b = list1->model()->index(1, 0);
        list1->selectionModel()->select(b, QItemSelectionModel::Select);
        QTest::mousePress(
            list1->viewport(), Qt::RightButton, {}, list1->visualRect(list1->model()->index(0, 0)).center());
        auto* menu = w->find<QMenu>(u"m_popup"_qs);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(list1->selectionModel()->selectedRows(), QModelIndexList { b });
        w->port.answer(Answer::Yes);
        menu->findChild<QAction*>(u"m_delete_selected_files"_qs)->trigger();
        QCOMPARE(entries(w->dir1), (QStringList { u"a.txt"_qs, u"newer.txt"_qs }));
        menu->close();

        // The delete target takes list entries; the open/run target texts from elsewhere too.
        w->port.answer(Answer::Yes);
        QVERIFY(drop_on(w->find<QLabel>(u"Text2"_qs), ListDrag { 1, u"a.txt"_qs }.to_mime()));
        QCOMPARE(entries(w->dir1), QStringList { u"newer.txt"_qs });
        auto* text = new QMimeData;
        text->setText(u"www.example.org"_qs);
        QVERIFY(drop_on(w->find<QLabel>(u"Text1"_qs), text));
        QVERIFY(make_file(w->dir1 + u"/late.txt"_qs)); // on disk, not in the list: not opened
        QVERIFY(drop_on(w->find<QLabel>(u"Text1"_qs), ListDrag { 1, u"late.txt"_qs }.to_mime()));
        QCOMPARE(w->shell.urls + w->shell.paths, QStringList { u"https://www.example.org"_qs });

        auto* toggle = w->find<QAction>(u"m_delete_to_trash"_qs);
        QVERIFY(!toggle->isChecked()); // stored off
        toggle->trigger();
        QCOMPARE(w->settings.values.value(u"delete_to_trash"_qs), u"-1"_qs);
        w->settings.values.clear();
        w->open(w->dir1 + u" | "_qs + w->dir1);
        QVERIFY(w->find<QAction>(u"m_delete_to_trash"_qs)->isChecked()); // on when nothing is stored
    }
};

QTEST_MAIN(TestListDrag)
#include "tst_listdrag.moc"
