#include "compare/CompareOutput.h"

#include "platform/Names.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool is_control(char32_t c)
{
    // C0, DEL and C1 controls, and the Unicode line and paragraph separators.
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

QString escape(char32_t c)
{
    switch (c) {
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    case u'\t':
        return QStringLiteral("\\t");
    case 0x1b:
        return QStringLiteral("\\e");
    }
    return c < 0x80 ? QStringLiteral("\\x") + QString::number(uint(c), 16).toUpper().rightJustified(2, u'0')
                    : QStringLiteral("\\u") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
}

QStringList sorted(QStringList names)
{
    sort_names(names);
    return names;
}

QByteArray compact(const QJsonArray& a)
{
    return QJsonDocument(a).toJson(QJsonDocument::Compact);
}

QJsonArray json_names(const QStringList& names)
{
    return QJsonArray::fromStringList(sorted(names));
}

} // namespace

QString escaped_name(const QString& name)
{
    const QList<uint> chars = name.toUcs4();
    if (std::none_of(chars.cbegin(), chars.cend(), [](uint c) { return is_control(c); }))
        return name;
    QString out;
    for (const uint c : chars) {
        if (is_control(c))
            out += escape(c);
        else if (c == u'\\')
            out += QStringLiteral("\\\\");
        else
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    }
    return out;
}

QString terminal_safe(const QString& text)
{
    QString out;
    for (const uint c : text.toUcs4())
        out += is_control(c) && c != u'\n' ? escape(c) : QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    return out;
}

QByteArray pair_text(const Classification& c)
{
    const std::pair<const char16_t*, const QStringList*> classes[]
        = { { u"only in dir 1", &c.only_in_dir1 }, { u"newer in dir 1", &c.newer_in_dir1 }, { u"aligned", &c.aligned },
              { u"newer in dir 2", &c.newer_in_dir2 }, { u"only in dir 2", &c.only_in_dir2 } };
    QString out;
    for (const auto& [caption, names] : classes) {
        for (const QString& n : sorted(*names))
            out += QString::fromUtf16(caption) + QStringLiteral(": ") + escaped_name(n) + u'\n';
    }
    return out.toUtf8();
}

// Written by hand so the keys come in the order of the classes rather than alphabetically.
QByteArray pair_json(const Classification& c)
{
    QJsonArray warnings;
    for (const SizeWarning& w : c.warnings) {
        warnings.append(QJsonObject { { QStringLiteral("name"), w.name2 },
            { QStringLiteral("bytes_dir1"), w.bytes_dir1 }, { QStringLiteral("bytes_dir2"), w.bytes_dir2 } });
    }
    QJsonArray unreadable;
    for (const auto& [dir, names] : { std::pair { 1, &c.unreadable_dir1 }, std::pair { 2, &c.unreadable_dir2 } }) {
        for (const QString& n : sorted(*names))
            unreadable.append(QJsonObject { { QStringLiteral("dir"), dir }, { QStringLiteral("name"), n } });
    }
    const std::pair<const char*, QByteArray> members[] = {
        { "only_in_dir1", compact(json_names(c.only_in_dir1)) },
        { "newer_in_dir1", compact(json_names(c.newer_in_dir1)) },
        { "aligned", compact(json_names(c.aligned)) },
        { "newer_in_dir2", compact(json_names(c.newer_in_dir2)) },
        { "only_in_dir2", compact(json_names(c.only_in_dir2)) },
        { "warnings", compact(warnings) },
        { "unreadable", compact(unreadable) },
        { "listing_cut", c.listing_cut ? QByteArray("true") : QByteArray("false") },
        { "differences_found", c.differences_found() ? QByteArray("true") : QByteArray("false") },
    };
    QByteArray out = "{\n";
    for (const auto& [key, value] : members) {
        if (out.size() > 2)
            out += ",\n";
        out += QByteArray("  \"") + key + "\": " + value;
    }
    out += "\n}\n";
    return out;
}
