// The trace file: switched on by its marker, one stamped line per call, and the size limit.

#include "platform/RealFileSystem.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

class TestTrace : public QObject {
    Q_OBJECT

    RealFileSystem fs_;
    ScriptedPort port_;

    static void make_file(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    static QByteArray content_of(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void no_marker_no_file()
    {
        QTemporaryDir dir;
        Trace trace(fs_, port_, dir.path());
        QVERIFY(!trace.enabled());
        trace.write_trace(QStringLiteral("ignored"));
        QVERIFY(!QFile::exists(dir.path() + u"/trace.txt"));
    }

    void line_format()
    {
        QTemporaryDir dir;
        make_file(dir.path() + u"/trace.flg", {});
        Trace trace(fs_, port_, dir.path() + u'/');
        QVERIFY(trace.enabled());
        QCOMPARE(trace.trace_file(), dir.path() + u"/trace.txt");
        const QDate day = QDate::currentDate();
        const int before = QTime::currentTime().msecsSinceStartOfDay() / 1000;
        trace.write_trace(QStringLiteral("first \u00e9"));
        trace.write_trace(QStringLiteral("second"));

        const QString text = QString::fromUtf8(content_of(trace.trace_file()));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);  // two lines, each ended by CR LF
        QVERIFY(lines[2].isEmpty());
        const QLocale locale = QLocale::system();
        const QString point = QRegularExpression::escape(locale.decimalPoint());
        const QRegularExpression re(u"^(.+) \\((\\d+)"_qs + point + u"(\\d\\d)\\) - first \u00e9$"_qs);
        const QRegularExpressionMatch m = re.match(lines[0]);
        QVERIFY2(m.hasMatch(), qPrintable(lines[0]));
        QVERIFY(m.captured(1).startsWith(locale.toString(day, QLocale::ShortFormat))
                || day != QDate::currentDate());
        const int seconds = m.captured(2).toInt();
        QVERIFY2(seconds >= before && seconds <= before + 5, qPrintable(lines[0]));
        QVERIFY(lines[1].endsWith(u") - second"));
        QVERIFY(port_.shown.isEmpty());
    }

    void size_limit()
    {
        QTemporaryDir dir;
        make_file(dir.path() + u"/trace.flg", {});
        const QString file = dir.path() + u"/trace.txt";
        make_file(file, QByteArray(Trace::size_limit - 1, 'x'));
        Trace trace(fs_, port_, dir.path());
        trace.write_trace(QStringLiteral("one more"));
        const QByteArray grown = content_of(file);
        QVERIFY(grown.size() > Trace::size_limit);
        QVERIFY(grown.endsWith(") - one more\r\n"));
        QVERIFY(port_.shown.isEmpty());

        trace.write_trace(QStringLiteral("too late"));
        trace.write_trace(QStringLiteral("silent"));
        QCOMPARE(content_of(file), grown);
        QCOMPARE(port_.texts(), QStringList{u"Trace file too large. Please delete it ("_qs + file + u')'});
        QCOMPARE(port_.shown[0].buttons, MsgButtons::Ok);
        QCOMPARE(port_.shown[0].title, app_title());
        QVERIFY(!trace.enabled());

        // Exactly at the limit: nothing is written from the first call on.
        port_.shown.clear();
        make_file(file, QByteArray(Trace::size_limit, 'x'));
        Trace second(fs_, port_, dir.path());
        second.write_trace(QStringLiteral("none"));
        second.write_trace(QStringLiteral("none"));
        QCOMPARE(content_of(file).size(), Trace::size_limit);
        QCOMPARE(port_.shown.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
