// Counts the program's heap allocations: countingAllocator.cpp replaces the
// global operator new (plain malloc underneath), so it goes into a program of
// its own, a test or a benchmark that checks a frame allocates nothing.
#pragma once

namespace zorbel {

// Allocations through operator new since the program started.
long heapAllocations();

}  // namespace zorbel
