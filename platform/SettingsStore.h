#pragma once
// The per-user settings store: text values under application "tandrel", section "general".

#include <QString>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or "" when the key is absent or the store cannot be read.
    virtual QString get_setting(const QString& key) const = 0;
    // Writes the text; a failure is not reported.
    virtual void save_setting(const QString& key, const QString& value) = 0;
};

// The store backed by QSettings. With an empty `ini_file` it is the user's own store; tests hand
// it a file in a temporary folder.
class QtSettingsStore final : public SettingsStore {
public:
    explicit QtSettingsStore(const QString& ini_file = {});
    QString get_setting(const QString& key) const override;
    void save_setting(const QString& key, const QString& value) override;
    // Where the store lives, for the README and messages.
    QString location() const;

private:
    QString ini_file_;
};
