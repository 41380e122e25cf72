#pragma once
// A document file, its text and its lines each fill buffers of many megabytes, written once from
// start to end. Every first touch of a small memory page costs a fault, and those faults dominate
// the time a large file takes; asking for large pages on such a buffer before it is filled makes
// that several times faster. Only a hint: where the system has no large pages nothing changes.
#include <cstddef>

// Asks for large pages on the untouched buffer Data of Size bytes. Small buffers are left alone.
void AdviseLargePages(const void *Data, std::size_t Size);
