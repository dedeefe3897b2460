#pragma once

#include <span>

// Hands all bytes to an open descriptor, going on after a signal or a write
// that took only part of them. False with errno set when the system refused;
// a write that takes no byte at all counts as a full disk (ENOSPC).
bool writeAll(int descriptor, std::span<const char> bytes);
