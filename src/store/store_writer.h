// The store writer takes the store's writes off the message path. Messages
// (and deletions) are handed over at once and kept in order; a thread of the
// writer's own, with one connection kept open for the run, commits whatever
// waits in one transaction. A store that refuses a write for a passing
// reason keeps the writes waiting, retried with a growing pause, so nothing
// is written twice and nothing is dropped:
//
//   writing --write refused--> refusing --a write taken, nothing left waiting--> writing
//
// Waiting writes go to the pending file beside the store (PendingFile) when
// they pass the memory limit, when the store has refused for a while (so a
// crash loses nothing), and at Close when the store still refuses. The file
// is written into the store, then removed, as soon as the store takes writes
// again, also at the next start. Reads (History) see every write handed over
// before them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "store/backend.h"
#include "store/pending_file.h"

namespace corvane::store {

struct WriterLimits {
  // Waiting writes in memory beyond this go to the pending file.
  std::size_t queueBytes = std::size_t{32} << 20;
  // When the pending file cannot take them either, writes beyond this many
  // times queueBytes are dropped (and counted as lost) rather than filling
  // the machine's memory.
  std::size_t hardCapFactor = 8;
  // A refusal lasting this long sends the waiting writes to the pending file.
  std::chrono::milliseconds spillAfter{5000};
  // A refusal shorter than this (a lock held for a moment) is not reported.
  std::chrono::milliseconds reportAfter{1000};
  // How long Close keeps trying a refusing store before it spills.
  std::chrono::milliseconds closeGrace{3000};
  // The most writes committed in one transaction.
  std::size_t batch = 2000;
};

// What the writer has been through, for the receiver and the window to show.
struct WriterStatus {
  bool refusing = false;             // the store has refused writes for reportAfter or longer
  std::string reason;                // why, while refusing
  std::uint64_t refusals = 0;        // refusals reported so far
  std::uint64_t catchUps = 0;        // reported refusals that ended with every waiting write taken
  std::uint64_t writtenLate = 0;     // writes taken late in the last refusal that ended
  std::uint64_t fromEarlierRun = 0;  // writes an earlier run left in the pending file, now taken
  std::uint64_t lost = 0;            // writes kept neither by the store nor by the pending file
  std::size_t waiting = 0;           // writes waiting in memory
  bool pendingFile = false;          // the pending file holds writes
};

class StoreWriter {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts the writer on the store file `name` of `backend`; a pending file
  // left beside it is written first.
  StoreWriter(StoreBackend& backend, std::string name, WriterLimits limits = {});
  ~StoreWriter();
  StoreWriter(const StoreWriter&) = delete;
  StoreWriter& operator=(const StoreWriter&) = delete;

  // Hands a message over; never waits for the disk.
  void Enqueue(const decoding::MessageRecord& record);

  // Deletes every message of the aircraft: those still waiting at once, the
  // stored ones as the next write, after everything handed over before.
  void Delete(const std::string& address);

  // The history text of one aircraft's day: what readStored finds in the
  // store, without what a waiting deletion removes, followed by the
  // messages of that day still waiting.
  std::string History(const std::string& address, const std::string& today,
                      const std::function<std::string()>& readStored);

  // Waits until every write handed over is in the store; false when the
  // time runs out first.
  bool Flush(std::chrono::milliseconds timeout);

  // Writes what waits, trying a refusing store for closeGrace, then puts the
  // rest in the pending file, and stops the thread. Enqueue does nothing after.
  void Close();

  [[nodiscard]] WriterStatus Status() const;
  [[nodiscard]] const std::string& PendingPath() const { return pending_.Path(); }

  // Called on the writer's thread with the hand-over time of each write just
  // committed (for measuring).
  void SetCommitObserver(std::function<void(Clock::time_point queued)> observer);

 private:
  struct Waiting {
    StoreOp op;
    Clock::time_point queued;
    std::size_t bytes;
    std::uint64_t number;  // hand-over order
  };

  void Run();
  bool WaitForWork(std::chrono::milliseconds pause);
  bool WriteOnce(std::string& reason);
  void ReplayPending();
  void WriteBatch(std::deque<Waiting>& batch);
  void TakeBatch(std::deque<Waiting>& batch);
  void PutBack(std::deque<Waiting>& batch);
  void RemoveWrittenPendingFile();
  void NoteWritten(std::size_t count);
  void NoteReplayed(std::size_t count);
  void NoteCaughtUpIfSo();
  void NoteRefused(const std::string& reason);
  [[nodiscard]] bool ShouldSpill(bool refused, bool closingExpired);
  void Spill();
  void DropBeyondHardCap();
  void Push(StoreOp op);

  StoreBackend& backend_;
  std::string name_;
  WriterLimits limits_;
  PendingFile pending_;

  // storeMutex_ is held while the store or the pending file is written or
  // read; stateMutex_ only while the queue and the status change. Taken in
  // that order; Enqueue takes stateMutex_ alone, so it never waits for a disk.
  std::mutex storeMutex_;
  mutable std::mutex stateMutex_;
  std::condition_variable wake_;
  std::condition_variable flushed_;

  std::unique_ptr<StoreSession> session_;  // writer thread, under storeMutex_
  std::deque<Waiting> queue_;
  std::size_t queueBytes_ = 0;
  std::size_t outstanding_ = 0;  // handed over, not yet in the store, the pending file or given up
  std::uint64_t handedOver_ = 0;
  // The pending file: there, holding writes not yet in the store, and how
  // many of its writes the store has already taken (a file that could not
  // be removed after its writes were taken is not written twice).
  bool pendingExists_ = false;
  bool pendingWork_ = false;
  std::size_t pendingWritten_ = 0;
  bool pendingFromEarlierRun_ = false;
  bool closing_ = false;
  bool closed_ = false;
  Clock::time_point closeDeadline_{};
  // The refusal under way: since when, and writes taken late so far.
  bool inRefusal_ = false;
  Clock::time_point refusalSince_{};
  std::uint64_t lateSoFar_ = 0;
  std::uint64_t backlogEnd_ = 0;  // writes handed over before this number waited through the refusal
  WriterStatus status_;
  std::function<void(Clock::time_point)> commitObserver_;

  std::thread thread_;
};

}  // namespace corvane::store
