#pragma once
// A bound on the memory of the process that holds the host (internal to the programs).
// The kernel's surface walking once took 18 GB on one pair of faces, and the system killed
// the process, its work and its files with it. Under a bound the allocation fails instead,
// the guarded cut takes that as the kernel giving up, and the next attempt made the cut.

namespace corvex::cadhost::occt {

// Bounds the process's address space to half the machine's memory, and to 8 GB at most
// (never raising a bound already set). Left alone under AddressSanitizer, which reserves far
// more than it uses.
void boundProcessMemory();

}  // namespace corvex::cadhost::occt
