// Recognising web addresses and handing them to the browser.
#include "transfer/OpenRun.h"

#include "platform/Shell.h"

#include <QtTest>

namespace {

class RecordingShell : public Shell {
public:
    bool open_url(const QString& url) override
    {
        urls << url;
        return false;  // what the browser reports must not change Open_url's answer
    }
    bool open_path(const QString& path) override
    {
        paths << path;
        return true;
    }
    bool start_detached(const QString& program, const QStringList&) override
    {
        paths << program;
        return true;
    }
    void beep() override {}
    QStringList urls;
    QStringList paths;
};

}  // namespace

class TestOpenRun : public QObject {
    Q_OBJECT
private slots:
    void is_url_data();
    void is_url();
    void open_url_hands_over_the_first_line();
};

void TestOpenRun::is_url_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("url");
    QTest::newRow("https") << QStringLiteral("https://a.example/x") << true;
    QTest::newRow("http") << QStringLiteral("http://a.example") << true;
    QTest::newRow("ftp") << QStringLiteral("ftp://files.example/f") << true;
    QTest::newRow("www") << QStringLiteral("www.a.example") << true;
    QTest::newRow("capitals") << QStringLiteral("HTTPS://A.EXAMPLE") << true;
    QTest::newRow("mixed www") << QStringLiteral("WwW.a.example") << true;
    QTest::newRow("further on") << QStringLiteral("see http://a.example") << false;
    QTest::newRow("leading blank") << QStringLiteral(" www.a.example") << false;
    QTest::newRow("file path") << QStringLiteral("/home/me/www.txt") << false;
    QTest::newRow("no dot") << QStringLiteral("www") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("second line only") << QStringLiteral("notes\r\nhttp://a.example") << false;
    QTest::newRow("second line after LF") << QStringLiteral("notes\nhttp://a.example") << false;
    QTest::newRow("first line") << QStringLiteral("http://a.example\r\nmore") << true;
}

void TestOpenRun::is_url()
{
    QFETCH(QString, text);
    QFETCH(bool, url);
    QCOMPARE(Is_url(text), url);
}

void TestOpenRun::open_url_hands_over_the_first_line()
{
    RecordingShell shell;
    QVERIFY(Open_url(shell, QStringLiteral("http://a.example/page\r\nsecond line")));
    QVERIFY(Open_url(shell, QStringLiteral("ftp://files.example/f\nnext")));
    // A bare "www." address gets a scheme, so the browser does not take it for a file.
    QVERIFY(Open_url(shell, QStringLiteral("WWW.Tandrel.example")));
    QVERIFY(!Open_url(shell, QStringLiteral("readme.txt")));
    QVERIFY(!Open_url(shell, QStringLiteral("text\r\nhttp://a.example")));
    QCOMPARE(shell.urls, (QStringList{QStringLiteral("http://a.example/page"), QStringLiteral("ftp://files.example/f"),
                                      QStringLiteral("https://WWW.Tandrel.example")}));
    QVERIFY(shell.paths.isEmpty());
}

QTEST_GUILESS_MAIN(TestOpenRun)
#include "tst_openrun.moc"
