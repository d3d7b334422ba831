// The message window: one instance, a text that cannot be changed, Escape and OK, the layout.
#include "ui/MsgBoxWindow.h"
#include "ui/Twips.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

static QPlainTextEdit* text_box()
{
    return MsgBoxWindow::current()->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
}
static QPushButton* ok_button()
{
    return MsgBoxWindow::current()->findChild<QPushButton*>(QStringLiteral("b_ok"));
}
static bool closed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return MsgBoxWindow::current() == nullptr;
}

class TestMsgBox : public QObject {
    Q_OBJECT
private slots:
    void one_window_with_a_text_that_cannot_be_changed_closed_by_escape_or_ok();
    void layout_and_minimum_height();
};

void TestMsgBox::one_window_with_a_text_that_cannot_be_changed_closed_by_escape_or_ok()
{
    show_box(QStringLiteral("old"), QStringLiteral("Caption one"));
    MsgBoxWindow* window = MsgBoxWindow::current();
    // A second call reuses the open window and shows the new text and caption.
    show_box(QStringLiteral("Line one\r\nline two\r\n"), QStringLiteral("Caption two"));
    QCOMPARE(MsgBoxWindow::current(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Caption two"));
    QPlainTextEdit* box = text_box();
    const QString shown = QStringLiteral("Line one\nline two\n");
    QCOMPARE(box->toPlainText(), shown);

    // Neither typing nor a change made any other way (one of case included) stays.
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("abc"));
    QTest::keyClick(box, Qt::Key_Delete);
    box->insertPlainText(QStringLiteral("added"));
    QCOMPARE(box->toPlainText(), shown);
    box->setPlainText(shown.toUpper());
    QCOMPARE(box->toPlainText(), shown);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier); // it can still be selected, and so copied
    QCOMPARE(box->textCursor().selectedText().size(), shown.size());

    QVERIFY(!closed()); // other keys left it open
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(closed());
    show_box(QStringLiteral("text"), QStringLiteral("x"));
    QTest::mouseClick(ok_button(), Qt::LeftButton);
    QVERIFY(closed());
}

void TestMsgBox::layout_and_minimum_height()
{
    show_box(QString(2000, u'x'), QStringLiteral("x"));
    MsgBoxWindow* window = MsgBoxWindow::current();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->resize(500, 400);
    const QRect box = text_box()->geometry();
    QCOMPARE(box, QRect(10, 6, 500 - 2 * 10, box.height()));
    QCOMPARE(ok_button()->geometry(), QRect((500 - 100) / 2, box.bottom() + 1 + 8, 100, 20));
    QVERIFY(text_box()->document()->size().height() > 1); // long text wraps at the box's width

    // Too low: back to 2000 twips of outer height, the button still inside; minimised: left alone.
    window->resize(500, 40);
    QCOMPARE(window->frameGeometry().height(), to_pixels_at_least(2000));
    QVERIFY(ok_button()->geometry().bottom() < window->height());
    window->showMinimized();
    window->resize(500, 40);
    QCOMPARE(window->height(), 40);
}

QTEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
