#include "platform/SystemError.h"

#include <cerrno>
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
    if (errorNumber == 0)
        return QString();
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

SystemCause systemCauseOf(int errorNumber)
{
    switch (errorNumber) {
    case 0:
        return SystemCause::None;
    case ENOENT:
        return SystemCause::NotFound;
    case ENOTDIR:
        return SystemCause::NotFolder;
    case EEXIST:
        return SystemCause::Exists;
    case EACCES:
    case EPERM:
        return SystemCause::AccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return SystemCause::NoSpace;
    case ENAMETOOLONG:
        return SystemCause::NameTooLong;
    case EROFS:
        return SystemCause::ReadOnlyFileSystem;
    default:
        return SystemCause::Other;
    }
}
