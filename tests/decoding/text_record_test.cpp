// Tests of reading card text records into decoded messages.
#include "decoding/text_record.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "reference/reference_tables.h"

namespace corvane::decoding {
namespace {

using namespace std::string_literals;

const UtcTime kSampleTime{2026, 12, 7, 21, 0, 5, 5};

class TextRecordTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tables.FillBuiltinTables(); }

  std::optional<ReadMessage> Read(const std::string& record) {
    return ReadTextRecord(record, kSampleTime, tables, currentLabel);
  }

  static reference::ReferenceTables tables;
  std::string currentLabel = "unset";
};

reference::ReferenceTables TextRecordTest::tables;

TEST_F(TextRecordTest, ReadsEveryFieldOfACardRecord) {
  const auto message =
      Read("M=2  ADDR=.N8560Z TA=! ML=H1 B=2 MSN=D50A FID=WN4899\r\n7T217,8560,B737-800  \r\nline two \r\n");
  ASSERT_TRUE(message);
  const MessageRecord& r = message->record;
  EXPECT_EQ(r.Date, "261207");
  EXPECT_EQ(r.Hour, "210005.005");
  EXPECT_EQ(r.Mode, "2");
  EXPECT_EQ(r.Address, ".N8560Z");
  EXPECT_EQ(r.Flight, "WN4899");
  EXPECT_EQ(r.Label, "H1");
  EXPECT_EQ(r.Bloc, "2");
  EXPECT_EQ(r.Msn, "D50A");
  // Only spaces are trimmed: the inner and final CR LF stay.
  EXPECT_EQ(r.Data, "7T217,8560,B737-800  \r\nline two \r\n");
  EXPECT_EQ(message->PaddedAddress, ".N8560Z");
  EXPECT_EQ(message->LabelText, "Message to/from terminal");
  EXPECT_EQ(message->reportStamp, "07/12/2026 21:00:05");
  EXPECT_EQ(message->statusStamp, "07/12 21:00:05");
  EXPECT_EQ(currentLabel, "H1");
}

TEST_F(TextRecordTest, OptionalPartsMayBeMissing) {
  const auto message = Read("M=2 ADDR=N123UA TA=! ML=Q0 B=1");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Data, "");
  EXPECT_EQ(message->record.Msn, "");
  EXPECT_EQ(message->record.Flight, "");
  EXPECT_EQ(message->record.Address, "N123UA");
  EXPECT_EQ(message->PaddedAddress, ".N123UA");
  EXPECT_EQ(message->LabelText, "ACARS Link Test");
}

TEST_F(TextRecordTest, TagsAreFoundAnywhereAndInAnyOrder) {
  const auto message = Read("B=7;ML=5U;TA=A;ADDR=F-GKXA ;M=X \r\nBODY");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Mode, "X");
  EXPECT_EQ(message->record.Address, "F-GKXA");
  EXPECT_EQ(message->record.Label, "5U");
  EXPECT_EQ(message->record.Bloc, "7");
  EXPECT_EQ(message->record.Data, "BODY");
  // The first occurrence wins even inside the text: "ETA=" supplies "TA=".
  EXPECT_TRUE(Read("M=2 ADDR=N123UA ML=5Y B=1\r\nETA=1234"));
  // "ML=" does not supply "M=", so a record without it is rejected.
  EXPECT_FALSE(Read("ADDR=N123UA TA=! ML=5Y B=1\r\nTEXT"));
  // "B=" is found inside "MSN=D5B=" of a later tag when it comes first.
  const auto inner = Read("M=2 ADDR=N123UA TA=! MSN=AB=Z ML=H1 B=3");
  ASSERT_TRUE(inner);
  EXPECT_EQ(inner->record.Bloc, "Z");
}

TEST_F(TextRecordTest, EachMissingRequiredTagRejects) {
  const std::string full = "M=2 ADDR=N123UA TA=! ML=H1 B=1\r\nTEXT";
  for (const std::string tag : {"M=", "ADDR=", "TA=", "ML=", "B="}) {
    std::string record = full;
    record.replace(record.find(tag), tag.size(), tag.substr(0, tag.size() - 1) + ":");
    EXPECT_FALSE(Read(record)) << record;
  }
  EXPECT_TRUE(Read(full));
}

TEST_F(TextRecordTest, RejectionAfterTheLabelStillSetsTheCurrentLabel) {
  EXPECT_FALSE(Read("M=2 ADDR=N123UA TA=! ML=5Z\r\nno block id"));
  EXPECT_EQ(currentLabel, "5Z");
  // A rejection before the label leaves it alone.
  EXPECT_FALSE(Read("M=2 ADDR=n123ua TA=! ML=Q0 B=1"));
  EXPECT_EQ(currentLabel, "5Z");
}

TEST_F(TextRecordTest, AddressCharactersAreChecked) {
  EXPECT_FALSE(Read("M=2 ADDR=n123ua TA=! ML=H1 B=1"));
  EXPECT_FALSE(Read("M=2 ADDR=N12/3 TA=! ML=H1 B=1"));
  EXPECT_FALSE(Read("M=2 ADDR=N1 23  TA=! ML=H1 B=1"));
  EXPECT_FALSE(
      Read("M=2 ADDR=N\xC9"
           "23 TA=! ML=H1 B=1"));
  EXPECT_FALSE(Read("M=2 ADDR=N\t123 TA=! ML=H1 B=1"));
  const auto dotted = Read("M=2 ADDR=.F-GKXA TA=! ML=H1 B=1");
  ASSERT_TRUE(dotted);
  EXPECT_EQ(dotted->record.Address, ".F-GKXA");
  EXPECT_EQ(dotted->PaddedAddress, ".F-GKXA");
  // Only seven characters are taken: the eighth does not count.
  const auto longer = Read("M=2 ADDR=ABCDEFGh TA=! ML=H1 B=1");
  ASSERT_TRUE(longer);
  EXPECT_EQ(longer->record.Address, "ABCDEFG");
}

TEST_F(TextRecordTest, BlankAddressIsAcceptedAndPaddedToSixPoints) {
  const auto message = Read("M=2  ADDR=        TA=! ML=SQ B= \r\n02XAABQKABQ1ARINC");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Address, "");
  EXPECT_EQ(message->record.Bloc, "");
  EXPECT_EQ(message->PaddedAddress, "......");
  EXPECT_EQ(message->LabelText, "Squitter message");
}

TEST(PadAddress, PadsToSevenCharacters) {
  EXPECT_EQ(PadAddress("N123UA"), ".N123UA");
  EXPECT_EQ(PadAddress("F-GKXA"), ".F-GKXA");
  EXPECT_EQ(PadAddress("A"), "......A");
  EXPECT_EQ(PadAddress("ABCDEFG"), "ABCDEFG");
  EXPECT_EQ(PadAddress("..N67JE"), "..N67JE");
  EXPECT_EQ(PadAddress(""), "......");
}

TEST_F(TextRecordTest, DeleteAsSecondLabelCharacterBecomesUplinkAcknowledge) {
  const auto ack = Read("M=2 ADDR=N123UA TA=! ML=_\x7f B=1");
  ASSERT_TRUE(ack);
  EXPECT_EQ(ack->record.Label, "_ ");
  EXPECT_EQ(ack->LabelText, "Uplink Acknowledge");
  EXPECT_EQ(currentLabel, "_\x7f");
  const auto other = Read("M=2 ADDR=N123UA TA=! ML=Q\x7f B=1");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->record.Label, "_ ");
  EXPECT_EQ(currentLabel, "Q\x7f");
  // Only the second character counts.
  const auto first = Read("M=2 ADDR=N123UA TA=! ML=\x7fQ B=1");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->record.Label, "\x7fQ");
}

TEST_F(TextRecordTest, UnknownLabelIsNotInList) {
  const auto message = Read("M=2 ADDR=N123UA TA=! ML=23 B=1");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "23 (not in list)");
}

TEST_F(TextRecordTest, TerminalLabelGetsTheCodeOfItsText) {
  auto message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1\r\n#M1BPOSN47");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "Message to/from terminal - FMC - Left");
  message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1\r\n#ZZBPOS");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "Message to/from terminal - #ZZ (not in list)");
  message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1\r\nM1BPOS");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "Message to/from terminal");
  message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1\r\n#");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "Message to/from terminal");
  message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1\r\n#D");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "Message to/from terminal - #D (not in list)");
  // Other labels never take a code.
  message = Read("M=2 ADDR=N123UA TA=! ML=H2 B=1\r\n#M1B");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->LabelText, "Meteorological report");
}

TEST_F(TextRecordTest, ValuesAreTrimmedOfSpacesOnly) {
  auto message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Mode, "2");
  message = Read("M=\t2 ADDR=N123UA TA=! ML=Q0 B=1 FID= AB12  \r\n  text\t ");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Mode, "\t2");
  EXPECT_EQ(message->record.Label, "Q0");
  EXPECT_EQ(message->record.Flight, "AB12");
  EXPECT_EQ(message->record.Data, "text\t");
  // A lone LF or CR does not end the header.
  message = Read("M=2 ADDR=N123UA TA=! ML=H1 B=1\nA\rB");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Data, "");
}

TEST_F(TextRecordTest, TagsAtTheVeryEndGiveShortOrEmptyValues) {
  auto message = Read("TA=! ML=H1 ADDR=N123UA M=2 B=");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Bloc, "");
  message = Read("M=2 TA=! ML=H1 ADDR=N123UA B=1 MSN=D5");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Msn, "D5");
  message = Read("TA=! ML=H1 ADDR=N123UA B=1 M=");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Mode, "");
  message = Read("M=2 ADDR=N123UA TA=! ML=H B=1\r\n");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Label, "H");
  EXPECT_EQ(message->record.Data, "");
}

TEST_F(TextRecordTest, EightBitAndNulBytesAreKept) {
  const std::string record = "M=2 ADDR=N123UA TA=! ML=H1 B=1 FID=\xE9\x00X   \r\n\x00\xFF\x80\"'; DROP"s;
  const auto message = Read(record);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Flight, "\xE9\x00X"s);
  EXPECT_EQ(message->record.Data, "\x00\xFF\x80\"'; DROP"s);
}

TEST(Stamps, AreFormedFromOneClockReading) {
  EXPECT_EQ(DateField(kSampleTime), "261207");
  EXPECT_EQ(HourField(kSampleTime), "210005.005");
  EXPECT_EQ(ReportStamp(kSampleTime), "07/12/2026 21:00:05");
  EXPECT_EQ(StatusStamp(kSampleTime), "07/12 21:00:05");
  const UtcTime morning{2031, 1, 2, 3, 4, 9, 999};
  EXPECT_EQ(DateField(morning), "310102");
  EXPECT_EQ(HourField(morning), "030409.999");
  EXPECT_EQ(ReportStamp(morning), "02/01/2031 03:04:09");
  EXPECT_EQ(StatusStamp(morning), "02/01 03:04:09");
  const UtcTime farFuture{12026, 6, 30, 23, 59, 59, 0};
  EXPECT_EQ(DateField(farFuture),
            "02"
            "0630");
  EXPECT_EQ(ReportStamp(farFuture), "30/06/12026 23:59:59");
}

// A record's stamps are written digit by digit for the usual clock readings:
// they must equal the general formatting, at the edges of each part too.
TEST_F(TextRecordTest, ARecordCarriesTheSameStampsAsTheFormatting) {
  const UtcTime times[] = {kSampleTime,
                           {2031, 1, 2, 3, 4, 9, 999},
                           {1000, 10, 31, 23, 59, 59, 10},
                           {9999, 1, 1, 0, 0, 0, 0},
                           {12026, 6, 30, 23, 59, 59, 0},
                           {2026, 1, 1, 0, 0, 0, -1}};
  for (const UtcTime& time : times) {
    const auto message = ReadTextRecord("M=2  ADDR=.N123UA TA=! ML=H1 B=1\r\n", time, tables, currentLabel);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->record.Date, DateField(time));
    EXPECT_EQ(message->record.Hour, HourField(time));
    EXPECT_EQ(message->reportStamp, ReportStamp(time));
    EXPECT_EQ(message->statusStamp, StatusStamp(time));
  }
}

TEST(SystemClock, ReadsAPlausibleUtcTime) {
  const UtcTime now = SystemUtcNow();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LT(now.hour, 24);
  EXPECT_LT(now.minute, 60);
  EXPECT_LT(now.second, 61);
  EXPECT_LT(now.millisecond, 1000);
}

// Random bytes, tag fragments and line ends in any mix never crash the reader,
// and whatever it accepts keeps the field widths and the address rule.
TEST_F(TextRecordTest, ArbitraryBytesNeverBreakTheReader) {
  const std::string pieces[] = {"M=", "ADDR=", "TA=", "ML=",  "B=",  "MSN=", "FID=", "\r\n", "\r",
                                "\n", " ",     ".",   "\x7f", "\0"s, "\xff", "N123", "_",    "#M1"};
  std::mt19937 random(20261207);
  for (int round = 0; round < 20000; ++round) {
    std::string record;
    const int parts = static_cast<int>(random() % 24);
    for (int p = 0; p < parts; ++p) {
      if (random() % 3 == 0) {
        record += static_cast<char>(random() % 256);
      } else {
        record += pieces[random() % std::size(pieces)];
      }
    }
    const auto message = Read(record);
    if (message) {
      const MessageRecord& r = message->record;
      ASSERT_LE(r.Mode.size(), 2U) << record;
      ASSERT_LE(r.Address.size(), 7U);
      ASSERT_TRUE(IsValidAddress(r.Address));
      ASSERT_GE(message->PaddedAddress.size(), 6U);
      ASSERT_LE(r.Label.size(), 2U);
      ASSERT_LE(r.Bloc.size(), 1U);
      ASSERT_LE(r.Msn.size(), 4U);
      ASSERT_LE(r.Flight.size(), 6U);
      ASSERT_LE(r.Data.size(), record.size());
    }
  }
}

TEST_F(TextRecordTest, AMegabyteRecordIsReadWhole) {
  std::string record = "M=2 ADDR=N123UA TA=! ML=H1 B=1\r\n";
  record.append(1 << 20, 'x');
  const auto message = Read(record);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->record.Data.size(), std::size_t{1} << 20);
  EXPECT_FALSE(Read(std::string(1 << 20, '=')));
}

}  // namespace
}  // namespace corvane::decoding
