#include "compare/ConsolePort.h"

#include "compare/CompareOutput.h"

Answer ConsolePort::message_box(const QString& text, MsgButtons, MsgIcon, Answer default_button, const QString&)
{
    // Message texts break lines with a bare line feed, which is what a terminal wants too. Any
    // other control character would come from a file name, and is shown, not obeyed.
    const QByteArray bytes = prefixed_lines(prefix_, terminal_safe(text));
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out_);
    std::fflush(out_);
    return default_button;
}

std::optional<QString> ConsolePort::input_box(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}
