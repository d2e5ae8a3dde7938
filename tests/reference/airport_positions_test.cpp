// Tests of the built-in airport positions: the table's shape, that each
// position lies in its ICAO region, and the lookup by code.
#include "reference/airport_positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "reference/builtin_data.h"

namespace corvane::reference {
namespace {

struct Box {
  double south, north, west, east;
};

// A generous box around the airports of each region letter of an ICAO code,
// so that a swapped coordinate, a lost sign or an airport of another region
// falls outside it.
const std::map<char, Box>& RegionBoxes() {
  static const std::map<char, Box> boxes = {
      {'B', {55, 85, -75, -10}},  {'C', {41, 84, -142, -52}}, {'D', {-5, 38, -20, 15}}, {'E', {47, 82, -11, 32}},
      {'F', {-35, 5, 5, 60}},     {'G', {10, 36, -26, 0}},    {'H', {-5, 32, 24, 45}},  {'K', {24, 50, -125, -66}},
      {'L', {30, 52, -32, 45}},   {'M', {10, 33, -118, -60}}, {'O', {12, 40, 34, 64}},  {'R', {20, 46, 120, 146}},
      {'S', {-56, 13, -82, -34}}, {'U', {35, 82, 19, 180}},   {'V', {0, 35, 60, 115}},  {'W', {-11, 8, 95, 141}},
      {'Z', {18, 54, 73, 135}},
  };
  return boxes;
}

bool IsBuiltinAirport(std::string_view code) {
  return std::any_of(kBuiltinAirports.begin(), kBuiltinAirports.end(),
                     [code](const BuiltinAirport& airport) { return airport.code == code; });
}

void ExpectNear(std::string_view code, double latitude, double longitude) {
  const auto position = AirportPositionOf(code);
  ASSERT_TRUE(position.has_value()) << code;
  EXPECT_NEAR(position->latitude, latitude, 0.1) << code;
  EXPECT_NEAR(position->longitude, longitude, 0.1) << code;
}

TEST(AirportPositions, TableIsSortedBuiltinAndInRegionAndLookupFindsEachRow) {
  for (std::size_t i = 0; i < kAirportPositions.size(); ++i) {
    const AirportPosition& row = kAirportPositions[i];
    SCOPED_TRACE(std::string(row.code));
    if (i > 0) {
      EXPECT_LT(kAirportPositions[i - 1].code, row.code) << "unsorted or twice";
    }
    EXPECT_TRUE(IsBuiltinAirport(row.code));
    EXPECT_GE(row.latitude, -90.0);
    EXPECT_LE(row.latitude, 90.0);
    EXPECT_GE(row.longitude, -180.0);
    EXPECT_LE(row.longitude, 180.0);
    const auto box = RegionBoxes().find(row.code.empty() ? ' ' : row.code.front());
    ASSERT_NE(box, RegionBoxes().end()) << "no region box";
    EXPECT_TRUE(row.latitude >= box->second.south && row.latitude <= box->second.north &&
                row.longitude >= box->second.west && row.longitude <= box->second.east)
        << row.latitude << ", " << row.longitude;
    const auto found = AirportPositionOf(row.code);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->code, row.code);
  }

  ExpectNear("EGLL", 51.47, -0.46);
  ExpectNear("KSFO", 37.62, -122.38);
  ExpectNear("FACT", -33.96, 18.60);
  ExpectNear("WSSS", 1.35, 103.99);
  ExpectNear("BGBW", 61.16, -45.43);

  EXPECT_FALSE(AirportPositionOf("DTNZ").has_value()) << "a built-in airport without a known position";
  EXPECT_FALSE(AirportPositionOf("ZZZZ").has_value());
  EXPECT_FALSE(AirportPositionOf("AAAA").has_value());
  EXPECT_FALSE(AirportPositionOf("egll").has_value());
  EXPECT_FALSE(AirportPositionOf("").has_value());
}

}  // namespace
}  // namespace corvane::reference
