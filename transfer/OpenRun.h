#pragma once
// Opening things with the user's own programs: files with their default program, folders in the
// file browser, web addresses in the browser, any other text as a web search.

#include "platform/DirPath.h"

#include <QString>

#include <functional>

class FileSystem;
class Shell;
class Trace;

// True when the first line of `text` begins with "https://", "ftp://", "http://" or "www.",
// in any case.
bool Is_url(const QString& text);

// When the first line of `text` is a web address, hands it to the browser and returns true (the
// browser's own success is not known here); otherwise returns false and does nothing.
bool Open_url(Shell& shell, const QString& text);

// The address of a web search for `text`, percent-encoded.
QString web_search_url(const QString& text);

// Opens what the first line of `text` names: an existing directory in the file browser, an existing
// file with its default program (a path with "*" never), a web address in the browser, and
// anything else as a web search.
void Shell_open(const FileSystem& fs, Trace* trace, Shell& shell, const QString& text);

// An entry of list `list` (1 to 5) dropped on the open/run target: opens its dir 1 copy (lists 1,
// 3, 4, 5) or its dir 2 copy (list 2), waits two seconds, then opens the dir 2 copy too for lists 3
// and 4. A copy that is not there is not opened. Returns the date and length of what was opened
// ("   date = 06/Dec/2026 12:31.05    length = 42"; two lines for two copies).
QString open_list_entry(const FileSystem& fs, Trace* trace, Shell& shell, int list, const QString& name,
    const DirPath& dir1, const DirPath& dir2, const std::function<void(int)>& wait_seconds);
