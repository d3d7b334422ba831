#pragma once
// Opening things with the user's own programs: web addresses in the browser.

#include <QString>

class Shell;

// True when the first line of `text` begins with "https://", "ftp://", "http://" or "www.",
// in any case.
bool Is_url(const QString& text);

// When the first line of `text` is a web address, hands it to the browser and returns true (the
// browser's own success is not known here); otherwise returns false and does nothing.
bool Open_url(Shell& shell, const QString& text);
