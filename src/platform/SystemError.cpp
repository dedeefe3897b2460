#include "platform/SystemError.h"

#include <cstring>

namespace {

// The GNU strerror_r returns the text; the XSI one fills the buffer.
[[maybe_unused]] const char *pickText(const char *text, const char *)
{
    return text;
}
[[maybe_unused]] const char *pickText(int result, const char *buffer)
{
    return result == 0 ? buffer : nullptr;
}

} // namespace

QString systemErrorText(int errorNumber)
{
    char buffer[256] = {};
#if defined(Q_OS_WIN)
    const char *text = ::strerror_s(buffer, sizeof buffer, errorNumber) == 0 ? buffer : nullptr;
#else
    const char *text = pickText(::strerror_r(errorNumber, buffer, sizeof buffer), buffer);
#endif
    if (text == nullptr || *text == '\0')
        return QStringLiteral("system error %1").arg(errorNumber);
    return QString::fromLocal8Bit(text);
}
