// Flight-data sub-messages: lines of "/"-separated fields whose first field
// ends in a three-letter kind. Known kinds must come in sequence:
//
//   step 0 --VER--> 1 --SCH--> 2 --ETA|REL|MTR|WXR--> 3
//   any step --other kind--> 4        known kind out of sequence: stop
//
// Each accepted kind writes its readable lines and, when shown, its panel.
#include <array>

#include "decoding/decoders.h"
#include "decoding/text_util.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {

namespace {

enum class Step { Start, AfterVer, AfterSch, AfterReport, AfterOther };

constexpr std::string_view kFlightDataSeparator = "/";
constexpr std::string_view kShiftingLabel = "80";
constexpr std::size_t kKindLength = 3;
constexpr std::size_t kShiftedFields = 4;

// One line's fields after the label adjustment, with the entry builders.
class Fields {
 public:
  Fields(std::vector<std::string_view> fields, const reference::ReferenceTables& tables)
      : fields_(std::move(fields)), tables_(tables) {}

  [[nodiscard]] std::size_t size() const { return fields_.size(); }
  [[nodiscard]] bool Has(std::size_t n) const { return n < fields_.size(); }

  // A field the line does not have reads as empty.
  [[nodiscard]] std::string_view operator[](std::size_t n) const { return Has(n) ? fields_[n] : std::string_view(); }

  // Field a, "Z/", field b; empty unless the line has both.
  [[nodiscard]] std::string TimeEntry(std::size_t a, std::size_t b) const {
    if (!Has(a) || !Has(b)) {
      return {};
    }
    std::string entry(fields_[a]);
    entry += "Z/";
    entry += fields_[b];
    return entry;
  }

  // Field n, a blank and the airport text of its code; empty unless the line
  // has field n.
  [[nodiscard]] std::string AirportEntry(std::size_t n) const {
    if (!Has(n)) {
      return {};
    }
    std::string entry(fields_[n]);
    entry += ' ';
    entry += tables_.AirportInfo(fields_[n]);
    return entry;
  }

  // Field n as text; empty unless the line has it.
  [[nodiscard]] std::string Text(std::size_t n) const { return std::string((*this)[n]); }

  // Under label 80 a line may begin with "/": its first four fields then
  // each take the value of the field after them, where there is one.
  void ShiftLeadingFields() {
    for (std::size_t i = 0; i < kShiftedFields; ++i) {
      if (Has(i + 1)) {
        fields_[i] = fields_[i + 1];
      }
    }
  }

 private:
  std::vector<std::string_view> fields_;
  const reference::ReferenceTables& tables_;
};

std::string_view KindOf(std::string_view firstField) {
  const std::size_t length = firstField.size();
  return TrimBlanks(length > kKindLength ? firstField.substr(length - kKindLength) : firstField);
}

class FlightDataDecoder {
 public:
  FlightDataDecoder(std::string_view label, bool show, DecoderOutput& out) : label_(label), show_(show), out_(out) {}

  bool Run(std::string_view text) {
    for (const std::string_view line : SplitAll(text, kCrLf)) {
      if (!DecodeLine(line)) {
        break;
      }
    }
    return handled_;
  }

 private:
  // False when a known kind arrives out of sequence, which ends the message.
  bool DecodeLine(std::string_view line) {
    Fields fields(SplitAll(line, kFlightDataSeparator), out_.tables);
    if (fields.size() < 2) {
      return true;
    }
    if (label_ == kShiftingLabel && fields[0].empty()) {
      fields.ShiftLeadingFields();
    }
    const KnownKind* known = FindKnownKind(KindOf(fields[0]));
    if (known == nullptr) {
      OtherLine(line);
      return true;
    }
    if (step_ != known->acceptedAt) {
      return false;
    }
    step_ = known->next;
    handled_ = true;
    (this->*known->decode)(fields);
    return true;
  }

  struct KnownKind {
    std::string_view kind;
    Step acceptedAt;
    Step next;
    void (FlightDataDecoder::*decode)(const Fields&);
  };

  static const KnownKind* FindKnownKind(std::string_view kind) {
    static constexpr std::array<KnownKind, 6> kKinds = {{
        {"VER", Step::Start, Step::AfterVer, &FlightDataDecoder::Version},
        {"SCH", Step::AfterVer, Step::AfterSch, &FlightDataDecoder::Schedule},
        {"ETA", Step::AfterSch, Step::AfterReport, &FlightDataDecoder::Arrival},
        {"REL", Step::AfterSch, Step::AfterReport, &FlightDataDecoder::Release},
        {"MTR", Step::AfterSch, Step::AfterReport, &FlightDataDecoder::WeatherReport},
        {"WXR", Step::AfterSch, Step::AfterReport, &FlightDataDecoder::WeatherRequest},
    }};
    for (const KnownKind& known : kKinds) {
      if (known.kind == kind) {
        return &known;
      }
    }
    return nullptr;
  }

  void Version(const Fields& fields) {
    flightFirst_ = fields[1].size() == kKindLength;
    const std::string plane = fields.Text(flightFirst_ ? 2 : 3);
    if (show_) {
      Caption(Value::vVER_1) = plane;
      Show(Panel::fPXX);
    }
    AppendLine(Block(), "VER");
    AppendLine(Block(), " Plane:     ", plane);
  }

  void Schedule(const Fields& fields) {
    std::array<std::string, 4> schedule;
    if (flightFirst_) {
      schedule = {fields.Text(1), fields.TimeEntry(5, 4), fields.AirportEntry(2), fields.AirportEntry(3)};
    } else {
      schedule = {std::string(), fields.TimeEntry(4, 3), fields.AirportEntry(1), fields.AirportEntry(2)};
    }
    if (show_) {
      out_.panels.RowVisible(Row::SCH0) = false;
      Caption(Value::vSCH_0) = schedule[0];
      Caption(Value::vSCH_1) = schedule[1];
      Caption(Value::vSCH_2) = schedule[2];
      Caption(Value::vSCH_3) = schedule[3];
      if (!schedule[0].empty()) {
        out_.panels.RowVisible(Row::SCH0) = true;
      }
      Show(Panel::fPXX);
    }
    if (!schedule[0].empty()) {
      AppendLine(Block(), " Flight:    ", schedule[0]);
    }
    AppendLine(Block(), "SCH");
    AppendLine(Block(), " At:        ", schedule[1]);
    AppendLine(Block(), " Departure: ", schedule[2]);
    AppendLine(Block(), " Arrival:   ", schedule[3]);
  }

  void Arrival(const Fields& fields) {
    const std::string at = fields.TimeEntry(5, 4);
    const std::string runway = fields.Text(3);
    if (show_) {
      Caption(Value::vETA_1) = at;
      Caption(Value::vETA_2) = runway;
      Show(Panel::fETA);
    }
    AppendLine(Block(), "ETA");
    AppendLine(Block(), " At:        ", at);
    AppendLine(Block(), " Runway   : ", runway);
  }

  void Release(const Fields& fields) {
    const std::string at = fields.TimeEntry(4, 3);
    const std::string from = fields.AirportEntry(1);
    const std::string to = fields.AirportEntry(2);
    if (show_) {
      Caption(Value::vREL_1) = at;
      Caption(Value::vREL_2) = from;
      Caption(Value::vREL_3) = to;
      Show(Panel::fREL);
    }
    AppendLine(Block(), "REL");
    AppendLine(Block(), " At:        ", at);
    AppendLine(Block(), " Departure: ", from);
    AppendLine(Block(), " Arrival:   ", to);
  }

  void WeatherReport(const Fields& fields) {
    const std::string at = fields.TimeEntry(4, 3);
    const std::string first = fields.AirportEntry(1);
    const std::string second = fields.AirportEntry(2);
    const bool hasSecond = !IsBlank(fields[2]);
    if (show_) {
      Caption(Value::vMTR_1) = at;
      Caption(Value::vMTR_2) = first;
      Caption(Value::vMTR_3) = second;
      out_.panels.RowVisible(Row::MTR3) = hasSecond;
      Show(Panel::fMTR);
    }
    AppendLine(Block(), "MTR");
    AppendLine(Block(), " At:        ", at);
    AppendLine(Block(), " Airport 1: ", first);
    if (hasSecond) {
      AppendLine(Block(), " Airport 2: ", second);
    }
  }

  void WeatherRequest(const Fields& fields) {
    const std::string mode = fields.Text(1);
    const std::array<std::string, 3> airports = {fields.AirportEntry(2), fields.AirportEntry(3),
                                                 fields.AirportEntry(4)};
    if (show_) {
      Caption(Value::vWXR_1) = mode;
      Caption(Value::vWXR_2) = airports[0];
      Caption(Value::vWXR_3) = airports[1];
      Caption(Value::vWXR_4) = airports[2];
      out_.panels.RowVisible(Row::WXR3) = !IsBlank(airports[1]);
      out_.panels.RowVisible(Row::WXR4) = !IsBlank(airports[2]);
      Show(Panel::fWXR);
    }
    AppendLine(Block(), "WXR");
    AppendLine(Block(), " Mode:      ", mode);
    AppendLine(Block(), " Airport 1: ", airports[0]);
    if (!IsBlank(airports[1])) {
      AppendLine(Block(), " Airport 2: ", airports[1]);
    }
    if (!IsBlank(airports[2])) {
      AppendLine(Block(), " Airport 3: ", airports[2]);
    }
  }

  // A line of any other kind ends the known sequence; once something was
  // accepted, the last such line is shown in fINF.
  void OtherLine(std::string_view line) {
    step_ = Step::AfterOther;
    if (show_ && handled_) {
      out_.panels.infText = std::string(line);
      Show(Panel::fINF);
    }
  }

  std::string& Block() { return out_.DecodedBlock; }
  std::string& Caption(Value value) { return out_.panels.Caption(value); }
  void Show(Panel panel) { out_.panels.Visible(panel) = true; }

  std::string_view label_;
  bool show_;
  DecoderOutput& out_;
  Step step_ = Step::Start;
  bool handled_ = false;
  bool flightFirst_ = false;
};

}  // namespace

bool DecodeFlightData(std::string_view label, std::string_view text, bool show, DecoderOutput& out) {
  return FlightDataDecoder(label, show, out).Run(text);
}

}  // namespace corvane::decoding
