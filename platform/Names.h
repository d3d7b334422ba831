#pragma once
// How names and paths compare and sort: ignoring case with Unicode case folding, and ignoring
// whether accents are stored composed or decomposed, as on the file systems the program's users
// move their files between.

#include <QString>
#include <QStringList>

#include <algorithm>
#include <numeric>
#include <vector>

// The key two names share when they differ only in case or in the Unicode form of their letters
// ("café" written composed on one system and decomposed on another).
QString fold_name(const QString& name);
bool names_equal(const QString& a, const QString& b);

// The one order of names, used by every listing, the pairing and the cut at the listing limit:
// by folded key, then, for names with the same key, by exact spelling, so the order is total and
// the same on every run. Negative, zero or positive, as for strcmp.
int compare_keys(const QString& key_a, const QString& key_b);
int compare_names(const QString& key_a, const QString& a, const QString& key_b, const QString& b);
bool name_less(const QString& a, const QString& b);

// Sorts `items` (a vector or list) by the name `name_of(item)` gives, folding each name once.
// `keys`, when given, receives the folded names in the new order. With `keep` set, only the first
// `keep` items in that order are kept, found without sorting the rest.
template <typename Container, typename NameOf>
void sort_by_name(Container& items, NameOf name_of, std::vector<QString>* keys = nullptr, qsizetype keep = -1)
{
    const size_t n = size_t(items.size());
    std::vector<QString> folded;
    folded.reserve(n);
    for (const auto& item : items)
        folded.push_back(fold_name(name_of(item)));
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t(0));
    const auto less = [&](size_t x, size_t y) {
        return compare_names(folded[x], name_of(items[x]), folded[y], name_of(items[y])) < 0;
    };
    if (keep >= 0 && size_t(keep) < n) {
        std::nth_element(order.begin(), order.begin() + keep, order.end(), less);
        order.resize(size_t(keep));
    } else if (std::is_sorted(order.begin(), order.end(), less)) { // a list sorted before, as most are
        if (keys)
            *keys = std::move(folded);
        return;
    }
    std::sort(order.begin(), order.end(), less);
    Container sorted;
    sorted.reserve(qsizetype(order.size()));
    std::vector<QString> sorted_keys;
    sorted_keys.reserve(keys ? order.size() : 0);
    for (const size_t i : order) {
        sorted.push_back(std::move(items[i]));
        if (keys)
            sorted_keys.push_back(std::move(folded[i]));
    }
    items = std::move(sorted);
    if (keys)
        *keys = std::move(sorted_keys);
}
void sort_names(QStringList& names);

// The text of a name met as bytes (a directory entry, an argument). False when the bytes are not
// valid in the user's encoding: their text would hold look-alike characters that name another file.
bool decode_name(const QByteArray& raw, QString& name);
// The characters a name shown on one line never holds as they are: C0, DEL and C1 controls and the
// Unicode line and paragraph separators; and the escape that stands for one of them.
bool is_control_char(char32_t c);
QString escaped_char(char32_t c);
// A name that may not decode, written for a person on one line: what decodes stays, every byte
// that does not is written "\xHH", every backslash is doubled and every control character is
// escaped as a listing line writes it ("\n", "\t", "\e", "\xHH", "\uHHHH").
QString escaped_bytes(const QByteArray& raw);
// The program's arguments (argv[1] on) as text. At the first argument that does not decode, the
// list ends and `refused` receives that argument escaped; otherwise `refused` is left empty.
QStringList decode_arguments(int argc, const char* const argv[], QString* refused);

// The native separator and the path rules that use it.
inline constexpr QChar path_separator = u'/';
// `dir` with one final separator.
QString with_final_separator(const QString& dir);
// `dir` without a final separator, except for the root itself.
QString without_final_separator(const QString& dir);
// True for an absolute path of this platform.
bool is_absolute_path(const QString& path);
