// The one JSON writer of a readable decoding, used by every output that
// carries it (LiveJSON, corvane-decode):
//   {"kind":"position_report","title":"Position report",
//    "fields":{"latitude":34.4283,"altitude_ft":35000,...},"text":"..."}
// Whole numbers are written as integers, lists of names as arrays of
// strings, lists of numbers as arrays of numbers, and text values (card
// bytes) with each byte as the code point of the same value.
#pragma once

#include <cstddef>
#include <string>

#include "readable/readable.h"

namespace corvane::readable {

// The object appended to out.
void AppendJson(const Decoding& decoding, std::string& out);

// For writers that build a larger object in one buffer: the most room the
// object can take, and the object written at `at` (within that room).
std::size_t JsonRoom(const Decoding& decoding);
char* PutJson(char* at, const Decoding& decoding);

}  // namespace corvane::readable
