// The main window as a person meets it: every control under its own name, the lists showing the
// model, clicks and hovering reaching the logic.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class NoSettings : public SettingsStore {
public:
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override {}
};

class NoShell : public Shell {
public:
    bool open_url(const QString&) override { return true; }
    bool open_path(const QString&) override { return true; }
    bool start_detached(const QString&, const QStringList&) override { return true; }
    void beep() override {}
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        dir1 = tmp->path() + QStringLiteral("/one");
        dir2 = tmp->path() + QStringLiteral("/two");
        QVERIFY(make_tree(tmp->path(), {QStringLiteral("one"), QStringLiteral("two")}));
        QVERIFY(make_file(dir1 + QStringLiteral("/newer.txt"), "new", 1700000100));
        QVERIFY(make_file(dir2 + QStringLiteral("/newer.txt"), "old", 1700000000));
        QVERIFY(make_file(dir2 + QStringLiteral("/only2.txt"), "2", 1700000000));
        trace = std::make_unique<Trace>(fs, port, tmp->path());
        controller = std::make_unique<MainController>(fs, port, settings, *trace);
        window = std::make_unique<MainWindow>(*controller, port, shell);
        QVERIFY(controller->form_load(dir1 + QStringLiteral(" | ") + dir2));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        controller.reset();
        trace.reset();
    }

    void every_control_has_its_name_and_description()
    {
        const QStringList names = {
            QStringLiteral("Drive1"), QStringLiteral("Dir1"), QStringLiteral("Drive2"), QStringLiteral("Dir2"),
            QStringLiteral("lab_dir1"), QStringLiteral("lab_dir2"), QStringLiteral("lab_bytes_dir1"),
            QStringLiteral("Text1"), QStringLiteral("Text2"), QStringLiteral("lab_drop_to_see"),
            QStringLiteral("lab_drop_to_delete"), QStringLiteral("b_next_alignment"), QStringLiteral("lab_drag_drop"),
            QStringLiteral("Frame_bottoni"), QStringLiteral("bot_compare_tree"), QStringLiteral("bot_compare"),
            QStringLiteral("bot_delete"), QStringLiteral("bot_cancel"), QStringLiteral("bot_exit"),
            QStringLiteral("history")};
        for (const QString& name : names)
            QVERIFY2(window->findChild<QWidget*>(name), qPrintable(name));
        for (int n = 1; n <= 5; ++n) {
            auto* list = window->findChild<QListView*>(QStringLiteral("List%1").arg(n));
            QVERIFY(list);
            QVERIFY(!list->accessibleDescription().isEmpty());
            QVERIFY(window->findChild<QLabel*>(QStringLiteral("lab_list%1").arg(n)));
        }
        QVERIFY(!window->findChild<QWidget*>(QStringLiteral("Text2"))->accessibleDescription().isEmpty());
    }

    void lists_show_the_comparison()
    {
        auto* lab3 = window->findChild<QLabel*>(QStringLiteral("lab_list3"));
        QCOMPARE(lab3->text(), QStringLiteral("newer in dir 1"));
        auto* list3 = window->findChild<QListView*>(QStringLiteral("List3"));
        QCOMPARE(list3->model()->rowCount(), 1);
        QCOMPARE(list3->model()->index(0, 0).data().toString(), QStringLiteral("newer.txt"));
        QVERIFY(window->findChild<QPushButton*>(QStringLiteral("bot_list3"))->isVisible());
        QVERIFY(window->findChild<QPushButton*>(QStringLiteral("bot_cancel"))->isEnabled());
    }

    void clicking_an_entry_changes_the_align_caption()
    {
        auto* list3 = window->findChild<QListView*>(QStringLiteral("List3"));
        auto* button = window->findChild<QPushButton*>(QStringLiteral("bot_list3"));
        const QRect row = list3->visualRect(list3->model()->index(0, 0));
        QTest::mouseClick(list3->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(button->text(), QStringLiteral("align selected files"));
        QTest::mouseClick(list3->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
        QCOMPARE(button->text(), QStringLiteral("align all files"));
    }

    void hovering_shows_details_and_the_background_the_hint()
    {
        auto* list2 = window->findChild<QListView*>(QStringLiteral("List2"));
        auto* hint = window->findChild<QLabel*>(QStringLiteral("lab_drag_drop"));
        const QRect row = list2->visualRect(list2->model()->index(0, 0));
        QTest::mouseMove(list2->viewport(), row.center());
        QTRY_VERIFY(hint->text().endsWith(dir2 + QStringLiteral("/only2.txt")));
        QTest::mouseMove(list2->viewport(), QPoint(row.center().x(), list2->viewport()->height() - 2));
        QTRY_COMPARE(hint->text(), FileListsModel::standing_hint());
    }

    void the_one_hour_toggle_is_a_checked_menu_command()
    {
        auto* action = window->findChild<QAction*>(QStringLiteral("m_ignore_one_hour_differences"));
        QVERIFY(action && action->isCheckable() && !action->isChecked());
        action->trigger();
        QVERIFY(action->isChecked());
        QVERIFY(controller->globals().GLB_ignore_one_hour_diff);
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

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
