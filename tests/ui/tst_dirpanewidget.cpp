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

// Two folders standing in as the only volumes.
class TwoVolumes : public FaultyFileSystem {
public:
    QVector<Volume> volumes() const override { return { { a, a }, { b, b } }; }
    QString volume_root(const QString& path) const override { return is_same_or_below(path, b) ? b : a; }
    QString a, b;
};

} // namespace

class TestDirPaneWidget : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        for (const QString& d : { u"/volA/alpha"_s, u"/volA/beta"_s, u"/volB"_s })
            QVERIFY(QDir().mkpath(tmp->path() + d));
        fs.a = tmp->path() + u"/volA"_s;
        fs.b = tmp->path() + u"/volB"_s;
        pane = std::make_unique<DirPane>(fs);
        QVERIFY(!pane->set_path(fs.a));
        window = std::make_unique<QWidget>();
        view = new DirPaneWidget(*pane, 2, window.get());
        list = window->findChild<QListWidget*>(u"Dir2"_s);
        box = window->findChild<QComboBox*>(u"Drive2"_s);
        QVERIFY(list && box);
        list->setGeometry(0, 40, 400, 260);
        window->resize(400, 300);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        pane.reset();
    }

    void click_highlights_double_click_and_enter_open()
    {
        QSignalSpy moved(pane.get(), &DirPane::path_changed);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre_of(u"beta"_s));
        QCOMPARE(pane->Path(), fs.a);
        QCOMPARE(pane->row_text(pane->highlighted_row()), u"beta"_s);

        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre_of(u"alpha"_s));
        QCOMPARE(pane->Path(), fs.a + u"/alpha"_s);
        QCOMPARE(list->currentItem()->text(), u"alpha"_s); // the new current directory

        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up); // the parent's row
        QCOMPARE(moved.size(), 1);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(pane->Path(), fs.a);
        QCOMPARE(moved.size(), 2);

        QSignalSpy menu(view, &DirPaneWidget::context_menu_requested);
        const QPoint at = centre_of(u"beta"_s);
        QContextMenuEvent right_click(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &right_click);
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu.first().first().toPoint(), list->viewport()->mapToGlobal(at));
    }

    void drive_selector_follows_the_pane()
    {
        QCOMPARE(box->currentData().toString(), fs.a);
        QSignalSpy chosen(view, &DirPaneWidget::drive_chosen);
        // Nothing moves the pane: the selector shows its drive again.
        box->setCurrentIndex(1);
        emit box->activated(1);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toString(), fs.b);
        QCOMPARE(box->currentData().toString(), fs.a);

        QVERIFY(!pane->set_path(fs.b)); // a move by code
        QCOMPARE(box->currentData().toString(), fs.b);
    }

private:
    QPoint centre_of(const QString& name) const
    {
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? QPoint(-1, -1) : list->visualItemRect(found.first()).center();
    }

    std::unique_ptr<QTemporaryDir> tmp;
    TwoVolumes fs;
    std::unique_ptr<DirPane> pane;
    std::unique_ptr<QWidget> window;
    DirPaneWidget* view = nullptr;
    QListWidget* list = nullptr;
    QComboBox* box = nullptr;
};

QTEST_MAIN(TestDirPaneWidget)
#include "tst_dirpanewidget.moc"
