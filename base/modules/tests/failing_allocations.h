#pragma once
// Real allocation failures on demand. A program that links failing_allocations.cpp
// has its own global allocation functions (every form of new and delete, on top of
// malloc and free); while a FailingAllocations object lives, the first `allowed`
// allocations succeed and every later one fails: the throwing forms throw
// std::bad_alloc, the non-throwing forms answer null. Test assertions allocate, so
// they belong outside that lifetime.

class FailingAllocations {
public:
    explicit FailingAllocations(long allowed = 0);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // How many allocations were refused so far.
    long Refused() const;
};
