#pragma once
// A bind mount for a test, made in a mount namespace of the test process's own, so that nothing
// shows outside the test and nothing outlives it.

#include <QString>

class BindMount {
public:
    // Mounts the directory `source` over the directory `target`.
    BindMount(const QString& source, const QString& target);
    ~BindMount();
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool ok() const { return why_not_.isEmpty(); }
    // Why mounting was not possible, for QSKIP.
    const char* why_not() const { return why_not_.constData(); }

private:
    QByteArray target_;
    QByteArray why_not_;
};
