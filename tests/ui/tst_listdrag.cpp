// Moving files with the mouse in the real window: which controls take a dragged entry, a drop
// reaching the disk, and an align button with its progress bar and focus.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "ui/ListDrag.h"
#include "ui/MainWindow.h"

#include <QDragEnterEvent>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct NoSettings : SettingsStore {
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override { }
};

struct NoShell : Shell {
    bool open_url(const QString&) override { return false; }
    bool open_path(const QString&) override { return false; }
    bool start_detached(const QString&, const QStringList&) override { return false; }
    void beep() override { }
};

} // namespace

class TestListDrag : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        dir1 = tmp->path() + u"/one/";
        dir2 = tmp->path() + u"/two/";
        QVERIFY(make_tree(tmp->path(), { u"one"_qs, u"two"_qs }));
        QVERIFY(make_file(dir1 + u"newer.txt", "new", 1700000100) && make_file(dir2 + u"newer.txt", "old", 1700000000));
        QVERIFY(make_file(dir1 + u"a.txt", "a", 1700000000) && make_file(dir1 + u"b.txt", "b", 1700000000));
        trace = std::make_unique<Trace>(fs, port, tmp->path());
        controller = std::make_unique<MainController>(fs, port, settings, *trace);
        window = std::make_unique<MainWindow>(*controller, port, shell);
        QVERIFY(controller->form_load(dir1 + u" | " + dir2));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        controller.reset();
        trace.reset();
    }

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
            auto* view = window->findChild<QListView*>(u"List%1"_qs.arg(target));
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
            auto* w = window->findChild<QWidget*>(name);
            QVERIFY2(w && !accepts(w, 1), qPrintable(name));
        }
    }

    void a_drop_moves_the_file_once_the_drag_is_over()
    {
        auto* list5 = window->findChild<QListView*>(u"List5"_qs);
        const std::unique_ptr<QMimeData> mime(ListDrag { 3, u"newer.txt"_qs }.to_mime());
        // A drop goes where the drag entered.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list5->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(list5->viewport(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(controller->lists().list(3).count(), 1); // not inside the drag's own event
        QTRY_COMPARE(controller->lists().list(5).names(), QStringList { u"newer.txt"_qs });
        QFile copy(dir2 + u"newer.txt");
        QVERIFY(copy.open(QIODevice::ReadOnly) && copy.readAll() == "new");
    }

    void align_button_copies_and_gives_exit_the_focus()
    {
        auto* progress = window->findChild<QProgressBar*>(u"align_progress"_qs);
        int largest = 0;
        connect(progress, &QProgressBar::valueChanged, this, [&](int v) { largest = std::max(largest, v); });
        QTest::mouseClick(window->findChild<QPushButton*>(u"bot_list1"_qs), Qt::LeftButton);
        QCOMPARE(controller->lists().list(5).names(), (QStringList { u"a.txt"_qs, u"b.txt"_qs }));
        QVERIFY(QFile::exists(dir2 + u"a.txt") && QFile::exists(dir2 + u"b.txt"));
        QCOMPARE(largest, progress->maximum());
        QVERIFY(progress->isHidden());
        QTRY_VERIFY(window->findChild<QPushButton*>(u"bot_exit"_qs)->hasFocus());
        QVERIFY(!window->findChild<QPushButton*>(u"bot_cancel"_qs)->isEnabled());
    }

private:
    std::unique_ptr<QTemporaryDir> tmp;
    QString dir1, dir2;
    RealFileSystem fs;
    ScriptedPort port;
    NoSettings settings;
    NoShell shell;
    std::unique_ptr<Trace> trace;
    std::unique_ptr<MainController> controller;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(TestListDrag)
#include "tst_listdrag.moc"
