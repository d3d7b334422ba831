// The program's own port: the hourglass switch, boxes answered by a timer standing in for the
// person, the main window active again once shown, ending the program before the event loop
// runs; and the shell starting programs.

#include "platform/RealFileSystem.h"
#include "platform_gui/QtPort.h"
#include "platform_gui/QtShell.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

class TestQtPort : public QObject {
    Q_OBJECT

    // Runs `act` on the next modal box once it is up.
    template <typename Box, typename Act> static void when_up(Act act)
    {
        QTimer::singleShot(0, qApp, [act] {
            auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
            QVERIFY(box);
            act(box);
        });
    }

private slots:
    // Programs started detached get their arguments unchanged, no shell between.
    void arguments_arrive_as_given()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out.txt"_qs);
        const QString argument = u"a b | c; $HOME '\u00a7' *"_qs; // what a shell would act on
        QtShell shell;
        QVERIFY(shell.start_detached(u"sh"_qs, { u"-c"_qs, u"printf %s \"$1\" > \"$2\""_qs, u"sh"_qs, argument, out }));
        QTRY_COMPARE_WITH_TIMEOUT(RealFileSystem().read_file(out).value, argument.toUtf8(), 10000);
        QVERIFY(!shell.start_detached(dir.filePath(u"no-such-program"_qs), {}));
        QVERIFY(!shell.open_path(QString()));
    }

    void boxes_the_hourglass_the_main_window_and_the_end()
    {
        QtPort port;
        port.set_busy(true);
        port.set_busy(true);
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        when_up<QMessageBox>([](QMessageBox* box) {
            box->button(QMessageBox::No)->click(); // the box closes once this returns
            QVERIFY(box->defaultButton() == box->button(QMessageBox::No) && !QApplication::overrideCursor());
            QCOMPARE(box->windowTitle(), app_title());
        });
        QCOMPARE(
            port.message_box(u"Delete?"_qs, MsgButtons::YesNoCancel, MsgIcon::Question, Answer::No, {}), Answer::No);
        QVERIFY(QApplication::overrideCursor()); // back after the box
        port.set_busy(false);
        QVERIFY(!QApplication::overrideCursor()); // one switch off, however often it was on

        when_up<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(port.message_box(u"Go on?"_qs, MsgButtons::OkCancel, MsgIcon::None, Answer::Ok, u"Other"_qs),
            Answer::Cancel);

        // Names are text, never markup; the text's own line breaks are the only ones.
        const QString long_line = u"/media/usb/<b>work</b>/"_qs + QString(60, u'x');
        when_up<QMessageBox>([long_line](QMessageBox* box) {
            auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_qs);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QCOMPARE(label->text(), u"Error 70 - Permission denied\n"_qs + long_line);
            QVERIFY(label->minimumWidth() >= label->fontMetrics().horizontalAdvance(long_line));
            box->accept();
        });
        port.message(u"Error 70 - Permission denied\r\n"_qs + long_line);
        // A line wider than a box can be wraps at its separators, never cut at the box's edge.
        when_up<QMessageBox>([](QMessageBox* box) {
            box->accept();
            auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_qs);
            QVERIFY(label->geometry().right() < box->width() && label->height() >= 2 * label->fontMetrics().height());
        });
        port.message(u"/directory"_qs.repeated(40));

        // The input box shows its whole prompt, which names the directory, as text.
        when_up<QInputDialog>([long_line](QInputDialog* dialog) {
            const QString shown = dialog->textValue();
            QCOMPARE(dialog->findChild<QLabel*>()->textFormat(), Qt::PlainText);
            QVERIFY(dialog->minimumWidth() > dialog->fontMetrics().horizontalAdvance(long_line));
            dialog->setTextValue(u"new name"_qs);
            dialog->accept();
            QCOMPARE(shown, u"old"_qs);
        });
        QCOMPARE(port.input_box(u"Name:\n(in "_qs + long_line + u')', {}, u"old"_qs),
            std::optional<QString>(u"new name"_qs));
        when_up<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
        QCOMPARE(port.input_box(u"Name:"_qs, {}, u"old"_qs), std::nullopt);

        QWidget window;
        auto* button = new QPushButton(u"compare"_qs, &window);
        port.set_main_window(&window);
        port.set_main_window_visible(true);
        QVERIFY(window.isVisible() && port.main_window_visible());
        // Hidden for a moment and shown again, the window is active once more and its control
        // has the focus, as the keyboard and a screen reader both need.
        QVERIFY(QTest::qWaitForWindowActive(&window));
        button->setFocus();
        port.set_main_window_visible(false);
        port.set_main_window_visible(true);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), button);
        port.end_program(3);
        QVERIFY(!window.isVisible() && port.ended());
        QCOMPARE(port.exit_code(), 3);
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); }); // a loop that never ended
        QCOMPARE(QCoreApplication::exec(), 3);
    }
};

// On a wide screen, where a message box reaches its own width limit before the screen's edge.
int main(int argc, char* argv[])
{
    QTemporaryFile config(QDir::tempPath() + u"/tst_qtport-XXXXXX.json"_qs);
    if (!config.open())
        return 1;
    config.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080,
        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestQtPort test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_qtport.moc"
