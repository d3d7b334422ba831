#pragma once
// The per-user settings store: text values under application "tandrel", section "general".

#include <QString>

#include <memory>

class QSettings;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or "" when the key is absent or the store cannot be read.
    virtual QString get_setting(const QString& key) const = 0;
    // Writes the text; a failure is not reported.
    virtual void save_setting(const QString& key, const QString& value) = 0;
};

// The store backed by QSettings. With an empty `ini_file` it is the user's own store; tests hand
// it a file in a temporary folder. A store file that is not a plain file (a pipe, a device) is
// ignored, with one line on standard error: nothing is read from it or written to it.
class QtSettingsStore final : public SettingsStore {
public:
    explicit QtSettingsStore(const QString& ini_file = {});
    ~QtSettingsStore() override;
    QString get_setting(const QString& key) const override;
    void save_setting(const QString& key, const QString& value) override;
    // Where the store lives, for the README and messages.
    QString location() const;

private:
    QSettings* store() const;

    QString ini_file_;
    mutable std::unique_ptr<QSettings> settings_;
    mutable bool ignored_ = false;
};
