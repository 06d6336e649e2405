// What the fuzz targets share: turning the fuzzer's bytes into text, and a
// check that ends the run loudly when a property does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// The bytes as UTF-8, where a byte that starts no valid sequence stands for
// itself (as Latin-1), so every input gives a text and every character of the
// Basic Multilingual Plane and beyond can be reached.
inline std::wstring FuzzWide(const uint8_t* data, size_t size)
{
    std::wstring text;
    for (size_t i = 0; i < size;) {
        const uint8_t lead = data[i];
        const size_t length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 1;
        char32_t c = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : length == 2 ? lead & 0x1F : lead;
        bool valid = length > 1 && i + length <= size;
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (data[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (data[i + k] & 0x3F);
        }
        valid = valid && c <= 0x10FFFF && !(c >= 0xD800 && c < 0xE000) &&
                c >= (length == 4 ? 0x10000u : length == 3 ? 0x800u : 0x80u);
        if (valid) {
            text += static_cast<wchar_t>(c);
            i += length;
        } else {
            text += static_cast<wchar_t>(lead);
            ++i;
        }
    }
    return text;
}
