#pragma once
// The Shell of the real desktop: the user's default programs, detached processes and the beep.

#include "platform/Shell.h"

class QtShell final : public Shell {
public:
    bool open_url(const QString& url) override;
    bool open_path(const QString& path) override;
    bool start_detached(const QString& program, const QStringList& arguments) override;
    void beep() override;
};
