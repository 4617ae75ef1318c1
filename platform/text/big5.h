// Big5 (code page 950) byte strings: conversion for display and safe cutting.
#pragma once

#include <string>
#include <string_view>

namespace tavrix::text {

inline bool isBig5Lead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
inline bool isBig5Trail(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFE);
}

// Length in bytes of the character that starts at s[i]: 2 for a lead byte
// followed by a valid second byte, else 1.
inline size_t big5CharLength(std::string_view s, size_t i) {
  return (i + 1 < s.size() && isBig5Lead(s[i]) && isBig5Trail(s[i + 1])) ? 2 : 1;
}

// The longest prefix of at most `width` bytes that does not end in the middle
// of a double-byte character.
std::string_view cutToWidth(std::string_view s, size_t width);

// Unmappable input becomes "?" in both directions.
std::string big5ToUtf8(std::string_view big5);
std::string utf8ToBig5(std::string_view utf8);

// Program texts are written in UTF-8 in the source; this gives their Big5 bytes.
inline std::string B5(std::string_view utf8) {
  return utf8ToBig5(utf8);
}

}  // namespace tavrix::text
