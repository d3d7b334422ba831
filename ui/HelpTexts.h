#pragma once
// The texts of the Help menu (version history, about box, command-line help, the maker's web
// site) and the commands that show them.

#include <QLocale>
#include <QString>
#include <QStringList>

class Shell;
class UserPort;

// The maker's web site, as a host name without a scheme.
QString web_site_address();

// The releases, newest first, each as NN^yymmdd.k) X: sentence.
const QStringList& version_history_entries();
// The line that closes the history.
QString version_1_0_line();

// With `current_only` false, the history text (each entry after a CR LF, then the closing lines);
// with it true, the version string. Dates are written for the system's locale.
QString version_history_text(bool current_only);
QString version_history_text(bool current_only, const QLocale& locale);
// "1.21 (19/Sep/2008)": the number and date of the newest entry, the date as day, abbreviated
// month and year joined by the locale's date separator.
QString version_string();
QString version_string(const QLocale& locale);
// The separator between the fields of the locale's short date.
QString date_separator(const QLocale& locale);

// The whole text of the version history window.
QString version_history_window_text(const QLocale& locale = QLocale::system());
QString version_history_caption();
QString about_title();
QString about_text(const QLocale& locale = QLocale::system());
QString command_line_help_text();

// The Help menu's commands.
void show_version_history();
void show_about(UserPort& port);
void show_command_line_help(UserPort& port);
// Opens the maker's web site in the browser.
void open_web_site(Shell& shell);
