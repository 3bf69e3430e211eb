// Helpers shared by the suites: calls through the exported entries with
// sentinel-filled buffers, so every test also checks that an error writes
// nothing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tavo32.h"

namespace tavo::test {

inline constexpr char kSentinel = '\x5A';
inline constexpr int32_t kLenSentinel = -7777;

struct Translation {
  int32_t rc;
  std::string bytes;  // the written bytes on success, empty on error
};

// Translates through BC_FontTranslate into a sentinel-filled buffer of
// `capacity` bytes (default: ample).  Asserts that an error leaves buffer and
// length untouched and that success writes exactly `len` bytes.
inline Translation Translate(int32_t symbology, std::string_view value, int32_t check = 0,
                             int32_t capacity = -1) {
  const std::string v(value);
  const size_t room = capacity < 0 ? v.size() * 8 + 64 : static_cast<size_t>(capacity);
  std::vector<char> buf(room + 16, kSentinel);
  int32_t len = kLenSentinel;
  const int32_t rc = BC_FontTranslate(symbology, v.c_str(), check, buf.data(),
                                      static_cast<int32_t>(room), &len);
  if (rc != 0) {
    EXPECT_EQ(len, kLenSentinel) << "length written on error " << rc;
    for (size_t i = 0; i < buf.size(); ++i) {
      if (buf[i] != kSentinel) {
        ADD_FAILURE() << "buffer byte " << i << " written on error " << rc;
        break;
      }
    }
    return {rc, {}};
  }
  EXPECT_GE(len, 0);
  EXPECT_LE(static_cast<size_t>(len), room);
  for (size_t i = static_cast<size_t>(len); i < buf.size(); ++i) {
    if (buf[i] != kSentinel) {
      ADD_FAILURE() << "byte " << i << " past the result written";
      break;
    }
  }
  return {rc, std::string(buf.data(), static_cast<size_t>(len))};
}

// Bytes given as decimal codes, for expectations written as the codes the
// font string holds.
inline std::string Bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s.push_back(static_cast<char>(c));
  return s;
}

// The rows of the suites' tables: a value and the font string it gives, the
// same with the check argument, or a value and the error it is refused with.
struct TranslationCase {
  std::string_view value;
  std::string want;
  const char* why;
};

struct CheckedCase {
  std::string_view value;
  int32_t check;
  std::string_view want;
  const char* why;
};

struct ErrorCase {
  std::string_view value;
  int32_t rc;
  const char* why;
};

// `n` random decimal digits.
inline std::string RandomDigits(std::mt19937& rng, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + rng() % 10));
  return s;
}

}  // namespace tavo::test
