// FANS-1/A CPDLC messages in words: the packed (ASN.1 PER, unaligned) data
// an ARINC 622 envelope carries for the applications AT1, CR1, CC1 and DR1.
// A message is a header (its number, the number of the message it answers,
// the time it was sent) and one to five elements, each an element number of
// the uplink (UM) or downlink (DM) message set with its parameters. Plain
// C++: the envelope form (forms_arinc622.cpp) turns what is read here into
// fields.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "readable/builder.h"

namespace corvane::readable::cpdlc {

// Which message set the element numbers belong to: the ground's (uplink)
// or the aircraft's (downlink).
enum class Link { kUplink, kDownlink };

struct Timestamp {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
};

struct Reading {
  int messageId = 0;
  std::optional<int> referenceId;
  std::optional<Timestamp> timestamp;
  // The elements: "UM20" and "CLIMB TO AND MAINTAIN FL370", in order. Both
  // empty when an element could not be read (then only the header is known).
  std::vector<std::string> elementIds;
  std::vector<std::string> elementTexts;
  // What the elements name, the first of each.
  std::optional<int> altitudeFeet;
  std::string position;
  std::string unitName;  // "EDMONTON CENTER"
  std::string facility;  // "EGGX"
  std::optional<int> frequencyKhz;
  std::string squawk;
};

// The message in the data; nothing when not even its header fits. Without
// a link (the direction is not known) only the header is read.
std::optional<Reading> ReadMessage(std::span<const std::uint8_t> data, std::optional<Link> link);

// The reading's fields and lines: message number, reference, time sent,
// the elements' numbers and words, then what they name.
void AddFields(const Reading& reading, Builder& out);

// The kinds of parameter an element takes, in the order they are sent.
enum class Param : std::uint8_t {
  kAltitude,
  kPosition,
  kTime,
  kSpeed,
  kDistanceOffset,
  kDirection,
  kDegrees,
  kFrequency,
  kUnitName,
  kFacility,
  kFreeText,
  kBeaconCode,
  kRouteClearance,
  kProcedureName,
  kVerticalRate,
  kVersionNumber,
  kTp4Table,
  kErrorInformation,
  kAltimeter,
  kAtisCode,
  kLegType,
  kPositionReport,
  kRemainingFuel,
  kRemainingSouls,
  kToFrom,
  kDistance,
  kClearance,  // a whole clearance record (predeparture clearance, track detail)
};

// One element of the message set: its words, each parameter's place marked
// "@", and the parameters in the order they are sent.
struct ElementForm {
  const char* words;
  std::vector<Param> params;
};

// The element of that number in the link's message set; nullptr for a
// number the set does not have.
const ElementForm* FindElement(Link link, int number);

}  // namespace corvane::readable::cpdlc
