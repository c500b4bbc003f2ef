// Windows: CreateThread for detached threads, Sleep, and the multimedia
// timer's timeGetTime as the millisecond clock.
#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>

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

}  // namespace platform
