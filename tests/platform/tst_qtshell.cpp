// Starting programs detached: the argument list reaches the program unchanged, no shell between.
#include "platform/gui/QtShell.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestQtShell : public QObject {
    Q_OBJECT
private slots:
    void arguments_arrive_as_given();
};

void TestQtShell::arguments_arrive_as_given()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    // Characters a shell would act on, if the list were ever joined into one command line.
    const QString argument = QStringLiteral("a b | c; $HOME '\u00a7' *");
    QtShell shell;
    QVERIFY(shell.start_detached(QStringLiteral("sh"),
                                 {QStringLiteral("-c"), QStringLiteral("printf %s \"$1\" > \"$2\""),
                                  QStringLiteral("sh"), argument, out}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out) && QFileInfo(out).size() > 0, 10000);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), argument);

    QVERIFY(!shell.start_detached(dir.filePath(QStringLiteral("no-such-program")), {}));
    QVERIFY(!shell.open_path(QString()));
}

QTEST_GUILESS_MAIN(TestQtShell)
#include "tst_qtshell.moc"
