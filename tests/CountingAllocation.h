// Counts what the test program holds on the heap through operator new: the bytes alive, their
// peak, and how many blocks of at least a given size are alive at once.
#pragma once

#include <cstddef>

namespace counting {

// Whether allocations are counted at all. A replaced operator new serves the whole process on
// Linux; on Windows each module keeps its own, and blocks that another module (the C++ runtime's
// DLL) allocated would come back here, so nothing is replaced there.
bool Available();

// Starts a measurement: the peak restarts from what is alive now.
void Reset(size_t bigBlock);
// The most bytes alive at once since Reset, beyond what was alive at Reset.
size_t PeakGrowth();
// The most blocks of at least bigBlock bytes alive at once since Reset.
int PeakBigBlocks();

}  // namespace counting
