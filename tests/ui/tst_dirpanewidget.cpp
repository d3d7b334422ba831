// The visible pane: a click only highlights, a double click or Enter opens, the drive selector
// follows the pane.

#include "app/DirPane.h"
#include "platform/Paths.h"
#include "tests/util/FaultyFileSystem.h"
#include "ui/DirPaneWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The machine's disk, with chosen folders standing in as the only volumes.
class FakeVolumes : public FaultyFileSystem {
public:
    QVector<Volume> volumes() const override
    {
        QVector<Volume> v;
        for (const QString& r : roots)
            v.push_back({r, r});
        return v;
    }
    QString volume_root(const QString& path) const override
    {
        for (const QString& r : roots)
            if (is_same_or_below(path, r))
                return r;
        return u"/"_s;
    }
    QStringList roots;
};

struct Fixture {
    Fixture()
        : pane(fs)
    {
        a = tmp.path() + u"/volA"_s;
        b = tmp.path() + u"/volB"_s;
        for (const QString& d : {u"/volA/alpha"_s, u"/volA/beta"_s, u"/volB"_s})
            QDir().mkpath(tmp.path() + d);
        fs.roots = QStringList{a, b};
        pane.set_path(a);
        window.resize(400, 300);
        view = new DirPaneWidget(pane, 2, &window);
        list = window.findChild<QListWidget*>(u"Dir2"_s);
        box = window.findChild<QComboBox*>(u"Drive2"_s);
        list->setGeometry(0, 40, 400, 260);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QPoint centre_of(const QString& name) const
    {
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? QPoint(-1, -1) : list->visualItemRect(found.first()).center();
    }

    QTemporaryDir tmp;
    QString a, b;
    FakeVolumes fs;
    DirPane pane;
    QWidget window;
    DirPaneWidget* view = nullptr;
    QListWidget* list = nullptr;
    QComboBox* box = nullptr;
};

}  // namespace

class TestDirPaneWidget : public QObject {
    Q_OBJECT
private slots:
    void click_highlights_double_click_and_enter_open()
    {
        Fixture f;
        QVERIFY(f.list && f.box);
        QCOMPARE(f.list->count(), f.pane.row_count());
        QCOMPARE(f.list->item(0)->text(), u"/"_s);
        QSignalSpy moved(&f.pane, &DirPane::path_changed);

        QTest::mouseClick(f.list->viewport(), Qt::LeftButton, {}, f.centre_of(u"beta"_s));
        QCOMPARE(f.pane.Path(), f.a);
        QCOMPARE(f.pane.row_text(f.pane.highlighted_row()), u"beta"_s);
        QCOMPARE(moved.size(), 0);

        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, f.centre_of(u"alpha"_s));
        QCOMPARE(f.pane.Path(), f.a + u"/alpha"_s);
        QCOMPARE(f.list->currentItem()->text(), u"alpha"_s);  // the new current directory

        // Back up with the keyboard: highlight the parent's row, then Enter.
        f.list->setFocus();
        QTest::keyClick(f.list, Qt::Key_Up);
        QCOMPARE(f.pane.Path(), f.a + u"/alpha"_s);
        QTest::keyClick(f.list, Qt::Key_Return);
        QCOMPARE(f.pane.Path(), f.a);
        QCOMPARE(moved.size(), 2);

        QSignalSpy menu(f.view, &DirPaneWidget::context_menu_requested);
        const QPoint at = f.centre_of(u"beta"_s);
        QTest::mouseClick(f.list->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent right_click(QContextMenuEvent::Mouse, at, f.list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.list->viewport(), &right_click);
        QCOMPARE(f.pane.Path(), f.a);
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu.first().first().toPoint(), f.list->viewport()->mapToGlobal(at));
    }

    void failed_open_is_reported()
    {
        Fixture f;
        QSignalSpy failed(f.view, &DirPaneWidget::open_failed);
        f.fs.fail_path(f.a + u"/beta"_s, err_permission_denied);
        QTest::mouseDClick(f.list->viewport(), Qt::LeftButton, {}, f.centre_of(u"beta"_s));
        QCOMPARE(f.pane.Path(), f.a);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(), u"Error 70 - Permission denied"_s);
    }

    void drive_selector_follows_the_pane()
    {
        Fixture f;
        QCOMPARE(f.box->count(), 2);
        QCOMPARE(f.box->currentData().toString(), f.a);
        QSignalSpy chosen(f.view, &DirPaneWidget::drive_chosen);

        // Nothing handles the choice: the pane stays, so the selector goes back.
        f.box->setCurrentIndex(1);
        emit f.box->activated(1);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toString(), f.b);
        QCOMPARE(f.box->currentData().toString(), f.a);

        QObject::connect(f.view, &DirPaneWidget::drive_chosen, &f.pane,
                         [&f](const QString& root) { f.pane.set_drive(root); });
        f.box->setCurrentIndex(1);
        emit f.box->activated(1);
        QCOMPARE(f.pane.Path(), f.b);
        QCOMPARE(f.box->currentData().toString(), f.b);

        QVERIFY(!f.pane.set_path(f.a + u"/alpha"_s));  // a move by code
        QCOMPARE(f.box->currentData().toString(), f.a);
    }
};

QTEST_MAIN(TestDirPaneWidget)
#include "tst_dirpanewidget.moc"
