#pragma once

#include <QString>

#include <cstddef>
#include <span>

// The operating system's random source (getrandom on Linux), the one source
// of the program's secrets. It waits, once after boot, until the system's
// pool is ready; after that it never runs dry and never yields weak bytes.
namespace SystemRandom {

// Fills bytes completely. Returns false, with the system's own words in
// *reason, when the system refused; the bytes are then not to be used.
bool fill(std::span<std::byte> bytes, QString *reason = nullptr);

} // namespace SystemRandom
