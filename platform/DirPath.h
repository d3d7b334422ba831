#pragma once
// The path of a directory, held in one spelling whatever spelling it was given in, so that no
// caller adds or strips a final separator by hand.

#include <QString>

class DirPath {
public:
    DirPath() = default; // no directory
    // `path` in any spelling ("/a/b", "/a/b/", "/a/b//"); the empty text gives no directory.
    explicit DirPath(const QString& path);

    bool is_empty() const { return path_.isEmpty(); }
    // With exactly one final separator, the root being "/"; empty for no directory.
    const QString& path() const { return path_; }
    // Without the final separator, except for the root "/" itself; empty for no directory.
    QString bare() const;
    // The path of `name` in this directory. No directory holds no file: the empty text, never a
    // name that would be taken in the current directory.
    QString file(const QString& name) const { return path_.isEmpty() ? QString() : path_ + name; }
    // The directory this one is in; the root is its own parent.
    DirPath parent() const;

    friend bool operator==(const DirPath&, const DirPath&) = default;

private:
    QString path_;
};
