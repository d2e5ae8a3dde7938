// Squitter and ATIS-request texts: fixed-shape texts explained field by field.
#include "decoding/decoders.h"
#include "decoding/text_util.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {

namespace {

// A squitter text longer than this carries a frequency in characters 25-30.
constexpr std::size_t kSquitterWithoutFrequency = 26;

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) {
    text += part;
  }
  return text;
}

}  // namespace

bool DecodeSquitter(std::string_view /*label*/, std::string_view text, bool show, DecoderOutput& out) {
  const std::string code(Mid(text, 1, 4));
  const std::string_view station = Mid(text, 8, 4);
  const std::string from = Join({Mid(text, 5, 3), " ", station, " ", out.tables.AirportInfo(station)});
  const std::string latitude(Mid(text, 12, 6));
  const std::string longitude(Mid(text, 18, 6));
  const std::string frequency =
      text.size() > kSquitterWithoutFrequency ? Join({Mid(text, 25, 3), ".", Mid(text, 28, 3), "Mhz"}) : std::string();

  if (show) {
    out.panels.Caption(Value::vSQT_1) = code;
    out.panels.Caption(Value::vSQT_2) = from;
    out.panels.Caption(Value::vSQT_3) = latitude;
    out.panels.Caption(Value::vSQT_4) = longitude;
    out.panels.Caption(Value::vSQT_5) = frequency;
    out.panels.Visible(Panel::fPQS) = true;
    out.panels.RowVisible(Row::SQT5) = !frequency.empty();
  }

  AppendLine(out.DecodedBlock, "Squitter");
  AppendLine(out.DecodedBlock, " Mode:      ", code);
  AppendLine(out.DecodedBlock, " From:      ", from);
  AppendLine(out.DecodedBlock, " Lat/Long:  ", Join({latitude, "/", longitude}));
  if (!frequency.empty()) {
    AppendLine(out.DecodedBlock, " Frequency: ", frequency);
  }
  return true;
}

// The airport of an ATIS request stands between the first character and the
// first "." ("/LFPG.TI2" asks about LFPG); without such a "." the whole text
// is taken.
bool DecodeAtisRequest(std::string_view /*label*/, std::string_view text, bool show, DecoderOutput& out) {
  const auto point = text.find('.');
  const std::string_view code = (point != std::string_view::npos && point >= 2) ? text.substr(1, point - 1) : text;
  const std::string airport = Join({code, " ", out.tables.AirportInfo(code)});

  if (show) {
    out.panels.Caption(Value::vATIS_1) = airport;
    out.panels.Visible(Panel::fPB9) = true;
  }

  AppendLine(out.DecodedBlock, "ATIS");
  AppendLine(out.DecodedBlock, " For:       ", airport);
  return true;
}

}  // namespace corvane::decoding
