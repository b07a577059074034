// Buffers for the routine under test, followed by canary bytes that must
// survive the call: a write past the buffer's size shows as a spoilt canary.
#ifndef VEL_TEST_COMMON_CANARY_H
#define VEL_TEST_COMMON_CANARY_H

#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

const unsigned char kCanary = 0xBD;

// 1 when bytes from..to-1 of buffer still hold the canary.
inline bool CanaryIntact(const void *buffer, size_t from, size_t to)
{
    const unsigned char *bytes = (const unsigned char *)buffer;
    for (size_t i = from; i < to; i++)
        if (bytes[i] != kCanary)
            return false;
    return true;
}

// For the fuzzers: a spoilt canary ends the run as a finding.
inline void RequireCanary(const void *buffer, size_t from, size_t to)
{
    if (!CanaryIntact(buffer, from, to))
        abort();
}

// `size` usable bytes, optionally holding a text first, then 32 canary bytes.
struct Guarded {
    explicit Guarded(size_t usable) : bytes(usable + 32, (char)kCanary), size(usable) {}
    Guarded(size_t usable, const std::string &initial)
        : bytes(usable + initial.size() + 32, (char)kCanary), size(usable)
    {
        memcpy(bytes.data(), initial.c_str(), initial.size() + 1);
    }
    char *text() { return bytes.data(); }
    bool intact() const { return CanaryIntact(bytes.data(), size, bytes.size()); }

    std::vector<char> bytes;
    size_t size;
};

#endif
