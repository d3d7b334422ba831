// Hover dates carry seconds in every locale: the two-second rule turns on them.

#include "app/DateText.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDateText : public QObject {
    Q_OBJECT
private slots:
    void seconds_in_every_locale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("time");
        QTest::newRow("12-hour, seconds before AM/PM") << u"en_US"_s << u"10:13:05 PM"_s;
        QTest::newRow("24-hour") << u"de_DE"_s << u"22:13:05"_s;
        QTest::newRow("dot separator") << u"fi_FI"_s << u"22.13.05"_s;
        QTest::newRow("word between hours and minutes") << u"fr_CA"_s << u"22 h 13:05"_s;
        QTest::newRow("quoted suffix") << u"bg_BG"_s << u"22:13:05 ч."_s;
        QTest::newRow("already with seconds") << u"C"_s << u"22:13:05"_s;
    }
    void seconds_in_every_locale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, time);
        const QLocale l(locale);
        const QDateTime when(QDate(2023, 11, 14), QTime(22, 13, 5));
        QCOMPARE(date_time_text(when, l), l.toString(when.date(), QLocale::ShortFormat) + u' ' + time);
    }
};

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
