// Path helpers shared by every part of the program.
#include "platform/Paths.h"

#include "platform/DirPath.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Trace.h"

#include <QFile>
#include <QStringList>

#include <climits>

static bool is_split_char(QChar c)
{
#ifdef Q_OS_WIN
    return c == path_separator || c == u':';
#else
    return c == path_separator;
#endif
}

// The position just after the last separator of `path`, ignoring final separators, and the
// length of the text without them.
static void split_points(const QString& path, qsizetype& leaf_start, qsizetype& end)
{
    end = path.size();
    while (end > 1 && path[end - 1] == path_separator)
        --end;
    leaf_start = end;
    while (leaf_start > 0 && !is_split_char(path[leaf_start - 1]))
        --leaf_start;
}

QString leaf_name(const QString& path)
{
    qsizetype start = 0;
    qsizetype end = 0;
    split_points(path, start, end);
    return path.mid(start, end - start);
}

QString parent_path(const QString& path)
{
    qsizetype start = 0;
    qsizetype end = 0;
    split_points(path, start, end);
    QString parent = path.left(start);
    while (parent.size() > 1 && parent.endsWith(path_separator))
        parent.chop(1);
    return parent;
}

bool path_too_long(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.size() >= PATH_MAX)
        return true;
    for (const QByteArray& part : native.split('/')) {
        if (part.size() > NAME_MAX)
            return true;
    }
    return false;
}

QString clean_path(const QString& path)
{
    if (path.isEmpty())
        return {};
    const bool absolute = path.startsWith(path_separator);
    QStringList parts;
    for (const QString& part : path.split(path_separator, Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (!parts.isEmpty() && parts.last() != u"..")
                parts.removeLast();
            else if (!absolute)
                parts << part; // above the root is still the root; a relative text keeps its ".."
            continue;
        }
        parts << part;
    }
    const QString joined = parts.join(path_separator);
    if (absolute)
        return path_separator + joined;
    return joined.isEmpty() ? QStringLiteral(".") : joined;
}

bool is_same_or_below(const QString& path, const QString& dir)
{
    const QString p = clean_path(path);
    const QString d = clean_path(dir);
    if (p.isEmpty() || d.isEmpty())
        return false;
    return p == d || p.startsWith(with_final_separator(d));
}

bool wildcard_match(const QString& pattern, const QString& name)
{
    const QString p = fold_name(pattern);
    const QString n = fold_name(name);
    qsizetype pi = 0;
    qsizetype ni = 0;
    qsizetype star = -1; // position of the last "*" seen in the pattern
    qsizetype star_n = 0; // where in the name that "*" started matching
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == u'?' || (p[pi] != u'*' && p[pi] == n[ni]))) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == u'*') {
            star = pi++;
            star_n = ni;
        } else if (star >= 0) {
            pi = star + 1;
            ni = ++star_n;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'*')
        ++pi;
    return pi == p.size();
}

bool Path_exist(const FileSystem& fs, Trace* trace, const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    auto failed = [&](const FsError& e) {
        if (trace)
            trace->write_trace(QStringLiteral("Path_exist(filepath$) - err = ") + QString::number(e.number) + u' '
                + e.description + QStringLiteral(" - ") + path);
        return false;
    };

    // Only the last component may hold wildcards; a path ending in a separator has none.
    const qsizetype cut = path.lastIndexOf(path_separator);
    const QString last = path.mid(cut + 1);
    if (!last.contains(u'*') && !last.contains(u'?')) {
        const Result<bool> r = fs.exists(path);
        return r.ok() ? r.value : failed(r.error);
    }

    QString dir = cut < 0 ? fs.current_dir() : path.left(cut);
    if (dir.isEmpty())
        dir = QString(path_separator);
    for (const EntryKind kind : { EntryKind::Directories, EntryKind::Files }) {
        const Result<QVector<DirEntry>> r = fs.list(dir, kind, true);
        if (!r.ok()) {
            // A pattern in a folder that is not there matches nothing, as an exact path that is
            // not there is simply absent; only a real failure is worth a trace line.
            return is_missing(r.error) ? false : failed(r.error);
        }
        for (const DirEntry& e : r.value) {
            if (wildcard_match(last, e.name))
                return true;
        }
    }
    return false;
}

DirPath::DirPath(const QString& path)
    : path_(without_final_separator(path))
{
    if (!path_.isEmpty())
        path_ = with_final_separator(path_);
}

QString DirPath::bare() const
{
    return without_final_separator(path_);
}

DirPath DirPath::parent() const
{
    return DirPath(parent_path(path_));
}
