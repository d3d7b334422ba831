#pragma once
// Pieces the benches share: a port nobody looks at, and a large pair of files made quickly.

#include "platform/UserPort.h"
#include "transfer/TransferContext.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

// Any message is a failure of the run: it is printed and counted, and answered by its default.
template <class Port> struct CountingPort : Port {
    int messages = 0;
    Answer message_box(const QString& text, MsgButtons, MsgIcon, Answer d, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++messages;
        return d;
    }
};

// A port with no window at all.
struct SilentPort : CountingPort<UserPort> {
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override { return {}; }
    void set_busy(bool) override { }
    void process_events() override { QCoreApplication::processEvents(); }
    void set_main_window_visible(bool) override { }
    bool main_window_visible() const override { return true; }
    void end_program(int) override { }
};

// A window that shows nothing of an alignment and keeps the options at their defaults.
struct SilentHost final : TransferHost {
    bool ignore_one_hour_diff() const override { return false; }
    bool delete_to_trash() const override { return true; }
    bool skip_delete_confirmations() const override { return false; }
    void clear_free_space_labels() override { }
    void set_cancel_enabled(bool) override { }
    void show_progress(const AlignProgress&) override { }
    void focus_exit() override { }
    void auto_next() override { }
    void refill_lists() override { }
    void wait(double) override { }
};

// A main window that is shown and hidden but never painted: every box is answered with its default
// button, and what was said is kept.
class WindowlessPort final : public UserPort {
public:
    Answer message_box(const QString& text, MsgButtons, MsgIcon, Answer default_button, const QString&) override
    {
        said << text;
        return default_button;
    }
    std::optional<QString> input_box(const QString&, const QString&, const QString&) override { return std::nullopt; }
    void set_busy(bool) override { }
    void process_events() override { QCoreApplication::processEvents(); }
    void set_main_window_visible(bool visible) override { visible_ = visible; }
    bool main_window_visible() const override { return visible_; }
    void end_program(int) override { }
    QStringList said;

private:
    bool visible_ = true;
};

// `files` small files on each side, made with the system calls themselves (many thousands through
// Qt's classes would take longer than the timings): every tenth name has no partner, every seventh
// partner is spelled in upper case.
inline bool build_large_pair(const QString& dir1, const QString& dir2, int files)
{
    const QByteArray base1 = QFile::encodeName(dir1), base2 = QFile::encodeName(dir2);
    for (int i = 0; i < files; ++i) {
        const QByteArray name = QByteArray("file_") + QByteArray::number(i).rightJustified(6, '0') + QByteArray(".dat");
        QByteArray name2 = name;
        if (i % 10 == 0)
            name2.prepend("other_");
        else if (i % 7 == 0)
            name2 = name2.toUpper();
        for (const QByteArray& path : { QByteArray(base1 + name), QByteArray(base2 + name2) }) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                return false;
            const bool written = ::write(fd, "0123456789", 10) == 10;
            if (::close(fd) != 0 || !written)
                return false;
        }
    }
    return true;
}
