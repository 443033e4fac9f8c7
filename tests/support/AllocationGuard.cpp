#include "support/AllocationGuard.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local bool guarding = false;
thread_local std::size_t allocationCount = 0;

void* allocate (std::size_t size)
{
    if (guarding)
        ++allocationCount;

    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    if (guarding)
        ++allocationCount;

    const auto align = static_cast<std::size_t> (alignment);
    const auto rounded = (size + align - 1) / align * align;

    if (void* p = std::aligned_alloc (align, rounded == 0 ? align : rounded))
        return p;

    throw std::bad_alloc();
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocateAligned (size, alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocateAligned (size, alignment); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }

namespace Tavo::Testing
{
AllocationGuard::AllocationGuard()
    : countAtStart (allocationCount),
      wasGuarding (guarding)
{
    guarding = true;
}

AllocationGuard::~AllocationGuard()
{
    guarding = wasGuarding;
}

std::size_t AllocationGuard::allocations() const
{
    return allocationCount - countAtStart;
}
} // namespace Tavo::Testing
