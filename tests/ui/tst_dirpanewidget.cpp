// The visible pane: a click highlights, a double click or Enter opens; the drive selector follows.

#include "app/DirPane.h"
#include "tests/util/FakeVolumes.h"
#include "tests/util/TestFiles.h"
#include "ui/DirPaneWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace Qt::StringLiterals;

class TestDirPaneWidget : public QObject {
    Q_OBJECT
private slots:
    void mouse_keys_and_drive_selector()
    {
        QTemporaryDir tmp;
        FakeVolumes fs;
        const QString a = tmp.path() + u"/volA"_s, b = tmp.path() + u"/volB"_s;
        fs.roots = QStringList { a, b };
        QVERIFY(make_tree(tmp.path(), { u"volA/alpha"_s, u"volA/beta"_s, u"volB"_s }));
        DirPane pane(fs);
        QVERIFY(!pane.set_path(a));
        QWidget window;
        auto* view = new DirPaneWidget(pane, 2, &window);
        auto* list = window.findChild<QListWidget*>(u"Dir2"_s);
        auto* box = window.findChild<QComboBox*>(u"Drive2"_s);
        QVERIFY(list && box);
        list->setGeometry(0, 40, 400, 260);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto centre_of = [&](const QString& name) {
            return list->visualItemRect(list->findItems(name, Qt::MatchExactly).value(0)).center();
        };

        QSignalSpy moved(&pane, &DirPane::path_changed);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of(u"beta"_s));
        QCOMPARE(pane.Path(), a);
        QCOMPARE(pane.row_text(pane.highlighted_row()), u"beta"_s);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre_of(u"alpha"_s));
        QCOMPARE(pane.Path(), a + u"/alpha"_s);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up); // the parent's row
        QCOMPARE(moved.size(), 1);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(pane.Path(), a);
        QCOMPARE(moved.size(), 2);

        QSignalSpy menu(view, &DirPaneWidget::context_menu_requested);
        const QPoint at = centre_of(u"beta"_s);
        const int highlighted = pane.highlighted_row();
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(pane.highlighted_row(), highlighted); // the menu acts on the pane's own directory
        QContextMenuEvent right_click(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &right_click);
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu.first().first().toPoint(), list->viewport()->mapToGlobal(at));

        // A choice moves nothing by itself: the selector shows the pane's drive again until code moves it.
        QSignalSpy chosen(view, &DirPaneWidget::drive_chosen);
        box->setCurrentIndex(1);
        emit box->activated(1);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toString(), b);
        QCOMPARE(box->currentData().toString(), a);
        QVERIFY(!pane.set_path(b));
        QCOMPARE(box->currentData().toString(), b);

        // Deep down, the list scrolls to the current directory's subdirectories, not to the root.
        const QString deep = a + u"/1/2/3/4/5/6/7/8/9/10/11/12"_s;
        QVERIFY(make_tree(deep, { u"sub1"_s, u"sub2"_s, u"sub3"_s }));
        QVERIFY(!pane.set_path(deep));
        for (const QString& row : { u"12"_s, u"sub1"_s, u"sub3"_s })
            QVERIFY2(list->viewport()->rect().contains(centre_of(row)), qPrintable(row));
        // Deeper than the list is wide, the current directory's name still stands within it.
        const QString deeper = deep + u"/d"_s.repeated(30);
        QVERIFY(QDir().mkpath(deeper) && !pane.set_path(deeper));
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.widget = list;
        const QModelIndex current = list->currentIndex();
        QVERIFY(list->itemDelegate()->sizeHint(option, current).width() < list->viewport()->width());

        // Moved up and aside to a name that begins as the one left, the list shows the pane's rows.
        QVERIFY(make_tree(a + u"/1/2"_s, { u"33/x"_s }));
        for (const QString& to : QStringList { a + u"/1/2/33"_s, a + u"/1/2/3/4"_s, a + u"/1/2/3"_s }) {
            QVERIFY(!pane.set_path(to));
            QStringList shown, rows;
            for (int i = 0; i < std::max(list->count(), pane.row_count()); ++i) {
                shown << (i < list->count() ? list->item(i)->text() : QString());
                rows << pane.row_text(i);
            }
            QCOMPARE(shown, rows);
            QCOMPARE(list->currentRow(), pane.highlighted_row());
        }
        QVERIFY(!pane.set_path(deep));

        // A folder named like markup is shown as its name, also in its tool tip.
        QVERIFY(make_tree(deep, { u"<b>bold"_s }));
        pane.refresh();
        QTextDocument tip;
        tip.setHtml(list->findItems(u"<b>bold"_s, Qt::MatchExactly).value(0)->toolTip());
        QCOMPARE(tip.toPlainText(), deep + u"/<b>bold"_s);
    }
};

QTEST_MAIN(TestDirPaneWidget)
#include "tst_dirpanewidget.moc"
