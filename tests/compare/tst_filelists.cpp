// The five list models: sorted, unique entries, selection, captions, align buttons and the hint.

#include "compare/FileListsModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestFileLists : public QObject {
    Q_OBJECT
private slots:
    void entries_stay_sorted_and_unique();
    void set_names_sorts_and_clears_selection();
    void selection_follows_row_changes();
    void captions_and_buttons();
    void hint_follows_lists_one_to_four();
    void count_beyond_16_bits();
};

void TestFileLists::entries_stay_sorted_and_unique()
{
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);

    for (const char16_t* n : {u"zeta.txt", u"Alpha.doc", u"beta", u"alpha.doc", u"BETA", u"beta", u"\u00e9t\u00e9"})
        m.add(QString::fromUtf16(n));
    // Ignoring case first; a case twin sorts by its exact spelling; "beta" was added only once.
    const QStringList expected{QStringLiteral("Alpha.doc"), QStringLiteral("alpha.doc"), QStringLiteral("BETA"),
                               QStringLiteral("beta"), QStringLiteral("zeta.txt"), QStringLiteral("\u00e9t\u00e9")};
    QCOMPARE(m.names(), expected);
    QCOMPARE(m.rowCount(), 6);
    QCOMPARE(m.data(m.index(2), Qt::DisplayRole).toString(), QStringLiteral("BETA"));

    QCOMPARE(m.index_of(QStringLiteral("beta")), 3);
    QCOMPARE(m.index_of(QStringLiteral("Beta")), -1);  // exact spelling only
    QVERIFY(!m.remove(QStringLiteral("Zeta.txt")));
    QVERIFY(m.remove(QStringLiteral("zeta.txt")));
    m.remove_at(0);
    m.remove_at(99);  // out of range: nothing happens
    QCOMPARE(m.names(), (QStringList{QStringLiteral("alpha.doc"), QStringLiteral("BETA"), QStringLiteral("beta"),
                                     QStringLiteral("\u00e9t\u00e9")}));
    m.clear();
    QCOMPARE(m.count(), 0);
}

void TestFileLists::set_names_sorts_and_clears_selection()
{
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m.set_names({QStringLiteral("b"), QStringLiteral("a")});
    m.select_row(1, true);
    QVERIFY(m.any_selected());

    m.set_names({QStringLiteral("c"), QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("c")});
    QCOMPARE(m.names(), (QStringList{QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("c")}));
    QVERIFY(!m.any_selected());
    QVERIFY(m.selected_names().isEmpty());
}

void TestFileLists::selection_follows_row_changes()
{
    FileListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m.set_names({QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("e")});
    m.select_row(2, true);
    m.select_row(0, true);
    QCOMPARE(m.selected_names(), (QStringList{QStringLiteral("a"), QStringLiteral("e")}));

    // Inserting before and removing a selected row keep the selection on the same names.
    m.add(QStringLiteral("b"));
    m.add(QStringLiteral("d"));
    QCOMPARE(m.selected_names(), (QStringList{QStringLiteral("a"), QStringLiteral("e")}));
    QVERIFY(m.remove(QStringLiteral("a")));
    QCOMPARE(m.selected_names(), QStringList{QStringLiteral("e")});
    m.select_row(m.index_of(QStringLiteral("e")), false);
    QVERIFY(!m.any_selected());
    m.select_row(-1, true);
    QVERIFY(!m.any_selected());
}

void TestFileLists::captions_and_buttons()
{
    FileListsModel lists;
    const QStringList initial{QStringLiteral("only in dir1"), QStringLiteral("only in dir 2"),
                             QStringLiteral("newer in dir1"), QStringLiteral("newer in dir 2"),
                             QStringLiteral("aligned")};
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(lists.caption(n), initial[n - 1]);
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(lists.align_caption(n), QStringLiteral("align these files"));
        QVERIFY(lists.align_button_visible(n));
    }

    QSignalSpy captions(&lists, &FileListsModel::caption_changed);
    lists.set_comparison_captions();
    const QStringList comparison{QStringLiteral("only in dir 1"), QStringLiteral("only in dir 2"),
                                 QStringLiteral("newer in dir 1"), QStringLiteral("newer in dir 2"),
                                 QStringLiteral("aligned")};
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(lists.caption(n), comparison[n - 1]);
    QCOMPARE(captions.size(), 2);  // "only in dir 2" and "aligned" were already shown

    lists.set_plain_captions();
    QCOMPARE(lists.caption(1), QStringLiteral("files in dir 1"));
    QCOMPARE(lists.caption(2), QStringLiteral("files in dir 2"));
    for (int n = 3; n <= 5; ++n)
        QVERIFY(lists.caption(n).isEmpty());

    QSignalSpy buttons(&lists, &FileListsModel::align_button_changed);
    lists.set_align_buttons_visible(false);
    QCOMPARE(buttons.size(), 4);
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!lists.align_button_visible(n));

    lists.list(3).set_names({QStringLiteral("x"), QStringLiteral("y")});
    lists.set_align_caption(3);
    QCOMPARE(lists.align_caption(3), QStringLiteral("align all files"));
    lists.list(3).select_row(1, true);
    lists.set_align_caption(3);
    QCOMPARE(lists.align_caption(3), QStringLiteral("align selected files"));
    QCOMPARE(lists.align_caption(4), QStringLiteral("align these files"));  // other buttons untouched
    lists.list(3).select_row(1, false);
    lists.set_align_caption(3);
    QCOMPARE(lists.align_caption(3), QStringLiteral("align all files"));
}

void TestFileLists::hint_follows_lists_one_to_four()
{
    FileListsModel lists;
    QSignalSpy hints(&lists, &FileListsModel::hint_changed);
    lists.list(5).add(QStringLiteral("same.txt"));
    lists.set_default_comment();
    QVERIFY(lists.hint().isEmpty());  // aligned files are no differences

    for (int n = 1; n <= 4; ++n) {
        lists.clear_all();
        lists.list(n).add(QStringLiteral("f"));
        lists.set_default_comment();
        QCOMPARE(lists.hint(),
                 QStringLiteral("Drag/drop file names over file boxes to align or move files between the directories"));
    }
    lists.clear_all();
    QCOMPARE(lists.list(5).count(), 0);
    lists.set_default_comment();
    QVERIFY(lists.hint().isEmpty());
    QCOMPARE(hints.size(), 3);  // to empty, to the hint, back to empty
}

void TestFileLists::count_beyond_16_bits()
{
    FileListsModel lists;
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names.push_back(QStringLiteral("f%1").arg(i));
    lists.list(1).set_names(names);
    lists.list(2).set_names(names);
    lists.list(5).set_names(names);
    QCOMPARE(lists.difference_count(), qint64(40000));
    lists.set_default_comment();
    QCOMPARE(lists.hint(), FileListsModel::standing_hint());
}

QTEST_GUILESS_MAIN(TestFileLists)
#include "tst_filelists.moc"
