#include "app/DateText.h"

QString time_format_with_seconds(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(u's'))
        return format;
    // The minutes are the last "m" run outside quotes; the seconds follow them with the character
    // that stands before the minutes (":" or "."), or ":" when a word stands there.
    qsizetype minutes_end = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'\'')
            quoted = !quoted;
        else if (!quoted && format[i] == u'm')
            minutes_end = i + 1;
    }
    if (minutes_end < 0)
        return format + QStringLiteral(":ss");
    qsizetype minutes_start = minutes_end;
    while (minutes_start > 0 && format[minutes_start - 1] == u'm')
        --minutes_start;
    QChar separator = u':';
    if (minutes_start > 0) {
        const QChar before = format[minutes_start - 1];
        if (!before.isLetterOrNumber() && !before.isSpace() && before != u'\'')
            separator = before;
    }
    format.insert(minutes_end, separator + QStringLiteral("ss"));
    return format;
}

QString date_time_text(const QDateTime& when, const QLocale& locale)
{
    return locale.toString(when.date(), QLocale::ShortFormat) + u' '
        + locale.toString(when.time(), time_format_with_seconds(locale));
}
