// The window's command line, from the joined text to the pair it names.

#include "app/CommandLine.h"
#include "platform/Names.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse()
    {
        using K = CommandLine::Kind;
        const CommandLine invalid { K::Invalid, {}, {} };
        // Plain and tree pairs, with blanks around them, are read by the start-up and tree tests.
        const std::pair<QString, CommandLine> rows[] = {
            { u"   "_s, {} },
            { u"/my work | /usb stick/my work"_s, { K::Pair, u"/my work"_s, u"/usb stick/my work"_s } },
            // The first "|" wins over an earlier "§"; the second side keeps what follows.
            { u"/a\u00A7x | /b"_s, { K::Pair, u"/a\u00A7x"_s, u"/b"_s } },
            { u"/a | /b | /c"_s, { K::Pair, u"/a"_s, u"/b | /c"_s } },
            { u"/a \u00A7 /b\u00A7c"_s, { K::TreePair, u"/a"_s, u"/b\u00A7c"_s } },
            { u"| /tmp"_s, invalid },
            { u"/tmp \u00A7"_s, invalid },
            { u"a:b | c:d"_s, invalid },
            { u"/a | b"_s, invalid },
            { u"\\\\server\\x | /"_s, invalid },
        };
        const auto shown = [](const CommandLine& c) { return u"%1 [%2] [%3]"_s.arg(int(c.kind)).arg(c.dir1, c.dir2); };
        for (const auto& [joined, want] : rows)
            QCOMPARE(joined + u" => "_s + shown(parse_command_line(joined)), joined + u" => "_s + shown(want));
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
