// Reading the two-member card record line by hand; anything unexpected
// hands the line back to the parser.
#include "capture/quick_card_record.h"

#include <string>

namespace corvane::capture {

namespace {

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  void SkipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
  }

  // The character (after spaces), taken; false when another stands there.
  bool Take(char c) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  // A quoted name exactly as given, then its colon.
  bool TakeName(std::string_view quotedName) {
    SkipSpace();
    if (text_.substr(at_, quotedName.size()) != quotedName) {
      return false;
    }
    at_ += quotedName.size();
    return Take(':');
  }

  // A JSON string as Latin-1 bytes; false for anything the parser should
  // judge (a character above U+00FF, a raw control byte, a bad escape).
  bool TakeLatin1String(std::string& out) {
    if (!Take('"')) {
      return false;
    }
    out.clear();
    while (at_ < text_.size()) {
      const auto byte = static_cast<unsigned char>(text_[at_++]);
      if (byte == '"') {
        return true;
      }
      if (byte == '\\') {
        if (!TakeEscape(out)) {
          return false;
        }
      } else if (byte < 0x20) {
        return false;
      } else if (byte < 0x80) {
        out += static_cast<char>(byte);
      } else if ((byte == 0xC2 || byte == 0xC3) && at_ < text_.size() &&
                 (static_cast<unsigned char>(text_[at_]) & 0xC0) == 0x80) {
        out += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(text_[at_++]) & 0x3F));
      } else {
        return false;
      }
    }
    return false;
  }

  [[nodiscard]] bool AtEnd() {
    SkipSpace();
    return at_ == text_.size();
  }

 private:
  bool TakeEscape(std::string& out) {
    if (at_ >= text_.size()) {
      return false;
    }
    const char kind = text_[at_++];
    switch (kind) {
      case '"':
      case '\\':
      case '/':
        out += kind;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        return TakeCodePoint(out);
      default:
        return false;
    }
  }

  // "\u00e9": four hex digits, a code point of Latin-1 only.
  bool TakeCodePoint(std::string& out) {
    if (at_ + 4 > text_.size()) {
      return false;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) {
        return false;
      }
      value = value * 16 + static_cast<unsigned>(digit);
    }
    if (value > 0xFF) {
      return false;
    }
    out += static_cast<char>(value);
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<CaptureRecord> QuickCardRecord(std::string_view line) {
  Cursor cursor(line);
  std::string utcText;
  CaptureRecord record;
  if (!cursor.Take('{') || !cursor.TakeName("\"utc\"") || !cursor.TakeLatin1String(utcText) || !cursor.Take(',') ||
      !cursor.TakeName("\"txt\"") || !cursor.TakeLatin1String(record.txt) || !cursor.Take('}') || !cursor.AtEnd()) {
    return std::nullopt;
  }
  const auto utc = ParseUtc(utcText);
  if (!utc) {
    return std::nullopt;
  }
  record.utc = *utc;
  return record;
}

}  // namespace corvane::capture
