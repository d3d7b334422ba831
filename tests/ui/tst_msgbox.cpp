// The message window: one instance, a text that cannot be changed, Escape and OK, the layout.
#include "ui/MsgBoxWindow.h"
#include "ui/Twips.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QPlainTextEdit* text_box(MsgBoxWindow* window)
{
    return window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
}

bool closed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return MsgBoxWindow::current() == nullptr;
}

}  // namespace

class TestMsgBox : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void one_window_showing_the_latest_text();
    void text_cannot_be_changed();
    void escape_and_ok_close();
    void layout_and_minimum_height();
};

void TestMsgBox::cleanup()
{
    if (MsgBoxWindow* window = MsgBoxWindow::current())
        window->close();
    QVERIFY(closed());
}

void TestMsgBox::one_window_showing_the_latest_text()
{
    show_box(QStringLiteral("first\r\nsecond line"), QStringLiteral("Caption one"));
    MsgBoxWindow* window = MsgBoxWindow::current();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Caption one"));
    QCOMPARE(text_box(window)->toPlainText(), QStringLiteral("first\nsecond line"));

    // A second call reuses the open window and shows the new text, not the old one.
    show_box(QStringLiteral("other"), QStringLiteral("Caption two"));
    QCOMPARE(MsgBoxWindow::current(), window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Caption two"));
    QCOMPARE(text_box(window)->toPlainText(), QStringLiteral("other"));
}

void TestMsgBox::text_cannot_be_changed()
{
    const QString text = QStringLiteral("Line one\r\nline two\r\n");
    show_box(text, QStringLiteral("x"));
    MsgBoxWindow* window = MsgBoxWindow::current();
    QPlainTextEdit* box = text_box(window);
    const QString shown = box->toPlainText();
    QVERIFY(box->isReadOnly());
    QCOMPARE(box->font().pointSize(), 9);
    QCOMPARE(box->font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());

    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("abc"));
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->toPlainText(), shown);

    // What reaches the text other than by typing is undone at once, a change of case included.
    box->moveCursor(QTextCursor::End);
    box->insertPlainText(QStringLiteral("added"));
    QCOMPARE(box->toPlainText(), shown);
    box->setPlainText(shown.toUpper());
    QCOMPARE(box->toPlainText(), shown);
    box->appendPlainText(QStringLiteral("more"));
    QCOMPARE(box->toPlainText(), shown);
    QCOMPARE(window->box_text(), text);

    // It can still be selected (and so copied).
    box->selectAll();
    QCOMPARE(box->textCursor().selectedText().size(), shown.size());
}

void TestMsgBox::escape_and_ok_close()
{
    show_box(QStringLiteral("text"), QStringLiteral("x"));
    QTest::keyClick(text_box(MsgBoxWindow::current()), Qt::Key_Escape);
    QVERIFY(closed());

    show_box(QStringLiteral("text"), QStringLiteral("x"));
    auto* ok = MsgBoxWindow::current()->findChild<QPushButton*>(QStringLiteral("b_ok"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(closed());

    // Other keys leave it open.
    show_box(QStringLiteral("text"), QStringLiteral("x"));
    QTest::keyClick(text_box(MsgBoxWindow::current()), Qt::Key_A);
    QVERIFY(!closed());
}

void TestMsgBox::layout_and_minimum_height()
{
    show_box(QString(2000, u'x'), QStringLiteral("x"));
    MsgBoxWindow* window = MsgBoxWindow::current();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QPlainTextEdit* box = text_box(window);
    auto* ok = window->findChild<QPushButton*>(QStringLiteral("b_ok"));

    window->resize(500, 400);
    QCOMPARE(box->geometry().top(), 6);
    QCOMPARE(box->geometry().left(), 10);
    QCOMPARE(window->width() - box->geometry().right() - 1, 10);
    QCOMPARE(ok->size(), QSize(100, 20));
    QCOMPARE(ok->geometry().top(), box->geometry().bottom() + 1 + 8);
    QCOMPARE(ok->x(), (window->width() - 100) / 2);
    // A long text wraps at the box's width rather than running past it.
    QVERIFY(box->document()->size().height() > 1);

    // Too low: back to 2000 twips of outer height.
    window->resize(500, 40);
    QCOMPARE(window->frameGeometry().height(), to_pixels_at_least(2000));
    QVERIFY(ok->geometry().bottom() < window->height());

    // A minimised window is left alone.
    window->showMinimized();
    window->resize(500, 40);
    QCOMPARE(window->height(), 40);
}

QTEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
