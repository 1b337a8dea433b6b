// Small helpers shared by the tests that save bitmaps to files.
#ifndef MORVANE_TESTS_SAVE_HELPERS_H_
#define MORVANE_TESTS_SAVE_HELPERS_H_

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/scratch.h"

namespace morvane_test {

using Names = std::vector<std::string>;

// The content of an earlier file that a failed save must leave alone.
inline std::vector<uint8_t> OldBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
  return bytes;
}

inline std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadBytes(path, &bytes)) << path;
  return bytes;
}

// An ASCII path in UTF-16.
inline std::u16string Widen(const std::string& ascii) {
  std::u16string out;
  for (char c : ascii) {
    EXPECT_GE(c, 0) << ascii;
    out += static_cast<char16_t>(c);
  }
  return out;
}

inline unsigned ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

}  // namespace morvane_test

#endif  // MORVANE_TESTS_SAVE_HELPERS_H_
