// Recognising web addresses and handing them to the browser.
#include "transfer/OpenRun.h"

#include "platform/Shell.h"

#include <QtTest>

struct RecordingShell : Shell {
    bool open_url(const QString& url) override { urls << url; return false; }  // the browser's answer must not count
    bool open_path(const QString& path) override { others << path; return true; }
    bool start_detached(const QString& program, const QStringList&) override { others << program; return true; }
    void beep() override {}
    QStringList urls, others;
};

class TestOpenRun : public QObject {
    Q_OBJECT
private slots:
    void first_line_url_goes_to_the_browser_data();
    void first_line_url_goes_to_the_browser();
};

void TestOpenRun::first_line_url_goes_to_the_browser_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("handed");  // empty: not an address, nothing opened
    QTest::newRow("HTTPS") << QStringLiteral("HTTPS://A.example/x") << QStringLiteral("HTTPS://A.example/x");
    QTest::newRow("ftp, LF") << QStringLiteral("ftp://files.example/f\nnext") << QStringLiteral("ftp://files.example/f");
    QTest::newRow("http, CR LF") << QStringLiteral("http://a.example/p\r\nmore") << QStringLiteral("http://a.example/p");
    // A bare "www." address gets a scheme, so the browser does not take it for a file.
    QTest::newRow("mixed www") << QStringLiteral("WwW.a.example") << QStringLiteral("https://WwW.a.example");
    QTest::newRow("leading blank") << QStringLiteral(" http://a.example") << QString();
    QTest::newRow("file path") << QStringLiteral("/home/me/www.txt") << QString();
    QTest::newRow("no dot") << QStringLiteral("www") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("second line, CR LF") << QStringLiteral("notes\r\nhttp://a.example") << QString();
    QTest::newRow("second line, LF") << QStringLiteral("notes\nwww.a.example") << QString();
}

void TestOpenRun::first_line_url_goes_to_the_browser()
{
    QFETCH(QString, text);
    QFETCH(QString, handed);
    RecordingShell shell;
    QCOMPARE(Is_url(text), !handed.isEmpty());
    QCOMPARE(Open_url(shell, text), !handed.isEmpty());
    QCOMPARE(shell.urls, handed.isEmpty() ? QStringList() : QStringList{handed});
    QVERIFY(shell.others.isEmpty());
}

QTEST_GUILESS_MAIN(TestOpenRun)
#include "tst_openrun.moc"
