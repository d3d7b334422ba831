#include "platform/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

std::unique_ptr<QSettings> open_store(const QString& ini_file)
{
    auto s = ini_file.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("tandrel"), QStringLiteral("tandrel"))
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

// Where the store's file is, found without opening it.
QString store_file(const QString& ini_file)
{
#ifdef Q_OS_WIN
    return ini_file;
#else
    return ini_file.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/tandrel/tandrel.conf")
                              : ini_file;
#endif
}

} // namespace

QtSettingsStore::QtSettingsStore(const QString& ini_file)
    : ini_file_(ini_file)
{
}

QtSettingsStore::~QtSettingsStore() = default;

QSettings* QtSettingsStore::store() const
{
    if (settings_ || ignored_)
        return settings_.get();
    // Reading a pipe or a device would block start-up or never end; such a file is not ours.
    const QString file = store_file(ini_file_);
    struct stat st { };
    if (!file.isEmpty() && ::stat(QFile::encodeName(file).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        ignored_ = true;
        qWarning("tandrel: the settings file %s is not a plain file; it is ignored", qPrintable(file));
        return nullptr;
    }
    // Opened once, so the file is read once; sync() reads it again only when it changed.
    settings_ = open_store(ini_file_);
    return settings_.get();
}

QString QtSettingsStore::get_setting(const QString& key) const
{
    QSettings* s = store();
    if (!s)
        return {};
    // A value written by another running copy of the program is seen.
    s->sync();
    if (s->status() != QSettings::NoError)
        return {};
    return s->value(key).toString();
}

void QtSettingsStore::save_setting(const QString& key, const QString& value)
{
    if (QSettings* s = store()) {
        s->setValue(key, value);
        s->sync();
    }
}

QString QtSettingsStore::location() const
{
    return store_file(ini_file_);
}
