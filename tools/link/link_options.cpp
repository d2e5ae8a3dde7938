// Reading and checking corvane-link's command line.
#include "link_options.h"

#include <QCommandLineParser>
#include <algorithm>

#include "common/sorted_command_line.h"
#include "livelink/protocol.h"

namespace corvane::linktool {

namespace {

const char* const kDescription =
    "Reads Corvane's live traffic: the last card record (LiveItem), the summary of\n"
    "the last accepted message (LiveData), or that message as a JSON object with\n"
    "its readable decoding (LiveJSON).\n"
    "\n"
    "Commands:\n"
    "  request ITEM              prints the item's current value and exits\n"
    "  advise ITEM [ITEM...]     prints every new value of the items as it arrives,\n"
    "                            until --count values or Ctrl-C\n"
    "\n"
    "Output: without --json, each value's bytes exactly as Corvane published them,\n"
    "followed by one newline (\"\\n\") always. With --json, one JSON object a line:\n"
    "{\"item\": ..., \"value\": ..., \"time\": ...}, the value's bytes as the code\n"
    "points U+0000 to U+00FF (LiveJSON's value as the object itself) and the time\n"
    "(UTC) it arrived.\n"
    "\n"
    "Exit status: 0 done, 1 Corvane not running or an error from it, 2 bad usage.";

struct OptionSet {
  QCommandLineOption server{"server", "Name of Corvane's live link (default Corvane).", "name",
                            QString::fromLatin1(livelink::kDefaultServerName)};
  QCommandLineOption topic{"topic", "Topic of the conversation (default ACARS).", "topic",
                           QString::fromLatin1(livelink::kTopic)};
  QCommandLineOption json{"json", "Writes one JSON object a line instead of the raw values."};
  QCommandLineOption count{"count", "advise: exits after N values in all.", "N"};
};

std::optional<long long> ParseCount(const QString& text) {
  bool ok = false;
  const long long value = text.toLongLong(&ok);
  return ok && value > 0 ? std::optional<long long>(value) : std::nullopt;
}

std::vector<std::string> UniqueItems(const QStringList& names) {
  std::vector<std::string> items;
  for (const QString& name : names) {
    std::string item = name.toStdString();
    if (std::find(items.begin(), items.end(), item) == items.end()) {
      items.push_back(std::move(item));
    }
  }
  return items;
}

// Fills in the options from a parsed command line; what is wrong, if anything.
std::optional<std::string> ReadValues(const QCommandLineParser& parser, const OptionSet& set, LinkOptions& options) {
  options.server = parser.value(set.server);
  options.topic = parser.value(set.topic).toStdString();
  options.json = parser.isSet(set.json);
  if (options.server.isEmpty()) {
    return "--server takes a name";
  }
  QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) {
    return "say request ITEM or advise ITEM...";
  }
  const QString command = positional.takeFirst();
  if (command != "request" && command != "advise") {
    return "unknown command \"" + command.toStdString() + "\": say request or advise";
  }
  options.mode = command == "request" ? LinkOptions::Mode::Request : LinkOptions::Mode::Advise;
  if (positional.isEmpty()) {
    return command.toStdString() + " takes an item name (LiveItem, LiveData or LiveJSON)";
  }
  if (options.mode == LinkOptions::Mode::Request && positional.size() != 1) {
    return "request takes one item name";
  }
  options.items = UniqueItems(positional);
  if (parser.isSet(set.count)) {
    if (options.mode == LinkOptions::Mode::Request) {
      return "--count goes with advise";
    }
    options.count = ParseCount(parser.value(set.count));
    if (!options.count) {
      return "--count takes a number above 0";
    }
  }
  return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(kDescription);
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const OptionSet set;
  parser.addOptions({set.server, set.topic, set.json, set.count});
  parser.addPositionalArgument("command", "request ITEM, or advise ITEM [ITEM...]", "request|advise ITEM...");
  return tools::SortCommandLine<CommandLine>(parser, arguments, help, version,
                                             [&](auto& options) { return ReadValues(parser, set, options); });
}

}  // namespace corvane::linktool
