// The message window (one instance, a text that cannot be changed, Escape and OK, the layout) and the
// Help menu's texts: the version history, the version read from it, the command-line help.
#include "tests/util/ScriptedPort.h"
#include "ui/HelpTexts.h"
#include "ui/MsgBoxWindow.h"
#include "ui/Twips.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestMsgBox : public QObject {
    Q_OBJECT

    static QPlainTextEdit* text_box() { return MsgBoxWindow::current()->findChild<QPlainTextEdit*>(u"Text1"_s); }
    static QPushButton* ok_button() { return MsgBoxWindow::current()->findChild<QPushButton*>(u"b_ok"_s); }
    static bool closed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return MsgBoxWindow::current() == nullptr;
    }

private slots:
    void one_window_with_a_text_that_cannot_be_changed_closed_by_escape_or_ok_and_its_layout()
    {
        show_box(QStringLiteral("old"), QStringLiteral("Caption one"));
        MsgBoxWindow* window = MsgBoxWindow::current();
        // A second call reuses the open window and shows the new text.
        show_box(QStringLiteral("Line one\r\nline two\r\n"), QStringLiteral("Caption two"));
        QVERIFY(MsgBoxWindow::current() == window && window->isVisible());
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

        show_box(QString(2000, u'x'), QStringLiteral("x"));
        window = MsgBoxWindow::current();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->resize(500, 400);
        // The text fills the width, the button centred under it; the long text wraps.
        const QRect area = text_box()->geometry(), ok = ok_button()->geometry();
        QVERIFY(area.left() > 0 && area.left() + area.right() == 499 && ok.top() > area.bottom());
        QVERIFY(qAbs(ok.center().x() - 250) <= 1 && text_box()->document()->size().height() > 1);

        // Too low: back to 2000 twips of outer height, the button still inside; minimised: left alone.
        window->resize(500, 40);
        QCOMPARE(window->frameGeometry().height(), to_pixels_at_least(2000));
        QVERIFY(ok_button()->geometry().bottom() < window->height());
        window->showMinimized();
        window->resize(500, 40);
        QCOMPARE(window->height(), 40);
    }

    void version_history_and_command_line_help()
    {
        // The version string is read from the first entry: numbers and dates descend.
        const QStringList entries = version_history_entries();
        const QRegularExpression form(u"^(\\d\\d)\\^(\\d{6})\\.(\\d{1,2})\\) [FIN]: \\S.*[.]$"_s);
        QString previous = u"z"_s; // date and minor number, as "yyMMdd.nn"
        for (int i = 0; i < entries.size(); ++i) {
            const QRegularExpressionMatch m = form.match(entries[i]);
            const QString now = m.captured(2) + u'.' + m.captured(3).rightJustified(2, u'0');
            QVERIFY2(m.hasMatch() && m.captured(1).toInt() == entries.size() - 1 - i && m.captured(3).toInt() >= 1
                    && QDate::fromString(m.captured(2), u"yyMMdd"_s).isValid() && now < previous,
                qPrintable(entries[i]));
            previous = now;
        }
        QCOMPARE(version_string(QLocale::c()), u"1.21 (19 Sep 2008)"_s);
        QCOMPARE(version_string(QLocale(QLocale::English, QLocale::UnitedStates)), u"1.21 (19/Sep/2008)"_s);
        // The German abbreviation ends in the separator itself: it is not doubled.
        QCOMPARE(version_string(QLocale(QLocale::German, QLocale::Germany)), u"1.21 (19.Sept.2008)"_s);
        QCOMPARE(date_separator(QLocale(QLocale::Japanese, QLocale::Japan)), u"/"_s);
        show_version_history();
        const QString shown = MsgBoxWindow::current()->box_text();
        QVERIFY(shown.startsWith(u"TANDREL VERSION HISTORY \r\n\r\nCurrent version is 1.21 ("_s));
        QVERIFY(shown.endsWith(version_1_0_line() + u"\r\n\r\n[end of version history]"_s));
        MsgBoxWindow::current()->close();

        // The format and example lines can be pasted into a shell: the separators are quoted, the lines not.
        ScriptedPort port;
        show_command_line_help(port);
        const QStringList commands = port.texts().value(0).split(u'\n').filter(u"tandrel "_s);
        QCOMPARE(commands.size(), 4);
        for (const QString& line : commands)
            QVERIFY2((line.contains(u" '|' "_s) || line.contains(u" '\u00a7' "_s)) && line.trimmed().startsWith(u't'),
                qPrintable(line));
    }
};

QTEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
