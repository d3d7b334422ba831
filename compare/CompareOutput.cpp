#include "compare/CompareOutput.h"

#include "platform/Names.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

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
    return QJsonArray::fromStringList(names);
}

struct UnreadableName {
    int dir;
    QString name;
    bool undecodable; // `name` is already escaped
};

// The unreadable names of both sides, each sorted. A name that does not decode is in its side's
// unreadable list as its escaped text; a readable name could be spelled the same, so each escaped
// text stands for as many entries as the undecodable list holds of it.
QVector<UnreadableName> unreadable_names(const Classification& c)
{
    QVector<UnreadableName> out;
    const std::tuple<int, const QStringList*, const QStringList*> sides[]
        = { { 1, &c.unreadable_dir1, &c.undecodable_dir1 }, { 2, &c.unreadable_dir2, &c.undecodable_dir2 } };
    for (const auto& [dir, unreadable, undecodable] : sides) {
        QHash<QString, int> escaped;
        for (const QString& n : *undecodable)
            ++escaped[n];
        for (const QString& n : sorted(*unreadable)) {
            int& left = escaped[n];
            out.push_back({ dir, n, left > 0 });
            left = std::max(left - 1, 0);
        }
    }
    return out;
}

} // namespace

QString escaped_name(const QString& name)
{
    // Every control character is in the basic plane, so the UTF-16 units tell; most names have none.
    if (std::none_of(name.cbegin(), name.cend(), [](QChar c) { return is_control_char(c.unicode()); }))
        return name;
    const QList<uint> chars = name.toUcs4();
    QString out;
    for (const uint c : chars) {
        if (is_control_char(c))
            out += escaped_char(c);
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
        out += is_control_char(c) && c != u'\n' ? escaped_char(c)
                                                : QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    return out;
}

QByteArray prefixed_lines(const QString& prefix, const QString& text)
{
    QString out;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
        out += prefix + line + u'\n';
    return out.toUtf8();
}

QByteArray pair_text(const Classification& c)
{
    const std::pair<const char16_t*, const QStringList*> classes[]
        = { { u"only in dir 1", &c.only_in_dir1 }, { u"newer in dir 1", &c.newer_in_dir1 }, { u"aligned", &c.aligned },
              { u"newer in dir 2", &c.newer_in_dir2 }, { u"only in dir 2", &c.only_in_dir2 } };
    QString out;
    for (const auto& [caption, names] : classes) {
        for (const QString& n : *names)
            out += QString::fromUtf16(caption) + QStringLiteral(": ") + escaped_name(n) + u'\n';
    }
    for (const UnreadableName& u : unreadable_names(c)) {
        out += QStringLiteral("unreadable in dir ") + QString::number(u.dir) + QStringLiteral(": ")
            + (u.undecodable ? u.name : escaped_name(u.name)) + u'\n';
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
    for (const UnreadableName& u : unreadable_names(c)) {
        unreadable.append(QJsonObject { { QStringLiteral("dir"), u.dir }, { QStringLiteral("name"), u.name },
            { QStringLiteral("undecodable"), u.undecodable } });
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
