#pragma once
// The branch report written to "tandrel.log" in the working directory and opened with the
// person's default editor.

#include <QDateTime>
#include <QLocale>
#include <QString>

class FileSystem;
class Shell;
class UserPort;

inline const QString tree_log_name = QStringLiteral("tandrel.log");

// The whole file: the heading "tandrel.LOG DATE TIME", then the report as it is, then CR LF.
QByteArray tree_log_content(const QString& report, const QDateTime& now, const QLocale& locale);

// Writes the log (replacing an older one), beeps three times and opens it. When it cannot be
// written the person is told why and nothing is opened. Returns the path written, or empty.
QString show_text_in_notepad(FileSystem& fs, Shell& shell, UserPort& port, const QString& report,
    const QDateTime& now = QDateTime::currentDateTime(), const QLocale& locale = QLocale::system());
