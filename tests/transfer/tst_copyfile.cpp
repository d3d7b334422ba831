// Copying one file across the pair: what may be replaced, faults that must lose nothing, the
// fallback attempts, and names that must reach the disk as they are.
#include "transfer/CopyFile.h"

#include "tests/util/TransferPair.h"

#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray& big_content()
{
    static const QByteArray data = [] {
        QByteArray d; // several chunks, no block equal to another
        for (int i = 0; d.size() < 20 * 1024 * 1024; ++i)
            d += QByteArray::number(i) + ' ';
        return d;
    }();
    return data;
}

CopyRequest request(const TransferPair& p, const QString& name, CopyKind kind, int from_side = 1)
{
    CopyRequest r;
    r.from_dir = from_side == 1 ? p.dir1 : p.dir2;
    r.to_dir = from_side == 1 ? p.dir2 : p.dir1;
    r.from_name = r.to_name = name;
    r.kind = kind;
    return r;
}

// An outside copy that does what cp -p would, at once: the arguments end with source, destination.
void copy_like_cp(const QStringList& args)
{
    QFile source(args.at(args.size() - 2));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(make_file(args.last(), source.readAll(), QFileInfo(source).lastModified().toSecsSinceEpoch()));
}

} // namespace

class TestCopyFile : public QObject {
    Q_OBJECT
private slots:
    void faults_keep_the_older_copy_and_leave_no_temporary_file_data();
    void faults_keep_the_older_copy_and_leave_no_temporary_file();
    void only_in_copies_never_replace_and_say_why();
    void replacing_copy_checks_the_older_copy_first();
    void names_reach_the_disk_intact();
    void fallback_attempts();
    void copy_completed_within_four_seconds();
    void wait_lets_events_run();
};

void TestCopyFile::faults_keep_the_older_copy_and_leave_no_temporary_file_data()
{
    QTest::addColumn<int>("write_at"); // -1: no write fault
    QTest::addColumn<int>("write_errno");
    QTest::addColumn<int>("rename_errno"); // 0: the rename works
    QTest::addColumn<bool>("source_gone");
    QTest::addColumn<int>("source_change"); // bytes the source changes by after each chunk
    QTest::addColumn<QString>("message"); // what the person sees; "" for none
    QTest::newRow("disk full at the first byte")
        << 0 << ENOSPC << 0 << false << 0 << u"Error 61 - Disk full\r\nFile: "_qs;
    QTest::newRow("disk full in the third chunk")
        << 17000000 << ENOSPC << 0 << false << 0 << u"Error 61 - Disk full\r\nFile: "_qs;
    QTest::newRow("I/O error mid-file") << 9000000 << EIO << 0 << false << 0
                                        << u"Error 57 - Device I/O error\r\nFile: "_qs;
    QTest::newRow("volume removed") << 5 << ENODEV << 0 << false << 0 << u"Error 68 - Device unavailable\r\nFile: "_qs;
    QTest::newRow("rename into place fails")
        << -1 << 0 << EIO << false << 0 << u"Error 57 - Device I/O error\r\nFile: "_qs;
    QTest::newRow("source gone") << -1 << 0 << 0 << true << 0 << u"Error 53 - File not found\r\nFile: "_qs;
    // A source that shrinks under the copy is retried and finally refused: no outside copy here.
    QTest::newRow("source shrinks mid-copy") << -1 << 0 << 0 << false << -1 << u"Unable to copy file \""_qs;
    QTest::newRow("source grows mid-copy") << -1 << 0 << 0 << false << 1 << u"Unable to copy file \""_qs;
}

void TestCopyFile::faults_keep_the_older_copy_and_leave_no_temporary_file()
{
    QFETCH(int, write_at);
    QFETCH(int, write_errno);
    QFETCH(int, rename_errno);
    QFETCH(bool, source_gone);
    QFETCH(int, source_change);
    QFETCH(QString, message);
    for (const CopyKind kind : { CopyKind::Replacing, CopyKind::OnlyIn }) {
        TransferPair p;
        const QByteArray& data = big_content();
        QVERIFY(p.put(1, u"f.bin"_qs, data, 1600000000));
        if (kind == CopyKind::Replacing)
            QVERIFY(p.put(2, u"f.bin"_qs, "older copy", 1500000000));
        if (write_at >= 0)
            p.fs.fail_write_at(write_at, write_errno, 2);
        if (rename_errno)
            p.fs.fail_rename_into_place(rename_errno, 2);
        if (source_gone)
            p.fs.fail_path(p.path(1, u"f.bin"_qs), err_file_not_found);
        CopyRequest r = request(p, u"f.bin"_qs, kind);
        if (source_change)
            r.progress = [&](qint64) {
                const QString source = p.path(1, u"f.bin"_qs);
                QVERIFY(::truncate(QFile::encodeName(source), QFileInfo(source).size() + source_change) == 0);
            };
        p.shell.on_start = [](const QString&, const QStringList&) { return true; }; // and writes nothing

        Copy_file(p.ctx, r);
        QVERIFY(!p.copy_ok);
        QCOMPARE(p.port.texts().size(), 1);
        QVERIFY2(p.port.texts().first().startsWith(message), qPrintable(p.port.texts().first()));
        // Errors no attempt gets past end the program; the others were tried outside once.
        QCOMPARE(p.port.ended, !message.startsWith(u"Unable"));
        QCOMPARE(p.ctx.ended, p.port.ended);
        if (kind == CopyKind::Replacing) {
            QCOMPARE(p.read(2, u"f.bin"_qs), QByteArray("older copy"));
            QCOMPARE(p.mtime(2, u"f.bin"_qs), 1500000000);
            QCOMPARE(p.on_disk(2), QStringList { u"f.bin"_qs });
        } else {
            QCOMPARE(p.on_disk(2), QStringList());
        }
    }
}

void TestCopyFile::only_in_copies_never_replace_and_say_why()
{
    TransferPair p;
    QVERIFY(p.put(1, u"new.txt"_qs, "new", 1600000000) && p.put(2, u"new.txt"_qs, "appeared", 1400000000));
    QVERIFY(p.put(1, u"Twin.txt"_qs, "one", 1600000000) && p.put(2, u"TWIN.TXT"_qs, "other", 1400000000));
    Copy_file(p.ctx, request(p, u"new.txt"_qs, CopyKind::OnlyIn));
    QVERIFY(!p.copy_ok);
    Copy_file(p.ctx, request(p, u"Twin.txt"_qs, CopyKind::OnlyIn));
    QVERIFY(!p.copy_ok);
    QCOMPARE(p.read(2, u"new.txt"_qs), QByteArray("appeared"));
    QCOMPARE(p.on_disk(2), (QStringList { u"TWIN.TXT"_qs, u"new.txt"_qs }));
    const QStringList texts = p.port.texts();
    QVERIFY2(texts.at(0).startsWith(u"Unable to copy file \""_qs + p.dir1 + u"new.txt\" (a file named \"new.txt\"")
            && texts.at(0).contains(u"appeared there since the comparison"),
        qPrintable(texts.at(0)));
    QVERIFY2(texts.at(1).contains(u"holds \"TWIN.TXT\", whose name differs only in case"), qPrintable(texts.at(1)));
    QVERIFY(p.shell.started.isEmpty()); // a refusal is not retried outside

    // A file appearing between the check and the rename is not replaced either.
    QVERIFY(p.put(1, u"late.txt"_qs, "mine", 1600000000));
    CopyRequest r = request(p, u"late.txt"_qs, CopyKind::OnlyIn);
    r.progress = [&](qint64) {
        if (!QFile::exists(p.path(2, u"late.txt"_qs)))
            QVERIFY(p.put(2, u"late.txt"_qs, "theirs", 1400000000));
    };
    Copy_file(p.ctx, r);
    QVERIFY(!p.copy_ok);
    QCOMPARE(p.read(2, u"late.txt"_qs), QByteArray("theirs"));

    // The same directory twice, also through a link, is refused before anything is touched.
    QVERIFY(QFile::link(p.dir1, p.tmp.path() + u"/alias"));
    CopyRequest self = request(p, u"new.txt"_qs, CopyKind::Replacing);
    self.to_dir = p.tmp.path() + u"/alias/";
    Copy_file(p.ctx, self);
    QVERIFY(!p.copy_ok && p.port.texts().last().endsWith(u"(source and destination are the same directory)"));
    QCOMPARE(p.read(1, u"new.txt"_qs), QByteArray("new"));
    QVERIFY(!p.on_disk(2).join(u' ').contains(u".tandrel-tmp"));
}

void TestCopyFile::replacing_copy_checks_the_older_copy_first()
{
    TransferPair p;
    QVERIFY(p.put(1, u"a.txt"_qs, "newer", 1600000000) && p.put(2, u"a.txt"_qs, "older", 1500000000));
    // Newer since the comparison, within the two seconds, gone: each is left alone.
    QVERIFY(p.put(1, u"b.txt"_qs, "newer", 1600000000) && p.put(2, u"b.txt"_qs, "edited", 1700000000));
    QVERIFY(p.put(1, u"c.txt"_qs, "newer", 1600000000) && p.put(2, u"c.txt"_qs, "newer", 1599999998));
    QVERIFY(p.put(1, u"d.txt"_qs, "newer", 1600000000));
    for (const QString& n : { u"b.txt"_qs, u"c.txt"_qs, u"d.txt"_qs }) {
        Copy_file(p.ctx, request(p, n, CopyKind::Replacing));
        QVERIFY(!p.copy_ok);
        QVERIFY2(p.port.texts().last().contains(u"is no longer the older copy"), qPrintable(n));
    }
    QCOMPARE(p.read(2, u"b.txt"_qs), QByteArray("edited"));
    QVERIFY(!QFile::exists(p.path(2, u"d.txt"_qs)));

    // One hour apart counts as the same date with the option on.
    QVERIFY(p.put(2, u"a.txt"_qs, "older", 1600000000 - 3600));
    p.ignore_one_hour = true;
    Copy_file(p.ctx, request(p, u"a.txt"_qs, CopyKind::Replacing));
    QVERIFY(!p.copy_ok);
    p.ignore_one_hour = false;
    Copy_file(p.ctx, request(p, u"a.txt"_qs, CopyKind::Replacing));
    QVERIFY(p.copy_ok);
    QCOMPARE(p.read(2, u"a.txt"_qs), QByteArray("newer"));
    QCOMPARE(p.mtime(2, u"a.txt"_qs), 1600000000);

    // A destination that is a link is replaced by the file; what it pointed to stays.
    QVERIFY(p.put(1, u"l.txt"_qs, "newer", 1600000000) && make_file(p.tmp.path() + u"/target", "old", 1500000000));
    QVERIFY(QFile::link(p.tmp.path() + u"/target", p.path(2, u"l.txt"_qs)));
    Copy_file(p.ctx, request(p, u"l.txt"_qs, CopyKind::Replacing));
    QVERIFY(p.copy_ok);
    QVERIFY(!p.fs.info(p.path(2, u"l.txt"_qs)).value.is_link);
    QCOMPARE(p.read(2, u"l.txt"_qs), QByteArray("newer"));
    QFile target(p.tmp.path() + u"/target");
    QVERIFY(target.open(QIODevice::ReadOnly) && target.readAll() == "old");
}

void TestCopyFile::names_reach_the_disk_intact()
{
    TransferPair p;
    const QStringList names { u"with blanks .txt"_qs, u"quo\"te's.txt"_qs, u"-n"_qs, u"--"_qs,
        u"\u00e9t\u00e9 \u65e5\u672c.txt"_qs, u"$(touch x);`y`"_qs };
    for (const QString& n : names) {
        QVERIFY(p.put(1, n, n.toUtf8(), 1600000000));
        Copy_file(p.ctx, request(p, n, CopyKind::OnlyIn));
        QVERIFY2(p.copy_ok, qPrintable(n));
        QCOMPARE(p.read(2, n), n.toUtf8());
    }
    QCOMPARE(p.on_disk(2).size(), names.size());
    // A pair's file keeps the other side's spelling: Readme.TXT replaces README.txt, no second file.
    QVERIFY(p.put(1, u"Readme.TXT"_qs, "new", 1600000000) && p.put(2, u"README.txt"_qs, "old", 1500000000));
    p.lists.list(3).add(u"Readme.TXT"_qs);
    Copy_file(p.ctx, entry_copy(p.ctx, 3, u"Readme.TXT"_qs));
    QVERIFY(p.copy_ok);
    QCOMPARE(p.read(2, u"README.txt"_qs), QByteArray("new"));
    QVERIFY(!p.on_disk(2).contains(u"Readme.TXT"_qs));
    QVERIFY(p.port.texts().isEmpty());
}

void TestCopyFile::fallback_attempts()
{
    struct Case {
        const char* what;
        int first_error, second_error;
        bool cp_starts, bin_cp_starts, outside_copies;
        QString message; // "" for a good copy
        bool ends;
    };
    const QString may_be_open = u" (Error 70 - Permission denied\r\nFile: %1 may be open)"_qs;
    const QList<Case> cases {
        { "second attempt good", err_permission_denied, 0, false, false, false, {}, false },
        { "outside copy good", err_permission_denied, err_permission_denied, true, false, true, {}, false },
        { "outside copy by /bin/cp", err_path_file_access, err_path_not_found, false, true, true, {}, false },
        { "outside copy late, note kept", err_permission_denied, err_path_file_access, true, false, false,
            u"Unable to copy file \"%1\""_qs + may_be_open, false },
        { "no note without error 70 first", err_bad_file_name, err_bad_file_name, true, false, false,
            u"Unable to copy file \"%1\""_qs, false },
        { "no outside copy starts", err_permission_denied, err_permission_denied, false, false, false,
            u"Error 53 - File not found\r\nFile: %1"_qs, true },
        { "second attempt disk full", err_permission_denied, err_disk_full, true, true, true,
            u"Error 61 - Disk full\r\nFile: %1"_qs, true },
    };
    for (const Case& c : cases) {
        TransferPair p;
        QVERIFY(p.put(1, u"f.txt"_qs, "newer", 1600000000) && p.put(2, u"f.txt"_qs, "older", 1500000000));
        p.fs.fail_call(FaultyFileSystem::Op::CopyFile, 1, c.first_error);
        if (c.second_error)
            p.fs.fail_call(FaultyFileSystem::Op::AnyMutating, 2, c.second_error);
        p.shell.on_start = [&](const QString& program, const QStringList& args) {
            const bool starts = program == u"cp" ? c.cp_starts : c.bin_cp_starts;
            if (starts && c.outside_copies)
                copy_like_cp(args);
            return starts;
        };
        Copy_file(p.ctx, request(p, u"f.txt"_qs, CopyKind::Replacing));
        const QString source = p.path(1, u"f.txt"_qs);
        QCOMPARE(p.copy_ok, c.message.isEmpty());
        QCOMPARE(p.port.texts(), c.message.isEmpty() ? QStringList() : QStringList { c.message.arg(source) });
        QCOMPARE(p.port.ended, c.ends);
        QCOMPARE(p.read(2, u"f.txt"_qs), QByteArray(c.message.isEmpty() ? "newer" : "older"));
        QCOMPARE(p.on_disk(2), QStringList { u"f.txt"_qs }); // the outside copy's name is gone too
        if (c.second_error && !p.shell.started.isEmpty()) {
            QVERIFY(p.shell.started.first().startsWith(u"cp -p -- "_qs + source + u' ' + p.dir2 + u".tandrel-tmp-"));
            QCOMPARE(p.waits, c.ends && !c.bin_cp_starts ? QStringList() : QStringList { u"1"_qs });
        }
    }
}

void TestCopyFile::copy_completed_within_four_seconds()
{
    TransferPair p;
    QVERIFY(p.put(1, u"s"_qs, "x", 1600000000));
    const QList<std::pair<qint64, bool>> cases { { 1600000004, true }, { 1599999996, true }, { 1600000005, false },
        { 1599999995, false } };
    for (const auto& [mtime, completed] : cases) {
        QVERIFY(p.put(2, u"d"_qs, "x", mtime));
        QCOMPARE(Copy_completed(p.fs, p.path(1, u"s"_qs), p.path(2, u"d"_qs)), completed);
    }
    QVERIFY(!Copy_completed(p.fs, p.path(1, u"s"_qs), p.path(2, u"missing"_qs)));
}

void TestCopyFile::wait_lets_events_run()
{
    ScriptedPort port;
    QElapsedTimer clock;
    clock.start();
    Wait_seconds(port, 0.05);
    QVERIFY(clock.elapsed() >= 50);
    QVERIFY(port.events_run > 0);
}

QTEST_GUILESS_MAIN(TestCopyFile)
#include "tst_copyfile.moc"
