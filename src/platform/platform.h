// The few calls that differ between Windows and Linux. The Windows build uses
// CreateThread, Sleep and timeGetTime; the Linux build the standard library
// and POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace platform {

// Starts a thread that runs entry(argument) and is never waited for.
// Returns false when no thread could be started.
bool startDetachedThread(void (*entry)(void*), void* argument);

void sleepMilliseconds(uint32_t milliseconds);

// A wrapping millisecond clock: take differences as uint32_t.
uint32_t millisecondClock();

// A zeroed block for a large table, aligned to a page at least, whose memory
// is had from the system as it is first written. Null when it cannot be had;
// free it with releaseTable and the same size.
void* allocateTable(size_t bytes);
void releaseTable(void* block, size_t bytes);
// Asks for the rest of the table's memory in huge pages, where the system
// grants them: a table read at random misses the address translation on
// nearly every read of small ones. Worth it only for a long search, since a
// huge page is zeroed whole when it is first touched.
void preferHugePages(void* block, size_t bytes);

// The machine's physical memory in bytes; 0 when the system does not say.
uint64_t physicalMemoryBytes();

// Whether the stream is a terminal (a console on Windows), where a person
// reads and types, rather than a file, a pipe or the null device.
bool isTerminal(std::FILE* stream);

// Reads the stream's bytes as they are: Windows's C runtime otherwise turns
// CR LF into LF and ends the input at a Ctrl+Z.
void readBytesAsTheyAre(std::FILE* stream);

}  // namespace platform
