#include "platform/FullWrite.h"

#include <cerrno>
#include <unistd.h>

bool writeAll(int descriptor, std::span<const char> bytes)
{
    while (!bytes.empty()) {
        const ssize_t part = ::write(descriptor, bytes.data(), bytes.size());
        if (part < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (part == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes = bytes.subspan(size_t(part));
    }
    return true;
}
