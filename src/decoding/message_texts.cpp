// Layout of the message report and the live summary.
#include "decoding/message_texts.h"

#include "decoding/text_util.h"

namespace corvane::decoding {

namespace {

constexpr std::string_view kReportRule = " =================================";
constexpr std::string_view kTextRule = "........................................................";
constexpr std::string_view kDecodedRule = "--------------------------------------------------------";

// The value followed by one space when it has exactly `width` characters, so
// that the summary's columns line up.
std::string SpacedTo(std::string_view value, std::size_t width) {
  std::string spaced(value);
  if (spaced.size() == width) {
    spaced += ' ';
  }
  return spaced;
}

// The mode without one leading "0": "02" reads "2", "0" reads empty.
std::string_view SummaryMode(std::string_view mode) {
  if (!mode.empty() && mode.front() == '0') {
    return mode.substr(1, 1);
  }
  return mode;
}

}  // namespace

std::string BuildMessageReport(const ReadMessage& message, std::string_view decodedBlock) {
  const MessageRecord& r = message.record;
  std::string report;
  report.reserve(160 + decodedBlock.size() + r.Data.size());
  report += "= ";
  report += message.reportStamp;
  report += 'Z';
  report += kReportRule;
  report += kCrLf;

  report += "Mode:";
  report += RightAligned(r.Mode, 2);
  report += " Label:";
  report += r.Label;
  report += " MSN:";
  report += r.Msn;
  report += " Aircraft:";
  report += RightAligned(TrimBlanks(message.PaddedAddress), 7);
  if (!r.Flight.empty()) {
    report += " Flight:";
    report += r.Flight;
  }
  report += kCrLf;

  report += message.LabelText;
  report += kCrLf;

  if (!r.Data.empty()) {
    report += kTextRule;
    report += kCrLf;
    if (!decodedBlock.empty()) {
      report += decodedBlock;
      report += kDecodedRule;
      report += kCrLf;
    }
    report += r.Data;
  }
  return report;
}

std::string BuildLiveSummary(const ReadMessage& message) {
  const MessageRecord& r = message.record;
  std::string summary;
  summary.reserve(96 + r.Data.size());
  summary += "0ACARS mode: ";
  summary += SpacedTo(SummaryMode(r.Mode), 1);
  summary += " Aircraft reg: ";
  summary += message.PaddedAddress;
  summary += kCrLf;

  summary += "Message label: ";
  summary += SpacedTo(r.Label, 2);
  summary += " Block id: ";
  summary += SpacedTo(r.Bloc, 1);
  if (!r.Msn.empty()) {
    summary += " Msg. no: ";
    summary += r.Msn;
  }
  summary += kCrLf;

  if (!r.Flight.empty()) {
    summary += "Flight id: ";
    summary += r.Flight;
    summary += kCrLf;
  }
  if (!r.Data.empty()) {
    summary += "Message content:-";
    summary += kCrLf;
    summary += r.Data;
  }
  return summary;
}

}  // namespace corvane::decoding
