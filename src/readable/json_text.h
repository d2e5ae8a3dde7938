// Writing JSON text straight into a buffer, without a document tree, for the
// objects built on every accepted message (the readable object, LiveJSON).
// Every write goes through a pointer into a buffer the caller made large
// enough beforehand (each function says how much room it needs), so no
// write checks for room. Strings are card bytes: each byte becomes the code
// point of the same value (U+0000 to U+00FF), as in every JSON Corvane
// writes; PutUtf8String is for UTF-8 names that are not card bytes.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace corvane::readable::json {

// The longest a card byte becomes in a JSON string: "\u00XX".
constexpr std::size_t kLongestEscape = 6;
// Room for one number, and for the punctuation around one member or value.
constexpr std::size_t kNumberRoom = 32;
constexpr std::size_t kMemberRoom = 24;

// The text as it is; an empty view may hold no pointer, which memcpy may not
// be given.
inline char* Put(char* at, std::string_view text) {
  if (!text.empty()) {
    std::memcpy(at, text.data(), text.size());
  }
  return at + text.size();
}

// A literal: its length is known, so the copy compiles to a few moves.
template <std::size_t N>
char* PutLiteral(char* at, const char (&text)[N]) {
  std::memcpy(at, text, N - 1);
  return at + (N - 1);
}

// Room for the bytes as a quoted string: two quotes, each byte at its
// longest, and the 8 bytes the last escape writes.
inline std::size_t StringRoom(std::string_view bytes) { return 2 + kLongestEscape * bytes.size() + 8; }

// True when every byte goes into a JSON string as it is.
bool AllPlain(std::string_view bytes);
// The card bytes as the inside of a JSON string; needs StringRoom(bytes).
char* PutEscaped(char* at, std::string_view bytes);
// The card bytes as a quoted JSON string; needs StringRoom(bytes).
char* PutString(char* at, std::string_view bytes);
// A UTF-8 name as a quoted JSON string: its characters as they are, a byte
// that is not UTF-8 as U+FFFD; needs StringRoom(text).
char* PutUtf8String(char* at, std::string_view text);
// A number: a whole number as an integer ("36969", never "36969.0" nor
// "-0"), any other as the shortest text that reads back the same; not a
// number or infinite as null. Needs kNumberRoom.
char* PutNumber(char* at, double value);
// A whole number; needs kNumberRoom.
char* PutCount(char* at, long long count);
// An identifier of ours (lower-case letters, digits, "_") quoted as it is;
// anything else escaped like any text. Needs StringRoom(name).
char* PutName(char* at, std::string_view name);

// "name":"value", with the comma after it; names are plain identifiers.
// Needs kMemberRoom + StringRoom(value).
template <std::size_t N>
char* PutMember(char* at, const char (&name)[N], std::string_view value) {
  *at++ = '"';
  at = PutLiteral(at, name);
  at = PutLiteral(at, "\":");
  at = PutString(at, value);
  *at++ = ',';
  return at;
}

// Runs put on a buffer of at least room bytes and appends what it wrote to
// out. The buffer is kept per thread and only ever grows, so the usual
// message costs neither an allocation nor clearing the room.
char* ScratchBuffer(std::size_t room);
template <typename PutFunction>
void AppendWithin(std::string& out, std::size_t room, PutFunction put) {
  char* const buffer = ScratchBuffer(room);
  const char* const end = put(buffer);
  out.append(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace corvane::readable::json
