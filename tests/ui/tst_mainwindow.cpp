// The main window as a person meets it: clicks and hovering reaching the logic, the hint line,
// the keyboard and a screen reader's view, captions at the smallest size.

#include "app/MainController.h"
#include "platform/RealFileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "ui/MainWindow.h"

#include <QAccessible>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class NoSettings : public SettingsStore {
public:
    QString get_setting(const QString&) const override { return {}; }
    void save_setting(const QString&, const QString&) override { }
};

class NoShell : public Shell {
public:
    bool open_url(const QString&) override { return true; }
    bool open_path(const QString&) override { return true; }
    bool start_detached(const QString&, const QStringList&) override { return true; }
    void beep() override { }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        dir1 = tmp->path() + QStringLiteral("/one");
        dir2 = tmp->path() + QStringLiteral("/two");
        QVERIFY(make_tree(tmp->path(), { QStringLiteral("one"), QStringLiteral("two") }));
        QVERIFY(make_file(dir1 + QStringLiteral("/newer.txt"), "new", 1700000100));
        QVERIFY(make_file(dir2 + QStringLiteral("/newer.txt"), "old", 1700000000));
        QVERIFY(make_file(dir2 + QStringLiteral("/only2.txt"), "2", 1700000000));
        QVERIFY(make_file(dir2 + QStringLiteral("/<b>x.txt"), "2", 1700000000));
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

    void clicking_an_entry_changes_the_align_caption()
    {
        auto* list3 = window->findChild<QListView*>(QStringLiteral("List3"));
        auto* button = window->findChild<QPushButton*>(QStringLiteral("bot_list3"));
        QCOMPARE(list3->model()->index(0, 0).data().toString(), QStringLiteral("newer.txt"));
        const QRect row = list3->visualRect(list3->model()->index(0, 0));
        QTest::mouseClick(list3->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(button->text(), QStringLiteral("align selected files"));
        QTest::mouseClick(list3->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
        QCOMPARE(button->text(), QStringLiteral("align all files"));
    }

    void hovering_shows_details_and_the_panes_restore_the_hint()
    {
        auto* list2 = window->findChild<QListView*>(QStringLiteral("List2"));
        auto* hint = window->findChild<QLabel*>(QStringLiteral("lab_drag_drop"));
        const QRect row = list2->visualRect(list2->model()->index(0, 0));
        QTest::mouseMove(list2->viewport(), row.center());
        QTRY_VERIFY(hint->text().endsWith(dir2 + QStringLiteral("/<b>x.txt")));
        // What a screen reader reads follows the text.
        QCOMPARE(hint->accessibleDescription(), hint->text());
        // A name is text, never markup.
        QCOMPARE(hint->textFormat(), Qt::PlainText);
        for (const char* pane : { "Dir1", "Dir2" }) {
            QTest::mouseMove(list2->viewport(), row.center());
            QTRY_VERIFY(hint->text() != FileListsModel::standing_hint());
            auto* dirs = window->findChild<QAbstractItemView*>(QString::fromLatin1(pane));
            QTest::mouseMove(dirs->viewport(), dirs->viewport()->rect().center());
            QTRY_COMPARE(hint->text(), FileListsModel::standing_hint());
        }
    }

    void keyboard_and_screen_reader()
    {
        // Tab follows the screen: panes, the five lists left to right, then the buttons.
        QStringList order;
        QWidget* w = window->findChild<QWidget*>(QStringLiteral("Drive1"));
        for (int i = 0; i < 19; ++i, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order.join(u' '),
            QStringLiteral("Drive1 Dir1 b_next_alignment Drive2 Dir2 List1 List3 List5 List4 List2 bot_list1 "
                           "bot_list3 bot_list4 bot_list2 bot_compare_tree bot_compare bot_delete bot_cancel "
                           "bot_exit"));

        // Drive selectors are named for their pane, not for the volume they show.
        for (int n = 1; n <= 2; ++n) {
            QAccessibleInterface* drive
                = QAccessible::queryAccessibleInterface(window->findChild<QWidget*>(QStringLiteral("Drive%1").arg(n)));
            QCOMPARE(drive->text(QAccessible::Name), QStringLiteral("dir %1 drive").arg(n));
            QCOMPARE(drive->text(QAccessible::Value), QStringLiteral("/"));
        }
        for (int n = 1; n <= 4; ++n) {
            auto* align = window->findChild<QPushButton*>(QStringLiteral("bot_list%1").arg(n));
            QVERIFY(align->accessibleDescription().contains(QStringLiteral("list %1").arg(n)));
        }
    }

    void captions_fit_at_the_minimum_size()
    {
        window->resize(100, 100);
        window->apply_layout();
        controller->lists().list(3).select_row(0, true);
        controller->lists().set_align_caption(3); // the longest caption, "align selected files"
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            QStyleOptionButton option;
            option.initFrom(button);
            const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
            const int needed = button->style()->sizeFromContents(QStyle::CT_PushButton, &option, text, button).width();
            QVERIFY2(needed <= button->width(), qPrintable(button->objectName() + u' ' + button->text()));
        }
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
