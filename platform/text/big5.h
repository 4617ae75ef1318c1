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

// Unmappable input becomes "?" in both directions. big5ToUtf8 also shows
// the names that nameInBig5 kept whole.
std::string big5ToUtf8(std::string_view big5);
std::string utf8ToBig5(std::string_view utf8);

// A file or folder name (UTF-8) to put into a Big5 text, such as a message:
// what Big5 has becomes Big5, and each character it lacks is kept whole, in
// UTF-8 between two 0xFF bytes (a byte Big5 never uses). A UTF-8 display
// then shows the name as it is; a Big5 file shows "?" (big5ForFile). An
// ASCII name stays as it is.
std::string nameInBig5(std::string_view utf8);

// The text as a Big5 file holds it: every character kept by nameInBig5
// becomes "?".
std::string big5ForFile(std::string_view big5);

// Big5 without kept names to UTF-8: each system's own conversion.
std::string plainBig5ToUtf8(std::string_view big5);

// Program texts are written in UTF-8 in the source; this gives their Big5 bytes.
inline std::string B5(std::string_view utf8) {
  return utf8ToBig5(utf8);
}

}  // namespace tavrix::text
