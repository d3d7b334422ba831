// Deleting and opening from the main window: the lists' context menu, the drop targets, the trash toggle.

#include "tests/util/WindowPair.h"
#include "ui/ListDrag.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

class TestDeletionWindow : public QObject {
    Q_OBJECT
private slots:
    void menu_drops_and_trash_toggle()
    {
        WindowPair w;
        QVERIFY(make_tree(w.dir1, {}, { u"a.txt"_s, u"b.txt"_s }));
        w.settings.values[u"delete_to_trash"_s] = u"0"_s;
        w.open(w.dir1, w.dir2);

        // A right click opens the lists' menu and leaves the selection alone: it is what the
        // menu deletes.
        auto* list1 = w.find<QListView>(u"List1"_s);
        const QModelIndex b = list1->model()->index(1, 0);
        list1->selectionModel()->select(b, QItemSelectionModel::Select);
        QTest::mousePress(
            list1->viewport(), Qt::RightButton, {}, list1->visualRect(list1->model()->index(0, 0)).center());
        auto* menu = w.find<QMenu>(u"m_popup"_s);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(list1->selectionModel()->selectedRows(), QModelIndexList { b });
        w.port.answer(Answer::Yes);
        menu->findChild<QAction*>(u"m_delete_selected_files"_s)->trigger();
        QCOMPARE(w.port.texts(), QStringList { u"do you want to delete B.TXT from dir1?"_s });
        QCOMPARE(entries(w.dir1), QStringList { u"a.txt"_s });
        menu->close();

        // The delete target takes list entries; the open/run target texts from elsewhere too.
        auto drop = [&](const char* target, QMimeData* mime) {
            QLabel* box = w.find<QLabel>(QString::fromLatin1(target));
            QDragEnterEvent enter(QPoint(2, 2), Qt::MoveAction, mime, Qt::LeftButton, {});
            QApplication::sendEvent(box, &enter);
            QDropEvent dropped(QPoint(2, 2), Qt::MoveAction, mime, Qt::LeftButton, {});
            QApplication::sendEvent(box, &dropped);
            QCoreApplication::processEvents(); // the drop's work runs once the drag has ended
            delete mime;
            return enter.isAccepted() && dropped.isAccepted();
        };
        w.port.answer(Answer::Yes);
        QVERIFY(drop("Text2", ListDrag { 1, u"a.txt"_s }.to_mime()));
        QCOMPARE(w.port.texts().last(), u"do you want to delete A.TXT from dir 1?"_s);
        QCOMPARE(entries(w.dir1), QStringList());
        auto* text = new QMimeData;
        text->setText(u"www.example.org"_s);
        QVERIFY(drop("Text1", text));
        QVERIFY(make_file(w.dir1 + u"late.txt"_s)); // on disk, not in the list: not opened
        QVERIFY(drop("Text1", ListDrag { 1, u"late.txt"_s }.to_mime()));
        QCOMPARE(w.shell.urls + w.shell.paths, QStringList { u"https://www.example.org"_s });

        auto* toggle = w.find<QAction>(u"m_delete_to_trash"_s);
        QVERIFY(!toggle->isChecked()); // stored off
        toggle->trigger();
        QCOMPARE(w.settings.values.value(u"delete_to_trash"_s), u"-1"_s);
        w.settings.values.clear();
        w.open(w.dir1, w.dir1);
        QVERIFY(w.find<QAction>(u"m_delete_to_trash"_s)->isChecked()); // on when nothing is stored
        QCOMPARE(w.port.unexpected_questions, 0);
    }
};

QTEST_MAIN(TestDeletionWindow)
#include "tst_deletionwindow.moc"
