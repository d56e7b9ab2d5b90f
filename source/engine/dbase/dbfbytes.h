#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Byte-order helpers shared by the dBASE / FoxPro readers. Every caller has already checked that
// the bytes lie inside its buffer.
namespace vorendal::engine::dbf {

inline std::uint8_t byteAt(const char* p, std::size_t i) {
    return static_cast<std::uint8_t>(p[i]);
}

inline std::uint16_t readU16LE(const char* p) {
    return static_cast<std::uint16_t>(byteAt(p, 0) | (byteAt(p, 1) << 8));
}

inline std::uint32_t readU32LE(const char* p) {
    return static_cast<std::uint32_t>(byteAt(p, 0)) |
           (static_cast<std::uint32_t>(byteAt(p, 1)) << 8) |
           (static_cast<std::uint32_t>(byteAt(p, 2)) << 16) |
           (static_cast<std::uint32_t>(byteAt(p, 3)) << 24);
}

inline std::uint16_t readU16BE(const char* p) {
    return static_cast<std::uint16_t>((byteAt(p, 0) << 8) | byteAt(p, 1));
}

inline std::uint32_t readU32BE(const char* p) {
    return (static_cast<std::uint32_t>(byteAt(p, 0)) << 24) |
           (static_cast<std::uint32_t>(byteAt(p, 1)) << 16) |
           (static_cast<std::uint32_t>(byteAt(p, 2)) << 8) |
           static_cast<std::uint32_t>(byteAt(p, 3));
}

inline std::uint64_t readU64LE(const char* p) {
    return static_cast<std::uint64_t>(readU32LE(p)) |
           (static_cast<std::uint64_t>(readU32LE(p + 4)) << 32);
}

inline std::uint64_t readU64BE(const char* p) {
    return (static_cast<std::uint64_t>(readU32BE(p)) << 32) |
           static_cast<std::uint64_t>(readU32BE(p + 4));
}

inline double doubleFromBits(std::uint64_t bits) {
    double d = 0.0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The text up to (not including) its first zero byte.
inline std::string_view cutAtZero(std::string_view s) {
    const std::size_t z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

// s without trailing blanks.
inline std::string_view trimRightBlanks(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return s.substr(0, n);
}

} // namespace vorendal::engine::dbf
