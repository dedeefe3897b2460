#pragma once

// The personal key and typed passwords live in the program's memory; a core
// dump would write them to the disk. Both programs call this first thing:
// the core file size limit goes to 0 and, on Linux, the process is marked not
// dumpable (which also keeps other processes of the user from reading its
// memory through ptrace or /proc). Returns false when the system refused.
namespace CoreDumps {

bool disableForThisProcess();

} // namespace CoreDumps
