// The receiver's trouble lines, each said once as trouble begins or ends.
#include "receiver/trouble_reports.h"

#include "store/pending_file.h"

namespace corvane::receiver {

std::vector<std::string> LogTroubleReport::Check(const decoding::TrafficLog& log) {
  const std::string& error = log.LastError();
  if (error == reported_) {
    return {};
  }
  std::vector<std::string> lines;
  if (error.empty()) {
    lines.emplace_back(reportedRename_ ? "traffic log: the new day's file started" : "traffic log: writing again");
  } else if (reported_.empty() || log.RenameFailed() != reportedRename_) {
    lines.push_back("traffic log: " + error);
  }
  reported_ = error;
  reportedRename_ = log.RenameFailed();
  return lines;
}

void StoreTroubleReport::KnowFiles(const store::PendingFile& pending) {
  pendingPath_ = pending.Path();
  unreadablePath_ = pending.UnreadablePath();
  rejectedPath_ = pending.RejectedPath();
}

std::vector<std::string> StoreTroubleReport::Check(const std::optional<store::WriterStatus>& status) {
  if (!status) {
    return {};
  }
  std::vector<std::string> lines;
  const auto more = [](std::uint64_t now, std::uint64_t before) { return std::to_string(now - before); };
  if (status->fromEarlierRun > shown_.fromEarlierRun) {
    lines.push_back("store: wrote " + more(status->fromEarlierRun, shown_.fromEarlierRun) +
                    " messages that an earlier run left waiting");
  }
  if (status->refusals > shown_.refusals) {
    lines.push_back("store: cannot write (" + status->reason +
                    "); messages wait and will be written when it takes writes again");
  }
  if (status->catchUps > shown_.catchUps) {
    lines.push_back("store: writing again; " + std::to_string(status->writtenLate) + " messages written late");
  }
  if (status->pendingError != shown_.pendingError && !status->pendingError.empty()) {
    lines.push_back("store: the pending file cannot be written (" + status->pendingError +
                    "); messages wait in memory");
  }
  if (status->unreadable > shown_.unreadable) {
    lines.push_back("store: " + more(status->unreadable, shown_.unreadable) +
                    " lines of the pending file were no message; they are kept in " + unreadablePath_);
  }
  if (status->rejected > shown_.rejected) {
    lines.push_back("store: " + more(status->rejected, shown_.rejected) + " messages the store can never take (" +
                    status->rejection + ") are kept in " + rejectedPath_);
  }
  if (status->partlyIndexed > 0 && shown_.partlyIndexed == 0) {
    lines.push_back("store: a message is stored whole, but the search cannot find all of it (" +
                    status->partlyIndexedWhy + "); other such messages are not told");
  }
  if (status->lost > shown_.lost) {
    lines.push_back("store: " + more(status->lost, shown_.lost) +
                    " messages could be kept neither in the store nor in the pending file");
  }
  if (auto line = IndexingNews(status->indexing, shown_.indexing)) {
    lines.push_back(std::move(*line));
  }
  shown_ = *status;
  return lines;
}

// Indexing the messages stored before the search index: a line at each
// tenth of the way, and one at the end (which may come with no message more
// done, when the store's last step was building its lookup indexes).
std::optional<std::string> StoreTroubleReport::IndexingNews(const store::search::IndexProgress& now,
                                                            const store::search::IndexProgress& before) {
  const bool ended = now.Finished() && before.total != 0 && !before.Finished();
  if (now.total == 0 || (now.done == before.done && !ended)) {
    return std::nullopt;
  }
  if (now.Finished()) {
    return "store: indexed the " + std::to_string(now.total) + " messages stored before search, all can be searched";
  }
  const auto tenth = [&](const store::search::IndexProgress& progress) { return progress.done * 10 / now.total; };
  if (before.done != 0 && tenth(now) == tenth(before)) {
    return std::nullopt;
  }
  return "store: indexing the messages stored before search: " + std::to_string(now.done) + " of " +
         std::to_string(now.total) + " (" + std::to_string(now.done * 100 / now.total) + "%)";
}

std::string StoreTroubleReport::WaitingAtStop() const {
  return "store: messages not yet written wait in " + pendingPath_ + " for the next start";
}

}  // namespace corvane::receiver
