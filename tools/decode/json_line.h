// One line of corvane-decode's output written straight into a string, member
// by member, without a document tree: the tool writes a line for every
// record of captures that run to millions of records.
//
// The text is what the tool has always written: no spaces, card bytes as
// the UTF-8 of their code points, the short escapes \b \f \n \r \t, other
// control bytes as \u00xx, and every other byte as it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::decodetool {

class JsonLine {
 public:
  explicit JsonLine(std::string& out) : out_(out) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();

  // A member's name inside an object (a plain identifier of ours).
  void Key(std::string_view name);

  // Values, as a member's after Key or as an array's items.
  void CardString(std::string_view bytes);  // card bytes (Latin-1)
  void Integer(long long value);
  void Bool(bool value);
  // JSON text written by another writer, put in as it is.
  void Raw(std::string_view json);

  // A member: its name, then its value.
  void CardMember(std::string_view name, std::string_view bytes) {
    Key(name);
    CardString(bytes);
  }
  void BoolMember(std::string_view name, bool value) {
    Key(name);
    Bool(value);
  }

 private:
  // A comma before every value or member but an object's or array's first.
  void Separate();

  std::string& out_;
  std::vector<bool> first_;  // for each open object or array: nothing in it yet
  bool afterKey_ = false;
};

}  // namespace corvane::decodetool
