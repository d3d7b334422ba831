// The settings store: text values under "general", kept across instances and runs.

#include "platform/SettingsStore.h"
#include "tests/util/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

    void a_store_that_is_not_a_plain_file_is_ignored()
    {
        QTemporaryDir dir;
        const QString fifo = dir.path() + u"/tandrel.ini";
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::ignoreMessage(QtWarningMsg,
            qPrintable(u"tandrel: the settings file "_qs + fifo + u" is not a plain file; it is ignored"));
        QTest::failOnWarning(QRegularExpression(u"."_qs)); // once only
        QtSettingsStore store(fifo); // reading it would wait for a writer that never comes
        QCOMPARE(store.get_setting(u"ignore_one_hour_diff"_qs), QString());
        store.save_setting(u"ignore_one_hour_diff"_qs, u"-1"_qs);
        QCOMPARE(store.get_setting(u"ignore_one_hour_diff"_qs), QString());
        QVERIFY(QFileInfo(fifo).isFile() == false && QFileInfo(fifo).exists());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
