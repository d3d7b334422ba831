// The tree scan: order, create questions, marker file, links, case, branch limit, and the log file.

#include "platform/RealFileSystem.h"
#include "tests/util/FakeShell.h"
#include "tests/util/FaultyFileSystem.h"
#include "tests/util/ScriptedPort.h"
#include "tests/util/TestFiles.h"
#include "tree/TreeLog.h"
#include "tree/TreeReport.h"
#include "tree/TreeScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Trees {
    QTemporaryDir tmp;
    QString one = tmp.path() + u"/one"_s;
    QString two = tmp.path() + u"/two"_s;
    RealFileSystem fs;
    ScriptedPort port;
    QStringList progress;

    TreeScan scan(bool offer_create = true, int max_pairs = max_branch_pairs)
    {
        TreeScanOptions options;
        options.offer_create = offer_create;
        options.max_pairs = max_pairs;
        options.progress = [this](const QString& text) { progress << text; };
        return scan_branches(fs, port, one, two, options);
    }
    QStringList pairs(const TreeScan& s) const
    {
        QStringList out;
        for (const BranchPair& p : s.pairs)
            out << QString(p.dir1).remove(one) + u'|' + QString(p.dir2).remove(two);
        return out;
    }
    // The pairs "/a /b|/B ..." below the roots, in that order; "/a" stands for "/a|/a".
    static QStringList pairs(const QString& below)
    {
        QStringList out { u"|"_s };
        for (const QString& p : below.split(u' ', Qt::SkipEmptyParts))
            out << (p.contains(u'|') ? p : p + u'|' + p);
        return out;
    }
    // The report of the one-sided branches "1:/a 2:/b ..." (1 and 2: the trees), in that order.
    QString report(const QString& branches) const
    {
        QString r;
        for (const QString& b : branches.split(u' ', Qt::SkipEmptyParts))
            r += u"\r\nOnly in tree "_s + b.left(2) + u' ' + (b.startsWith(u'1') ? one : two) + b.mid(2);
        return r;
    }
};

} // namespace

class TestTreeScan : public QObject {
    Q_OBJECT
private slots:
    void breadth_first_with_questions()
    {
        // The answers, whether the branches are made, and the report (as Trees::report() takes it).
        const std::tuple<QList<Answer>, bool, QString> rows[]
            = { { { Answer::Yes, Answer::Yes, Answer::Yes }, true, {} },
                  { { Answer::No, Answer::No, Answer::No }, false, u"1:/A 1:/A/B 1:/A/B/C"_s },
                  { { Answer::Cancel }, false, {} } };
        for (const auto& [answers, created, report] : rows) {
            Trees t;
            QVERIFY(make_tree(t.one, { u"A/B/C"_s, u"Z"_s }));
            QVERIFY(make_tree(t.two, { u"Z"_s }));
            for (Answer a : answers)
                t.port.answer(a);
            const TreeScan s = t.scan();
            QCOMPARE(t.pairs(s), Trees::pairs(u"/A /Z /A/B /A/B/C"_s));
            QStringList asked;
            for (qsizetype i = 0; i < answers.size(); ++i)
                asked << u"Path "_s + t.two + QStringList({ u"/A"_s, u"/A/B"_s, u"/A/B/C"_s })[i]
                        + u" does not exist. Do you want to create it?"_s;
            QCOMPARE(t.port.texts(), asked);
            QCOMPARE(t.port.shown[0].buttons, MsgButtons::YesNoCancel);
            QCOMPARE(s.cancelled, answers.first() == Answer::Cancel);
            QCOMPARE(s.report, t.report(report));
            QCOMPARE(QFileInfo(t.two + u"/A/B/C"_s).isDir(), created);
            QCOMPARE(s.pairs.back().in_tree2, created); // a branch made is walked
            QVERIFY(t.progress.contains(u"checking dir "_s + t.one + u"/A/B"_s));
        }
    }

    void marker_links_case_and_hidden_names()
    {
        Trees t;
        QVERIFY(make_tree(t.one,
            { u"Data/sub"_s, u"flag1/below"_s, u"flag2/below"_s, u".cache"_s, u"solo_marked"_s, u"real"_s },
            { u"flag1/_NO_MIRROR.FLG"_s, u"solo_marked/_no_mirror.flg"_s }));
        QVERIFY(make_tree(t.two,
            { u"DATA/sub"_s, u"flag1/below"_s, u"flag2/below"_s, u".git"_s, u"marked_only2"_s, u"elsewhere/deep"_s,
                u"flag2/_no_mirror.flg"_s },
            { u"marked_only2/_no_mirror.flg"_s }));
        QCOMPARE(::symlink(qPrintable(t.one), qPrintable(t.one + u"/loop"_s)), 0);
        QCOMPARE(::symlink(qPrintable(t.two + u"/elsewhere"_s), qPrintable(t.two + u"/real"_s)), 0);
        QVERIFY(make_tree(t.one, { u"cased"_s }));
        QCOMPARE(::symlink(qPrintable(t.two + u"/elsewhere"_s), qPrintable(t.two + u"/CASED"_s)), 0);

        const TreeScan s = t.scan(); // no question may come: the script holds no answer
        QCOMPARE(t.pairs(s),
            Trees::pairs(u"/cased /Data|/DATA /flag1 /flag2 /real /solo_marked /elsewhere /marked_only2 "
                         "/Data/sub|/DATA/sub /flag2/below /flag2/_no_mirror.flg /elsewhere/deep"_s));
        // The marker file in any case ends a branch and silences a one-sided one; a link ends one unasked.
        QCOMPARE(s.report, t.report(u"1:/cased 1:/real 2:/elsewhere 2:/flag2/_no_mirror.flg 2:/elsewhere/deep"_s));
        QVERIFY(t.port.shown.isEmpty());
        QVERIFY(!walkable(t.fs, t.one, t.two, t.one + u"/real"_s, t.two + u"/real"_s));
        QVERIFY(!walkable(t.fs, t.one, t.two, t.one + u"/flag1"_s, t.two + u"/flag1"_s));
        QVERIFY(walkable(t.fs, t.one, t.two, t.one + u"/flag2"_s, t.two + u"/flag2"_s));
        QVERIFY(walkable(t.fs, t.one + u"/loop"_s, t.two, t.one + u"/loop"_s, t.two));
    }

    void case_variants_pair_as_files_do()
    {
        // Several spellings of "Data": each is a reported branch of its own, and none is offered. The
        // folders of each tree, the pairs (as Trees::pairs() takes them) and the report (Trees::report()).
        const std::array<QString, 4> rows[] = {
            { u"Data/x"_s, u"DATA data/y"_s, u"/Data /DATA /data /Data/x /data/y"_s,
                u"1:/Data 1:/Data/x 2:/DATA 2:/data 2:/data/y"_s }, // twins in tree 2
            { u"Data/x"_s, u"Data/x DATA"_s, u"/Data /DATA /Data/x"_s, u"2:/DATA"_s }, // the exact spelling first
            { u"Data DATA"_s, u"data"_s, u"/DATA /Data /data"_s, u"1:/DATA 1:/Data 2:/data"_s }
        }; // twins in tree 1
        for (const auto& [dirs1, dirs2, pairs, report] : rows) {
            Trees t;
            QVERIFY(make_tree(t.one, dirs1.split(u' ')) && make_tree(t.two, dirs2.split(u' ')));
            const TreeScan s = t.scan(); // no answer scripted: a question fails the test
            QCOMPARE(t.pairs(s), Trees::pairs(pairs));
            QCOMPARE(s.report, t.report(report));
            QVERIFY(compare_trees(t.fs, t.port, t.one, t.two, false).differences_found());
        }
    }

    void links_above_a_branch_are_not_followed()
    {
        // Tree 2's "A" leads out of the tree; tree 1's "A" has branches below it.
        Trees t;
        const QString outside = t.tmp.path() + u"/outside"_s;
        QVERIFY(make_tree(t.one, { u"A/inner"_s, u"A/newdir"_s, u"B"_s }) && make_tree(t.two, { u"B"_s }));
        QVERIFY(make_tree(outside, { u"inner"_s }));
        QCOMPARE(::symlink("../outside", qPrintable(t.two + u"/A"_s)), 0);
        const TreeScan s = t.scan(); // nothing may be offered for creation through the link
        QCOMPARE(s.only_in_tree1, QStringList({ t.one + u"/A"_s, t.one + u"/A/inner"_s, t.one + u"/A/newdir"_s }));
        QVERIFY(!walkable(t.fs, t.one, t.two, t.one + u"/A/inner"_s, t.two + u"/A/inner"_s));
        QVERIFY(walkable(t.fs, t.one, t.two, t.one + u"/B"_s, t.two + u"/B"_s));
        // A branch swapped for a link after the scan: nothing is created or walked through it.
        QVERIFY(QDir(t.two + u"/B"_s).removeRecursively());
        QCOMPARE(::symlink("../outside", qPrintable(t.two + u"/B"_s)), 0);
        QVERIFY(t.fs.make_branch(t.two, t.two + u"/B/newdir"_s).failed());
        QVERIFY(!walkable(t.fs, t.one, t.two, t.one + u"/B"_s, t.two + u"/B"_s));
        QCOMPARE(entries(outside), QStringList({ u"inner"_s }));
        QVERIFY(t.port.shown.isEmpty());

        // Too long a path is walked one name at a time, refusing a link however deep.
        QString deep = t.two;
        const Fd dir = make_deep_dirs(t.two, 25, &deep);
        QCOMPARE(::symlinkat(qPrintable(outside), dir.get(), "up"), 0);
        QVERIFY(QFile::encodeName(deep).size() > 4096);
        QVERIFY(t.fs.list_branch(t.two, deep).ok());
        QVERIFY(!t.fs.list_branch(t.two, deep + u"/up"_s).ok());
        QVERIFY(t.fs.make_branch(t.two, deep + u"/up/x"_s).failed());
        QCOMPARE(entries(outside), QStringList({ u"inner"_s }));
    }

    void undecodable_folder_names_are_said()
    {
        Trees t;
        QVERIFY(make_tree(t.one, { u"same"_s }) && make_tree(t.two, { u"same"_s }));
        for (const char* name : { "/same/bad\xff", "/.hidden\xff" })
            QCOMPARE(::mkdir(QByteArray(QFile::encodeName(t.two) + name).constData(), 0755), 0);
        const TreeComparison tree = compare_trees(t.fs, t.port, t.one, t.two, false);
        const QString shown = t.two + u"/same/bad\\xFF"_s;
        QCOMPARE(t.port.texts(), QStringList({ undecodable_message({ shown }) }));
        QVERIFY(tree.scan.report.endsWith(undecodable_line(shown)));
    }

    void limit_message_once()
    {
        Trees t;
        QVERIFY(make_tree(t.one, { u"a0/sub"_s, u"a1/sub"_s, u"a2/sub"_s, u"a3/sub"_s }));
        QVERIFY(make_tree(t.two, { u"b0"_s, u"b1"_s, u"b2"_s, u"b3"_s }));
        // The roots' tree-2 listing reaches the limit, and every listing below again: said once.
        const TreeScan s = t.scan(false, 6);
        QCOMPARE(t.pairs(s), Trees::pairs(u"/a0 /a1 /a2 /a3 /b0"_s));
        QVERIFY(s.limit_reached);
        QCOMPARE(t.port.texts(), QStringList({ branch_limit_message() }));
    }

    void command_line_comparison_says_things_in_walk_order()
    {
        Trees t;
        const QStringList dirs { u"A"_s, u"B"_s, u"D"_s, u"B/C"_s, u"D/E"_s, u"D/E/F"_s }; // breadth first
        QVERIFY(make_tree(t.one, dirs) && make_tree(t.two, dirs));
        QStringList said, walked { u":"_s };
        for (qsizetype i = 0; i < dirs.size(); ++i) {
            const QString name = u"f%1"_s.arg(i);
            QVERIFY(make_file(t.one + u'/' + dirs[i] + u'/' + name, "1", 1700000000)
                && make_file(t.two + u'/' + dirs[i] + u'/' + name, "22", 1700000000));
            said << size_warning_text({ name, 1, 2 });
            walked << u'/' + dirs[i] + u':' + name;
        }
        // The pairs are compared side by side, but what they say comes in walk order.
        const TreeComparison tree = compare_trees(t.fs, t.port, t.one, t.two, false);
        QCOMPARE(t.port.texts(), said);
        QStringList got;
        for (const BranchComparison& b : tree.branches)
            got << QString(b.dir1).remove(t.one) + u':' + b.result.newer_in_dir2.join(u',');
        QCOMPARE(got, walked);
        QVERIFY(tree.differences_found() && !tree.trouble);
    }

    void log_file_after_two_saves()
    {
        QTemporaryDir tmp;
        const QString here = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tmp.path()));
        FaultyFileSystem fs;
        ScriptedPort port;
        FakeShell shell; // opens nothing
        const QString report = u"\r\nOnly in tree 1: /a/x\r\nOnly in tree 2: /b/y"_s;
        const QDateTime first(QDate(2026, 3, 4), QTime(9, 5));
        show_text_in_notepad(fs, shell, port, u"\r\nOnly in tree 1: /old"_s, first, QLocale::c());
        const QString path = show_text_in_notepad(fs, shell, port, report, first.addSecs(3600), QLocale::c());
        QCOMPARE(path, tmp.path() + u"/tandrel.log"_s);
        QCOMPARE(fs.read_file(path).value,
            QByteArray("tandrel.LOG 4 Mar 2026 10:05:00\r\n\r\nOnly in tree 1: /a/x\r\nOnly in tree 2: /b/y\r\n"));
        QCOMPARE(shell.beeps, 6);
        QCOMPARE(shell.paths, QStringList({ path, path }));
        const QString unshown = u"The list was saved in "_s + path + u", but no program could be started to show it."_s;
        QCOMPARE(port.texts(), QStringList({ unshown, unshown }));

        // A log that cannot be saved: the refusal said once, with the name, and nothing opened.
        QVERIFY(QFile::remove(path) && QDir(tmp.path()).mkdir(u"tandrel.log"_s));
        QVERIFY(show_text_in_notepad(fs, shell, port, report).isEmpty());
        QCOMPARE(port.texts().last(),
            u"The list could not be saved in "_s + path
                + u": Error 75 - Path/File access error: something other than a plain file stands there."_s);
        QVERIFY(shell.paths.size() == 2 && shell.beeps == 6);
        QVERIFY(QDir::setCurrent(here));
    }
};

QTEST_GUILESS_MAIN(TestTreeScan)
#include "tst_treescan.moc"
