// The readable object as JSON text, written in one pass into a buffer made
// as large as the object can be.
#include "readable/json.h"

#include <type_traits>
#include <variant>

#include "readable/json_text.h"

namespace corvane::readable {

namespace {

std::size_t ValueRoom(const Value& value) {
  return std::visit(
      [](const auto& v) -> std::size_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, double>) {
          return json::kNumberRoom;
        } else if constexpr (std::is_same_v<T, std::string>) {
          return json::StringRoom(v);
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
          return 2 + v.size() * (json::kNumberRoom + 1);
        } else {
          std::size_t room = 2;
          for (const std::string& name : v) {
            room += json::StringRoom(name) + 1;
          }
          return room;
        }
      },
      value);
}

template <typename Item, typename PutItem>
char* PutArray(char* at, const std::vector<Item>& items, PutItem put) {
  *at++ = '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) {
      *at++ = ',';
    }
    at = put(at, items[i]);
  }
  *at++ = ']';
  return at;
}

char* PutValue(char* at, const Value& value) {
  if (const auto* number = std::get_if<double>(&value)) {
    return json::PutNumber(at, *number);
  }
  if (const auto* text = std::get_if<std::string>(&value)) {
    return json::PutString(at, *text);
  }
  if (const auto* numbers = std::get_if<std::vector<double>>(&value)) {
    return PutArray(at, *numbers, json::PutNumber);
  }
  return PutArray(at, std::get<std::vector<std::string>>(value),
                  [](char* to, const std::string& name) { return json::PutString(to, name); });
}

}  // namespace

std::size_t JsonRoom(const Decoding& decoding) {
  std::size_t room = 4 * json::kMemberRoom + json::StringRoom(decoding.kind) + json::StringRoom(decoding.title) +
                     json::StringRoom(decoding.text);
  for (const Field& field : decoding.fields) {
    room += json::kMemberRoom + json::StringRoom(field.name) + ValueRoom(field.value);
  }
  return room;
}

char* PutJson(char* at, const Decoding& decoding) {
  *at++ = '{';
  at = json::PutMember(at, "kind", decoding.kind);
  at = json::PutMember(at, "title", decoding.title);
  at = json::PutLiteral(at, "\"fields\":{");
  for (std::size_t i = 0; i < decoding.fields.size(); ++i) {
    if (i > 0) {
      *at++ = ',';
    }
    at = json::PutName(at, decoding.fields[i].name);
    *at++ = ':';
    at = PutValue(at, decoding.fields[i].value);
  }
  at = json::PutLiteral(at, "},\"text\":");
  at = json::PutString(at, decoding.text);
  *at++ = '}';
  return at;
}

void AppendJson(const Decoding& decoding, std::string& out) {
  json::AppendWithin(out, JsonRoom(decoding), [&](char* at) { return PutJson(at, decoding); });
}

}  // namespace corvane::readable
