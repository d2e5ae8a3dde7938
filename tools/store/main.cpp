// corvane-store: keeps a store. "backup DEST" makes a consistent copy of the
// SQLite or Jet-layout store file while the receiver keeps writing to it; a
// PostgreSQL store is refused with the pg_dump line to use instead.
#include <QCoreApplication>
#include <cstdio>
#include <iostream>

#include "common/non_run_actions.h"
#include "store/backup.h"
#include "store_options.h"

namespace {

using namespace corvane;

int BackUp(const storetool::StoreOptions& options) {
  if (options.store.empty()) {
    std::cerr << "corvane-store: the store is on a PostgreSQL server, which this program does not copy: back it up\n"
                 "with pg_dump on the store's connection (setting DatabaseUrl), for example\n"
                 "  pg_dump --format=custom --file=corvane.dump 'postgresql://host/corvane'\n";
    return 1;
  }
  try {
    const store::BackupResult result = store::BackUpStoreFile(options.store, options.destination);
    std::cout << "corvane-store: copied " << options.store << " to " << options.destination << ": " << result.messages
              << " messages\n";
    return 0;
  } catch (const store::BackupFailed& failure) {
    std::cerr << "corvane-store: no copy made: " << failure.what() << '\n';
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvane-store");
  QCoreApplication::setApplicationVersion(CORVANE_VERSION);
  const storetool::CommandLine commandLine = storetool::ParseCommandLine(QCoreApplication::arguments());
  if (const auto status = tools::HandleNonRunActions(commandLine, "corvane-store", CORVANE_VERSION)) {
    return *status;
  }
  return BackUp(commandLine.options);
}
