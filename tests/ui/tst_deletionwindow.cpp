// Deleting and opening from the main window: the lists' context menu, the drop targets, the trash toggle.

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
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct MemorySettings : SettingsStore {
    QString get_setting(const QString& key) const override { return values.value(key); }
    void save_setting(const QString& key, const QString& value) override { values[key] = value; }
    QHash<QString, QString> values;
};

struct RecordingShell : Shell {
    bool open_url(const QString& url) override { return opened << url, true; }
    bool open_path(const QString& path) override { return opened << path, true; }
    bool start_detached(const QString&, const QStringList&) override { return true; }
    void beep() override { }
    QStringList opened;
};

} // namespace

class TestDeletionWindow : public QObject {
    Q_OBJECT
private slots:
    void menu_drops_and_trash_toggle()
    {
        QTemporaryDir tmp;
        const QString dir1 = tmp.path() + u"/one"_s;
        QVERIFY(make_tree(tmp.path(), { u"one"_s, u"two"_s }, { u"one/a.txt"_s, u"one/b.txt"_s }));
        RealFileSystem fs;
        ScriptedPort port;
        MemorySettings settings;
        settings.values[u"delete_to_trash"_s] = u"0"_s;
        RecordingShell shell;
        Trace trace(fs, port, tmp.path());
        auto controller = std::make_unique<MainController>(fs, port, settings, trace);
        auto window = std::make_unique<MainWindow>(*controller, port, shell);
        QVERIFY(controller->form_load(dir1 + u" | "_s + tmp.path() + u"/two"_s));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        // A right click opens the lists' menu and leaves the selection alone: it is what the
        // menu deletes.
        auto* list1 = window->findChild<QListView*>(u"List1"_s);
        const QModelIndex b = list1->model()->index(1, 0);
        list1->selectionModel()->select(b, QItemSelectionModel::Select);
        QTest::mousePress(
            list1->viewport(), Qt::RightButton, {}, list1->visualRect(list1->model()->index(0, 0)).center());
        auto* menu = window->findChild<QMenu*>(u"m_popup"_s);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(list1->selectionModel()->selectedRows(), QModelIndexList { b });
        port.answer(Answer::Yes);
        menu->findChild<QAction*>(u"m_delete_selected_files"_s)->trigger();
        QCOMPARE(port.texts(), QStringList { u"do you want to delete B.TXT from dir1?"_s });
        QCOMPARE(entries(dir1), QStringList { u"a.txt"_s });
        menu->close();

        // The delete target takes list entries; the open/run target texts from elsewhere too.
        auto drop = [&](const char* target, QMimeData* mime) {
            QLabel* box = window->findChild<QLabel*>(QString::fromLatin1(target));
            QDragEnterEvent enter(QPoint(2, 2), Qt::MoveAction, mime, Qt::LeftButton, {});
            QApplication::sendEvent(box, &enter);
            QDropEvent dropped(QPoint(2, 2), Qt::MoveAction, mime, Qt::LeftButton, {});
            QApplication::sendEvent(box, &dropped);
            QCoreApplication::processEvents(); // the drop's work runs once the drag has ended
            delete mime;
            return enter.isAccepted() && dropped.isAccepted();
        };
        port.answer(Answer::Yes);
        QVERIFY(drop("Text2", ListDrag { 1, u"a.txt"_s }.to_mime()));
        QCOMPARE(port.texts().last(), u"do you want to delete A.TXT from dir 1?"_s);
        QCOMPARE(entries(dir1), QStringList());
        auto* text = new QMimeData;
        text->setText(u"www.example.org"_s);
        QVERIFY(drop("Text1", text));
        QVERIFY(make_file(dir1 + u"/late.txt"_s)); // on disk, not in the list: not opened
        QVERIFY(drop("Text1", ListDrag { 1, u"late.txt"_s }.to_mime()));
        QCOMPARE(shell.opened, QStringList { u"https://www.example.org"_s });

        auto* toggle = window->findChild<QAction*>(u"m_delete_to_trash"_s);
        QVERIFY(!toggle->isChecked()); // stored off
        toggle->trigger();
        QCOMPARE(settings.values.value(u"delete_to_trash"_s), u"-1"_s);
        settings.values.clear();
        window.reset();
        window = std::make_unique<MainWindow>(*controller, port, shell);
        QVERIFY(controller->form_load(dir1 + u" | "_s + dir1));
        QVERIFY(window->findChild<QAction*>(u"m_delete_to_trash"_s)->isChecked()); // on when nothing is stored
        QCOMPARE(port.unexpected_questions, 0);
    }
};

QTEST_MAIN(TestDeletionWindow)
#include "tst_deletionwindow.moc"
