// The store writer takes the store's writes off the message path. Messages
// (and deletions) are handed over at once and kept in order; a thread of the
// writer's own, with one connection kept open for the run, commits whatever
// waits in one transaction. A store that refuses a write for a passing
// reason keeps the writes waiting, retried with a growing pause, so nothing
// is written twice and nothing is dropped.
//
// Writes wait in memory while the store takes them; once it refuses, they
// wait in the pending file instead, so that a crash loses nothing accepted:
//
//   in memory --refused (SpillAfterRefusal), over the memory limit or an
//               attempt stuck (HandOverToFile)--> in the pending file
//   in the pending file --the file taken whole, nothing handed over
//               meanwhile (ReplayPending)--> in memory
//
// While the pending file holds writes, every write handed over is appended
// to it before Enqueue returns; the file is written into the store in one
// transaction and cut at its front once the store has taken it. A batch the
// store refuses after writes went to the file meanwhile is put back before
// them (ReturnBatch). A lock beside the pending file keeps other processes
// off it for the writer's life. Reads (History) see every write handed over
// before them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "decoding/utc_clock.h"
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
  // A refusal lasting this long sends the waiting writes to the pending file
  // (at once by default: a crash during a refusal then loses nothing).
  std::chrono::milliseconds spillAfter{0};
  // An attempt running this long counts as stuck: writes handed over
  // meanwhile go to the pending file.
  std::chrono::milliseconds stuckAfter{250};
  // A refusal shorter than this (a lock held for a moment) is not reported.
  std::chrono::milliseconds reportAfter{1000};
  // How long Close keeps trying a refusing store before it spills.
  std::chrono::milliseconds closeGrace{3000};
  // The longest pause between attempts while the store cannot even be
  // opened (a server away, a password refused): not to knock every second.
  std::chrono::milliseconds longestReopenPause{5000};
  // The most writes committed in one transaction.
  std::size_t batch = 2000;
  // The most messages stored before the search index that are indexed in
  // one transaction, between the writes (each batch holds new writes back
  // for a few tens of milliseconds at most).
  std::size_t indexBatch = 1000;
  // How long messages stay (off: for ever), and the most that leave in one
  // transaction between the writes.
  Retention retention = {};
  std::size_t pruneBatch = 500;
  // When a step found fewer than pruneBatch, the next look is this far off.
  std::chrono::milliseconds prunePause{60000};
  // The UTC clock retention measures ages by: the one that stamps the
  // messages (a bench runs days of traffic through a faster one).
  decoding::UtcClock utcNow = decoding::SystemUtcNow;
};

// What the writer has been through, for the receiver and the window to show.
struct WriterStatus {
  bool refusing = false;                      // the store has refused writes for reportAfter or longer
  std::string reason;                         // why, while refusing
  std::uint64_t refusals = 0;                 // refusals reported so far
  std::uint64_t catchUps = 0;                 // reported refusals that ended with every waiting write taken
  std::uint64_t writtenLate = 0;              // writes taken late in the last refusal that ended
  std::uint64_t fromEarlierRun = 0;           // writes an earlier run left in the pending file, now taken
  std::uint64_t lost = 0;                     // writes kept neither by the store nor by the pending file
  std::uint64_t unreadable = 0;               // lines of the pending file that were no write, kept beside it
  std::uint64_t rejected = 0;                 // rows the store can never take, kept beside the pending file
  std::string rejection;                      // the store's reason for the last of them
  std::uint64_t partlyIndexed = 0;            // messages stored whole, but only part of them can be searched
  std::string partlyIndexedWhy;               // what the search index left out of the first of them
  std::uint64_t pruned = 0;                   // messages retention removed from the store
  std::chrono::milliseconds longestPrune{0};  // the longest step of retention so far (writes wait meanwhile)
  std::string pendingError;                   // why the pending file cannot be written; empty while it can
  std::size_t waiting = 0;                    // writes waiting in memory
  std::uint64_t inPendingFile = 0;            // writes waiting in the pending file
  std::uint64_t stored = 0;                   // messages the store took in this run (rows it refused not counted)
  std::uint64_t writtenLateTotal = 0;         // writes taken late, over every reported refusal that ended
  bool pendingFile = false;                   // the pending file holds writes
  // Messages stored before the store had a search index: indexed so far, of
  // how many (both 0 when there were none).
  search::IndexProgress indexing;
};

class StoreWriter {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts the writer on the store `name` of `backend`; a pending file left
  // by an earlier run is written first. Throws StoreInUse when another
  // process holds the pending file.
  StoreWriter(StoreBackend& backend, std::string name, WriterLimits limits = {});
  ~StoreWriter();
  StoreWriter(const StoreWriter&) = delete;
  StoreWriter& operator=(const StoreWriter&) = delete;

  // Hands a message over (with the station that first heard it, when it was
  // relayed, its identity, and what the block joiner said of it); never waits for the store, only, while the pending
  // file is in use, for the file to take it.
  void Enqueue(const decoding::MessageRecord& record, const std::string& station = {},
               std::vector<std::string> alerts = {}, std::string messageId = {}, decoding::BlockJoin join = {},
               const reception::ReceptionFacts& facts = {});

  // Deletes every message of the aircraft: those still waiting in memory at
  // once, the stored ones as the next write, after everything handed over before.
  void Delete(const std::string& address);

  // One aircraft's day: what readStored finds in the store, without what a
  // waiting deletion removes, followed by the messages of that day still
  // waiting.
  std::vector<HistoryRow> History(const std::string& address, const std::string& today,
                                  const std::function<std::vector<HistoryRow>()>& readStored);

  // How many messages of the aircraft a deletion would remove: what
  // countStored finds in the store (unless a deletion already waits), and
  // those still waiting; nothing when the store cannot tell.
  std::optional<std::uint64_t> Count(const std::string& address,
                                     const std::function<std::optional<std::uint64_t>()>& countStored);

  // Waits until every write handed over is in the store; false when the
  // time runs out first.
  bool Flush(std::chrono::milliseconds timeout);

  // Writes what waits, trying a refusing store for closeGrace (a call the
  // store does not answer by then is interrupted), then puts the rest in the
  // pending file, stops the thread and lets the pending file go. Enqueue
  // does nothing after.
  void Close();

  // Messages past their time leave the store a step at a time, while
  // nothing waits to be written; the first look is at once.
  void SetRetention(Retention retention);

  [[nodiscard]] WriterStatus Status() const;
  [[nodiscard]] const PendingFile& Pending() const { return pending_; }
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
  // One batch of older messages indexed, when nothing waits to be written;
  // false, with why, when the store refused it.
  bool IndexOlderOnce(std::string& reason);
  // One step of retention, when it is due; false, with why, when the store
  // refused it.
  bool PruneOnce(std::string& reason);
  bool InOneTransaction(const std::function<void()>& work, std::string& reason);
  // Under stateMutex_: retention is on, its time has come, and nothing
  // waits to be written.
  [[nodiscard]] bool PruneDue() const;
  // The store's size against keepBytes: how many of the oldest messages
  // must leave (sizeCutLeft_); inside a transaction.
  void PlanSizeCut(std::uint64_t keepBytes);
  [[nodiscard]] PruneStep NextPruneStep(const Retention& keep) const;
  void OpenSessionIfNeeded();
  void ResetSession();
  void InterruptSession();
  void ReplayPending();
  void WriteBatch(std::deque<Waiting>& batch);
  void TakeBatch(std::deque<Waiting>& batch);
  void ReturnBatch(std::deque<Waiting>& batch);
  void PutBack(std::deque<Waiting>& batch);
  // Under storeMutex_: every waiting write of the aircraft, oldest first,
  // from the pending file and from memory.
  void VisitWaiting(const std::string& address, const std::function<void(const StoreOp&)>& visit);
  void NoteAttempt(bool running);
  void NoteWritten(std::size_t count, std::uint64_t stored);
  void NoteReplayed(const PendingReading& reading, std::uint64_t stored);
  void NoteCaughtUpIfSo();
  void EndRefusalIfCaughtUp();
  void NoteRefused(const std::string& reason);
  void KeepRejected(const std::vector<std::pair<StoreOp, std::string>>& rejected);
  [[nodiscard]] bool ShouldSpill(bool closingExpired);
  void SpillAfterRefusal();
  void Push(StoreOp op);
  void HandOverToFile(Waiting waiting);
  [[nodiscard]] bool MustGoToFile(std::size_t bytes) const;
  bool AppendToFile(const std::deque<Waiting>& writes);
  bool MoveQueueToFile();
  void DropBeyondHardCap();
  [[nodiscard]] bool AllWritten() const;

  StoreBackend& backend_;
  std::string name_;
  WriterLimits limits_;
  PendingFile pending_;

  // Taken in this order. storeMutex_ is held while the store is written or
  // read; fileMutex_ while the pending file is written or cut, or the
  // decision where a write goes is made; stateMutex_ while the queue and the
  // status change. Enqueue takes only stateMutex_ while the store takes
  // writes, so it never waits for a disk then. sessionMutex_ guards the
  // session's lifetime alone, so Close can interrupt a call under way.
  std::mutex storeMutex_;
  std::mutex fileMutex_;
  mutable std::mutex stateMutex_;
  std::mutex sessionMutex_;
  std::condition_variable wake_;
  std::condition_variable flushed_;

  std::unique_ptr<StoreSession> session_;  // writer thread, under storeMutex_; its lifetime under sessionMutex_
  std::deque<Waiting> queue_;
  std::size_t queueBytes_ = 0;
  std::size_t inBatch_ = 0;  // writes of the queue being written now
  std::uint64_t handedOver_ = 0;
  // The pending file holds writes not yet in the store (older than those in
  // queue_); changed under fileMutex_ and stateMutex_ together.
  bool spilling_ = false;
  // Bytes at the front of the pending file that the store took but that
  // could not be cut off the file (it is then read from there on).
  std::uint64_t pendingTaken_ = 0;
  // Writes in the pending file that the store has not taken.
  std::uint64_t inFile_ = 0;
  bool pendingFromEarlierRun_ = false;
  bool sessionOpen_ = false;
  // Messages stored before the search index may be left to index.
  bool olderToIndex_ = true;
  Clock::time_point nextPrune_{};  // under stateMutex_
  // The oldest messages still to leave to bring the store under its size,
  // and the size that set them going (writer thread only).
  std::uint64_t sizeCutLeft_ = 0;
  std::uint64_t sizeAtLastCut_ = 0;
  bool attemptRunning_ = false;
  Clock::time_point attemptSince_{};
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
