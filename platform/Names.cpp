#include "platform/Names.h"

#include <algorithm>

QString fold_name(const QString& name)
{
    return name.toCaseFolded();
}

bool names_equal(const QString& a, const QString& b)
{
    return fold_name(a) == fold_name(b);
}

bool name_less(const QString& a, const QString& b)
{
    const int c = QString::compare(fold_name(a), fold_name(b), Qt::CaseSensitive);
    if (c != 0)
        return c < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

void sort_names(QStringList& names)
{
    // Fold each name once rather than on every comparison.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(names.size());
    for (const QString& n : names)
        keyed.emplace_back(fold_name(n), n);
    std::sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) {
        const int c = QString::compare(x.first, y.first, Qt::CaseSensitive);
        return c != 0 ? c < 0 : QString::compare(x.second, y.second, Qt::CaseSensitive) < 0;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = keyed[size_t(i)].second;
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
