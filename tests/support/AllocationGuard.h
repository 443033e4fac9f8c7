#pragma once

#include <cstddef>

namespace Tavo::Testing
{
/** Counts the heap allocations made on the current thread while it exists.
    The test binary replaces the global allocation functions to count them. */
class AllocationGuard
{
public:
    AllocationGuard();
    ~AllocationGuard();

    std::size_t allocations() const;

private:
    std::size_t countAtStart;
    bool wasGuarding;
};
} // namespace Tavo::Testing
