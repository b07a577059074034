// A buffer for the routine under test: `size` usable bytes, optionally
// holding a text first, followed by canary bytes that must survive the call.
#ifndef VEL_TEST_GUARDED_H
#define VEL_TEST_GUARDED_H

#include <stddef.h>
#include <string.h>
#include <string>
#include <vector>

const unsigned char kCanary = 0xBD;

struct Guarded {
    explicit Guarded(size_t usable) : bytes(usable + 32, (char)kCanary), size(usable) {}
    Guarded(size_t usable, const std::string &initial)
        : bytes(usable + initial.size() + 32, (char)kCanary), size(usable)
    {
        memcpy(bytes.data(), initial.c_str(), initial.size() + 1);
    }
    char *text() { return bytes.data(); }
    bool intact() const
    {
        for (size_t i = size; i < bytes.size(); i++)
            if ((unsigned char)bytes[i] != kCanary)
                return false;
        return true;
    }

    std::vector<char> bytes;
    size_t size;
};

#endif
