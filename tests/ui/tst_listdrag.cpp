// Moving files with the mouse in the real window: which controls take a dragged entry, a drop
// reaching the disk, and an align button with its progress bar and focus.

#include "tests/util/WindowPair.h"
#include "ui/ListDrag.h"

#include <QDragEnterEvent>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>

#include <optional>

class TestListDrag : public QObject {
    Q_OBJECT
    std::optional<WindowPair> w;

private slots:
    void init()
    {
        w.emplace();
        QVERIFY(make_file(w->dir1 + u"newer.txt", "new", 1700000100)
            && make_file(w->dir2 + u"newer.txt", "old", 1700000000));
        QVERIFY(make_file(w->dir1 + u"a.txt", "a", 1700000000) && make_file(w->dir1 + u"b.txt", "b", 1700000000));
        w->open(w->dir1, w->dir2);
    }
    void cleanup() { w.reset(); }

    void only_lists_1_2_and_5_take_drops()
    {
        auto accepts = [&](QWidget* target, int source) {
            const std::unique_ptr<QMimeData> mime(ListDrag { source, u"newer.txt"_qs }.to_mime());
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            enter.ignore();
            QCoreApplication::sendEvent(target, &enter);
            // Leaves again, so that no later drop goes to a control the test has left.
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(target, &leave);
            return target->acceptDrops() && enter.isAccepted();
        };
        for (int target = 1; target <= 5; ++target) {
            auto* view = w->find<QListView>(u"List%1"_qs.arg(target));
            for (int source = 1; source <= 5; ++source) {
                const bool taken = target != source && (target == 1 || target == 2 || target == 5);
                QVERIFY2(
                    accepts(view->viewport(), source) == taken, qPrintable(u"%1 on %2"_qs.arg(source).arg(target)));
            }
        }
        // Every other control shows the no-drop pointer and does nothing.
        const QStringList refusing { u"bot_list1"_qs, u"bot_list2"_qs, u"bot_list3"_qs, u"bot_list4"_qs,
            u"bot_compare"_qs, u"bot_delete"_qs, u"Dir1"_qs, u"Dir2"_qs, u"Drive1"_qs, u"Drive2"_qs, u"lab_dir1"_qs,
            u"lab_dir2"_qs, u"lab_list1"_qs, u"lab_list5"_qs, u"lab_drag_drop"_qs, u"lab_drop_to_delete"_qs,
            u"lab_drop_to_see"_qs, u"client"_qs, u"Frame_bottoni"_qs, u"history"_qs };
        for (const QString& name : refusing) {
            auto* widget = w->find<QWidget>(name);
            QVERIFY2(widget && !accepts(widget, 1), qPrintable(name));
        }
    }

    void a_drop_moves_the_file_once_the_drag_is_over()
    {
        auto* list5 = w->find<QListView>(u"List5"_qs);
        const std::unique_ptr<QMimeData> mime(ListDrag { 3, u"newer.txt"_qs }.to_mime());
        // A drop goes where the drag entered.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list5->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list5->viewport(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(w->controller->lists().list(3).count(), 1); // not inside the drag's own event
        QTRY_COMPARE(w->controller->lists().list(5).names(), QStringList { u"newer.txt"_qs });
        QFile copy(w->dir2 + u"newer.txt");
        QVERIFY(copy.open(QIODevice::ReadOnly) && copy.readAll() == "new");
    }

    void align_button_shows_progress_and_gives_exit_the_focus()
    {
        auto* progress = w->find<QProgressBar>(u"align_progress"_qs);
        int largest = 0;
        connect(progress, &QProgressBar::valueChanged, this, [&](int v) { largest = std::max(largest, v); });
        QTest::mouseClick(w->find<QPushButton>(u"bot_list1"_qs), Qt::LeftButton);
        QCOMPARE(w->controller->lists().list(5).names(), (QStringList { u"a.txt"_qs, u"b.txt"_qs }));
        QCOMPARE(largest, progress->maximum());
        QVERIFY(progress->isHidden());
        QTRY_VERIFY(w->find<QPushButton>(u"bot_exit"_qs)->hasFocus());
        QVERIFY(!w->find<QPushButton>(u"bot_cancel"_qs)->isEnabled());
    }
};

QTEST_MAIN(TestListDrag)
#include "tst_listdrag.moc"
