// corvane-store's options, read with Qt's parser; the store's kind comes from
// the settings unless --database says otherwise.
#include "store_options.h"

#include <QCommandLineParser>
#include <optional>

#include "common/sorted_command_line.h"
#include "config/settings.h"

namespace corvane::storetool {

namespace {

constexpr const char* kDescription =
    "Keeps a Corvane store.\n\n"
    "backup DEST: copies the store to DEST while Corvane or corvaned keeps writing to it, and says how many\n"
    "messages the copy holds. The copy is made beside DEST and takes its name only once it is complete.\n\n"
    "The store is the one corvaned uses with the same settings: Corvane.db or Corvane.mdb in the current\n"
    "folder. A PostgreSQL store is backed up with pg_dump.";

struct OptionSet {
  QCommandLineOption database{"database", "Store: 1 SQLite, 2 Jet layout, 4 PostgreSQL (default: setting Database).",
                              "kind"};
  QCommandLineOption store{"store", "The store file (SQLite or Jet layout) instead of the one in the current folder.",
                           "file"};
};

std::optional<std::string> ReadValues(const QCommandLineParser& parser, const OptionSet& set, StoreOptions& options) {
  options.database = config::ReadAllSettings(config::kAppName, 0, 0).Database;
  if (parser.isSet(set.database)) {
    bool parsed = false;
    options.database = parser.value(set.database).toInt(&parsed);
    if (!parsed) {
      options.database = 0;
    }
  }
  if (options.database != 1 && options.database != 2 && options.database != 4) {
    return "--database takes 1, 2 or 4 (no store is configured otherwise)";
  }
  const QStringList words = parser.positionalArguments();
  if (words.isEmpty() || words.front() != "backup") {
    return "give a command: backup DEST";
  }
  if (words.size() != 2 || words[1].isEmpty()) {
    return "backup takes one destination file";
  }
  options.destination = words[1].toStdString();
  if (parser.isSet(set.store)) {
    options.store = parser.value(set.store).toStdString();
  } else if (options.database != 4) {
    options.store = options.database == 1 ? "Corvane.db" : "Corvane.mdb";
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
  parser.addOptions({set.database, set.store});
  parser.addPositionalArgument("command", "backup DEST: a consistent copy of the store at DEST", "backup DEST");
  return tools::SortCommandLine<CommandLine>(parser, arguments, help, version,
                                             [&](auto& options) { return ReadValues(parser, set, options); });
}

}  // namespace corvane::storetool
