// Starting programs detached: the argument list reaches the program unchanged, no shell between.

#include "platform/RealFileSystem.h"
#include "platform_gui/QtShell.h"

#include <QTemporaryDir>
#include <QtTest>

class TestQtShell : public QObject {
    Q_OBJECT

private slots:
    void arguments_arrive_as_given()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out.txt"_qs);
        const QString argument = u"a b | c; $HOME '\u00a7' *"_qs; // what a shell would act on
        QtShell shell;
        QVERIFY(shell.start_detached(u"sh"_qs, { u"-c"_qs, u"printf %s \"$1\" > \"$2\""_qs, u"sh"_qs, argument, out }));
        QTRY_COMPARE_WITH_TIMEOUT(RealFileSystem().read_file(out).value, argument.toUtf8(), 10000);
        QVERIFY(!shell.start_detached(dir.filePath(u"no-such-program"_qs), {}));
        QVERIFY(!shell.open_path(QString()));
    }
};

QTEST_GUILESS_MAIN(TestQtShell)
#include "tst_qtshell.moc"
