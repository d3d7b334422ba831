// The program's own port: the hourglass switch, boxes answered by a timer standing in for the
// person, and ending the program before and inside the event loop.

#include "platform/gui/QtPort.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the next modal box once it is up.
void when_box_is_up(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        act(box);
    });
}

}  // namespace

class TestQtPort : public QObject {
    Q_OBJECT

private slots:
    void busy_is_a_switch()
    {
        QtPort port;
        port.set_busy(true);
        port.set_busy(true);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        port.set_busy(false);
        QVERIFY(!QApplication::overrideCursor());
    }

    void message_box_pauses_the_hourglass_and_answers()
    {
        QtPort port;
        port.set_busy(true);
        QString title;
        bool default_is_no = false;
        bool cursor_during = true;
        when_box_is_up([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            title = box->windowTitle();
            default_is_no = box->defaultButton() == box->button(QMessageBox::No);
            cursor_during = QApplication::overrideCursor() != nullptr;
            box->button(QMessageBox::No)->click();
        });
        const Answer a = port.message_box(u"Delete?"_qs, MsgButtons::YesNoCancel, MsgIcon::Question, Answer::No, {});
        QCOMPARE(a, Answer::No);
        QCOMPARE(title, app_title());
        QVERIFY(default_is_no);
        QVERIFY(!cursor_during);
        QVERIFY(QApplication::overrideCursor());
        port.set_busy(false);

        when_box_is_up([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(port.message_box(u"Go on?"_qs, MsgButtons::OkCancel, MsgIcon::None, Answer::Ok, u"Other"_qs),
                 Answer::Cancel);
    }

    void input_box_gives_text_or_nothing()
    {
        QtPort port;
        when_box_is_up([](QWidget* w) {
            auto* dialog = qobject_cast<QInputDialog*>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->textValue(), u"old"_qs);
            dialog->setTextValue(u"new name"_qs);
            dialog->accept();
        });
        QCOMPARE(port.input_box(u"Name:"_qs, {}, u"old"_qs), std::optional<QString>(u"new name"_qs));
        when_box_is_up([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        QCOMPARE(port.input_box(u"Name:"_qs, {}, u"old"_qs), std::nullopt);
    }

    void end_program_before_the_loop_runs()
    {
        QtPort port;
        QWidget window;
        port.set_main_window(&window);
        port.set_main_window_visible(true);
        QVERIFY(window.isVisible() && port.main_window_visible());
        port.end_program(3);
        QVERIFY(!window.isVisible());
        QVERIFY(port.ended());
        QCOMPARE(port.exit_code(), 3);
        QTimer guard;  // ends a loop that would otherwise never end; not the answer
        guard.callOnTimeout(qApp, [] { QCoreApplication::exit(99); });
        guard.start(5000);
        QCOMPARE(QCoreApplication::exec(), 3);
    }
};

QTEST_MAIN(TestQtPort)
#include "tst_qtport.moc"
