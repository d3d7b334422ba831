// The settings store: text values under "general", kept across instances.

#include "platform/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void round_trip_through_an_ini_file()
    {
        QTemporaryDir dir;
        const QString ini = dir.path() + u"/tandrel.ini";
        {
            QtSettingsStore store(ini);
            QCOMPARE(store.location(), ini);
            QCOMPARE(store.get_setting(QStringLiteral("ignore_one_hour_diff")), QString());
            store.save_setting(QStringLiteral("ignore_one_hour_diff"), QStringLiteral("-1"));
            store.save_setting(QStringLiteral("other"), QStringLiteral("a, b; c"));
        }
        QtSettingsStore again(ini);
        QCOMPARE(again.get_setting(QStringLiteral("ignore_one_hour_diff")), u"-1"_qs);
        QCOMPARE(again.get_setting(QStringLiteral("other")), u"a, b; c"_qs);
        again.save_setting(QStringLiteral("ignore_one_hour_diff"), QStringLiteral("0"));
        QCOMPARE(QtSettingsStore(ini).get_setting(QStringLiteral("ignore_one_hour_diff")), u"0"_qs);

        // What the next start of the program reads: the file itself.
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.startsWith("[General]\n") && text.contains("\nignore_one_hour_diff=0\n"), text.constData());
    }

    void reads_a_store_written_earlier()
    {
        QTemporaryDir dir;
        QFile f(dir.path() + u"/earlier.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[General]\r\nignore_one_hour_diff=1\r\n");
        f.close();
        QCOMPARE(QtSettingsStore(f.fileName()).get_setting(QStringLiteral("ignore_one_hour_diff")), u"1"_qs);
    }

    void unreadable_store_reads_empty()
    {
        QTemporaryDir dir;
        QFile f(dir.path() + u"/broken.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[General]\nignore_one_hour_diff=-1\n[unclosed\n");
        f.close();
        QCOMPARE(QtSettingsStore(f.fileName()).get_setting(QStringLiteral("ignore_one_hour_diff")), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
