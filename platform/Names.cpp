#include "platform/Names.h"

#include <algorithm>

QString fold_name(const QString& name)
{
    // Plain ASCII has one form only; most names are such, and a listing folds every name.
    if (std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return name.toCaseFolded();
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
