#include "platform/Names.h"

#include <QFile>

#include <algorithm>

QString fold_name(const QString& name)
{
    // Most names have one form only and are in lower case already: a listing folds every name, so
    // such a name is shared rather than copied. Below U+0300 there are no combining marks and every
    // letter is in its composed form; the four letters there that fold into two are left to the
    // full path.
    bool folded_already = true;
    bool latin = true;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            folded_already = folded_already && !(u >= u'A' && u <= u'Z');
            continue;
        }
        latin = latin && u < 0x300;
        folded_already = folded_already && latin && u != 0xdf && u != 0x130 && u != 0x149 && u != 0x1f0
            && QChar::toCaseFolded(char32_t(u)) == u;
    }
    if (folded_already)
        return name;
    const auto below_marks = [](const QString& s) {
        return std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c.unicode() < 0x300; });
    };
    // Latin letters keep their one form through folding unless it adds a mark (as for U+0130).
    if (latin) {
        QString folded = name.toCaseFolded();
        if (below_marks(folded))
            return folded;
    }
    // Folding case can leave a decomposed sequence behind, so the form is settled after it too.
    return name.normalized(QString::NormalizationForm_C).toCaseFolded().normalized(QString::NormalizationForm_C);
}

bool names_equal(const QString& a, const QString& b)
{
    return a == b || fold_name(a) == fold_name(b);
}

int compare_keys(const QString& key_a, const QString& key_b)
{
    return QString::compare(key_a, key_b, Qt::CaseSensitive);
}

int compare_names(const QString& key_a, const QString& a, const QString& key_b, const QString& b)
{
    const int c = compare_keys(key_a, key_b);
    return c != 0 ? c : QString::compare(a, b, Qt::CaseSensitive);
}

bool name_less(const QString& a, const QString& b)
{
    return compare_names(fold_name(a), a, fold_name(b), b) < 0;
}

void sort_names(QStringList& names)
{
    sort_by_name(names, [](const QString& n) -> const QString& { return n; });
}

QString with_final_separator(const QString& dir)
{
    return dir.endsWith(path_separator) ? dir : dir + path_separator;
}

QString without_final_separator(const QString& dir)
{
    QString d = dir;
    while (d.size() > 1 && d.endsWith(path_separator))
        d.chop(1);
    return d;
}

bool is_absolute_path(const QString& path)
{
    return path.startsWith(path_separator);
}

bool decode_name(const QByteArray& raw, QString& name)
{
    if (std::all_of(raw.cbegin(), raw.cend(), [](char c) { return uchar(c) < 0x80; })) {
        name = QString::fromLatin1(raw); // ASCII is the same in every encoding
        return true;
    }
    // Names are UTF-8. The decoder puts U+FFFD for every byte it cannot take, so a name without
    // it decoded whole; one holding it (it may be spelled out too), or one starting with a byte
    // order mark a decoder might drop, is checked by encoding it back.
    name = QString::fromUtf8(raw);
    if (!name.contains(QChar(0xfffd)) && !raw.startsWith("\xef\xbb\xbf"))
        return true;
    return QFile::encodeName(name) == raw;
}

namespace {

QString hex_escape(uchar byte)
{
    return QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

bool is_control_char(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

QString escaped_char(char32_t c)
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
    return c < 0x80 ? hex_escape(uchar(c))
                    : QStringLiteral("\\u") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
}

QString escaped_bytes(const QByteArray& raw)
{
    QString out;
    for (qsizetype i = 0; i < raw.size();) {
        const uchar lead = uchar(raw[i]);
        const qsizetype len = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
        QString part;
        if (len == 0 || i + len > raw.size() || !decode_name(raw.mid(i, len), part)) {
            out += hex_escape(lead);
            ++i;
            continue;
        }
        for (const char32_t c : part.toUcs4())
            out += is_control_char(c) ? escaped_char(c)
                : c == u'\\'          ? QStringLiteral("\\\\")
                                      : QString::fromUcs4(&c, 1);
        i += len;
    }
    return out;
}

QStringList decode_arguments(int argc, const char* const argv[], QString* refused)
{
    QStringList args;
    if (refused)
        refused->clear();
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        QString arg;
        if (!decode_name(raw, arg)) {
            if (refused)
                *refused = escaped_bytes(raw);
            break;
        }
        args << arg;
    }
    return args;
}
