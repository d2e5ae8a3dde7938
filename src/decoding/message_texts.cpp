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
void AppendSpacedTo(std::string_view value, std::size_t width, std::string& out) {
  out += value;
  if (value.size() == width) {
    out += ' ';
  }
}

// The text padded with spaces on the left to `width`.
void AppendRightAligned(std::string_view text, std::size_t width, std::string& out) {
  if (text.size() < width) {
    out.append(width - text.size(), ' ');
  }
  out += text;
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
  std::string report;
  AppendMessageReport(message, decodedBlock, report);
  return report;
}

std::string BuildLiveSummary(const ReadMessage& message) {
  std::string summary;
  AppendLiveSummary(message, summary);
  return summary;
}

void AppendMessageReport(const ReadMessage& message, std::string_view decodedBlock, std::string& report) {
  const MessageRecord& r = message.record;
  report.reserve(report.size() + 160 + decodedBlock.size() + r.Data.size());
  report += "= ";
  report += message.reportStamp;
  report += 'Z';
  report += kReportRule;
  report += kCrLf;

  report += "Mode:";
  AppendRightAligned(r.Mode, 2, report);
  report += " Label:";
  report += r.Label;
  report += " MSN:";
  report += r.Msn;
  report += " Aircraft:";
  AppendRightAligned(TrimBlanks(message.PaddedAddress), 7, report);
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
}

void AppendLiveSummary(const ReadMessage& message, std::string& summary) {
  const MessageRecord& r = message.record;
  summary.reserve(summary.size() + 96 + r.Data.size());
  summary += "0ACARS mode: ";
  AppendSpacedTo(SummaryMode(r.Mode), 1, summary);
  summary += " Aircraft reg: ";
  summary += message.PaddedAddress;
  summary += kCrLf;

  summary += "Message label: ";
  AppendSpacedTo(r.Label, 2, summary);
  summary += " Block id: ";
  AppendSpacedTo(r.Bloc, 1, summary);
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
}

}  // namespace corvane::decoding
