// The cabinet format's fixed numbers, its compression methods and the
// little-endian fields its tables and block headers are made of: the one
// place the reader, the writer and the codecs take them from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cab32 {

// Every data block carries one frame: at most 32 KB of a folder's bytes,
// and only the folder's last frame may be shorter.
inline constexpr std::size_t kFrameSize = 32768;
// The most compressed bytes one data block may carry (a frame plus the
// worst growth of a compressed frame).
inline constexpr std::uint32_t kMaxBlockData = kFrameSize + 6144;

// Folder index values of a member that spans cabinets.
inline constexpr std::uint16_t kContinuedFromPrevious = 0xFFFD;
inline constexpr std::uint16_t kContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kContinuedBothWays = 0xFFFF;

// Member attributes: the file attributes a cabinet keeps (read-only,
// hidden, system, archive, as Windows numbers them) and the flag of a
// name stored in UTF-8.
inline constexpr std::uint16_t kKeptAttributes = 0x01 | 0x02 | 0x04 | 0x20;
inline constexpr std::uint16_t kNameIsUtf8 = 0x80;

// The compression methods, numbered as the low 4 bits of a folder's type word.
enum class Compression : std::uint8_t { None = 0, Mszip = 1, Quantum = 2, Lzx = 3 };

// The parts of a folder's compression type word: the method (bits 0-3),
// Quantum's level (bits 4-7) and the window's size as a power of two
// (bits 8-12, LZX and Quantum).
inline constexpr unsigned TypeMethod(std::uint16_t type) { return type & 0x0Fu; }
inline constexpr unsigned TypeLevel(std::uint16_t type) { return (type >> 4) & 0x0Fu; }
inline constexpr unsigned TypeWindowBits(std::uint16_t type) { return (type >> 8) & 0x1Fu; }

// The type word of a folder the writer makes (it makes no Quantum).
inline constexpr std::uint16_t FolderCompressionType(Compression compression, int lzxWindowBits) {
    return compression == Compression::Lzx
               ? static_cast<std::uint16_t>(static_cast<unsigned>(Compression::Lzx) | (lzxWindowBits << 8))
               : static_cast<std::uint16_t>(compression);
}

inline std::uint16_t ReadLe16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t ReadLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void StoreLe16(unsigned char* p, std::uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}
inline void StoreLe32(unsigned char* p, std::uint32_t value) {
    StoreLe16(p, value);
    StoreLe16(p + 2, value >> 16);
}

inline void AppendLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendLe16(out, value);
    AppendLe16(out, value >> 16);
}

}  // namespace cab32
