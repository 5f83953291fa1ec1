// What a settings file costs in memory to read and write, whatever it holds: a damaged file of
// nothing but line ends must not cost many times its size. Allocations are counted through the
// address sanitizer's hooks, which see every allocation of the process; the test build always
// has the sanitizer (elsewhere the test is skipped).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "app/settings_file.h"
#include "settings_test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define VANTREL_COUNTS_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTREL_COUNTS_ALLOCATIONS 1
#endif
#endif

#ifdef VANTREL_COUNTS_ALLOCATIONS
// The sanitizer runtime's own interface (its header is not installed with every compiler).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*allocate)(const volatile void*, std::size_t),
                                              void (*free)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#endif

namespace {

using test_support::TempFolder;
using test_support::WriteBytes;

#ifdef VANTREL_COUNTS_ALLOCATIONS
std::atomic<bool> counting{false};
std::atomic<std::int64_t> inUse{0}, highest{0};

void OnAllocate(const volatile void*, std::size_t size) {
    if (!counting.load(std::memory_order_relaxed)) return;
    const std::int64_t now = inUse += static_cast<std::int64_t>(size);
    for (std::int64_t seen = highest.load();
         now > seen && !highest.compare_exchange_weak(seen, now);) {
    }
}

void OnFree(const volatile void* pointer) {
    if (!counting.load(std::memory_order_relaxed)) return;
    inUse -= static_cast<std::int64_t>(__sanitizer_get_allocated_size(pointer));
}

// The most memory in use at once while work runs, counted from its start.
template <typename Work>
std::int64_t PeakAllocation(Work work) {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks(OnAllocate, OnFree) != 0;
    if (!installed) return -1;
    inUse = 0;
    highest = 0;
    counting = true;
    work();
    counting = false;
    return highest.load();
}
#endif

// Reads the file, then writes one key, and tells the peak in multiples of the file's size.
double PeakPerFileByte(const std::string& bytes) {
#ifdef VANTREL_COUNTS_ALLOCATIONS
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, bytes);
    const std::int64_t peak = PeakAllocation([&] {
        app::SettingsFile settings(path);
        (void)settings.ReadInt("List", "Total", 0);
        (void)settings.WriteInt("List", "Total", 1);
    });
    return static_cast<double>(peak) / static_cast<double>(bytes.size());
#else
    (void)bytes;
    return -1;
#endif
}

// Large enough that a cost per line shows (tens of bytes a line would be tens of times the file),
// small enough for a sanitized Debug build to parse quickly.
constexpr std::size_t kFileBytes = 2u << 20;

std::string Repeated(const std::string& line) {
    std::string bytes;
    bytes.reserve(kFileBytes + line.size());
    while (bytes.size() < kFileBytes) bytes += line;
    return bytes;
}

TEST(SettingsMemory, LinesThatHoldNoReadableKeyCostLittleMoreThanTheFileItself) {
#ifndef VANTREL_COUNTS_ALLOCATIONS
    GTEST_SKIP() << "allocations are counted only in sanitized builds";
#endif
    // The file is held once as read, once as written, and the peak needs both; nothing per line.
    // Blank lines, headers without a name, and one key repeated (only the first is read).
    for (const std::string line : {"\n", "\r", "[\n", "[List]\nk=\n"}) {
        const double peak = PeakPerFileByte(Repeated(line));
        EXPECT_GT(peak, 0.0);
        EXPECT_LT(peak, 3.0) << "lines of \"" << line << "\"";
    }
}

TEST(SettingsMemory, DistinctKeysAndSectionsCostASmallMultipleOfTheFile) {
#ifndef VANTREL_COUNTS_ALLOCATIONS
    GTEST_SKIP() << "allocations are counted only in sanitized builds";
#endif
    std::string keys = "[List]\n", sections;
    for (std::uint32_t n = 0; keys.size() < kFileBytes; ++n)
        keys += "IP" + std::to_string(n) + "=\n";
    for (std::uint32_t n = 0; sections.size() < kFileBytes; ++n)
        sections += "[" + std::to_string(n) + "]\n";
    // Measured: 8 and 9 times the file: each line of about 9 bytes is recorded (20 bytes) and
    // named in the hash table (12 to 32 bytes), besides the file as read and as written.
    for (const std::string* bytes : {&keys, &sections}) {
        const double peak = PeakPerFileByte(*bytes);
        EXPECT_GT(peak, 0.0);
        EXPECT_LT(peak, 12.0) << bytes->substr(0, 20);
    }
}

}  // namespace
