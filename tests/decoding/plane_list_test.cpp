// Tests of the aircraft list: sorted, each address once, compared exactly.
#include "decoding/plane_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane::decoding {
namespace {

TEST(PlaneList, KeepsEachAddressOnceInAscendingOrder) {
  PlaneList planes;
  EXPECT_EQ(planes.Insert("N123UA"), std::optional<std::size_t>(0));
  EXPECT_EQ(planes.Insert("F-GKXA"), std::optional<std::size_t>(0));
  EXPECT_EQ(planes.Insert("G-EUPT"), std::optional<std::size_t>(1));
  EXPECT_EQ(planes.Insert("N123UA"), std::nullopt);
  EXPECT_EQ(planes.Insert("ZS-SXA"), std::optional<std::size_t>(3));
  // Exact comparison: a prefix, a leading point and digits are other entries,
  // placed by their bytes.
  EXPECT_EQ(planes.Insert("N123U"), std::optional<std::size_t>(2));
  EXPECT_EQ(planes.Insert(".F-GKXA"), std::optional<std::size_t>(0));
  EXPECT_EQ(planes.Insert("9H-AEI"), std::optional<std::size_t>(1));
  EXPECT_EQ(planes.Insert("F-GKXA"), std::nullopt);
  EXPECT_EQ(planes.Entries(),
            (std::vector<std::string>{".F-GKXA", "9H-AEI", "F-GKXA", "G-EUPT", "N123U", "N123UA", "ZS-SXA"}));
  EXPECT_TRUE(planes.Contains("N123U"));
  EXPECT_FALSE(planes.Contains("N123"));
  EXPECT_FALSE(planes.Contains("n123ua"));
}

TEST(PlaneList, RemoveGivesThePositionItHad) {
  PlaneList planes;
  for (const char* address : {"C-FMWP", "A6-EDA", "B-1234"}) {
    planes.Insert(address);
  }
  EXPECT_EQ(planes.Remove("B-1234"), std::optional<std::size_t>(1));
  EXPECT_EQ(planes.Remove("B-1234"), std::nullopt);
  EXPECT_EQ(planes.Remove("a6-eda"), std::nullopt);
  EXPECT_EQ(planes.Entries(), (std::vector<std::string>{"A6-EDA", "C-FMWP"}));
  EXPECT_EQ(planes.Insert("B-1234"), std::optional<std::size_t>(1));
}

}  // namespace
}  // namespace corvane::decoding
