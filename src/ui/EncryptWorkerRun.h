#pragma once

#include <functional>

// Runs a piece of heavy work on a thread of its own while the calling
// (user-interface) thread keeps handling its events in a local event loop,
// and returns when the work is done. An error thrown by the work is thrown
// again here, on the calling thread.
//
// The work must not touch widgets; whatever it has to show goes back to the
// user-interface thread through queued calls.
namespace EncryptWorkerRun {

void run(const std::function<void()> &work);

} // namespace EncryptWorkerRun
