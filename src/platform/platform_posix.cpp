// Linux (and any other standard-library host): threads, sleeping and the clock
// come from the standard library.
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace platform {

bool startDetachedThread(void (*entry)(void*), void* argument) {
    try {
        std::thread(entry, argument).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void sleepMilliseconds(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t millisecondClock() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Truncation to 32 bits is the point: callers take unsigned differences.
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t roundedUp(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* allocateTable(size_t bytes) {
    // Mapped with a huge page to spare, then trimmed to start on one, so that
    // huge pages can back all of it.
    const size_t size = roundedUp(bytes);
    if (size < bytes || size + kHugePage < size) return nullptr;
    void* mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) munmap(mapped, aligned - start);
    if (const uintptr_t end = aligned + size; end < start + size + kHugePage)
        munmap(reinterpret_cast<void*>(end), start + size + kHugePage - end);
    return reinterpret_cast<void*>(aligned);
}

void preferHugePages(void* block, size_t bytes) {
#ifdef MADV_HUGEPAGE
    madvise(block, roundedUp(bytes), MADV_HUGEPAGE);  // only advice: small pages do, slower
#else
    (void)block;
    (void)bytes;
#endif
}

void releaseTable(void* block, size_t bytes) {
    if (block != nullptr) munmap(block, roundedUp(bytes));
}

uint64_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

bool isTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void readBytesAsTheyAre(std::FILE*) {}

}  // namespace platform
