// The shared capture of real traffic, read once per test, and lookups of a
// decoding's fields: the forms' tests find their examples here by the start
// of their text, so no message is copied into the repository.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "decoding/latin1_text.h"
#include "readable/readable.h"
#include "reference/reference_tables.h"

namespace corvane::readable {

class RealMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars-fields.jsonl");
    if (!in) {
      FAIL() << "the shared capture of real traffic (../shared/captures) is not on this machine";
    }
    for (std::string line; std::getline(in, line);) {
      const auto json = nlohmann::json::parse(line);
      messages_.emplace_back(*decoding::Utf8ToLatin1(json.at("label").get<std::string>()),
                             *decoding::Utf8ToLatin1(json.at("text").get<std::string>()));
      received_.push_back(ReceiveTimeOf(json.at("utc").get<std::string>()));
      blockIds_.push_back(*decoding::Utf8ToLatin1(json.value("block_id", "")));
    }
    tables_.FillBuiltinTables();
  }

  // "2026-12-07T02:30:12.698Z" as a receive time.
  static ReceiveTime ReceiveTimeOf(const std::string& utc) {
    ReceiveTime time;
    std::sscanf(utc.c_str(), "%d-%d-%dT%d:%d:%d", &time.year, &time.month, &time.day, &time.hour, &time.minute,
                &time.second);
    return time;
  }

  // The decoding of the message on that line of the capture (counted from 1),
  // received when the capture says, with its block identifier.
  std::optional<Decoding> DecodeLine(std::size_t line) {
    if (line == 0 || line > messages_.size()) {
      ADD_FAILURE() << "the capture has no line " << line;
      return std::nullopt;
    }
    const auto& [label, text] = messages_[line - 1];
    return Decode({label, "2", text, {}, received_[line - 1], blockIds_[line - 1]}, tables_);
  }

  // The decoding of the first message of the label whose text starts so.
  std::optional<Decoding> DecodeFirst(const std::string& label, const std::string& start) {
    for (const auto& [messageLabel, text] : messages_) {
      if (messageLabel == label && text.starts_with(start)) {
        return Decode({messageLabel, "2", text, {}}, tables_);
      }
    }
    ADD_FAILURE() << "no " << label << " message starts with " << start;
    return std::nullopt;
  }

  static const Value* FieldOf(const Decoding& decoding, const std::string& name) {
    for (const Field& field : decoding.fields) {
      if (field.name == name) {
        return &field.value;
      }
    }
    return nullptr;
  }
  static double NumberOf(const Decoding& decoding, const std::string& name) {
    const Value* value = FieldOf(decoding, name);
    return value != nullptr && std::holds_alternative<double>(*value) ? std::get<double>(*value) : -99999;
  }
  static std::string TextOf(const Decoding& decoding, const std::string& name) {
    const Value* value = FieldOf(decoding, name);
    return value != nullptr && std::holds_alternative<std::string>(*value) ? std::get<std::string>(*value) : "";
  }

  std::vector<std::pair<std::string, std::string>> messages_;
  std::vector<ReceiveTime> received_;
  std::vector<std::string> blockIds_;
  reference::ReferenceTables tables_;
};

}  // namespace corvane::readable
