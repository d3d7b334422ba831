#pragma once
// Dates and times as the person reads them in the hint line: the locale's short form, with seconds.

#include <QDateTime>
#include <QLocale>
#include <QString>

// The locale's short time format with seconds added after the minutes where it has none
// ("h:mm AP" becomes "h:mm:ss AP"): two files a second apart must not look alike.
QString time_format_with_seconds(const QLocale& locale);
// The locale's short date, a blank, and the time in `time_format_with_seconds`.
QString date_time_text(const QDateTime& when, const QLocale& locale = QLocale::system());
