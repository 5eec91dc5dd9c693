// While a GuardedAllocations object lives, every array allocation of the test program ends
// exactly at an inaccessible page, so that reading one byte past its end faults at once. Our
// parser dependency is not instrumented by the sanitizers: this is how its reads are checked.
#pragma once

class GuardedAllocations {
public:
    GuardedAllocations();
    ~GuardedAllocations();
    GuardedAllocations(const GuardedAllocations&) = delete;
    GuardedAllocations& operator=(const GuardedAllocations&) = delete;
};
