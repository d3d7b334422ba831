// The align buttons: which entries are copied, where they go, cancel, failures, the tree walk going on.
#include "transfer/Alignment.h"

#include "tests/util/BindMount.h"
#include "tests/util/TransferPair.h"

#include <QtTest>

namespace {

// a.txt..e.txt only in dir 1, x.txt only in dir 2, n1/n2 newer in dir 1, o1 in dir 2, s.txt aligned.
void fill(TransferPair& p)
{
    for (const char* n : { "a.txt", "b.txt", "c.txt", "d.txt", "e.txt" })
        QVERIFY(p.put(1, QString::fromLatin1(n), n, 1600000000));
    QVERIFY(p.put(2, u"x.txt"_qs, "x", 1600000000));
    QVERIFY(p.put(1, u"n1"_qs, "new", 1600000000) && p.put(2, u"N1"_qs, "old", 1500000000));
    QVERIFY(p.put(1, u"n2"_qs, "new", 1600000000) && p.put(2, u"n2"_qs, "old", 1500000000));
    QVERIFY(p.put(1, u"o1"_qs, "old", 1500000000) && p.put(2, u"o1"_qs, "new", 1600000000));
    QVERIFY(p.put(1, u"s.txt"_qs, "s", 1600000000) && p.put(2, u"s.txt"_qs, "s", 1600000000));
    p.lists.list(1).set_names({ u"a.txt"_qs, u"b.txt"_qs, u"c.txt"_qs, u"d.txt"_qs, u"e.txt"_qs });
    p.lists.list(2).set_names({ u"x.txt"_qs });
    p.lists.list(3).set_names({ u"n1"_qs, u"n2"_qs });
    p.lists.list(4).set_names({ u"o1"_qs });
    p.lists.list(5).set_names({ u"s.txt"_qs });
}

} // namespace

class TestAlignment : public QObject {
    Q_OBJECT
private slots:

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
        QTest::newRow("list 1, none selected: all") << 1 << "" << "" << "a.txt,b.txt,c.txt,d.txt,e.txt,s.txt" << false << "" << false;
        // What is copied is what was selected at the press.
        QTest::newRow("list 1, one selected") << 1 << "2" << "a.txt,b.txt,d.txt,e.txt" << "c.txt,s.txt" << false << "0,3" << false;
        QTest::newRow("list 1, adjacent and apart") << 1 << "1,2,4" << "a.txt,d.txt" << "b.txt,c.txt,e.txt,s.txt" << false << "" << false;
        QTest::newRow("list 1, flushed one by one") << 1 << "1,2,4" << "a.txt,d.txt" << "b.txt,c.txt,e.txt,s.txt" << true << "" << false;
        QTest::newRow("list 1, user-space volume") << 1 << "" << "" << "a.txt,b.txt,c.txt,d.txt,e.txt,s.txt" << false << "" << true;
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
        QVERIFY(p.host.exit_focused == 1 && p.host.labels_cleared == 1 && !p.port.busy);
        // Every aligned entry is on both sides with the same content and date.
        for (const QString& n : aligned.split(u',')) {
            const QString n2 = p.fs.resolve_case(p.dir2, n);
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
        // The window's work is per batch, not per file.
        QCOMPARE(p.port.events_run, 1 + p.fs.flushes.count(u"sync"_qs));
        const int copied = int(aligned.count(u',')); // all but s.txt
        QVERIFY(shown.size() >= 2 && !shown.last().visible);
        const AlignProgress& full = shown.at(shown.size() - 2);
        QVERIFY(full.visible && full.files_done == copied && full.files_total == copied);
        QVERIFY(full.bytes_done == full.bytes_total && full.bytes_total > 0);
    }

    void failure_goes_on_cancel_stops()
    {
        TransferPair p;
        fill(p);
        // b.txt appeared in dir 2 since the comparison: refused, told, and the rest goes on.
        QVERIFY(p.put(2, u"b.txt"_qs, "theirs", 1400000000));
        p.lists.list(1).select_row(1, true);
        p.lists.list(1).select_row(2, true);
        bot_list_Click(p.ctx, 1);
        QCOMPARE(p.lists.list(1).names(), (QStringList { u"a.txt"_qs, u"b.txt"_qs, u"d.txt"_qs, u"e.txt"_qs }));
        QCOMPARE(p.lists.list(1).selected_names(), QStringList { u"b.txt"_qs }); // still selected
        QCOMPARE(p.lists.list(5).names(), (QStringList { u"c.txt"_qs, u"s.txt"_qs }));
        QCOMPARE(p.port.texts().size(), 1);
        QVERIFY(p.port.texts().first().startsWith(u"Unable to copy file \""_qs + p.dir1 + u"b.txt\""));
        QCOMPARE(p.read(2, u"b.txt"_qs), QByteArray("theirs"));
        QCOMPARE(p.host.exit_focused, 1);

        // Cancel while the first file is copied: that file is finished, nothing after it starts.
        p.ctx.events_every_ms = 0;
        p.lists.list(1).select_row(1, false);
        p.host.on_progress = [&](const AlignProgress& a) {
            if (a.files_done == 1)
                p.cancel.request();
        };
        QVERIFY(QFile::remove(p.path(2, u"b.txt"_qs)));
        bot_list_Click(p.ctx, 1);
        QCOMPARE(p.lists.list(1).names(), (QStringList { u"b.txt"_qs, u"d.txt"_qs, u"e.txt"_qs }));
        QCOMPARE(p.lists.list(5).names(), (QStringList { u"a.txt"_qs, u"c.txt"_qs, u"s.txt"_qs }));
        QVERIFY(!QFile::exists(p.path(2, u"b.txt"_qs)));
        QCOMPARE(p.host.exit_focused, 1); // no focus change on cancel
        QVERIFY(!p.port.busy);

        // New lists while the alignment lets events run (a comparison): it stops there.
        int events = 0;
        p.host.on_progress = [&](const AlignProgress& a) {
            if (a.files_done == 1 && ++events == 1)
                p.lists.list(1).set_names({ u"b.txt"_qs, u"d.txt"_qs, u"e.txt"_qs });
        };
        bot_list_Click(p.ctx, 1);
        QVERIFY(QFile::exists(p.path(2, u"b.txt"_qs)) && !QFile::exists(p.path(2, u"d.txt"_qs)));
        QCOMPARE(p.lists.list(1).count(), 3);

        // A refusal is told beside the progress as it is then, however seldom progress is shown.
        TransferPair q;
        fill(q);
        QVERIFY(q.put(2, u"c.txt"_qs, "theirs", 1400000000));
        q.ctx.events_every_ms = 3'600'000;
        QList<int> shown_before_message;
        q.host.on_progress = [&](const AlignProgress& a) {
            if (q.port.texts().isEmpty())
                shown_before_message << a.files_done;
        };
        bot_list_Click(q.ctx, 1);
        QCOMPARE(q.port.texts().size(), 1);
        QCOMPARE(shown_before_message.last(), 2);
    }

    // A fatal copy error ends everything; a batch's failed flush puts nothing in place. Either way no
    // further file is copied, the older copies and the entries stay, and the person is told.
    void a_fatal_error_or_a_failed_flush_stops_the_alignment()
    {
        for (const int list : { 1, 3 }) {
            for (const bool flush : { false, true }) {
                TransferPair p;
                fill(p);
                const QStringList before = p.on_disk(2);
                p.fs.fail_call(flush ? FaultyFileSystem::Op::Sync : FaultyFileSystem::Op::CopyFile, 1,
                    flush ? err_device_io : err_disk_full);
                p.fs.fail_call(FaultyFileSystem::Op::AnyMutating, flush ? 0 : 2, err_disk_full); // 0: not armed
                bot_list_Click(p.ctx, list);
                const QString fatal
                    = u"Error 61 - Disk full\r\nFile: "_qs + p.path(1, list == 1 ? u"a.txt"_qs : u"n1"_qs);
                QCOMPARE(p.port.texts(), QStringList { flush ? u"ERROR 57: Device I/O error"_qs : fatal });
                QVERIFY(p.port.ended == !flush && p.ctx.ended == !flush && (flush || p.host.auto_nexts == 0));
                QCOMPARE(p.on_disk(2), before);
                QVERIFY(p.read(2, u"n2"_qs) == "old" && p.lists.list(list).count() == (list == 1 ? 5 : 2));
                QCOMPARE(p.lists.list(5).names(), QStringList { u"s.txt"_qs });
            }
        }

        // On a volume other than the home folder's, the message says what its trash holds.
        TransferPair q;
        fill(q);
        const BindMount volume(q.dir2, q.dir2);
        if (!volume.ok())
            QSKIP(volume.why_not());
        qputenv("XDG_DATA_HOME", QFile::encodeName(q.tmp.path() + u"/data"_qs));
        const QString trash = q.dir2 + u".Trash-"_qs + QString::number(::geteuid());
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
        // List 1 goes on after a good copy (or an empty list after one), the others always.
        // {list, entry to copy ("" for none), copy_ok before, goes on}
        const QList<std::tuple<int, QString, bool, bool>> cases { { 1, u"a.txt"_qs, false, true },
            { 1, u"gone"_qs, true, false }, { 1, {}, false, false }, { 1, {}, true, true },
            { 2, u"gone"_qs, true, true }, { 3, u"gone"_qs, true, true }, { 4, u"gone"_qs, true, true } };
        for (const auto& [list, entry, before, goes_on] : cases) {
            TransferPair p;
            fill(p);
            p.lists.list(list).set_names(entry.isEmpty() ? QStringList() : QStringList { entry });
            p.copy_ok = before;
            p.shell.on_start = [](const QString&, const QStringList&) { return true; }; // and copies nothing
            p.fs.fail_path(p.path(1, u"gone"_qs), err_path_file_access);
            p.fs.fail_path(p.path(2, u"gone"_qs), err_path_file_access);
            bot_list_Click(p.ctx, list);
            QCOMPARE(p.host.auto_nexts, int(goes_on));
        }
    }

    void error_messages()
    {
        // The name the disk was full for is said in capitals.
        QCOMPARE(transfer_error_text(make_error(61), u"r\u00e9sum\u00e9.txt"_qs),
            u"ERROR 61: Disk full while copying R\u00c9SUM\u00c9.TXT"_qs);
    }
};

QTEST_GUILESS_MAIN(TestAlignment)
#include "tst_alignment.moc"
