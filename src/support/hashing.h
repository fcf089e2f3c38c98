// Hashes for the compiler's tables: names, paths and archive members. Each mixes every byte, so
// names that differ in one character anywhere (f0 ... f99999, generated parsers' tables) spread
// over the buckets of a table whose size is a power of two.
#pragma once

#include <cstdint>
#include <cstring>

// Eight bytes at a time, a multiply and a fold per word; the tail is read as two overlapping
// loads, never a byte at a time.
inline uint64_t hashBytes(const void* data, size_t length) {
  constexpr uint64_t MULTIPLIER = 0x9E3779B97F4A7C15ull;
  const auto* p = static_cast<const unsigned char*>(data);
  auto mix = [](uint64_t hash, uint64_t word) {
    __uint128_t product = static_cast<__uint128_t>(hash ^ word) * MULTIPLIER;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
  };
  auto load64 = [](const unsigned char* at) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
  };
  auto load32 = [](const unsigned char* at) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return static_cast<uint64_t>(word);
  };
  uint64_t hash = 0x243F6A8885A308D3ull ^ (length * MULTIPLIER);
  if (length > 8) {
    for (; length > 8; length -= 8, p += 8) hash = mix(hash, load64(p));
    // The last eight bytes, some of them hashed already.
    return mix(hash, load64(p + length - 8));
  }
  uint64_t word;
  if (length >= 4)
    word = load32(p) << 32 | load32(p + length - 4);
  else if (length > 0)
    word = static_cast<uint64_t>(p[0]) << 16 | static_cast<uint64_t>(p[length / 2]) << 8 | p[length - 1];
  else
    word = 0;
  return mix(hash, word);
}

// Two keys that are pointers (a parent record and an interned name) as one hash.
inline uint64_t hashPointers(const void* a, const void* b) {
  uint64_t key = reinterpret_cast<uintptr_t>(a) * 0x9E3779B97F4A7C15ull ^ reinterpret_cast<uintptr_t>(b);
  key ^= key >> 29;
  key *= 0xBF58476D1CE4E5B9ull;
  return key ^ (key >> 32);
}
