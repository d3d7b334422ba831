// The settings store: text values under "general", kept across instances and runs.

#include "platform/SettingsStore.h"
#include "tests/util/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void round_trip_through_an_ini_file()
    {
        QTemporaryDir dir;
        const QString ini = dir.path() + u"/tandrel.ini", key = u"ignore_one_hour_diff"_qs;
        QtSettingsStore store(ini);
        QCOMPARE(store.location(), ini);
        QCOMPARE(store.get_setting(key), QString());
        store.save_setting(key, u"-1"_qs);
        store.save_setting(u"other"_qs, u"a, b; c"_qs);
        QCOMPARE(QtSettingsStore(ini).get_setting(key), u"-1"_qs);
        QCOMPARE(QtSettingsStore(ini).get_setting(u"other"_qs), u"a, b; c"_qs);
        QtSettingsStore(ini).save_setting(key, u"0"_qs);
        QCOMPARE(store.get_setting(key), u"0"_qs); // written by another instance

        // What the next run reads: the file itself, and a file an earlier run wrote.
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.startsWith("[General]\n") && text.contains("\nignore_one_hour_diff=0\n"), text.constData());
        const QString earlier = dir.path() + u"/earlier.ini", broken = dir.path() + u"/broken.ini";
        QVERIFY(make_file(earlier, "[General]\r\nignore_one_hour_diff=1\r\n"));
        QCOMPARE(QtSettingsStore(earlier).get_setting(key), u"1"_qs);
        QVERIFY(make_file(broken, "[General]\nignore_one_hour_diff=-1\n[unclosed\n"));
        QCOMPARE(QtSettingsStore(broken).get_setting(key), QString()); // unreadable: empty
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
