// The five list models: sorted, unique entries, selection, captions, align buttons and the hint.

#include "compare/FileListsModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFileLists : public QObject {
    Q_OBJECT
private slots:
    void a_list_stays_sorted_and_unique_and_keeps_its_selection()
    {
        FileListModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char16_t* n :
            { u"zeta.txt", u"Alpha.doc", u"beta", u"alpha.doc", u"BETA", u"beta", u"\u00e9t\u00e9" })
            m.add(QString::fromUtf16(n));
        // Ignoring case first; a case twin sorts by its exact spelling; "beta" was added only once.
        QCOMPARE(m.names(),
            (QStringList { u"Alpha.doc"_s, u"alpha.doc"_s, u"BETA"_s, u"beta"_s, u"zeta.txt"_s, u"\u00e9t\u00e9"_s }));
        QCOMPARE(m.index_of(u"beta"_s), 3);
        QCOMPARE(m.index_of(u"Beta"_s), -1); // exact spelling only
        QVERIFY(!m.remove(u"Zeta.txt"_s));
        QVERIFY(m.remove(u"zeta.txt"_s));
        m.remove_at(0);
        m.remove_at(99); // out of range: nothing happens
        QCOMPARE(m.names(), (QStringList { u"alpha.doc"_s, u"BETA"_s, u"beta"_s, u"\u00e9t\u00e9"_s }));

        m.set_names({ u"e"_s, u"c"_s, u"A"_s, u"c"_s });
        QCOMPARE(m.names(), (QStringList { u"A"_s, u"c"_s, u"e"_s }));
        m.select_row(2, true);
        m.select_row(0, true);
        m.select_row(-1, true); // out of range: nothing happens
        // Rows inserted before and a selected row removed keep the selection on the same names.
        m.add(u"b"_s);
        m.add(u"d"_s);
        QCOMPARE(m.selected_names(), (QStringList { u"A"_s, u"e"_s }));
        QVERIFY(m.remove(u"A"_s));
        QCOMPARE(m.selected_names(), QStringList { u"e"_s });
        m.select_row(m.index_of(u"e"_s), false);
        QVERIFY(!m.any_selected());
        m.select_row(1, true);
        m.set_names({ u"x"_s, u"y"_s }); // a new content comes with nothing selected
        QVERIFY(!m.any_selected() && m.selected_names().isEmpty());

        // Batches go in and out as runs of adjacent rows; the selection stays on its names.
        m.select_row(0, true);
        m.add_names({ u"z"_s, u"a"_s, u"y"_s, u"w"_s, u"a"_s, u"X"_s });
        QCOMPARE(m.names(), (QStringList { u"a"_s, u"w"_s, u"X"_s, u"x"_s, u"y"_s, u"z"_s }));
        m.remove_names({ u"z"_s, u"a"_s, u"gone"_s, u"X"_s, u"a"_s });
        QCOMPARE(m.names(), (QStringList { u"w"_s, u"x"_s, u"y"_s }));
        QCOMPARE(m.selected_names(), QStringList { u"x"_s });
    }

    void captions_and_buttons()
    {
        FileListsModel lists;
        QSignalSpy caption_changes(&lists, &FileListsModel::caption_changed);
        lists.set_comparison_captions();
        QCOMPARE(lists.caption(5), u"aligned"_s);
        QCOMPARE(caption_changes.size(), 2); // only the captions of lists 1 and 3 change
        lists.set_plain_captions();
        QVERIFY(lists.caption(2) == u"files in dir 2"_s && lists.caption(4).isEmpty());

        QSignalSpy button_changes(&lists, &FileListsModel::align_button_changed);
        lists.set_align_buttons_visible(false);
        QCOMPARE(button_changes.size(), 4);
        QVERIFY(!lists.align_button_visible(1) && !lists.align_button_visible(4));

        lists.list(3).set_names({ u"x"_s, u"y"_s });
        lists.list(3).select_row(1, true);
        lists.set_align_caption(3);
        QCOMPARE(lists.align_caption(3), u"align selected files"_s);
        QCOMPARE(lists.align_caption(4), u"align these files"_s); // other buttons untouched
    }

    void hint_follows_lists_one_to_four()
    {
        FileListsModel lists;
        QSignalSpy hints(&lists, &FileListsModel::hint_changed);
        lists.list(5).add(u"same.txt"_s);
        lists.set_default_comment();
        QVERIFY(lists.hint().isEmpty()); // aligned files are no differences
        for (int n = 1; n <= 4; ++n) {
            lists.clear_all();
            lists.list(n).add(u"f"_s);
            lists.set_default_comment();
            QCOMPARE(lists.hint(), FileListsModel::standing_hint());
        }
        lists.clear_all();
        QCOMPARE(lists.list(5).count(), 0);
        lists.set_default_comment();
        QVERIFY(lists.hint().isEmpty());
        QCOMPARE(hints.size(), 3); // to empty, to the hint, back to empty

        QStringList names;
        for (int i = 0; i < 65536; ++i)
            names.push_back(QString::number(i));
        lists.list(4).set_names(names); // a 16-bit count would wrap to 0 and hide the hint
        QCOMPARE(lists.difference_count(), qint64(65536));
        lists.set_default_comment();
        QCOMPARE(lists.hint(), FileListsModel::standing_hint());
    }
};

QTEST_GUILESS_MAIN(TestFileLists)
#include "tst_filelists.moc"
