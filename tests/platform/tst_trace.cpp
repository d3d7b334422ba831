// The trace file: switched on by its marker, one stamped line per call, and the size limit.

#include "platform/RealFileSystem.h"
#include "platform/Trace.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

#include <optional>

class TestTrace : public QObject {
    Q_OBJECT

    RealFileSystem fs_;
    ScriptedPort port_;
    std::optional<QTemporaryDir> dir_;
    QByteArray trace_text() const { return fs_.read_file(dir_->path() + u"/trace.txt").value; }

private slots:
    void init()
    {
        dir_.emplace();
        port_.shown.clear();
    }

    void marker_and_line_format()
    {
        Trace off(fs_, port_, dir_->path());
        off.write_trace(QStringLiteral("ignored"));
        QVERIFY(!off.enabled() && !fs_.exists(dir_->path() + u"/trace.txt").value);

        QVERIFY(make_file(dir_->path() + u"/trace.flg"));
        Trace trace(fs_, port_, dir_->path() + u'/');
        const QDate day = QDate::currentDate();
        const int before = QTime::currentTime().msecsSinceStartOfDay() / 1000;
        trace.write_trace(QStringLiteral("first \u00e9"));
        trace.write_trace(QStringLiteral("second"));

        const QStringList lines = QString::fromUtf8(trace_text()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3); // two lines, each ended by CR LF
        const QLocale locale = QLocale::system();
        const QString point = QRegularExpression::escape(locale.decimalPoint());
        const auto m
            = QRegularExpression(u"^(.+) \\((\\d+)"_qs + point + u"\\d\\d\\) - first \u00e9$"_qs).match(lines[0]);
        QVERIFY2(m.hasMatch(), qPrintable(lines[0]));
        QVERIFY(m.captured(1).startsWith(locale.toString(day, QLocale::ShortFormat)) || day != QDate::currentDate());
        QVERIFY2(m.captured(2).toInt() >= before && m.captured(2).toInt() <= before + 5, qPrintable(lines[0]));
        QVERIFY(lines[1].endsWith(u") - second") && lines[2].isEmpty());

        // A trace that cannot be written says nothing: the work it traces goes on.
        QVERIFY(QFile::remove(dir_->path() + u"/trace.txt") && QDir(dir_->path()).mkdir(u"trace.txt"_qs));
        trace.write_trace(QStringLiteral("lost"));
        QVERIFY(port_.shown.isEmpty());
    }

    void size_limit()
    {
        QVERIFY(make_file(dir_->path() + u"/trace.flg"));
        QVERIFY(make_file(dir_->path() + u"/trace.txt", QByteArray(Trace::size_limit - 1, 'x')));
        Trace trace(fs_, port_, dir_->path());
        trace.write_trace(QStringLiteral("one more"));
        const QByteArray grown = trace_text();
        QVERIFY(grown.size() > Trace::size_limit && grown.endsWith(") - one more\r\n"));

        trace.write_trace(QStringLiteral("too late"));
        trace.write_trace(QStringLiteral("silent"));
        QCOMPARE(trace_text(), grown);
        const QString too_large = u"Trace file too large. Please delete it ("_qs + dir_->path() + u"/trace.txt)";
        QCOMPARE(port_.texts(), QStringList { too_large });

        // Exactly at the limit: nothing is written from the first call on.
        QVERIFY(make_file(dir_->path() + u"/trace.txt", QByteArray(Trace::size_limit, 'x')));
        Trace(fs_, port_, dir_->path()).write_trace(QStringLiteral("none"));
        QCOMPARE(trace_text().size(), Trace::size_limit);
        QCOMPARE(port_.texts(), (QStringList { too_large, too_large }));
    }
};

QTEST_GUILESS_MAIN(TestTrace)
#include "tst_trace.moc"
