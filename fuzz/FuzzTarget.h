#pragma once

// One fuzz target's entry point. Built as a libFuzzer target it is LLVMFuzzerTestOneInput; built
// into the test suite (TAVI_FUZZ_REPLAY) it is an ordinary function registered under its name,
// so the suite replays the seeds and every input that ever crashed through the same code.
#include <cstddef>
#include <cstdint>

#ifdef TAVI_FUZZ_REPLAY
#include <functional>
#include <map>
#include <string>

namespace tavifuzz {
using Entry = int (*)(const std::uint8_t* data, std::size_t size);
inline std::map<std::string, Entry>& targets() {
    static std::map<std::string, Entry> all;
    return all;
}
inline bool registerTarget(const char* name, Entry entry) {
    targets()[name] = entry;
    return true;
}
} // namespace tavifuzz

#define TAVI_FUZZ_TARGET(name)                                                                               \
    static int tavifuzz_##name(const std::uint8_t* data, std::size_t size);                                  \
    [[maybe_unused]] static const bool tavifuzz_registered_##name =                                          \
        tavifuzz::registerTarget(#name, tavifuzz_##name);                                                    \
    static int tavifuzz_##name(const std::uint8_t* data, std::size_t size)
#else
#define TAVI_FUZZ_TARGET(name)                                                                               \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#endif

// A failed expectation: libFuzzer records the input, the replay test fails.
#define TAVI_FUZZ_CHECK(condition)                                                                           \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
#include <cstdio>
#include <cstdlib>
