// While a FailingAllocations object lives, every operator new of the test program throws
// std::bad_alloc, as when memory has run out.
#pragma once

class FailingAllocations {
public:
    FailingAllocations();
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};
