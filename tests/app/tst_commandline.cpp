// The window's command line, from the joined text to the pair it names.

#include "app/CommandLine.h"
#include "platform/Names.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Kind = CommandLine::Kind;

Q_DECLARE_METATYPE(CommandLine)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("joined");
        QTest::addColumn<CommandLine>("expected");
        const auto pair = [](Kind kind, const char* a, const char* b) {
            return CommandLine { kind, QString::fromUtf8(a), QString::fromUtf8(b) };
        };
        const CommandLine invalid { Kind::Invalid, {}, {} };
        QTest::newRow("blanks only") << u"   "_s << CommandLine {};
        QTest::newRow("pair") << u"/a | /b"_s << pair(Kind::Pair, "/a", "/b");
        QTest::newRow("no blanks, outer blanks") << u"  /a|/b  "_s << pair(Kind::Pair, "/a", "/b");
        QTest::newRow("blanks inside a side")
            << u"/my work | /usb stick/my work"_s << pair(Kind::Pair, "/my work", "/usb stick/my work");
        QTest::newRow("tree") << u"/a \u00A7 /b"_s << pair(Kind::TreePair, "/a", "/b");
        // The first "|" wins over an earlier "§"; the second side keeps what follows.
        QTest::newRow("§ before |") << u"/a\u00A7x | /b"_s << pair(Kind::Pair, "/a\u00A7x", "/b");
        QTest::newRow("second |") << u"/a | /b | /c"_s << pair(Kind::Pair, "/a", "/b | /c");
        QTest::newRow("second § in a tree") << u"/a \u00A7 /b\u00A7c"_s << pair(Kind::TreePair, "/a", "/b\u00A7c");
        QTest::newRow("one side") << u"/tmp"_s << invalid;
        QTest::newRow("empty first side") << u"| /tmp"_s << invalid;
        QTest::newRow("empty second side") << u"/tmp \u00A7"_s << invalid;
        QTest::newRow("relative") << u"a:b | c:d"_s << invalid;
        QTest::newRow("one side relative") << u"/a | b"_s << invalid;
        QTest::newRow("network") << u"\\\\server\\x | /"_s << invalid;
    }
    void parse()
    {
        QFETCH(QString, joined);
        QFETCH(CommandLine, expected);
        const auto shown = [](const CommandLine& c) { return u"%1 [%2] [%3]"_s.arg(int(c.kind)).arg(c.dir1, c.dir2); };
        QCOMPARE(shown(parse_command_line(joined)), shown(expected));
    }
    // A byte that is not UTF-8 would decode to U+FFFD, the name of a look-alike that may exist;
    // U+FFFD itself, written in UTF-8, is a name like any other.
    void undecodable_argument()
    {
        const char* argv[] = { "tandrel", "/d\xef\xbf\xbd", "|", "/d\xff", "/x" };
        QString refused;
        QCOMPARE(decode_arguments(5, argv, &refused), (QStringList { u"/d\uFFFD"_s, u"|"_s }));
        QCOMPARE(refused, u"/d\\xFF"_s);
        QVERIFY(decode_arguments(3, argv, &refused).size() == 2 && refused.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
