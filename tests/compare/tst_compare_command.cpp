// tandrel-compare's command line and text output, without running the program.

#include "compare/CompareCommand.h"
#include "compare/CompareOutput.h"
#include "platform/Names.h"
#include "platform/RealFileSystem.h"
#include "tests/util/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCompareCommand : public QObject {
    Q_OBJECT
private slots:
    void command_lines()
    {
        using A = CompareCommand::Action;
        QTemporaryDir tmp;
        QVERIFY(make_tree(tmp.path(), { u"one"_s, u"two"_s }, { u"file.txt"_s }));
        RealFileSystem fs;
        // Each row: the arguments ("@" is the temporary folder), then the action, the options as
        // "1h"/"json"/"tree", and for a comparison what becomes of the two directories (the reason when one
        // cannot be compared), else the error.
        struct Row {
            QStringList args;
            A action;
            QString options, outcome;
        };
        const QString too_long = u"@/"_s + QString(300, u'x');
        const Row rows[] = {
            { { u"@/one"_s, u"@/two"_s }, A::Compare, {}, u"@/one/ | @/two/"_s },
            { { u"--json"_s, u"@/one"_s, u"--ignore-one-hour"_s, u"@/two/"_s }, A::Compare, u"1h json"_s,
                u"@/one/ | @/two/"_s },
            { { u"--"_s, u"@/one"_s, u"-x"_s }, A::Compare, {}, u"@/one/ | -x: Error 53 - File not found"_s },
            { { u"@/one"_s, u"two"_s }, A::Compare, {}, u"@/one/ | @/two/"_s }, // relative to the current directory
            { { u""_s, u"two"_s }, A::Compare, {}, u"\"\": an empty path names no directory | @/two/"_s },
            { { u"@/file.txt"_s, u"@/two"_s }, A::Compare, {}, u"@/file.txt: not a directory | @/two/"_s },
            { { u"@/one"_s, too_long }, A::Compare, {},
                u"@/one/ | "_s + too_long + u": the path is too long for this system"_s },
            { { u"@/one"_s, u"@/two"_s, u"@/three"_s }, A::Invalid, {},
                u"only two directories can be compared; also given: @/three"_s },
            { { u"@/one"_s }, A::Invalid, {}, u"two directories are needed"_s },
            { { u"--fast"_s, u"@/one"_s, u"@/two"_s }, A::Invalid, {}, u"Unknown option 'fast'."_s },
            { { u"-json"_s, u"@/one"_s, u"@/two"_s }, A::Compare, u"json"_s, u"@/one/ | @/two/"_s },
            { { u"@/one"_s, u"--tree"_s, u"@/two"_s }, A::Compare, u"tree"_s, u"@/one/ | @/two/"_s },
            { { u"@/one"_s, u"--help"_s }, A::Help, {}, {} },
            { { u"-h"_s }, A::Help, {}, {} },
            { { u"--version"_s }, A::Version, {}, {} },
        };
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tmp.path()));
        for (const Row& row : rows) {
            QStringList args = row.args;
            args.replaceInStrings(u"@"_s, tmp.path());
            const CompareCommand c = parse_compare_command(args);
            const QString options = QStringList { c.ignore_one_hour ? u"1h"_s : QString(),
                c.json ? u"json"_s : QString(), c.tree ? u"tree"_s : QString() }
                                        .join(u' ')
                                        .simplified();
            QString outcome = c.error;
            if (c.action == A::Compare) {
                const Result<QString> d1 = compare_directory_argument(fs, c.dirs[0]);
                const Result<QString> d2 = compare_directory_argument(fs, c.dirs[1]);
                QVERIFY(d1.ok() == !d1.value.contains(u':') && d2.ok() == !d2.value.contains(u':'));
                outcome = d1.value + u" | "_s + d2.value;
            }
            const QString want = QString(row.outcome).replace(u'@', tmp.path());
            QVERIFY2(c.action == row.action && options == row.options && outcome == want,
                qPrintable(args.join(u' ') + u" => "_s + outcome));
        }
        QVERIFY(QDir::setCurrent(cwd));
    }

    void names_that_could_forge_a_line()
    {
        const std::pair<QString, QString> rows[] = {
            { u"plain \\ name.txt"_s, u"plain \\ name.txt"_s }, // a backslash alone is left as it is
            { u"two\nlines"_s, u"two\\nlines"_s },
            { u"a\\b\rc\td"_s, u"a\\\\b\\rc\\td"_s }, // in an escaped name every backslash is doubled
            { u"\x1b[31mred"_s, u"\\e[31mred"_s },
            { u"bell\x07 del\x7f"_s, u"bell\\x07 del\\x7F"_s },
            { u"c1\u0085 sep\u2028 caf\u00e9 \U0001F600"_s, u"c1\\u0085 sep\\u2028 caf\u00e9 \U0001F600"_s },
        };
        for (const auto& [name, shown] : rows)
            QCOMPARE(escaped_name(name), shown);
        // Bytes that do not decode are written as such; so a backslash is doubled, and controls escaped.
        QCOMPARE(escaped_bytes("a\\b\n\xff\xc3\xa9\xc3"), u"a\\\\b\\n\\xFF\u00e9\\xC3"_s);
        QCOMPARE(terminal_safe(u"files A\\B\x1b[2J\r have\nlines"_s), u"files A\\B\\e[2J\\r have\nlines"_s);

        Classification c;
        c.only_in_dir1 = QStringList { u"a"_s, u"b"_s, u"x\ny"_s };
        c.newer_in_dir2 = QStringList { u"n"_s };
        QCOMPARE(
            pair_text(c), QByteArray("only in dir 1: a\nonly in dir 1: b\nonly in dir 1: x\\ny\nnewer in dir 2: n\n"));
    }
};

QTEST_GUILESS_MAIN(TestCompareCommand)
#include "tst_compare_command.moc"
