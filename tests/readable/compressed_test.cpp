// Compressed messages: the MIAM frames and OHMA messages of the shared
// capture, frames built here around known inner messages, and damaged,
// oversize and garbage frames, which must be refused without a guess.
#include <gtest/gtest.h>
#include <zlib.h>

#include <set>

#include "readable/miam.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

std::string RawDeflate(const std::string& text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string Base85(const std::string& bytes) {
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += 4) {
    const std::size_t count = std::min<std::size_t>(4, bytes.size() - at);
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value = value << 8 | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
    }
    std::string group(5, '!');
    for (int i = 4; i >= 0; --i, value /= 85) {
      group[static_cast<std::size_t>(i)] = static_cast<char>('!' + value % 85);
    }
    out += group.substr(0, count + 1);
  }
  return out;
}

// A data frame as an aircraft sends it, around an inner label and text.
std::string MiamText(const std::string& label, const std::string& sublabel, const std::string& text) {
  const std::string body = RawDeflate(text);
  const std::size_t headerSize = 18 + label.size() + sublabel.size();
  const std::size_t length = headerSize + body.size();
  std::string header = {'\x01', static_cast<char>(length >> 16), static_cast<char>(length >> 8),
                        static_cast<char>(length)};
  header += ".N123AB";
  header += {'\x2A', '\0', sublabel.empty() ? '\x40' : '\x41'};
  header += label + sublabel;
  const std::uint32_t crc = Crc32MsbFirst(text);
  for (int shift = 24; shift >= 0; shift -= 8) {
    header.push_back(static_cast<char>(crc >> shift));
  }
  header.resize((header.size() + 3) / 4 * 4, '\0');
  return "T02" + Base85(header) + "|" + Base85(body);
}

class CompressedMessages : public RealMessages {
 protected:
  std::optional<Decoding> DecodeText(const std::string& label, const std::string& text) {
    return Decode({label, "2", text, {}}, tables_);
  }
};

TEST_F(CompressedMessages, CaptureFramesAndOhmaMessagesInflateAndCheck) {
  std::size_t frames = 0;
  std::multiset<std::string> kinds;
  std::set<std::string> innerLabels;
  for (const auto& [label, text] : messages_) {
    frames += label == "MA" ? 1 : 0;
    const auto decoding = DecodeText(label, text);
    if (!decoding || TextOf(*decoding, "compressed").empty()) {
      continue;
    }
    kinds.insert(std::string(decoding->kind));
    EXPECT_EQ(TextOf(*decoding, "compressed"), label == "MA" ? "MIAM" : "OHMA");
    if (label == "MA" && decoding->kind != "miam_acknowledgement") {
      innerLabels.insert(TextOf(*decoding, "compressed_label") + TextOf(*decoding, "compressed_sublabel"));
    } else if (decoding->kind == "onboard_health_message") {
      EXPECT_TRUE(TextOf(*decoding, "decompressed_text").starts_with("{\"version\":\"2.0\""));
    }
  }
  // Of 14 frames, 5 acknowledgements and 2 single transfers are whole; the
  // rest are frames continued in later texts, or those texts. Of 4 OHMA
  // messages, 2 end in the middle of their zlib stream.
  EXPECT_EQ(frames, 14u);
  EXPECT_EQ(kinds.size(), 9u);
  EXPECT_EQ(kinds.count("miam_acknowledgement"), 5u);
  EXPECT_EQ(kinds.count("onboard_health_message"), 2u);
  EXPECT_EQ(innerLabels, (std::set<std::string>{"H1DF", "80"}));
  const auto spanish = DecodeFirst("MA", "T20!");
  ASSERT_TRUE(spanish);
  EXPECT_TRUE(TextOf(*spanish, "decompressed_text").starts_with("3D01 RMPSRV 2501/02 LEMD/MMUN .EC-NOI\n"));
  const auto acknowledgement = DecodeFirst("MA", "T.0&HDeF/kAYq0K2\"hz7");
  ASSERT_TRUE(acknowledgement);
  EXPECT_EQ(TextOf(*acknowledgement, "tail"), "HL8079");
  EXPECT_EQ(NumberOf(*acknowledgement, "miam_message_number"), 166);
}

TEST_F(CompressedMessages, InnerMessageIsDecodedUnderItsOwnLabel) {
  std::string advisory;
  std::string adsc;
  for (const auto& [label, text] : messages_) {
    if (label == "SA" && advisory.empty()) {
      advisory = text;
    } else if (label == "H1" && text.starts_with("#M1B/B6 QXHADS2.ADS.") && adsc.empty()) {
      adsc = text;
    }
  }
  const auto plain = DecodeText("SA", advisory);
  const auto wrapped = DecodeText("MA", MiamText("SA", "", advisory));
  ASSERT_TRUE(plain && wrapped);
  EXPECT_EQ(wrapped->kind, plain->kind);
  EXPECT_EQ(wrapped->text, "Compressed: MIAM, label SA\r\n" + plain->text);
  ASSERT_EQ(wrapped->fields.size(), plain->fields.size() + 3);
  EXPECT_EQ(wrapped->fields[0].name, "compressed");
  EXPECT_EQ(TextOf(*wrapped, "compressed_label"), "SA");
  EXPECT_EQ(NumberOf(*wrapped, "miam_message_number"), 42);

  const auto envelope = DecodeText("MA", MiamText("H1", "M1", adsc));
  ASSERT_TRUE(envelope);
  EXPECT_EQ(envelope->kind, "adsc_report");
  EXPECT_EQ(TextOf(*envelope, "compressed_sublabel"), "M1");
  EXPECT_EQ(TextOf(*envelope, "tail"), "N7726A");
}

TEST_F(CompressedMessages, DamagedOversizeAndGarbageFramesAreRefused) {
  // Every character of a whole frame's body changed in turn: the inflation
  // or the CRC fails each time.
  for (const std::string start : {"T02!", "T20!"}) {
    std::string frame;
    for (const auto& [label, text] : messages_) {
      if (label == "MA" && text.starts_with(start)) {
        frame = text;
      }
    }
    ASSERT_TRUE(ParseMiam(frame)) << start;
    for (std::size_t at = frame.find('|') + 1; at < frame.size(); ++at) {
      std::string damaged = frame;
      damaged[at] = damaged[at] == '!' ? '"' : static_cast<char>(damaged[at] - 1);
      EXPECT_FALSE(ParseMiam(damaged)) << start << " with character " << at << " changed";
    }
  }
  // 64 KiB inflates; one byte more is refused, however well it checks.
  EXPECT_TRUE(Inflate(RawDeflate(std::string(kMaxInflatedSize, 'A')), false, kMaxInflatedSize));
  EXPECT_FALSE(ParseMiam(MiamText("H1", "", std::string(kMaxInflatedSize + 1, 'A'))));
  EXPECT_FALSE(DecodeBase85("s8W-\"", 16)) << "a group over 2^32 - 1";
  EXPECT_FALSE(DecodeBase85(std::string(100, 'z'), 64)) << "more bytes than allowed";
  for (const std::string garbage :
       {"", "T", "T02|", "T02zzzzz|", "T02!!!!!!!!!!!!!!!!!!!!!!!!!|", "T02s8W-!s8W-!s8W-!s8W-!s8W-!|uuuuu",
        "T.0&HDeF/k.E`<*<,?zfYpS3|!!!!!", "OHMA", "OHMAeJy1", "/RTNBOCR.OHMA!!!!"}) {
    EXPECT_FALSE(ParseMiam(garbage)) << garbage;
    EXPECT_FALSE(ParseOhma(garbage)) << garbage;
  }
}

}  // namespace
}  // namespace corvane::readable
