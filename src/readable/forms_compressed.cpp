// Compressed messages: a MIAM frame (label MA) or an OHMA message (label H1)
// is inflated and checked (miam.h), and the message it carries is decoded
// as any other, under its own label, with fields saying it came compressed.
// What does not inflate or check is left unread.
#include <string>

#include "readable/forms.h"
#include "readable/miam.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

std::string_view WithoutLeadingDots(std::string_view text) {
  while (!text.empty() && text.front() == '.') {
    text.remove_prefix(1);
  }
  return text;
}

// "MIAM, label H1 DF" / "MIAM, label 80".
std::string EnvelopeLine(const MiamFrame& frame) {
  std::string line = "Compressed: MIAM, label " + frame.label;
  if (!frame.sublabel.empty()) {
    line += ' ';
    line += frame.sublabel;
  }
  return line + "\r\n";
}

// The inflated text's lines joined by " / " for the plain text; the field
// keeps the text as it came.
std::string JoinedLines(std::string_view text) {
  std::string joined;
  while (!text.empty()) {
    const std::size_t end = FindAnyOf(text, "\r\n");
    const std::string_view line = text.substr(0, end);
    if (!line.empty()) {
      joined.append(joined.empty() ? "" : " / ").append(line);
    }
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return joined;
}

void AddDecompressedText(Builder& out, std::optional<Decoding>& decoding, const std::string& text) {
  out.Text("decompressed_text", "Text", JoinedLines(text));
  decoding = std::move(out).Finish();
  if (decoding) {
    decoding->fields.back().value = text;
  }
}

// The inner message's decoding with the envelope's fields in front.
Decoding WithEnvelope(Decoding inner, const MiamFrame& frame) {
  std::vector<Field> fields;
  fields.reserve(inner.fields.size() + 4);
  fields.emplace_back("compressed", std::string("MIAM"));
  fields.emplace_back("compressed_label", frame.label);
  if (!frame.sublabel.empty()) {
    fields.emplace_back("compressed_sublabel", frame.sublabel);
  }
  fields.emplace_back("miam_message_number", static_cast<double>(frame.messageNumber));
  for (Field& field : inner.fields) {
    fields.push_back(std::move(field));
  }
  inner.fields = std::move(fields);
  inner.text = EnvelopeLine(frame) + inner.text;
  return inner;
}

// A frame whose message no known form reads: its label and text as they
// came.
std::optional<Decoding> UnreadInner(const MiamFrame& frame, const reference::ReferenceTables& tables) {
  Builder out(Kind::kCompressedMessage, tables);
  out.Text("compressed", "Compressed", "MIAM");
  out.Text("compressed_label", "Label", frame.label);
  if (!frame.sublabel.empty()) {
    out.Text("compressed_sublabel", "Sublabel", frame.sublabel);
  }
  out.Number("miam_message_number", "Frame number", frame.messageNumber, "");
  std::optional<Decoding> decoding;
  AddDecompressedText(out, decoding, frame.text);
  return decoding;
}

std::optional<Decoding> Acknowledgement(const MiamFrame& frame, const reference::ReferenceTables& tables) {
  Builder out(Kind::kMiamAcknowledgement, tables);
  out.Text("compressed", "Compressed", "MIAM");
  out.Text("tail", "Aircraft", std::string(WithoutLeadingDots(frame.aircraft)));
  out.Number("miam_message_number", "Frame acknowledged", frame.messageNumber, "");
  return std::move(out).Finish();
}

std::optional<Decoding> MiamMessage(const Message& message, const reference::ReferenceTables& tables) {
  const auto frame = ParseMiam(message.text);
  if (!frame) {
    return std::nullopt;
  }
  if (frame->type == MiamFrame::Type::kAcknowledgement) {
    return Acknowledgement(*frame, tables);
  }
  // A frame inside a frame is not unpacked again.
  if (frame->label != "MA") {
    Message inner = message;
    inner.label = frame->label;
    inner.sublabel = frame->sublabel;
    inner.text = frame->text;
    if (auto decoding = Decode(inner, tables)) {
      return WithEnvelope(std::move(*decoding), *frame);
    }
  }
  return UnreadInner(*frame, tables);
}

std::optional<Decoding> OnboardHealthMessage(const Message& message, const reference::ReferenceTables& tables) {
  const auto text = ParseOhma(message.text);
  if (!text) {
    return std::nullopt;
  }
  Builder out(Kind::kOnboardHealthMessage, tables);
  out.Text("compressed", "Compressed", "OHMA");
  std::optional<Decoding> decoding;
  AddDecompressedText(out, decoding, *text);
  return decoding;
}

}  // namespace

std::optional<Decoding> CompressedMessage(const Message& message, const reference::ReferenceTables& tables) {
  if (message.label == "MA") {
    return MiamMessage(message, tables);
  }
  if (message.label == "H1" && message.text.find("OHMA") != std::string_view::npos) {
    return OnboardHealthMessage(message, tables);
  }
  return std::nullopt;
}

}  // namespace corvane::readable
