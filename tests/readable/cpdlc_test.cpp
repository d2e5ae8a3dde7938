// CPDLC messages of the shared capture of real traffic in words. The
// messages below were read by hand, bit by bit, from the hex data behind the
// envelope (header bits, element numbers in 8 bits, each parameter's bits)
// before the decoder existed; the words they give are checked against what
// else the traffic says (the free text naming the same HF band, a deviation
// answered by a rejoin time after the uplink was sent).
#include "readable/cpdlc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "real_messages.h"

namespace corvane::readable {
namespace {

using Texts = std::vector<std::string>;

class CpdlcMessages : public RealMessages {
 protected:
  Texts TextsOf(const Decoding& decoding, const std::string& name) {
    const Value* value = FieldOf(decoding, name);
    return value != nullptr && std::holds_alternative<Texts>(*value) ? std::get<Texts>(*value) : Texts{};
  }
};

// Line 929, "E18448B9520E1514A53F80" (AA): 1 (more elements), 1 (reference),
// 1 (timestamp), 000011 (message 3), 000010 (answers 2), 00100 100010 111001
// (04:34:57), 01010010 (UM82), 0 0001110 (15 NM), 0001 (RIGHT), 01 (two more),
// 01000101 (UM69) 00101 001010 (0510Z), 01111111 (UM127), 7 zero bits.
TEST_F(CpdlcMessages, HandReadMessagesGiveTheirWordsAndFields) {
  const auto deviation = DecodeLine(929);
  ASSERT_TRUE(deviation);
  EXPECT_EQ(TextsOf(*deviation, "cpdlc_elements"), (Texts{"UM82", "UM69", "UM127"}));
  EXPECT_EQ(TextsOf(*deviation, "cpdlc_text"),
            (Texts{"CLEARED TO DEVIATE UP TO 15 NM RIGHT OF ROUTE", "REJOIN ROUTE BY 0510Z", "REPORT BACK ON ROUTE"}));
  EXPECT_EQ(NumberOf(*deviation, "cpdlc_message_id"), 3);
  EXPECT_EQ(NumberOf(*deviation, "cpdlc_reference_id"), 2);
  EXPECT_EQ(TextOf(*deviation, "sent_time"), "04:34:57");

  // A unit by name (1, length 4 less 3 in 4 bits, 7-bit letters), its
  // function (111 CONTROL) and VHF (01, 15 bits above 117,000 kHz).
  const auto contact = DecodeLine(735);
  ASSERT_TRUE(contact);
  EXPECT_EQ(contact->text,
            "Ground station: FUKJJYA\r\nRegistration: N583UP\r\nMessage number: 1\r\nSent: 13:13:43\r\n"
            "Elements: UM117\r\nMessage: CONTACT KOBE CONTROL 135.650\r\nUnit: KOBE CONTROL\r\n"
            "Frequency: 135.650 MHz\r\n");

  // Flight level: choice 110, 10 bits above FL30; a second element after it.
  const auto descend = DecodeLine(942);
  ASSERT_TRUE(descend);
  EXPECT_EQ(TextsOf(*descend, "cpdlc_text"), (Texts{"DESCEND TO AND MAINTAIN FL410", "REPORT LEVEL FL410"}));
  EXPECT_EQ(NumberOf(*descend, "cpdlc_altitude_ft"), 41000);

  // HF (00, 15 bits above 2,850 kHz): 5628 kHz, the band the free text
  // after it names a second frequency of; the squawk in four 3-bit digits.
  const auto tokyo = DecodeLine(932);
  ASSERT_TRUE(tokyo);
  EXPECT_EQ(TextsOf(*tokyo, "cpdlc_text"), (Texts{"RADAR SERVICES TERMINATED", "SQUAWK 2000",
                                                  "CONTACT TOKYO CENTER 5628 KHZ", "SECONDARY FREQUENCY 2932KHZ"}));
  EXPECT_EQ(NumberOf(*tokyo, "frequency_mhz"), 5.628);
  EXPECT_EQ(TextOf(*tokyo, "transponder_code"), "2000");

  // Downlink element numbers take 8 bits too: "...03" is ROGER (DM3).
  EXPECT_EQ(TextsOf(*DecodeLine(564), "cpdlc_text"), Texts{"ROGER"});
  // The connection request names the facility and its transport table;
  // the confirmation gives the aircraft's CPDLC version.
  EXPECT_EQ(TextsOf(*DecodeLine(998), "cpdlc_text"), Texts{"GOOO TP4 TABLE B"});
  EXPECT_EQ(TextsOf(*DecodeLine(284), "cpdlc_text"), Texts{"VERSION 1"});
  // Relayed under label HX behind "H1 MBB /AA ".
  EXPECT_EQ(TextsOf(*DecodeLine(2122), "cpdlc_text"), Texts{"END SERVICE"});
  // Line 44 is an H1 envelope with no prefix: its block id 5 (a digit: the
  // aircraft's) makes it a downlink, "00" element 0, WILCO. Without the id
  // the direction is unknown and only the header is read.
  EXPECT_EQ(TextsOf(*DecodeLine(44), "cpdlc_text"), Texts{"WILCO"});
  const auto& [label, text] = messages_[43];
  EXPECT_EQ(FieldOf(*Decode({label, "2", text, {}, {}, {}}, tables_), "cpdlc_elements"), nullptr);
  // A disconnection's error, "228A214F8E" (line 578): 0, 01 (timestamp, no
  // reference), 000101 (message 5), 00010 100010 000101 (02:34:05), 00111110
  // (DM62), 00111 (error 7), one zero bit.
  EXPECT_EQ(TextsOf(*DecodeLine(578), "cpdlc_text"), Texts{"ERROR 7"});
}

// Every CPDLC message of the capture with data is read to its last element.
TEST_F(CpdlcMessages, EveryCapturedMessageIsReadToItsLastElement) {
  std::set<std::size_t> headerOnly;
  std::size_t read = 0;
  for (std::size_t line = 1; line <= messages_.size(); ++line) {
    const auto decoding = DecodeLine(line);
    if (!decoding || !decoding->kind.starts_with("cpdlc_") || FieldOf(*decoding, "cpdlc_message_id") == nullptr) {
      continue;
    }
    if (FieldOf(*decoding, "cpdlc_elements") == nullptr) {
      headerOnly.insert(line);
    } else {
      ++read;
    }
  }
  EXPECT_EQ(read, 125U);
  EXPECT_EQ(headerOnly, std::set<std::size_t>{});
}

// A cut message, or bits left over after its last element, gives no words.
TEST_F(CpdlcMessages, TruncatedOrOverlongDataIsRefused) {
  const std::vector<std::uint8_t> data = {0xE1, 0x84, 0x48, 0xB9, 0x52, 0x0E, 0x15, 0x14, 0xA5, 0x3F, 0x80};
  const auto whole = cpdlc::ReadMessage(data, cpdlc::Link::kUplink);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->elementIds.size(), 3U);
  for (std::size_t length = 0; length < data.size(); ++length) {
    const auto cut = cpdlc::ReadMessage(std::span(data).first(length), cpdlc::Link::kUplink);
    EXPECT_TRUE(!cut || cut->elementIds.empty()) << length;
    EXPECT_EQ(cut.has_value(), length >= 4) << length;  // the header takes 29 bits
  }
  std::vector<std::uint8_t> longer = data;
  longer.push_back(0);
  EXPECT_TRUE(cpdlc::ReadMessage(longer, cpdlc::Link::kUplink)->elementIds.empty());
  std::vector<std::uint8_t> padded = data;
  padded.back() |= 1;  // a padding bit set
  EXPECT_TRUE(cpdlc::ReadMessage(padded, cpdlc::Link::kUplink)->elementIds.empty());
  // Every element of both message sets has one place in its words for each
  // parameter, and the sets end where FANS-1/A's do.
  for (const auto& [link, last] : {std::pair{cpdlc::Link::kUplink, 182}, std::pair{cpdlc::Link::kDownlink, 80}}) {
    for (int number = 0; number <= last; ++number) {
      const cpdlc::ElementForm* form = cpdlc::FindElement(link, number);
      ASSERT_NE(form, nullptr) << number;
      EXPECT_GT(std::strlen(form->words), 0U) << number;
      EXPECT_EQ(static_cast<std::size_t>(std::count(form->words, form->words + std::strlen(form->words), '@')),
                form->params.size())
          << number;
    }
    EXPECT_EQ(cpdlc::FindElement(link, last + 1), nullptr);
  }
  // Without a direction only the header is read.
  const auto unknown = cpdlc::ReadMessage(data, std::nullopt);
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->messageId, 3);
  EXPECT_TRUE(unknown->elementIds.empty());
}

}  // namespace
}  // namespace corvane::readable
