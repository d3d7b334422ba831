#include "platform/SettingsStore.h"

#include <QSettings>

#include <memory>

namespace {

std::unique_ptr<QSettings> open_store(const QString& ini_file)
{
    auto s = ini_file.isEmpty()
                 ? std::make_unique<QSettings>(QStringLiteral("tandrel"), QStringLiteral("tandrel"))
                 : std::make_unique<QSettings>(ini_file, QSettings::IniFormat);
    // In an ini file (the store's form here) Qt keeps a section named "general" only for one run:
    // it writes "[%General]" and reads that back as "General", so the next start would find
    // nothing. Its own top-level section, written "[General]", is the general section there.
#ifdef Q_OS_WIN
    if (ini_file.isEmpty())
        s->beginGroup(QStringLiteral("general"));
#endif
    return s;
}

}  // namespace

QtSettingsStore::QtSettingsStore(const QString& ini_file) : ini_file_(ini_file) {}

QString QtSettingsStore::get_setting(const QString& key) const
{
    // Opened for every call, so a value written by another running copy of the program is seen.
    const auto s = open_store(ini_file_);
    if (s->status() != QSettings::NoError)
        return {};
    return s->value(key).toString();
}

void QtSettingsStore::save_setting(const QString& key, const QString& value)
{
    const auto s = open_store(ini_file_);
    s->setValue(key, value);
    s->sync();
}

QString QtSettingsStore::location() const
{
    return open_store(ini_file_)->fileName();
}
