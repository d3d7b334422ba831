// The main window as a person meets it: mouse, hint line, keyboard, screen reader, captions that fit.

#include "tests/util/WindowPair.h"
#include "ui/MainLayout.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <optional>

using namespace Qt::StringLiterals;

class TestMainWindow : public QObject {
    Q_OBJECT
    std::optional<WindowPair> pair;
    MainWindow* window = nullptr;

private slots:
    void init()
    {
        pair.emplace();
        QVERIFY(make_file(pair->dir1 + u"/newer.txt"_s, "new", 1700000100)
            && make_file(pair->dir2 + u"/newer.txt"_s, "old", 1700000000) && make_file(pair->dir2 + u"/only2.txt"_s)
            && make_file(pair->dir2 + u"/<b>x.txt"_s)); // a name is text, never markup
        pair->open();
        window = pair->window.get();
    }
    void cleanup() { pair.reset(); }

    void clicking_an_entry_changes_the_align_caption()
    {
        auto* list3 = window->findChild<QListView*>(u"List3"_s);
        auto* button = window->findChild<QPushButton*>(u"bot_list3"_s);
        const QRect row = list3->visualRect(list3->model()->index(0, 0));
        QTest::mouseClick(list3->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(button->text(), u"align selected files"_s);
        QTest::mouseClick(list3->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
        QCOMPARE(button->text(), u"align all files"_s);

        // A move below the drag distance, even onto the next entry, selects no range.
        auto* list2 = window->findChild<QListView*>(u"List2"_s);
        const QPoint bottom = list2->visualRect(list2->model()->index(0, 0)).bottomLeft() + QPoint(5, -1);
        QTest::mousePress(list2->viewport(), Qt::LeftButton, {}, bottom);
        QMouseEvent move(QEvent::MouseMove, bottom + QPoint(0, 4),
            list2->viewport()->mapToGlobal(bottom + QPoint(0, 4)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(list2->viewport(), &move);
        QTest::mouseRelease(list2->viewport(), Qt::LeftButton, {}, bottom + QPoint(0, 4));
        QCOMPARE(list2->selectionModel()->selectedRows().size(), 1);
    }

    void hovering_shows_details_and_the_panes_restore_the_hint()
    {
        auto* list2 = window->findChild<QListView*>(u"List2"_s);
        auto* hint = window->findChild<QLabel*>(u"lab_drag_drop"_s);
        const QRect row = list2->visualRect(list2->model()->index(0, 0));
        QTest::mouseMove(list2->viewport(), row.center());
        QTRY_VERIFY(hint->text().endsWith(pair->dir2 + u"/<b>x.txt"_s));
        QCOMPARE(hint->textFormat(), Qt::PlainText); // a name is shown as it is, never as markup
        for (const char* pane : { "Dir1", "Dir2" }) {
            QTest::mouseMove(list2->viewport(), row.center());
            QTRY_VERIFY(hint->text() != FileListsModel::standing_hint());
            auto* dirs = window->findChild<QAbstractItemView*>(QString::fromLatin1(pane));
            QTest::mouseMove(dirs->viewport(), dirs->viewport()->rect().center());
            QTRY_COMPARE(hint->text(), FileListsModel::standing_hint());
        }
        auto* open_target = window->findChild<QWidget*>(u"Text1"_s);
        QTest::mouseMove(open_target, open_target->rect().center());
        QTRY_COMPARE(hint->text(), QString());
    }

    void keyboard_and_screen_reader()
    {
        // Tab follows the screen: panes, the five lists left to right, then the buttons.
        QStringList order;
        QWidget* w = window->findChild<QWidget*>(u"Drive1"_s);
        for (int i = 0; i < 19; ++i, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order.join(u' '),
            QStringLiteral("Drive1 Dir1 b_next_alignment Drive2 Dir2 List1 List3 List5 List4 List2 bot_list1 "
                           "bot_list3 bot_list4 bot_list2 bot_compare_tree bot_compare bot_delete bot_cancel "
                           "bot_exit"));

        // Drive selectors are announced by their pane, lists by their captions, align buttons by their list.
        for (int n = 1; n <= 2; ++n)
            QCOMPARE(QAccessible::queryAccessibleInterface(window->findChild<QWidget*>(u"Drive%1"_s.arg(n)))
                         ->text(QAccessible::Name),
                u"dir %1 drive"_s.arg(n));
        for (int n = 1; n <= 4; ++n) {
            auto* align = window->findChild<QPushButton*>(u"bot_list%1"_s.arg(n));
            QVERIFY(align->accessibleName().endsWith(u" of "_s + pair->controller.lists().caption(n)));
        }
        auto* list3 = window->findChild<QListView*>(u"List3"_s);
        QCOMPARE(list3->accessibleName(), pair->controller.lists().caption(3));

        // An entry reached with the arrow keys shows its details on the hint line.
        auto* hint = window->findChild<QLabel*>(u"lab_drag_drop"_s);
        list3->setFocus();
        QTest::keyClick(list3, Qt::Key_Down);
        QVERIFY(hint->accessibleDescription().endsWith(pair->dir2 + u"/newer.txt"_s));
        // Shift+F10 opens the list's menu; Delete asks about the focused entry.
        QTest::keyClick(list3, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(window->findChild<QMenu*>(u"m_popup"_s)->isVisible());
        window->findChild<QMenu*>(u"m_popup"_s)->close();
        pair->port.answer(Answer::No);
        QTest::keyClick(list3, Qt::Key_Delete);
        QCOMPARE(pair->port.texts().value(0), u"do you want to delete NEWER.TXT from dir 1?"_s);
        // Ctrl+Enter opens both copies as the open/run target does.
        QTest::keyClick(list3, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(pair->shell.paths, (QStringList { pair->dir1 + u"/newer.txt"_s, pair->dir2 + u"/newer.txt"_s }));
    }

    void laid_out_in_pixels_with_captions_that_fit()
    {
        // Grown, then raised to the minimum; nothing clipped, the lists as far from the right edge as the left.
        const QSize frame_extra = window->frameGeometry().size() - window->size();
        for (const QSize size : { QSize(1280, 900), QSize(100, 100) }) {
            window->resize(size);
            window->apply_layout();
            QCOMPARE(window->frameGeometry().size(), (size + frame_extra).expandedTo(QSize(641, 482)));
            for (const QString& name : laid_out_controls()) {
                const QWidget* w = window->findChild<QWidget*>(name);
                QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(name));
            }
            const QRect list1 = window->findChild<QListView*>(u"List1"_s)->geometry();
            QCOMPARE(window->findChild<QListView*>(u"List2"_s)->geometry().right() + 1,
                window->centralWidget()->width() - list1.x());
            QVERIFY(window->findChild<QWidget*>(u"b_next_alignment"_s)->isHidden());
        }
        pair->controller.lists().list(3).select_row(0, true);
        pair->controller.lists().set_align_caption(3); // the longest caption, "align selected files"
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            QStyleOptionButton option;
            option.initFrom(button);
            const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
            const int needed = button->style()->sizeFromContents(QStyle::CT_PushButton, &option, text, button).width();
            QVERIFY2(needed <= button->width(), qPrintable(button->objectName() + u' ' + button->text()));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
