// Every decoding of the real capture against the schema (src/readable/
// schema.h, kinds.h): known kinds and fields, each value of its field's
// type, no name twice, whole numbers written without ".0"; and the schema's
// page names every kind and field the tables hold.
#include "readable/schema.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "readable/json.h"
#include "readable/kinds.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

bool Whole(double value) { return value == static_cast<double>(static_cast<long long>(value)); }

// What is wrong with the value for its field; empty when nothing.
std::string Mismatch(const FieldSchema& schema, const Value& value) {
  static const std::regex kTimeOfDay("([01][0-9]|2[0-3]):[0-5][0-9](:[0-5][0-9])?");
  static const std::regex kUtc(
      "20[0-9]{2}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])T([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]Z");
  const auto* number = std::get_if<double>(&value);
  const auto* text = std::get_if<std::string>(&value);
  const auto* numbers = std::get_if<std::vector<double>>(&value);
  switch (schema.type) {
    case FieldType::kNumber:
      return number != nullptr ? "" : "not a number";
    case FieldType::kInteger:
      return number != nullptr && Whole(*number) ? "" : "not a whole number";
    case FieldType::kText:
      return text != nullptr ? "" : "not a string";
    case FieldType::kTimeOfDay:
      return text != nullptr && std::regex_match(*text, kTimeOfDay) ? "" : "not HH:MM[:SS]";
    case FieldType::kUtcTime:
      return text != nullptr && std::regex_match(*text, kUtc) ? "" : "not an ISO 8601 UTC time";
    case FieldType::kTextList:
      return std::holds_alternative<std::vector<std::string>>(value) ? "" : "not a list of strings";
    case FieldType::kIntegerList:
      return numbers != nullptr && std::all_of(numbers->begin(), numbers->end(), Whole) ? "" : "not whole numbers";
  }
  return "unknown type";
}

// The number tokens of a JSON text (outside its strings).
std::vector<std::string> NumberTokens(const std::string& json) {
  std::vector<std::string> tokens;
  for (std::size_t at = 0; at < json.size(); ++at) {
    if (json[at] == '"') {
      for (++at; json[at] != '"'; ++at) {
        at += json[at] == '\\' ? 1 : 0;
      }
    } else if (json[at] == '-' || (json[at] >= '0' && json[at] <= '9')) {
      const std::size_t end = json.find_first_of(",]}", at);
      tokens.push_back(json.substr(at, end - at));
      at = end - 1;
    }
  }
  return tokens;
}

TEST_F(RealMessages, EveryDecodingOfTheCaptureKeepsToTheSchema) {
  std::set<std::string_view> ids;
  for (const KindInfo& kind : kKinds) {
    EXPECT_TRUE(ids.insert(kind.id).second) << "kind id twice: " << kind.id;
    EXPECT_TRUE(std::regex_match(std::string(kind.id), std::regex("[a-z][a-z0-9_]*"))) << kind.id;
  }
  int decoded = 0;
  for (std::size_t line = 1; line <= messages_.size(); ++line) {
    const auto decoding = DecodeLine(line);
    if (!decoding) {
      continue;
    }
    ++decoded;
    const auto kind =
        std::find_if(kKinds.begin(), kKinds.end(), [&](const KindInfo& k) { return k.id == decoding->kind; });
    ASSERT_NE(kind, kKinds.end()) << line << ": unknown kind " << decoding->kind;
    EXPECT_EQ(kind->title, decoding->title) << line;
    std::set<std::string_view> names;
    for (const Field& field : decoding->fields) {
      EXPECT_TRUE(names.insert(field.name).second) << line << ": " << field.name << " twice";
      const FieldSchema* schema = FindField(field.name);
      ASSERT_NE(schema, nullptr) << line << ": field not in the schema: " << field.name;
      EXPECT_EQ(Mismatch(*schema, field.value), "") << line << ": " << field.name;
    }
    std::string json;
    AppendJson(*decoding, json);
    ASSERT_TRUE(nlohmann::json::accept(json)) << line << ": " << json;
    for (const std::string& token : NumberTokens(json)) {
      EXPECT_FALSE(std::regex_match(token, std::regex("-?[0-9]+\\.0+"))) << line << ": " << token;
    }
  }
  EXPECT_GT(decoded, 1000);

  // The page mirrors the tables.
  std::ifstream page(std::string(CORVANE_SOURCE_DIR) + "/docs/readable-schema.md");
  ASSERT_TRUE(page) << "docs/readable-schema.md is missing";
  std::ostringstream text;
  text << page.rdbuf();
  for (const FieldSchema& field : AllFields()) {
    const std::string row = "| `" + std::string(field.name) + "` | " + std::string(TypeName(field.type)) + " |";
    EXPECT_NE(text.str().find(row), std::string::npos) << "the page has no row " << row;
  }
  for (const KindInfo& kind : kKinds) {
    const std::string row = "| `" + std::string(kind.id) + "` | " + std::string(kind.title) + " |";
    EXPECT_NE(text.str().find(row), std::string::npos) << "the page has no row " << row;
  }
}

}  // namespace
}  // namespace corvane::readable
