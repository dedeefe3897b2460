#include "platform/SystemRandom.h"

#include "platform/SystemError.h"

#include <cerrno>
#include <sys/random.h>

namespace SystemRandom {

bool fill(std::span<std::byte> bytes, QString *reason)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        // Without flags: from the system's pool, waiting until it is ready.
        const ssize_t got = ::getrandom(bytes.data() + done, bytes.size() - done, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (reason)
                *reason = systemErrorText(errno);
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace SystemRandom
