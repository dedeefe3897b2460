#pragma once

#include <functional>

// Runs `work` on a thread of its own and waits for it in a local event loop,
// so that the windows keep repainting and taking input meanwhile. Returns the
// work's result once the thread has ended; an exception thrown by the work is
// thrown again here, on the calling thread. The work must not touch widgets.
bool runFileWorkOnThread(const std::function<bool()> &work);
