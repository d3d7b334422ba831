// Deleting files from the five lists against a real temporary pair: which copy goes, where the
// entry goes, the questions and their order, the trash, and every failure.

#include "compare/FileListsModel.h"
#include "platform/RealFileSystem.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "transfer/Deletion.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes a test step run as the unprivileged user "nobody": CI runs as root, which may write anywhere.
struct AsNobody {
    const bool root = ::geteuid() == 0;
    AsNobody() { QVERIFY(!root || ::seteuid(65534) == 0); }
    ~AsNobody() { QVERIFY(!root || ::seteuid(0) == 0); }
};

QString joined(const FileListModel& list)
{
    return list.names().join(u',');
}

}  // namespace

class TestDeletion : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> tmp_;
    QString d1_, d2_, trash_;
    FileListsModel lists_;
    ScriptedPort port_;
    DeletionContext ctx_;
    int refills_ = 0, auto_nexts_ = 0, labels_cleared_ = 0;

    void wire(Deletion& deletion)
    {
        deletion.hooks.context = [this] { return ctx_; };
        deletion.hooks.refill = [this] { ++refills_; };
        deletion.hooks.auto_next = [this] { ++auto_nexts_; };
        deletion.hooks.clear_free_space_labels = [this] { ++labels_cleared_; };
    }
    void fill(const QStringList& per_list)
    {
        for (int n = 1; n <= 5; ++n)
            lists_.list(n).set_names(per_list.value(n - 1).split(u',', Qt::SkipEmptyParts));
    }
    void select(int list, const QStringList& names)
    {
        for (const QString& name : names)
            lists_.list(list).select_row(lists_.list(list).index_of(name), true);
    }
    QString disk() const { return entries(d1_).join(u',') + u'|' + entries(d2_).join(u','); }
    QString all_lists() const
    {
        QStringList out;
        for (int n = 1; n <= 5; ++n)
            out << joined(lists_.list(n));
        return out.join(u'|');
    }

private slots:
    void init()
    {
        tmp_.emplace();
        d1_ = tmp_->path() + QStringLiteral("/one/");
        d2_ = tmp_->path() + QStringLiteral("/two/");
        // The user's own trash lives in the test's folder, on the volume of the pair.
        qputenv("HOME", QFile::encodeName(tmp_->path() + QStringLiteral("/home")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp_->path() + QStringLiteral("/data")));
        trash_ = tmp_->path() + QStringLiteral("/data/Trash/files");
        QVERIFY(make_tree(tmp_->path(), {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("home")},
                          {QStringLiteral("one/only1.txt"), QStringLiteral("one/New3.txt"),
                           QStringLiteral("one/old4.txt"), QStringLiteral("one/same5.txt"),
                           QStringLiteral("two/only2.txt"), QStringLiteral("two/new3.TXT"),
                           QStringLiteral("two/OLD4.txt"), QStringLiteral("two/same5.txt"),
                           QStringLiteral("outside.txt")}));
        QCOMPARE(::symlink("../outside.txt", QFile::encodeName(d2_ + QStringLiteral("link2")).constData()), 0);
        fill({QStringLiteral("only1.txt"), QStringLiteral("link2,only2.txt"), QStringLiteral("New3.txt"),
              QStringLiteral("old4.txt"), QStringLiteral("same5.txt")});
        port_ = ScriptedPort();
        ctx_ = DeletionContext{d1_, d2_, true, false};
        refills_ = auto_nexts_ = labels_cleared_ = 0;
    }
    void cleanup() { QCOMPARE(port_.unexpected_questions, 0); }

    // Each row both ways: the selection with confirmations off, and a drop on the delete target.
    void table_row_by_row_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("question");  // of the drop
        QTest::addColumn<QString>("disk");      // dir 1 | dir 2 afterwards
        QTest::addColumn<QString>("lists");     // lists 1 to 5 afterwards
        QTest::newRow("only in dir 1") << 1 << "only1.txt" << "do you want to delete ONLY1.TXT from dir 1?"
                                       << "New3.txt,old4.txt,same5.txt|OLD4.txt,link2,new3.TXT,only2.txt,same5.txt"
                                       << "|link2,only2.txt|New3.txt|old4.txt|same5.txt";
        QTest::newRow("only in dir 2") << 2 << "only2.txt" << "do you want to delete ONLY2.TXT from dir 2?"
                                       << "New3.txt,old4.txt,only1.txt,same5.txt|OLD4.txt,link2,new3.TXT,same5.txt"
                                       << "only1.txt|link2|New3.txt|old4.txt|same5.txt";
        // The link goes, its target stays.
        QTest::newRow("a link") << 2 << "link2" << "do you want to delete LINK2 from dir 2?"
                                << "New3.txt,old4.txt,only1.txt,same5.txt|OLD4.txt,new3.TXT,only2.txt,same5.txt"
                                << "only1.txt|only2.txt|New3.txt|old4.txt|same5.txt";
        // The older copy stays, in its own spelling.
        QTest::newRow("newer in dir 1") << 3 << "New3.txt" << "do you want to delete NEW3.TXT from dir 1?"
                                        << "old4.txt,only1.txt,same5.txt|OLD4.txt,link2,new3.TXT,only2.txt,same5.txt"
                                        << "only1.txt|link2,new3.TXT,only2.txt||old4.txt|same5.txt";
        QTest::newRow("newer in dir 2") << 4 << "old4.txt" << "do you want to delete OLD4.TXT from dir 2?"
                                        << "New3.txt,old4.txt,only1.txt,same5.txt|link2,new3.TXT,only2.txt,same5.txt"
                                        << "old4.txt,only1.txt|link2,only2.txt|New3.txt||same5.txt";
        QTest::newRow("aligned") << 5 << "same5.txt" << "do you want to delete SAME5.TXTfrom both directories?"
                                 << "New3.txt,old4.txt,only1.txt|OLD4.txt,link2,new3.TXT,only2.txt"
                                 << "only1.txt|link2,only2.txt|New3.txt|old4.txt|";
    }
    void table_row_by_row()
    {
        QFETCH(int, list);
        QFETCH(QString, name);
        QFETCH(QString, question);
        QFETCH(QString, disk);
        QFETCH(QString, lists);
        const QString before = all_lists();
        RealFileSystem fs;
        for (const bool by_drop : {false, true}) {
            if (by_drop) {
                init();
                QCOMPARE(all_lists(), before);
            }
            Deletion deletion(fs, port_, lists_);
            wire(deletion);
            if (by_drop) {
                port_.answer(Answer::Yes);
                deletion.Text2_DragDrop(list, name);
                QCOMPARE(port_.shown.size(), 1);
                QCOMPARE(port_.shown[0].text, question);
                QVERIFY(port_.shown[0].icon == MsgIcon::None && port_.shown[0].default_button == Answer::Yes);
            } else {
                select(list, {name});
                lists_.set_align_caption(list);
                deletion.bot_delete_Click();
                QVERIFY(port_.shown.isEmpty());
                if (list <= 4)  // nothing is selected any more
                    QCOMPARE(lists_.align_caption(list), QStringLiteral("align all files"));
            }
            QCOMPARE(this->disk(), disk);
            QCOMPARE(all_lists(), lists);
            QVERIFY(QFile::exists(tmp_->path() + QStringLiteral("/outside.txt")));
            QVERIFY(!QDir(trash_).exists());  // the trash is off
            QCOMPARE(refills_, 0);            // two directories: nothing to re-read
            QVERIFY(labels_cleared_ > 0);
            QVERIFY(!port_.busy);
        }
    }

    void trash_takes_files_unless_it_cannot()
    {
        ctx_.to_trash = true;
        RealFileSystem fs;
        Deletion deletion(fs, port_, lists_);
        wire(deletion);
        select(5, {QStringLiteral("same5.txt")});
        select(2, {QStringLiteral("link2")});
        deletion.bot_delete_Click();
        // Both copies and the link itself (its target stays) can be taken back.
        QCOMPARE(entries(trash_).size(), 3);
        QVERIFY(entries(trash_).contains(QStringLiteral("link2")));
        QVERIFY(QFileInfo(trash_ + QStringLiteral("/link2")).isSymLink());
        QVERIFY(!QFile::exists(d1_ + QStringLiteral("same5.txt")) && !QFile::exists(d2_ + QStringLiteral("same5.txt")));
        QFile info(tmp_->path() + QStringLiteral("/data/Trash/info/link2.trashinfo"));
        QVERIFY(info.open(QIODevice::ReadOnly));
        QVERIFY(info.readAll().contains(QFile::encodeName(QStringLiteral("Path=") + d2_ + QStringLiteral("link2"))));

        // No trash can be set up: the file is deleted, and nothing lands in the working directory.
        QVERIFY(make_file(tmp_->path() + QStringLiteral("/plain")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp_->path() + QStringLiteral("/plain/data")));
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tmp_->path() + QStringLiteral("/home")));
        port_.answer(Answer::Yes);
        deletion.Text2_DragDrop(1, QStringLiteral("only1.txt"));
        QVERIFY(QDir::setCurrent(cwd));
        QVERIFY(!QFile::exists(d1_ + QStringLiteral("only1.txt")));
        QCOMPARE(entries(tmp_->path() + QStringLiteral("/home")), QStringList());
        QCOMPARE(entries(trash_).size(), 3);
    }

    // The questions of the button and menu path: three selected entries of list 1.
    void confirmations_and_the_skip_offer_data()
    {
        QTest::addColumn<QString>("answers");  // y, n, c: the answers in order
        QTest::addColumn<QString>("asked");    // 1-3: "delete" for that file, s: the skip offer
        QTest::addColumn<QString>("left");     // list 1 afterwards
        QTest::addColumn<bool>("deleted");
        QTest::newRow("skip after the second yes") << "yyy" << "12s" << "x" << true;
        QTest::newRow("declined: asked again, never offered again") << "yyny" << "12s3" << "x" << true;
        QTest::newRow("a no is not counted") << "nyyy" << "123s" << "a.txt,x" << true;
        QTest::newRow("cancel after one") << "yc" << "12" << "b.txt,c.txt,x" << true;
        QTest::newRow("cancel first") << "c" << "1" << "a.txt,b.txt,c.txt,x" << false;
        QTest::newRow("all no") << "nnn" << "123" << "a.txt,b.txt,c.txt,x" << false;
    }
    void confirmations_and_the_skip_offer()
    {
        QFETCH(QString, answers);
        QFETCH(QString, asked);
        QFETCH(QString, left);
        QFETCH(bool, deleted);
        const QStringList names = {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")};
        for (const QString& n : names)
            QVERIFY(make_file(d1_ + n));
        lists_.list(1).set_names(names + QStringList{QStringLiteral("x")});
        select(1, names);
        ctx_.skip_confirmations = false;
        for (const QChar c : answers)
            port_.answer(c == u'y' ? Answer::Yes : c == u'n' ? Answer::No : Answer::Cancel);
        RealFileSystem fs;
        Deletion deletion(fs, port_, lists_);
        wire(deletion);
        QCOMPARE(deletion.delete_selected(1), deleted);
        QVERIFY(!port_.answers_left());
        QStringList expected;
        for (const QChar c : asked) {
            expected << (c == u's' ? QStringLiteral("do you want to skip further confirmation requests?")
                                   : QStringLiteral("do you want to delete %1 from dir1?").arg(names[c.digitValue() - 1].toUpper()));
        }
        QCOMPARE(port_.texts(), expected);
        for (const ScriptedPort::Shown& s : std::as_const(port_.shown))
            QVERIFY(s.default_button == Answer::No && s.icon == MsgIcon::Question);
        QCOMPARE(joined(lists_.list(1)), left);
        for (const QString& n : names)
            QCOMPARE(QFile::exists(d1_ + n), left.contains(n));
        QVERIFY(!port_.busy);
    }

    void cancel_ends_one_list_and_nothing_deleted_says_so()
    {
        ctx_.skip_confirmations = false;
        RealFileSystem fs;
        Deletion deletion(fs, port_, lists_);
        wire(deletion);
        select(1, {QStringLiteral("only1.txt")});
        select(2, {QStringLiteral("only2.txt")});
        select(4, {QStringLiteral("old4.txt")});
        port_.answer(Answer::Cancel);  // list 1
        port_.answer(Answer::No);      // list 2
        port_.answer(Answer::Cancel);  // list 4
        deletion.bot_delete_Click();
        QCOMPARE(port_.texts(), (QStringList{QStringLiteral("do you want to delete ONLY1.TXT from dir1?"),
                                             QStringLiteral("do you want to delete ONLY2.TXT from dir2?"),
                                             QStringLiteral("do you want to delete OLD4.TXT from dir2?"),
                                             QStringLiteral("No file deleted.")}));
        QCOMPARE(port_.shown.last().icon, MsgIcon::None);

        // Cancel in list 1 goes on with list 2; what was deleted before stays deleted.
        port_ = ScriptedPort();
        lists_.list(1).add(QStringLiteral("New3.txt"));
        select(1, {QStringLiteral("New3.txt"), QStringLiteral("only1.txt")});
        port_.answer(Answer::Yes);
        port_.answer(Answer::Cancel);
        port_.answer(Answer::Yes);
        port_.answer(Answer::Cancel);  // list 4
        deletion.bot_delete_Click();
        QCOMPARE(port_.texts().size(), 4);
        QCOMPARE(disk(), QStringLiteral("old4.txt,only1.txt,same5.txt|OLD4.txt,link2,new3.TXT,same5.txt"));

        // Deleting all of an empty list: nothing, said so, and the tree walk goes on.
        port_ = ScriptedPort();
        deletion.popup_list = 3;
        lists_.list(3).clear();
        deletion.m_delete_all_files_Click();
        QCOMPARE(port_.texts(), QStringList{QStringLiteral("No file deleted.")});
        QCOMPARE(auto_nexts_, 1);
        // ... and of a full one, with no question when confirmations are off.
        ctx_.skip_confirmations = true;
        deletion.popup_list = 2;
        deletion.m_delete_all_files_Click();
        QCOMPARE(joined(lists_.list(2)), QString());
        QCOMPARE(entries(d2_), (QStringList{QStringLiteral("OLD4.txt"), QStringLiteral("new3.TXT"),
                                            QStringLiteral("same5.txt")}));
        QCOMPARE(auto_nexts_, 2);
        deletion.popup_list = 0;  // the menu was opened on no list
        deletion.m_delete_selected_files_Click();
        QCOMPARE(port_.texts().last(), QStringLiteral("No file deleted."));
    }

    void failures_stop_with_their_message_and_keep_the_rest()
    {
        FaultyFileSystem fs;
        Deletion deletion(fs, port_, lists_);
        wire(deletion);
        fs.fail_call(FaultyFileSystem::Op::RemoveFile, 2, err_permission_denied);
        lists_.list(1).add(QStringLiteral("old4.txt"));
        select(1, {QStringLiteral("old4.txt"), QStringLiteral("only1.txt")});
        select(2, {QStringLiteral("only2.txt")});
        deletion.bot_delete_Click();
        // The second file fails: it and the later ones stay; the next list still runs.
        QCOMPARE(port_.texts(), QStringList{QStringLiteral("Error: 70 - Permission denied\r\nCurrent file: only1.txt")});
        QCOMPARE(joined(lists_.list(1)), QStringLiteral("only1.txt"));
        QCOMPARE(joined(lists_.list(2)), QStringLiteral("link2"));
        QVERIFY(QFile::exists(d1_ + QStringLiteral("only1.txt")) && !QFile::exists(d1_ + QStringLiteral("old4.txt")));

        // An aligned entry whose dir 2 copy cannot go: the dir 1 copy is gone, so the entry is
        // no longer aligned but only in dir 2.
        port_ = ScriptedPort();
        fs.fail_call(FaultyFileSystem::Op::RemoveFile, 2, err_device_io);
        port_.answer(Answer::Yes);
        deletion.Text2_DragDrop(5, QStringLiteral("same5.txt"));
        QCOMPARE(port_.texts().last(), QStringLiteral("ERROR 57: Device I/O error"));
        QCOMPARE(port_.shown.last().icon, MsgIcon::Critical);
        QVERIFY(!QFile::exists(d1_ + QStringLiteral("same5.txt")) && QFile::exists(d2_ + QStringLiteral("same5.txt")));
        QCOMPARE(joined(lists_.list(5)), QString());
        QCOMPARE(joined(lists_.list(2)), QStringLiteral("link2,same5.txt"));

        // A file gone since the comparison (its case twin is not taken for it), and a drop whose
        // entry the list no longer shows.
        port_ = ScriptedPort();
        QVERIFY(QFile::rename(d1_ + QStringLiteral("New3.txt"), d1_ + QStringLiteral("NEW3.txt")));
        port_.answer(Answer::Yes);
        deletion.Text2_DragDrop(3, QStringLiteral("New3.txt"));
        deletion.Text2_DragDrop(3, QStringLiteral("nothere.txt"));
        QCOMPARE(port_.texts().last(), QStringLiteral("ERROR 53 File not found"));
        QCOMPARE(joined(lists_.list(3)), QStringLiteral("New3.txt"));
        QVERIFY(QFile::exists(d1_ + QStringLiteral("NEW3.txt")));

        // A directory that took a file's name since is never deleted for it.
        port_ = ScriptedPort();
        QVERIFY(QFile::remove(d1_ + QStringLiteral("only1.txt")));
        QVERIFY(make_tree(d1_, {QStringLiteral("only1.txt")}, {QStringLiteral("only1.txt/inside")}));
        deletion.bot_delete_Click();
        QCOMPARE(port_.texts(), (QStringList{QStringLiteral("Error: 75 - Path/File access error\r\nCurrent file: only1.txt"),
                                             QStringLiteral("No file deleted.")}));
        QVERIFY(QFile::exists(d1_ + QStringLiteral("only1.txt/inside")));

        const QList<std::pair<int, const char*>> drop_texts = {
            {err_disk_full, "ERROR 61: Disk full"},
            {err_device_unavailable, "ERROR 68: Drive A not available."},
            {err_path_file_access, "ERROR 75: Path/File access error (file may be protected)"},
            {err_path_not_found, "ERROR 76: That path doesn't exist in drive a:"},
            {err_permission_denied, "ERROR 70 Permission denied"}};
        for (const auto& [number, text] : drop_texts)
            QCOMPARE(Deletion::drop_error_text(make_error(number)), QString::fromLatin1(text));
    }

    void read_only_directory_as_nobody()
    {
        RealFileSystem fs;
        Deletion deletion(fs, port_, lists_);
        wire(deletion);
        ctx_.to_trash = true;
        QCOMPARE(::chmod(QFile::encodeName(d1_).constData(), 0555), 0);
        QCOMPARE(::chmod(QFile::encodeName(tmp_->path()).constData(), 0755), 0);
        select(1, {QStringLiteral("only1.txt")});
        {
            const AsNobody nobody;
            deletion.m_delete_selected_files_Click();  // popup_list 0: nothing
            deletion.popup_list = 1;
            deletion.m_delete_selected_files_Click();
        }
        QCOMPARE(::chmod(QFile::encodeName(d1_).constData(), 0755), 0);
        QCOMPARE(port_.texts(), (QStringList{QStringLiteral("No file deleted."),
                                             QStringLiteral("Error: 70 - Permission denied\r\nCurrent file: only1.txt"),
                                             QStringLiteral("No file deleted.")}));
        QVERIFY(QFile::exists(d1_ + QStringLiteral("only1.txt")));
        QCOMPARE(joined(lists_.list(1)), QStringLiteral("only1.txt"));
    }

    // Both panes on one directory (the same path, or another path to it): the two lists show the
    // same files, and a file deleted through one list is not asked for again through the other.
    void one_directory_in_both_panes_data()
    {
        QTest::addColumn<QString>("dir2");
        QTest::newRow("same path") << "one/";
        QTest::newRow("through a link") << "link/";
    }
    void one_directory_in_both_panes()
    {
        QFETCH(QString, dir2);
        QCOMPARE(::symlink("one", QFile::encodeName(tmp_->path() + QStringLiteral("/link")).constData()), 0);
        ctx_.dir2 = tmp_->path() + u'/' + dir2;
        fill({QStringLiteral("New3.txt,old4.txt,only1.txt"), QStringLiteral("New3.txt,old4.txt,only1.txt")});
        select(1, {QStringLiteral("only1.txt")});
        select(2, {QStringLiteral("only1.txt"), QStringLiteral("old4.txt")});
        RealFileSystem fs;
        Deletion deletion(fs, port_, lists_);
        wire(deletion);
        deletion.bot_delete_Click();
        QVERIFY(port_.shown.isEmpty());
        QCOMPARE(entries(d1_), (QStringList{QStringLiteral("New3.txt"), QStringLiteral("same5.txt")}));
        QCOMPARE(joined(lists_.list(1)), QStringLiteral("New3.txt"));
        QCOMPARE(joined(lists_.list(2)), QStringLiteral("New3.txt"));
        QCOMPARE(refills_, 1);
        port_.answer(Answer::Yes);
        deletion.Text2_DragDrop(2, QStringLiteral("New3.txt"));
        QCOMPARE(refills_, 2);
        QCOMPARE(entries(d1_), QStringList{QStringLiteral("same5.txt")});
    }
};

QTEST_GUILESS_MAIN(TestDeletion)
#include "tst_deletion.moc"
