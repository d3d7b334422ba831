#include "platform/Trace.h"

#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/UserPort.h"

#include <QDateTime>
#include <QLocale>

namespace {

// The user's short date and time, with the seconds that a short time format may leave out.
QString general_date_time(const QLocale& locale, const QDateTime& now)
{
    QString time_format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype minutes = time_format.indexOf(QStringLiteral("mm"));
    if (!time_format.contains(u's') && minutes > 0)
        time_format.insert(minutes + 2, time_format.at(minutes - 1) + QStringLiteral("ss"));
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' + locale.toString(now.time(), time_format);
}

} // namespace

Trace::Trace(FileSystem& fs, UserPort& port, const QString& folder)
    : fs_(fs)
    , port_(port)
    , trace_file_(with_final_separator(folder) + QStringLiteral("trace.txt"))
{
    const Result<bool> marker = fs_.exists(with_final_separator(folder) + QStringLiteral("trace.flg"));
    enabled_ = marker.ok() && marker.value;
}

void Trace::write_trace(const QString& text)
{
    if (!enabled_)
        return;
    const Result<FileInfo> file = fs_.info(trace_file_);
    if (file.ok() && file.value.length >= size_limit) {
        enabled_ = false;
        port_.message(QStringLiteral("Trace file too large. Please delete it (") + trace_file_ + u')');
        return;
    }
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QDateTime now = QDateTime::currentDateTime();
    const double seconds = now.time().msecsSinceStartOfDay() / 1000.0;
    const QString line = general_date_time(locale, now) + QStringLiteral(" (") + locale.toString(seconds, 'f', 2)
        + QStringLiteral(") - ") + text + QStringLiteral("\r\n");
    // A trace that cannot be written is not worth a message: the caller's work goes on.
    fs_.append_file(trace_file_, line.toUtf8());
}
