// Deleting from the five lists on a real pair: which copy goes, the entries, questions, trash, failures.

#include "tests/util/TransferPair.h"
#include "transfer/Deletion.h"

#include <QtTest>

#include <optional>

using namespace Qt::Literals::StringLiterals;

class TestDeletion : public QObject {
    Q_OBJECT

    std::optional<TransferPair> p_;
    std::optional<Deletion> del_;
    QString trash_;

    void select(int list, const QStringList& names)
    {
        for (const QString& name : names)
            p_->lists.list(list).select_row(p_->lists.list(list).index_of(name), true);
    }
    void answer(const QString& answers) // y, n, c
    {
        for (const QChar c : answers)
            p_->port.answer(c == u'y' ? Answer::Yes : c == u'n' ? Answer::No : Answer::Cancel);
    }
    QString disk() const { return p_->on_disk(1).join(u',') + u'|' + p_->on_disk(2).join(u','); }
    QString all_lists() const
    {
        QStringList out;
        for (int n = 1; n <= 5; ++n)
            out << p_->lists.list(n).names().join(u',');
        return out.join(u'|');
    }
private slots:
    void init()
    {
        p_.emplace();
        const QString tmp = p_->tmp.path();
        // The user's own trash lives in the test's folder, on the volume of the pair.
        qputenv("HOME", QFile::encodeName(tmp));
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp + u"/data"_s));
        trash_ = tmp + u"/data/Trash/files"_s;
        // The dir 2 copies of lists 3 to 5 may be spelled in another case.
        QVERIFY(make_tree(tmp, {},
            { u"one/only1.txt"_s, u"one/New3.txt"_s, u"one/old4.txt"_s, u"one/same5.txt"_s, u"two/only2.txt"_s,
                u"two/new3.TXT"_s, u"two/OLD4.txt"_s, u"two/same5.txt"_s, u"outside.txt"_s }));
        QVERIFY(QFile::link(u"../outside.txt"_s, p_->dir2.file(u"link2"_s)));
        const QStringList names
            = { u"only1.txt"_s, u"link2,only2.txt"_s, u"New3.txt"_s, u"old4.txt"_s, u"same5.txt"_s };
        for (int n = 1; n <= 5; ++n)
            p_->lists.list(n).set_names(names[n - 1].split(u','));
        del_.emplace(p_->ctx);
    }

    // Each row both ways: the selection with confirmations off, and a drop on the delete target.
    void table_row_by_row_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("question"); // of the drop
        QTest::addColumn<QString>("disk"); // dir 1 | dir 2 afterwards
        QTest::addColumn<QString>("lists"); // lists 1 to 5 afterwards
        // clang-format off
        QTest::newRow("only in 1") << 1 << "only1.txt" << "ONLY1.TXT from dir 1?"
            << "New3.txt,old4.txt,same5.txt|OLD4.txt,link2,new3.TXT,only2.txt,same5.txt"
            << "|link2,only2.txt|New3.txt|old4.txt|same5.txt";
        // The link goes, its target stays.
        QTest::newRow("link in 2") << 2 << "link2" << "LINK2 from dir 2?"
            << "New3.txt,old4.txt,only1.txt,same5.txt|OLD4.txt,new3.TXT,only2.txt,same5.txt"
            << "only1.txt|only2.txt|New3.txt|old4.txt|same5.txt";
        // The older copy stays, and its entry takes its own spelling.
        QTest::newRow("newer in 1") << 3 << "New3.txt" << "NEW3.TXT from dir 1?"
            << "old4.txt,only1.txt,same5.txt|OLD4.txt,link2,new3.TXT,only2.txt,same5.txt"
            << "only1.txt|link2,new3.TXT,only2.txt||old4.txt|same5.txt";
        QTest::newRow("newer in 2") << 4 << "old4.txt" << "OLD4.TXT from dir 2?"
            << "New3.txt,old4.txt,only1.txt,same5.txt|link2,new3.TXT,only2.txt,same5.txt"
            << "old4.txt,only1.txt|link2,only2.txt|New3.txt||same5.txt";
        QTest::newRow("aligned") << 5 << "same5.txt" << "SAME5.TXTfrom both directories?"
            << "New3.txt,old4.txt,only1.txt|OLD4.txt,link2,new3.TXT,only2.txt"
            << "only1.txt|link2,only2.txt|New3.txt|old4.txt|";
        // clang-format on
    }
    void table_row_by_row()
    {
        QFETCH(int, list);
        QFETCH(QString, name);
        QFETCH(QString, question);
        for (const bool by_drop : { false, true }) {
            if (by_drop) {
                init();
                p_->port.answer(Answer::Yes);
                del_->Text2_DragDrop(list, name);
                QCOMPARE(p_->port.texts(), QStringList { u"do you want to delete "_s + question });
                QVERIFY(p_->port.shown[0].icon == MsgIcon::None && p_->port.shown[0].default_button == Answer::Yes);
            } else {
                select(list, { name });
                del_->bot_delete_Click();
                QVERIFY(p_->port.shown.isEmpty());
            }
            QTEST(disk(), "disk");
            QTEST(all_lists(), "lists");
            QVERIFY(QFile::exists(p_->tmp.path() + u"/outside.txt"_s));
            QVERIFY(!QDir(trash_).exists()); // the trash is off
            QCOMPARE(p_->host.refills, 0); // two directories: nothing to re-read
        }
    }

    void trash_takes_files_unless_it_cannot()
    {
        p_->host.to_trash = true;
        select(5, { u"same5.txt"_s });
        select(2, { u"link2"_s });
        del_->bot_delete_Click();
        // Both copies, and the link itself (its target stays), can be taken back.
        QCOMPARE(entries(trash_).size(), 3);
        QVERIFY(QFileInfo(trash_ + u"/link2"_s).isSymLink());
        QCOMPARE(disk(), u"New3.txt,old4.txt,only1.txt|OLD4.txt,new3.TXT,only2.txt"_s);

        // No trash can be set up: nothing goes for good without a Yes, nor lands in the working directory.
        QVERIFY(make_file(p_->tmp.path() + u"/plain"_s));
        qputenv("XDG_DATA_HOME", QFile::encodeName(p_->tmp.path() + u"/plain/data"_s));
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(p_->dir2.path()));
        answer(u"ny"_s);
        for (int i = 0; i < 2; ++i) {
            select(3, { u"New3.txt"_s });
            del_->bot_delete_Click();
        }
        QVERIFY(QDir::setCurrent(cwd));
        QCOMPARE(p_->port.texts().value(0).section(u'\n', 0, 0),
            p_->dir1.path() + u"New3.txt: No trash can take it (the trash "_s + p_->tmp.path()
                + u"/plain/data/Trash cannot be made)."_s);
        QVERIFY(p_->port.texts().value(1).startsWith(u"Error: 75 - Not deleted"_s));
        QCOMPARE(disk(), u"old4.txt,only1.txt|OLD4.txt,new3.TXT,only2.txt"_s);
    }

    // The questions of the button and menu path: three selected entries of list 1.
    void confirmations_and_the_skip_offer_data()
    {
        QTest::addColumn<QString>("answers"); // y, n, c
        QTest::addColumn<QString>("asked"); // 1-3: "delete" for that file, s: the skip offer
        QTest::addColumn<QString>("left"); // list 1 afterwards
        // clang-format off
        QTest::newRow("skip after the second yes") << "yyy" << "12s" << "x";
        QTest::newRow("declined: never offered again") << "yyny" << "12s3" << "x";
        QTest::newRow("a no is not counted") << "nyyy" << "123s" << "a,x";
        QTest::newRow("cancel after one") << "yc" << "12" << "b,c,x";
        QTest::newRow("all no") << "nnn" << "123" << "a,b,c,x";
        // clang-format on
    }
    void confirmations_and_the_skip_offer()
    {
        QFETCH(QString, answers);
        QFETCH(QString, asked);
        QFETCH(QString, left);
        const QStringList names = { u"a"_s, u"b"_s, u"c"_s };
        QVERIFY(make_tree(p_->dir1.path(), {}, names));
        p_->lists.list(1).set_names(names + QStringList { u"x"_s });
        select(1, names);
        p_->host.skip_confirmations = false;
        answer(answers);
        QCOMPARE(del_->delete_selected(1), left != u"a,b,c,x");
        QStringList expected;
        for (const QChar c : asked)
            expected << (c == u's' ? u"do you want to skip further confirmation requests?"_s
                                   : u"do you want to delete %1 from dir1?"_s.arg(names[c.digitValue() - 1].toUpper()));
        QCOMPARE(p_->port.texts(), expected);
        for (const ScriptedPort::Shown& s : std::as_const(p_->port.shown))
            QVERIFY(s.default_button == Answer::No && s.icon == MsgIcon::Question);
        QCOMPARE(p_->lists.list(1).names().join(u','), left);
        for (const QString& n : names)
            QCOMPARE(QFile::exists(p_->dir1.file(n)), left.contains(n));
        QVERIFY(!p_->port.busy);
    }

    void cancel_ends_one_list_and_no_file_deleted_says_so()
    {
        p_->host.skip_confirmations = false;
        select(1, { u"only1.txt"_s });
        select(2, { u"only2.txt"_s, u"link2"_s });
        answer(u"cnc"_s);
        del_->bot_delete_Click();
        QCOMPARE(p_->port.texts(),
            (QStringList { u"do you want to delete ONLY1.TXT from dir1?"_s, u"do you want to delete LINK2 from dir2?"_s,
                u"do you want to delete ONLY2.TXT from dir2?"_s, u"No file deleted."_s }));
        // Deleting all of an empty list: nothing, said so, and the tree walk goes on.
        p_->port = ScriptedPort();
        del_->popup_list = 3;
        p_->lists.list(3).clear();
        del_->m_delete_all_files_Click();
        QCOMPARE(p_->port.texts(), QStringList { u"No file deleted."_s });
        p_->host.skip_confirmations = true;
        del_->popup_list = 4;
        del_->m_delete_all_files_Click();
        QCOMPARE(all_lists(), u"old4.txt,only1.txt|link2,only2.txt|||same5.txt"_s);
        QCOMPARE(p_->host.auto_nexts, 2);
    }

    void failures_stop_with_their_message_and_keep_the_rest()
    {
        p_->fs.fail_call(FaultyFileSystem::Op::RemoveFile, 2, err_permission_denied);
        p_->lists.list(1).add(u"old4.txt"_s);
        select(1, { u"old4.txt"_s, u"only1.txt"_s });
        select(2, { u"only2.txt"_s });
        del_->bot_delete_Click();
        // The second file fails: it and the later ones stay; the next list still runs.
        QCOMPARE(p_->port.texts(), QStringList { u"Error: 70 - Permission denied\r\nCurrent file: only1.txt"_s });
        QCOMPARE(all_lists(), u"only1.txt|link2|New3.txt|old4.txt|same5.txt"_s);
        QCOMPARE(disk(), u"New3.txt,only1.txt,same5.txt|OLD4.txt,link2,new3.TXT,same5.txt"_s);

        // An aligned entry whose dir 2 copy cannot go after its dir 1 copy went is only in dir 2.
        p_->fs.fail_call(FaultyFileSystem::Op::RemoveFile, 2, err_device_io);
        p_->port.answer(Answer::Yes);
        del_->Text2_DragDrop(5, u"same5.txt"_s);
        QVERIFY(p_->port.texts().last() == u"ERROR 57: Device I/O error"_s
            && p_->port.shown.last().icon == MsgIcon::Critical);
        QCOMPARE(all_lists(), u"only1.txt|link2,same5.txt|New3.txt|old4.txt|"_s);
        QCOMPARE(disk(), u"New3.txt,only1.txt|OLD4.txt,link2,new3.TXT,same5.txt"_s);

        // A file gone since (its case twin is not taken for it); a directory that took a file's name.
        QVERIFY(QFile::rename(p_->dir1.file(u"New3.txt"_s), p_->dir1.file(u"NEW3.txt"_s)));
        QVERIFY(QFile::remove(p_->dir1.file(u"only1.txt"_s)) && make_tree(p_->dir1.path(), { u"only1.txt/inside"_s }));
        p_->port.answer(Answer::Yes);
        del_->Text2_DragDrop(3, u"New3.txt"_s);
        del_->bot_delete_Click();
        QCOMPARE(p_->port.texts().mid(4),
            (QStringList { u"ERROR 53 File not found"_s,
                u"Error: 75 - Path/File access error\r\nCurrent file: only1.txt"_s, u"No file deleted."_s }));
        QCOMPARE(p_->on_disk(1), (QStringList { u"NEW3.txt"_s, u"only1.txt"_s }));
        QCOMPARE(entries(p_->dir1.file(u"only1.txt"_s)), QStringList { u"inside"_s });
    }

    // Both panes on one directory (through a link): a file deleted through one list is not deleted again.
    void one_directory_in_both_panes()
    {
        QVERIFY(QFile::link(u"one"_s, p_->tmp.path() + u"/link"_s));
        p_->dir2 = DirPath(p_->tmp.path() + u"/link/"_s);
        for (int n = 1; n <= 2; ++n)
            p_->lists.list(n).set_names({ u"New3.txt"_s, u"old4.txt"_s, u"only1.txt"_s });
        select(1, { u"only1.txt"_s });
        select(2, { u"only1.txt"_s, u"old4.txt"_s });
        select(5, { u"same5.txt"_s }); // its one file goes once, without a complaint
        del_->bot_delete_Click();
        QVERIFY(p_->port.shown.isEmpty());
        QCOMPARE(all_lists(), u"New3.txt|New3.txt|New3.txt|old4.txt|"_s);
        QCOMPARE(p_->host.refills, 1);
        p_->port.answer(Answer::Yes);
        del_->Text2_DragDrop(2, u"New3.txt"_s);
        QCOMPARE(p_->host.refills, 2);
        QCOMPARE(p_->on_disk(1), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDeletion)
#include "tst_deletion.moc"
