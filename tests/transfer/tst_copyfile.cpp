// Copying across the pair: one file (list 1's entries copy only-in, list 3's replace), and the align buttons.
#include "transfer/Alignment.h"
#include "transfer/CopyFile.h"

#include "tests/util/BindMount.h"
#include "tests/util/TransferPair.h"

#include <QThread>
#include <QtTest>

#include <cerrno>
#include <sys/file.h>
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

// a.txt..e.txt only in dir 1, x.txt only in dir 2, n1/n2 newer in dir 1, o1 in dir 2, s.txt aligned.
void fill(TransferPair& p)
{
    const QStringList only1 { u"a.txt"_qs, u"b.txt"_qs, u"c.txt"_qs, u"d.txt"_qs, u"e.txt"_qs };
    for (const QString& n : only1)
        QVERIFY(p.put(1, n, n.toLatin1(), 1600000000));
    QVERIFY(p.put(2, u"x.txt"_qs, "x", 1600000000));
    QVERIFY(p.put(1, u"n1"_qs, "new", 1600000000) && p.put(2, u"N1"_qs, "old", 1500000000));
    QVERIFY(p.put(1, u"n2"_qs, "new", 1600000000) && p.put(2, u"n2"_qs, "old", 1500000000));
    QVERIFY(p.put(1, u"o1"_qs, "old", 1500000000) && p.put(2, u"o1"_qs, "new", 1600000000));
    QVERIFY(p.put(1, u"s.txt"_qs, "s", 1600000000) && p.put(2, u"s.txt"_qs, "s", 1600000000));
    const QStringList lists[] { only1, { u"x.txt"_qs }, { u"n1"_qs, u"n2"_qs }, { u"o1"_qs }, { u"s.txt"_qs } };
    for (int n = 1; n <= 5; ++n)
        p.lists.list(n).set_names(lists[n - 1]);
}

} // namespace

class TestCopyFile : public QObject {
    Q_OBJECT
private slots:
    void faults_keep_the_older_copy_and_leave_no_temporary_file()
    {
        // What the volume cannot hold is told as such and ends nothing; a changing source is retried,
        // never copied outside. source_change: bytes the source changes by after each chunk.
        const struct {
            int write_at, write_errno, rename_errno;
            bool source_gone;
            int source_change;
            QString message;
        } faults[] = { { 17000000, ENOSPC, 0, false, 0, u"Error 61 - Disk full"_qs },
            { 5, ENODEV, 0, false, 0, u"Error 68 - Device unavailable"_qs },
            { -1, 0, EIO, false, 0, u"Error 57 - Device I/O error"_qs },
            { -1, 0, 0, true, 0, u"Error 53 - File not found"_qs },
            { 5, EROFS, 0, false, 0, u"(the volume of dir 2 is read-only"_qs },
            { 5, EFBIG, 0, false, 0, u"(the file is larger than the volume"_qs },
            { -1, 0, 0, false, -1, u"Unable to copy file \""_qs },
            { -1, 0, 0, false, 1, u"Unable to copy file \""_qs } };
        for (const auto& [write_at, write_errno, rename_errno, source_gone, source_change, message] : faults) {
            for (const int list : { 3, 1 }) {
                TransferPair p;
                QVERIFY(p.put(1, u"f.bin"_qs, big_content(), 1600000000));
                const bool older = list == 3;
                if (older)
                    QVERIFY(p.put(2, u"f.bin"_qs, "older copy", 1500000000));
                if (write_at >= 0)
                    p.fs.fail_write_at(write_at, write_errno, 2);
                if (rename_errno)
                    p.fs.fail_rename_into_place(rename_errno, 2);
                if (source_gone)
                    p.fs.fail_path(p.path(1, u"f.bin"_qs), err_file_not_found);
                CopyRequest r = entry_copy(p.ctx, list, u"f.bin"_qs);
                if (source_change)
                    r.progress = [&](qint64) {
                        const QString source = p.path(1, u"f.bin"_qs);
                        QCOMPARE(::truncate(QFile::encodeName(source), QFileInfo(source).size() + source_change), 0);
                    };
                Copy_file(p.ctx, r);
                QVERIFY(!p.copy_ok && p.port.texts().size() == 1);
                QVERIFY2(p.port.texts().first().contains(message), qPrintable(p.port.texts().first()));
                QCOMPARE(p.port.ended, message.startsWith(u"Error")); // no attempt gets past those
                QVERIFY(p.shell.started.isEmpty()); // a source changing under the copy is not copied outside
                QCOMPARE(p.on_disk(2), older ? QStringList { u"f.bin"_qs } : QStringList());
                QVERIFY(!older || (p.read(2, u"f.bin"_qs) == "older copy" && p.mtime(2, u"f.bin"_qs) == 1500000000));
            }
        }
    }

    void only_in_copies_never_replace_and_say_why()
    {
        TransferPair p;
        for (const QString& n : { u"new.txt"_qs, u"Twin.txt"_qs, u"late.txt"_qs, u"quit.txt"_qs })
            QVERIFY(p.put(1, n, "mine", 1600000000));
        QVERIFY(p.put(2, u"new.txt"_qs, "appeared", 1400000000) && p.put(2, u"TWIN.TXT"_qs, "other", 1400000000));
        for (const QString& n : { u"new.txt"_qs, u"Twin.txt"_qs, u"late.txt"_qs }) {
            CopyRequest r = entry_copy(p.ctx, 1, n);
            // A file appearing between the check and the rename is not replaced either.
            if (n == u"late.txt")
                r.progress = [&](qint64) { QVERIFY(p.put(2, u"late.txt"_qs, "theirs", 1400000000)); };
            Copy_file(p.ctx, r);
            QVERIFY2(!p.copy_ok, qPrintable(n));
        }
        QCOMPARE(p.on_disk(2), (QStringList { u"TWIN.TXT"_qs, u"late.txt"_qs, u"new.txt"_qs }));
        QVERIFY(p.read(2, u"new.txt"_qs) == "appeared" && p.read(2, u"late.txt"_qs) == "theirs");
        const QStringList texts = p.port.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts.at(0).startsWith(
                     u"Unable to copy file \""_qs + p.dir1.path() + u"new.txt\" (a file named \"new.txt\"")
                && texts.at(0).contains(u"appeared there since the comparison"),
            qPrintable(texts.at(0)));
        QVERIFY2(texts.at(1).contains(u"holds \"TWIN.TXT\", whose name differs only in case"), qPrintable(texts.at(1)));
        QVERIFY(p.shell.started.isEmpty()); // a refusal is not retried outside

        // The program ending abandons the copy under way, silently.
        CopyRequest quit = entry_copy(p.ctx, 1, u"quit.txt"_qs);
        quit.progress = [&](qint64) { p.ctx.abandon = true; };
        Copy_file(p.ctx, quit);
        QVERIFY(!p.copy_ok && p.port.texts().size() == 3 && !p.on_disk(2).contains(u"quit.txt"_qs));
    }

    void replacing_copy_checks_the_older_copy_first()
    {
        TransferPair p;
        // Newer since the comparison, within the two seconds, one hour off with the option, gone.
        const QList<std::pair<QString, qint64>> not_older { { u"b"_qs, 1700000000 }, { u"c"_qs, 1599999998 },
            { u"a"_qs, 1600000000 - 3600 }, { u"d"_qs, 0 } };
        p.host.ignore_one_hour = true;
        for (const auto& [name, mtime] : not_older) {
            QVERIFY(p.put(1, name, "newer", 1600000000) && (!mtime || p.put(2, name, "older", mtime)));
            Copy_file(p.ctx, entry_copy(p.ctx, 3, name));
            QVERIFY(!p.copy_ok && p.port.texts().last().contains(u"is no longer the older copy"));
            QCOMPARE(p.read(2, name), mtime ? QByteArray("older") : QByteArray("<missing>"));
        }
        p.host.ignore_one_hour = false;
        Copy_file(p.ctx, entry_copy(p.ctx, 3, u"a"_qs));
        QVERIFY(p.copy_ok && p.read(2, u"a"_qs) == "newer" && p.mtime(2, u"a"_qs) == 1600000000);

        // The older copy saved by its user after the last byte was written: the edit stays.
        QVERIFY(p.put(1, u"e"_qs, "newer", 1600000000) && p.put(2, u"e"_qs, "older", 1500000000));
        p.fs.on_replace_check([&] { QVERIFY(p.put(2, u"e"_qs, "edited", 0)); });
        Copy_file(p.ctx, entry_copy(p.ctx, 3, u"e"_qs));
        p.fs.on_replace_check({});
        QVERIFY(!p.copy_ok && p.port.texts().last().contains(u"changed while the copy ran: that edit is kept"));
        QVERIFY(p.read(2, u"e"_qs) == "edited" && !p.on_disk(2).join(u',').contains(u".tandrel-tmp"));

        // A destination that is a link is replaced by the file; what it pointed to stays.
        QVERIFY(p.put(1, u"l"_qs, "newer", 1600000000) && make_file(p.tmp.path() + u"/target", "old", 1500000000));
        QVERIFY(QFile::link(p.tmp.path() + u"/target", p.path(2, u"l"_qs)));
        Copy_file(p.ctx, entry_copy(p.ctx, 3, u"l"_qs));
        QVERIFY(p.copy_ok && !p.fs.info(p.path(2, u"l"_qs)).value.is_link && p.read(2, u"l"_qs) == "newer");
        QCOMPARE(p.read(2, u"../target"_qs), QByteArray("old"));
    }

    void names_reach_the_disk_intact()
    {
        TransferPair p;
        const QStringList names { u"with blanks .txt"_qs, u"quo\"te's.txt"_qs, u"-n"_qs, u"--"_qs,
            u"\u00e9t\u00e9 \u65e5\u672c.txt"_qs, u"$(touch x);`y`"_qs };
        for (const QString& n : names) {
            QVERIFY(p.put(1, n, n.toUtf8(), 1600000000));
            Copy_file(p.ctx, entry_copy(p.ctx, 1, n));
            QVERIFY2(p.copy_ok && p.read(2, n) == n.toUtf8(), qPrintable(n));
        }
        QCOMPARE(p.on_disk(2).size(), names.size());

        // Holes stay holes: 100 MiB holding 4 KiB of data, by the kernel and through the program.
        for (const bool kernel : { true, false }) {
            TransferPair s;
            QFile sparse(s.path(1, u"sparse"_qs));
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.seek(50 << 20)
                && sparse.write(QByteArray(4096, 'x')) == 4096 && sparse.resize(100 << 20));
            sparse.close();
            if (!kernel)
                s.fs.fail_write_at(qint64(1) << 40, EIO); // never reached; the bytes pass through the program
            Copy_file(s.ctx, entry_copy(s.ctx, 1, u"sparse"_qs));
            struct stat st { };
            QVERIFY(s.copy_ok && ::stat(QFile::encodeName(s.path(2, u"sparse"_qs)).constData(), &st) == 0);
            QVERIFY2(
                st.st_size == 100 << 20 && st.st_blocks * 512 <= 64 * 1024, qPrintable(QString::number(st.st_blocks)));
            QFile copy(s.path(2, u"sparse"_qs));
            QVERIFY(copy.open(QIODevice::ReadOnly) && copy.seek((50 << 20) - 1));
            QCOMPARE(copy.read(4098), QByteArray(1, 0) + QByteArray(4096, 'x') + QByteArray(1, 0));
        }
    }

    // The directories held since the comparison are acted in even when their paths lead elsewhere;
    // a killed copy's temporary file (no lock any more) goes there, a running copy's stays.
    void held_directories_are_the_ones_changed()
    {
        TransferPair p;
        QVERIFY(p.put(1, u"f"_qs, "new", 1600000000) && p.put(2, u"gone"_qs, "x", 0));
        QVERIFY(p.put(2, u".tandrel-tmp-killed"_qs, "half", 0) && p.put(2, u".tandrel-tmp-running"_qs, "half", 0));
        QFile running(p.path(2, u".tandrel-tmp-running"_qs));
        QVERIFY(running.open(QIODevice::ReadOnly) && ::flock(running.handle(), LOCK_EX) == 0);
        const auto held1 = p.fs.hold_dir(p.dir1.path()), held2 = p.fs.hold_dir(p.dir2.path());
        for (const QString& dir : { p.dir1.path(), p.dir2.path() })
            QVERIFY(QDir().rename(dir, dir.chopped(1) + u"-compared"_qs) && QDir().mkpath(dir));
        QVERIFY(p.put(1, u"f"_qs, "planted", 1600000000) && p.put(2, u"gone"_qs, "planted", 0));
        Copy_file(p.ctx, entry_copy(p.ctx, 1, u"f"_qs));
        QVERIFY(p.copy_ok && !p.fs.remove_entry(p.dir2.path(), u"gone"_qs, false, false));
        QCOMPARE(p.on_disk(2), (QStringList { u"gone"_qs }));
        QCOMPARE(entries(p.tmp.path() + u"/two-compared"_qs), (QStringList { u".tandrel-tmp-running"_qs, u"f"_qs }));
        QCOMPARE(p.read(2, u"../two-compared/f"_qs), QByteArray("new"));
    }

    void destination_directory_read_only_or_gone()
    {
        TransferPair p;
        QVERIFY(p.put(1, u"f"_qs, "newer", 1600000000) && p.put(2, u"f"_qs, "older", 1500000000));
        p.shell.on_start = [](const QString&, const QStringList&) { return true; }; // and copies nothing
        for (const auto& [dir, mode] : { std::pair { p.tmp.path(), 0711 }, { p.dir2.path(), 0555 } })
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), mode), 0);
        {
            const AsNobody nobody;
            Copy_file(p.ctx, entry_copy(p.ctx, 3, u"f"_qs));
        }
        QVERIFY(!p.copy_ok && p.port.texts().value(0).endsWith(u" may be open)"));
        QVERIFY(p.on_disk(2) == QStringList { u"f"_qs } && p.read(2, u"f"_qs) == "older");
        QVERIFY(QDir(p.dir2.path()).removeRecursively());
        Copy_file(p.ctx, entry_copy(p.ctx, 1, u"f"_qs));
        QVERIFY(!p.copy_ok && !p.port.ended && p.port.texts().value(1).startsWith(u"Unable to copy file"));
    }

    void fallback_attempts()
    {
        // What the outside copy has written when checked; Torn: the source is rewritten meanwhile.
        enum Outside { Nothing, Whole, CutWithItsDate, StillWriting, Torn };
        struct Case {
            int first_error, second_error;
            bool cp_starts, bin_cp_starts;
            Outside outside;
            QString message; // "" for a good copy
        };
        const QString may_be_open = u" (Error 70 - Permission denied\r\nFile: %1 may be open)"_qs;
        const QList<Case> cases {
            { err_permission_denied, 0, false, false, Nothing, {} }, // the second attempt works
            { err_permission_denied, err_permission_denied, true, false, Whole, {} },
            { err_path_file_access, err_path_not_found, false, true, Whole, {} }, // by /bin/cp
            { err_permission_denied, err_path_file_access, true, false, Nothing,
                u"Unable to copy file \"%1\""_qs + may_be_open },
            { err_bad_file_name, err_bad_file_name, true, false, CutWithItsDate, u"Unable to copy file \"%1\""_qs },
            { err_bad_file_name, err_bad_file_name, true, false, StillWriting, u"Unable to copy file \"%1\""_qs },
            { err_permission_denied, err_permission_denied, true, false, Torn,
                u"Unable to copy file \"%1\""_qs + may_be_open },
            { err_permission_denied, err_permission_denied, false, false, Nothing,
                u"Error 53 - File not found\r\nFile: %1"_qs },
            { err_permission_denied, err_disk_full, true, true, Whole, u"Error 61 - Disk full\r\nFile: %1"_qs },
        };
        for (const Case& c : cases) {
            TransferPair p;
            QVERIFY(p.put(1, u"f.txt"_qs, "newer", 1600000000) && p.put(2, u"f.txt"_qs, "older", 1500000000));
            p.fs.fail_call(FaultyFileSystem::Op::CopyFile, 1, c.first_error);
            if (c.second_error)
                p.fs.fail_call(FaultyFileSystem::Op::AnyMutating, 2, c.second_error);
            // The outside copy, when it works, does what cp -p does, at once.
            p.shell.on_start = [&](const QString& program, const QStringList& args) {
                const bool starts = program == u"cp" ? c.cp_starts : c.bin_cp_starts;
                const QByteArray data = p.read(1, u"f.txt"_qs);
                if (starts && c.outside != Nothing)
                    make_file(args.last(), c.outside == CutWithItsDate ? data.left(2) : data,
                        c.outside == StillWriting ? 0 : p.mtime(1, u"f.txt"_qs));
                if (c.outside == Torn) {
                    QThread::msleep(20); // past the coarse clock of file dates
                    p.put(1, u"f.txt"_qs, "NEWER", 1600000000);
                }
                return starts;
            };
            Copy_file(p.ctx, entry_copy(p.ctx, 3, u"f.txt"_qs));
            const QString source = p.path(1, u"f.txt"_qs);
            QCOMPARE(p.copy_ok, c.message.isEmpty());
            QCOMPARE(p.port.texts(), c.message.isEmpty() ? QStringList() : QStringList { c.message.arg(source) });
            QCOMPARE(p.port.ended, c.message.startsWith(u"Error"));
            QCOMPARE(p.read(2, u"f.txt"_qs), QByteArray(c.message.isEmpty() ? "newer" : "older"));
            QCOMPARE(p.on_disk(2), QStringList { u"f.txt"_qs }); // the outside copy's name is gone too
            if (!p.shell.started.isEmpty())
                QVERIFY(p.shell.started.first().startsWith(
                    u"cp -p -- "_qs + source + u' ' + p.dir2.file(u".tandrel-tmp-"_qs)));
            const bool waited = c.second_error && c.second_error != err_disk_full && (c.cp_starts || c.bin_cp_starts);
            QCOMPARE(p.host.waits, waited ? QStringList { u"1"_qs } : QStringList());
        }
    }

    void copy_completed_within_four_seconds_and_waits_let_events_run()
    {
        TransferPair p;
        QVERIFY(p.put(1, u"s"_qs, "x", 1600000000));
        for (const auto& [mtime, completed] : QList<std::pair<qint64, bool>> {
                 { 1600000004, true }, { 1599999996, true }, { 1600000005, false }, { 1599999995, false } }) {
            QVERIFY(p.put(2, u"d"_qs, "x", mtime));
            QCOMPARE(Copy_completed(p.fs, p.path(1, u"s"_qs), p.path(2, u"d"_qs)), completed);
        }
        QVERIFY(!Copy_completed(p.fs, p.path(1, u"s"_qs), p.path(2, u"missing"_qs)));
        QElapsedTimer clock;
        clock.start();
        Wait_seconds(p.port, 0.05);
        QVERIFY(clock.elapsed() >= 50 && p.port.events_run > 0);
    }

    void selected_or_all_entries_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("selected"); // rows
        QTest::addColumn<QString>("left"); // in the list afterwards
        QTest::addColumn<QString>("aligned"); // list 5 afterwards
        QTest::addColumn<bool>("flush_each"); // new files reach the device one by one
        QTest::addColumn<QString>("clicked"); // rows the person selects instead once it runs
        QTest::addColumn<bool>("user_space"); // the volume's driver runs in user space
        // clang-format off
        QTest::newRow("list 1, none selected: all, user-space volume") << 1 << "" << "" << "a.txt,b.txt,c.txt,d.txt,e.txt,s.txt" << false << "" << true;
        // What is copied is what was selected at the press.
        QTest::newRow("list 1, one selected") << 1 << "2" << "a.txt,b.txt,d.txt,e.txt" << "c.txt,s.txt" << false << "0,3" << false;
        QTest::newRow("list 1, adjacent and apart, flushed one by one") << 1 << "1,2,4" << "a.txt,d.txt" << "b.txt,c.txt,e.txt,s.txt" << true << "" << false;
        QTest::newRow("list 2") << 2 << "" << "" << "s.txt,x.txt" << false << "" << false;
        QTest::newRow("list 3, other spelling in dir 2") << 3 << "" << "" << "n1,n2,s.txt" << false << "" << false;
        QTest::newRow("list 4") << 4 << "" << "" << "o1,s.txt" << false << "" << false;
        // clang-format on
    }

    void selected_or_all_entries()
    {
        QFETCH(int, list);
        QFETCH(QString, selected);
        QFETCH(QString, left);
        QFETCH(QString, aligned);
        QFETCH(bool, flush_each);
        QFETCH(QString, clicked);
        QFETCH(bool, user_space);
        TransferPair p;
        fill(p);
        if (flush_each)
            p.ctx.flush_after_bytes = 1;
        p.fs.user_space = user_space;
        // Events run at the start and after each flushed batch however often the clock allows.
        p.ctx.events_every_ms = 3'600'000;
        for (const QString& row : selected.split(u',', Qt::SkipEmptyParts))
            p.lists.list(list).select_row(row.toInt(), true);
        QList<AlignProgress> shown;
        p.host.on_progress = [&](const AlignProgress& a) {
            if (shown.isEmpty() && !clicked.isEmpty()) {
                p.lists.list(list).selection()->clear();
                for (const QString& row : clicked.split(u','))
                    p.lists.list(list).select_row(row.toInt(), true);
            }
            shown << a;
        };

        bot_list_Click(p.ctx, list);

        QCOMPARE(p.lists.list(list).names().join(u','), left);
        QCOMPARE(p.lists.list(5).names().join(u','), aligned);
        QVERIFY(p.port.texts().isEmpty());
        QCOMPARE(p.host.cancel_enabled, (QList<bool> { true, false }));
        QCOMPARE(p.host.auto_nexts, 1);
        QVERIFY(p.host.exit_focused == 1 && p.host.labels_cleared == 1 && !p.port.busy);
        for (const QString& n : aligned.split(u',')) {
            const QString n2 = p.fs.resolve_case(p.dir2.path(), n);
            QCOMPARE(p.read(1, n), p.read(2, n2));
            QCOMPARE(p.mtime(1, n), p.mtime(2, n2));
        }
        QVERIFY(!p.on_disk(2).contains(u"n1"_qs)); // N1 was replaced, not joined by a twin
        // In place only after its volume's flush (and its own on a user-space volume); the name after.
        bool synced = false, file_flushed = false;
        for (const QString& f : std::as_const(p.fs.flushes)) {
            const bool placed = f.startsWith(u"rename");
            QVERIFY2(!placed || (synced && (file_flushed || !user_space)), qPrintable(p.fs.flushes.join(u',')));
            synced = f == u"sync" || (synced && f != u"dir");
            file_flushed = f == u"file";
        }
        QCOMPARE(p.fs.flushes.last(), u"dir"_qs);
        QCOMPARE(p.port.events_run, 1 + p.fs.flushes.count(u"sync"_qs)); // per batch, not per file
        const int copied = int(aligned.count(u',')); // all but s.txt
        QCOMPARE(p.fs.flushes.count(u"sync"_qs), flush_each ? copied : 1);
        QVERIFY(shown.size() >= 2 && !shown.last().visible);
        const AlignProgress& full = shown.at(shown.size() - 2);
        QVERIFY(full.visible && full.files_done == copied && full.files_total == copied);
        QVERIFY(full.bytes_done == full.bytes_total && full.bytes_total > 0);
    }

    void failure_goes_on_cancel_stops()
    {
        TransferPair p;
        fill(p);
        // c.txt appeared in dir 2 since the comparison: refused, told beside the progress as it is then
        // (however seldom progress is shown), and the rest goes on.
        QVERIFY(p.put(2, u"c.txt"_qs, "theirs", 1400000000));
        p.ctx.events_every_ms = 3'600'000;
        QList<int> shown_before_message;
        p.host.on_progress = [&](const AlignProgress& a) {
            if (p.port.texts().isEmpty())
                shown_before_message << a.files_done;
        };
        p.lists.list(1).select_row(1, true);
        p.lists.list(1).select_row(2, true);
        bot_list_Click(p.ctx, 1);
        QCOMPARE(shown_before_message.last(), 1);
        QCOMPARE(p.lists.list(1).names(), (QStringList { u"a.txt"_qs, u"c.txt"_qs, u"d.txt"_qs, u"e.txt"_qs }));
        QCOMPARE(p.lists.list(1).selected_names(), QStringList { u"c.txt"_qs }); // still selected
        QCOMPARE(p.lists.list(5).names(), (QStringList { u"b.txt"_qs, u"s.txt"_qs }));
        QCOMPARE(p.port.texts().size(), 1);
        QVERIFY(p.port.texts().first().startsWith(u"Unable to copy file \""_qs + p.dir1.file(u"c.txt\""_qs)));
        QCOMPARE(p.read(2, u"c.txt"_qs), QByteArray("theirs"));
        QCOMPARE(p.host.exit_focused, 1);
        QCOMPARE(p.host.auto_nexts, 0); // list 1 goes on only after a good copy

        // Cancel while the first file is copied: that file is finished, nothing after it starts.
        p.ctx.events_every_ms = 0;
        p.lists.list(1).select_row(1, false);
        p.host.on_progress = [&](const AlignProgress& a) {
            if (a.files_done == 1)
                p.cancel.request();
        };
        QVERIFY(QFile::remove(p.path(2, u"c.txt"_qs)));
        bot_list_Click(p.ctx, 1);
        QCOMPARE(p.lists.list(1).names(), (QStringList { u"c.txt"_qs, u"d.txt"_qs, u"e.txt"_qs }));
        QCOMPARE(p.lists.list(5).names(), (QStringList { u"a.txt"_qs, u"b.txt"_qs, u"s.txt"_qs }));
        QVERIFY(!QFile::exists(p.path(2, u"c.txt"_qs)));
        QCOMPARE(p.host.exit_focused, 1); // no focus change on cancel
        QVERIFY(!p.port.busy);

        // New lists while the alignment lets events run (a comparison): it stops there.
        int events = 0;
        p.host.on_progress = [&](const AlignProgress& a) {
            if (a.files_done == 1 && ++events == 1)
                p.lists.list(1).set_names({ u"c.txt"_qs, u"d.txt"_qs, u"e.txt"_qs });
        };
        bot_list_Click(p.ctx, 1);
        QVERIFY(QFile::exists(p.path(2, u"c.txt"_qs)) && !QFile::exists(p.path(2, u"d.txt"_qs)));
        QCOMPARE(p.lists.list(1).count(), 3);
    }

    // A fatal copy error ends everything; a batch's failed flush puts nothing in place. Either way no
    // further file is copied, the older copies and the entries stay, and the person is told.
    void a_fatal_error_or_a_failed_flush_stops_the_alignment()
    {
        for (const int list : { 1, 3 }) {
            // 0: the second file cannot be copied at all, with the first waiting for its flush; 1: the
            // flush at the end fails; 2: the flush of the first file's own batch fails.
            for (const int mode : { 0, 1, 2 }) {
                const bool flush = mode > 0;
                TransferPair p;
                fill(p);
                qputenv("XDG_DATA_HOME", QFile::encodeName(p.tmp.path() + u"/data"_qs)); // its trash holds nothing
                const QStringList before = p.on_disk(2);
                p.ctx.flush_after_bytes = mode == 2 ? 1 : p.ctx.flush_after_bytes;
                p.fs.fail_call(
                    flush ? FaultyFileSystem::Op::Sync : FaultyFileSystem::Op::CopyFile, flush ? 1 : 2, err_disk_full);
                p.fs.fail_call(FaultyFileSystem::Op::AnyMutating, flush ? 0 : 3, err_disk_full); // 0: not armed
                bot_list_Click(p.ctx, list);
                // A failed flush names the batch's last file, in capitals.
                const QString last
                    = mode == 1 ? (list == 1 ? u"E.TXT"_qs : u"N2"_qs) : (list == 1 ? u"A.TXT"_qs : u"N1"_qs);
                const QString said = flush
                    ? u"ERROR 61: Disk full while copying "_qs + last
                    : u"Error 61 - Disk full\r\nFile: "_qs + p.path(1, list == 1 ? u"b.txt"_qs : u"n2"_qs);
                QCOMPARE(p.port.texts(), QStringList { said });
                QCOMPARE(p.fs.calls(FaultyFileSystem::Op::CopyFile) == 1, mode == 2); // nothing copied after it
                QVERIFY(p.port.ended == !flush && p.ctx.ended == !flush && (flush || p.host.auto_nexts == 0));
                QCOMPARE(p.on_disk(2), before);
                QVERIFY(p.read(2, u"n2"_qs) == "old" && p.lists.list(list).count() == (list == 1 ? 5 : 2));
                QCOMPARE(p.lists.list(5).names(), QStringList { u"s.txt"_qs });
            }
        }

        // On a volume other than the home folder's, the message says what its trash holds.
        TransferPair q;
        fill(q);
        const BindMount volume(q.dir2.path(), q.dir2.path());
        if (!volume.ok())
            QSKIP(volume.why_not());
        qputenv("XDG_DATA_HOME", QFile::encodeName(q.tmp.path() + u"/data"_qs));
        const QString trash = q.dir2.file(u".Trash-"_qs) + QString::number(::geteuid());
        QVERIFY(make_tree(trash, { u"files"_qs, u"info"_qs }));
        QVERIFY(make_file(trash + u"/files/old.bin"_qs, QByteArray(1 << 20, 'x')));
        q.fs.fail_call(FaultyFileSystem::Op::CopyFile, 1, err_disk_full);
        q.fs.fail_call(FaultyFileSystem::Op::AnyMutating, 2, err_disk_full);
        bot_list_Click(q.ctx, 1);
        QCOMPARE(q.port.texts().value(0).section(u"\r\n"_qs, 2),
            u"The trash of that volume holds 1.00 MiB of deleted files; emptying it gives that space back."_qs);
    }

    void auto_next_after_the_buttons()
    {
        // An empty list keeps the last copy's result: list 1 goes on only after a good one, the others always.
        const std::tuple<int, bool, bool> cases[] { { 1, false, false }, { 1, true, true }, { 2, false, true },
            { 4, false, true } };
        for (const auto& [list, good, goes_on] : cases) {
            TransferPair p;
            p.copy_ok = good;
            bot_list_Click(p.ctx, list);
            QCOMPARE(p.host.auto_nexts, int(goes_on));
        }
    }
};

QTEST_GUILESS_MAIN(TestCopyFile)
#include "tst_copyfile.moc"
