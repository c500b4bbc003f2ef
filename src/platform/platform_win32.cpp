// Windows: CreateThread for detached threads, Sleep, and the multimedia
// timer's timeGetTime as the millisecond clock.
#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>
// The C runtime's own: the system handle behind a stream.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <new>

#include "platform/platform.h"

namespace platform {
namespace {

// CreateThread passes one pointer; this carries the entry and its argument.
struct ThreadStart {
    void (*entry)(void*);
    void* argument;
};

DWORD WINAPI runThread(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.entry(start.argument);
    return 0;
}

}  // namespace

bool startDetachedThread(void (*entry)(void*), void* argument) {
    ThreadStart* start = new (std::nothrow) ThreadStart{entry, argument};
    if (start == nullptr) return false;
    HANDLE thread = CreateThread(nullptr, 0, runThread, start, 0, nullptr);
    if (thread == nullptr) {
        delete start;
        return false;
    }
    // Nobody waits for the thread; the handle is not needed to keep it running.
    CloseHandle(thread);
    return true;
}

// 0xFFFFFFFF is INFINITE to Sleep; callers pass limits of at most INT32_MAX.
void sleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

uint32_t millisecondClock() { return timeGetTime(); }

void* allocateTable(size_t bytes) {
    // Committed pages are zeroed and backed as they are first touched.
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void releaseTable(void* block, size_t) {
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

// Large pages need a privilege that a game has no business asking for.
void preferHugePages(void*, size_t) {}

uint64_t physicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

// The C runtime's _isatty holds every character device a terminal, the NUL
// device too; only a console has a console mode.
bool isTerminal(std::FILE* stream) {
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    DWORD mode = 0;
    return handle != -1 && GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) != 0;
}

void readBytesAsTheyAre(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

}  // namespace platform
