#include "app/CommandLine.h"

#include "platform/Names.h"

CommandLine parse_command_line(const QString& joined)
{
    const QString text = joined.trimmed();
    if (text.isEmpty())
        return {};
    CommandLine result;
    result.kind = CommandLine::Kind::Pair;
    qsizetype sep = text.indexOf(u'|');
    if (sep < 0) {
        sep = text.indexOf(u'\u00A7');
        result.kind = CommandLine::Kind::TreePair;
    }
    const QString side1 = sep < 0 ? QString() : text.left(sep).trimmed();
    const QString side2 = sep < 0 ? QString() : text.mid(sep + 1).trimmed();
    if (side1.isEmpty() || side2.isEmpty() || !is_absolute_path(side1) || !is_absolute_path(side2))
        return { CommandLine::Kind::Invalid, {}, {} };
    result.dir1 = side1;
    result.dir2 = side2;
    return result;
}

QString invalid_command_line_text(const QString& crlf)
{
    return QStringLiteral("Invalid call line format.") + crlf + QStringLiteral("Usage: </path 1> '|' </path 2> ");
}

QString undecodable_command_line_text(const QString& escaped)
{
    return QStringLiteral("The command line holds a path that is not valid in this system's encoding (UTF-8): ")
        + escaped;
}
