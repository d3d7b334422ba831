#pragma once
// Handing things to the user's own programs: files, folders and web addresses open with their
// default programs; a program can be started detached with an argument list (never a shell).

#include <QString>
#include <QStringList>

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address in the default browser.
    virtual bool open_url(const QString& url) = 0;
    // Opens a file with its associated program, or a folder in the file browser.
    virtual bool open_path(const QString& path) = 0;
    // Starts `program` (looked up on PATH unless absolute) with `arguments`, without waiting.
    // False when it could not be started.
    virtual bool start_detached(const QString& program, const QStringList& arguments) = 0;
    virtual void beep() = 0;
};
