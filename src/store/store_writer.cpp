// The store writer's thread, its queue, and the pending file's part.
#include "store/store_writer.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>

#include "store/search/query.h"

namespace corvane::store {

namespace {

using namespace std::chrono_literals;

constexpr auto kFirstPause = 20ms;
constexpr auto kLongestPause = 500ms;
// What a waiting write costs beside its texts.
constexpr std::size_t kWriteOverhead = 10 * sizeof(std::string) + 64;

std::size_t BytesOf(const StoreOp& op) {
  const decoding::MessageRecord& r = op.record;
  return kWriteOverhead + r.Date.size() + r.Hour.size() + r.Mode.size() + r.Address.size() + r.Flight.size() +
         r.Label.size() + r.Bloc.size() + r.Msn.size() + r.Data.size() + op.station.size() + op.join.text.size();
}

// The lines of a file (a pending file left by an earlier run holds one
// write a line).
std::uint64_t LinesIn(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<std::uint64_t>(
      std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

// The step of retention due now: the cut-offs from the days kept (an alert
// never leaves before the other messages of its day).
PruneStep PruneStepNow(const Retention& keep, std::size_t rows, const decoding::UtcClock& utcNow) {
  constexpr search::UtcMillis kDayMillis = 86'400'000;
  const search::UtcMillis now = decoding::MillisSinceEpoch(utcNow());
  const auto cutOff = [&](int days) { return now - days * kDayMillis; };
  PruneStep step;
  step.before = cutOff(keep.keepDays);
  step.alertsBefore = keep.keepAlertDays > 0 ? std::min(cutOff(keep.keepAlertDays), step.before)
                                             : std::numeric_limits<search::UtcMillis>::min();
  step.rows = rows;
  return step;
}

}  // namespace

StoreWriter::StoreWriter(StoreBackend& backend, std::string name, WriterLimits limits)
    : backend_(backend), name_(std::move(name)), limits_(limits), pending_(backend_.PendingPath(name_)) {
  if (std::string error; !pending_.Lock(error)) {
    throw StoreInUse(error);
  }
  spilling_ = pending_.Exists();
  pendingFromEarlierRun_ = spilling_;
  status_.pendingFile = spilling_;
  inFile_ = spilling_ ? LinesIn(pending_.Path()) : 0;
  thread_ = std::thread([this] { Run(); });
}

StoreWriter::~StoreWriter() { Close(); }

void StoreWriter::Enqueue(const decoding::MessageRecord& record, const std::string& station,
                          std::vector<std::string> alerts, std::string messageId, decoding::BlockJoin join,
                          const reception::ReceptionFacts& facts) {
  Push(
      StoreOp{StoreOp::Kind::Insert, record, station, std::move(alerts), std::move(messageId), std::move(join), facts});
}

void StoreWriter::Push(StoreOp op) {
  const std::size_t bytes = BytesOf(op);
  const auto leftOut = op.kind == StoreOp::Kind::Insert ? search::PartLeftOutOfIndex(op.record.Data) : std::nullopt;
  {
    const std::lock_guard state(stateMutex_);
    if (closed_) {
      return;
    }
    if (leftOut && status_.partlyIndexed++ == 0) {
      status_.partlyIndexedWhy = *leftOut;
    }
    if (!spilling_ && !MustGoToFile(bytes)) {
      queue_.push_back(Waiting{std::move(op), Clock::now(), bytes, handedOver_++});
      queueBytes_ += bytes;
      wake_.notify_one();
      return;
    }
  }
  HandOverToFile(Waiting{std::move(op), Clock::now(), bytes, 0});
}

// Under stateMutex_: the queue would pass its limit, or the writer has been
// stuck in one attempt long enough that the store is as good as refusing.
bool StoreWriter::MustGoToFile(std::size_t bytes) const {
  return queueBytes_ + bytes > limits_.queueBytes ||
         (attemptRunning_ && Clock::now() - attemptSince_ >= limits_.stuckAfter);
}

// The write goes to the end of the pending file, and with it whatever waits
// in memory, so that the file keeps the order. What the file cannot take
// stays in memory, after it.
void StoreWriter::HandOverToFile(Waiting waiting) {
  const std::lock_guard file(fileMutex_);
  const std::lock_guard state(stateMutex_);
  if (closed_) {
    return;
  }
  waiting.number = handedOver_++;
  queueBytes_ += waiting.bytes;
  queue_.push_back(std::move(waiting));
  if (!spilling_ && !MustGoToFile(0)) {
    wake_.notify_one();
    return;
  }
  MoveQueueToFile();
  wake_.notify_one();
}

// Under fileMutex_ and stateMutex_.
bool StoreWriter::AppendToFile(const std::deque<Waiting>& writes) {
  std::deque<StoreOp> ops;
  for (const Waiting& w : writes) {
    ops.push_back(w.op);
  }
  std::string error;
  const bool appended = pending_.Append(ops, error);
  status_.pendingError = appended ? std::string() : error;
  inFile_ += appended ? ops.size() : 0;
  return appended;
}

// Messages of the aircraft still in memory go at once; the deletion itself
// is written after everything handed over before it (the pending file's
// writes included), so nothing of the aircraft comes back.
void StoreWriter::Delete(const std::string& address) {
  {
    const std::lock_guard state(stateMutex_);
    const auto ofAircraft = [&](const Waiting& w) {
      return w.op.kind == StoreOp::Kind::Insert && w.op.record.Address == address;
    };
    for (const Waiting& w : queue_) {
      if (ofAircraft(w)) {
        queueBytes_ -= w.bytes;
      }
    }
    std::erase_if(queue_, ofAircraft);
  }
  StoreOp deletion{StoreOp::Kind::Delete, {}, {}, {}};
  deletion.record.Address = address;
  Push(std::move(deletion));
}

// The store mutex keeps the writer from committing, and the file mutex
// keeps writes from moving into the file, between reading the store and
// reading what waits, so a message shows exactly once.
std::vector<HistoryRow> StoreWriter::History(const std::string& address, const std::string& today,
                                             const std::function<std::vector<HistoryRow>()>& readStored) {
  const std::lock_guard store(storeMutex_);
  std::vector<HistoryRow> stored = readStored();
  bool deleted = false;
  std::vector<decoding::MessageRecord> waiting;
  VisitWaiting(address, [&](const StoreOp& op) {
    if (op.kind == StoreOp::Kind::Delete) {
      deleted = true;
      waiting.clear();
    } else if (op.record.Date == today) {
      waiting.push_back(op.record);
    }
  });
  std::vector<HistoryRow> history = deleted ? std::vector<HistoryRow>() : std::move(stored);
  for (const decoding::MessageRecord& r : waiting) {
    history.push_back({r.Date, r.Hour, r.Flight, r.Data, r.Label, r.Mode});
  }
  return history;
}

std::optional<std::uint64_t> StoreWriter::Count(const std::string& address,
                                                const std::function<std::optional<std::uint64_t>()>& countStored) {
  const std::lock_guard store(storeMutex_);
  bool deleted = false;
  std::uint64_t waiting = 0;
  VisitWaiting(address, [&](const StoreOp& op) {
    if (op.kind == StoreOp::Kind::Delete) {
      deleted = true;
      waiting = 0;
    } else {
      ++waiting;
    }
  });
  if (deleted) {
    return waiting;
  }
  const auto stored = countStored();
  return stored ? std::optional<std::uint64_t>(*stored + waiting) : std::nullopt;
}

void StoreWriter::VisitWaiting(const std::string& address, const std::function<void(const StoreOp&)>& visit) {
  const auto ofAircraft = [&](const StoreOp& op) {
    if (op.record.Address == address) {
      visit(op);
    }
  };
  const std::lock_guard file(fileMutex_);
  if (spilling_) {
    pending_.Read(ofAircraft, UINT64_MAX, pendingTaken_);
  }
  const std::lock_guard state(stateMutex_);
  for (const Waiting& w : queue_) {
    ofAircraft(w.op);
  }
}

// Under stateMutex_.
bool StoreWriter::AllWritten() const { return queue_.empty() && inBatch_ == 0 && !spilling_; }

bool StoreWriter::Flush(std::chrono::milliseconds timeout) {
  std::unique_lock state(stateMutex_);
  return flushed_.wait_for(state, timeout, [this] { return AllWritten() || closed_; }) && AllWritten();
}

// A store call that does not come back by the end of the grace (a server
// that stopped answering, a lock another session keeps) is interrupted, so
// the thread spills what waits and ends.
void StoreWriter::Close() {
  {
    std::unique_lock state(stateMutex_);
    if (closing_) {
      state.unlock();
      if (thread_.joinable()) {
        thread_.join();
      }
      return;
    }
    closing_ = true;
    closeDeadline_ = Clock::now() + limits_.closeGrace;
    wake_.notify_all();
    if (!flushed_.wait_until(state, closeDeadline_ + 50ms, [this] { return closed_; })) {
      state.unlock();
      InterruptSession();
    }
  }
  if (thread_.joinable()) {
    thread_.join();
  }
  pending_.Unlock();
}

WriterStatus StoreWriter::Status() const {
  const std::lock_guard state(stateMutex_);
  WriterStatus status = status_;
  status.waiting = queue_.size() + inBatch_;
  status.inPendingFile = inFile_;
  return status;
}

void StoreWriter::SetCommitObserver(std::function<void(Clock::time_point queued)> observer) {
  const std::lock_guard store(storeMutex_);
  commitObserver_ = std::move(observer);
}

void StoreWriter::Run() {
  auto pause = std::chrono::milliseconds(0);
  // The first attempt opens the store at once, so that a store that cannot
  // be reached is told at start rather than at the first message.
  bool first = true;
  while (first || WaitForWork(pause)) {
    first = false;
    std::string reason;
    bool refused = !WriteOnce(reason);
    if (!refused && !IndexOlderOnce(reason)) {
      refused = true;  // the store refused the indexing: paused and told like any refusal
    }
    if (!refused && !PruneOnce(reason)) {
      refused = true;
    }
    bool reopening = false;
    if (refused) {
      NoteRefused(reason);
      const std::lock_guard state(stateMutex_);
      reopening = !sessionOpen_;
    }
    const auto longest = reopening ? limits_.longestReopenPause : std::chrono::milliseconds(kLongestPause);
    pause = refused ? std::clamp(pause * 2, std::chrono::milliseconds(kFirstPause), longest) : 0ms;
    bool closingExpired = false;
    {
      const std::lock_guard state(stateMutex_);
      closingExpired = closing_ && Clock::now() >= closeDeadline_;
    }
    if (refused && ShouldSpill(closingExpired)) {
      SpillAfterRefusal();
    }
    if (refused && closingExpired) {
      break;
    }
  }
  const std::lock_guard state(stateMutex_);
  // What neither the store nor the pending file took at the end is lost.
  status_.lost += queue_.size();
  queue_.clear();
  queueBytes_ = 0;
  closed_ = true;
  flushed_.notify_all();
}

// Pauses after a refusal (new messages do not cut the pause short, or a
// store that refuses at once would be tried at the rate messages come), then
// waits for something to write, or for the store to come back when it could
// not even be opened; false once closing with nothing left.
bool StoreWriter::WaitForWork(std::chrono::milliseconds pause) {
  std::unique_lock state(stateMutex_);
  const auto pauseEnd = Clock::now() + pause;
  while (Clock::now() < pauseEnd && !(closing_ && Clock::now() >= closeDeadline_)) {
    wake_.wait_until(state, std::min(pauseEnd, closing_ ? closeDeadline_ : pauseEnd));
  }
  const auto work = [this] {
    return !queue_.empty() || spilling_ || (inRefusal_ && !sessionOpen_) || (olderToIndex_ && !inRefusal_) ||
           PruneDue();
  };
  while (!closing_ && !work()) {
    if (limits_.retention.On() && !inRefusal_) {
      wake_.wait_until(state, nextPrune_);
    } else {
      wake_.wait(state);
    }
  }
  return !(closing_ && queue_.empty() && !spilling_);
}

bool StoreWriter::WriteOnce(std::string& reason) {
  const std::lock_guard store(storeMutex_);
  std::deque<Waiting> batch;
  NoteAttempt(true);
  try {
    OpenSessionIfNeeded();
    bool fromFile = false;
    {
      const std::lock_guard state(stateMutex_);
      fromFile = spilling_;
    }
    if (fromFile) {
      ReplayPending();
    } else {
      TakeBatch(batch);
      if (!batch.empty()) {
        WriteBatch(batch);
      }
    }
    NoteAttempt(false);
    NoteCaughtUpIfSo();
    return true;
  } catch (const WriteRefused& refusal) {
    if (!session_ || !session_->SurvivesRefusal()) {
      ResetSession();
    }
    ReturnBatch(batch);
    NoteAttempt(false);
    reason = refusal.what();
    return false;
  }
}

bool StoreWriter::IndexOlderOnce(std::string& reason) {
  {
    const std::lock_guard state(stateMutex_);
    if (!olderToIndex_ || !queue_.empty() || spilling_ || closing_) {
      return true;
    }
  }
  const std::lock_guard store(storeMutex_);
  if (!session_) {
    return true;
  }
  std::optional<search::IndexProgress> progress;
  if (!InOneTransaction([&] { progress = session_->IndexOlder(limits_.indexBatch); }, reason)) {
    return false;
  }
  const std::lock_guard state(stateMutex_);
  status_.indexing = progress.value_or(search::IndexProgress{});
  olderToIndex_ = progress && !progress->Finished();
  return true;
}

// Under storeMutex_, with a session: work in one transaction; false, with
// why, when the store refused it (the session is replaced when it cannot be
// used again).
bool StoreWriter::InOneTransaction(const std::function<void()>& work, std::string& reason) {
  try {
    session_->Begin();
    work();
    session_->Commit();
    return true;
  } catch (const WriteRefused& refusal) {
    session_->Rollback();
    if (!session_->SurvivesRefusal()) {
      ResetSession();
    }
    reason = refusal.what();
    return false;
  }
}

void StoreWriter::SetRetention(Retention retention) {
  const std::lock_guard state(stateMutex_);
  limits_.retention = retention;
  nextPrune_ = Clock::time_point{};
  wake_.notify_all();
}

bool StoreWriter::PruneDue() const {
  return limits_.retention.On() && !inRefusal_ && queue_.empty() && !spilling_ && !closing_ &&
         Clock::now() >= nextPrune_;
}

bool StoreWriter::PruneOnce(std::string& reason) {
  Retention keep;
  {
    const std::lock_guard state(stateMutex_);
    if (!PruneDue()) {
      return true;
    }
    keep = limits_.retention;
  }
  const std::lock_guard store(storeMutex_);
  if (!session_) {
    return true;
  }
  const auto started = Clock::now();
  std::size_t asked = 0;
  std::uint64_t pruned = 0;
  const bool done = InOneTransaction(
      [&] {
        if (keep.keepBytes > 0 && sizeCutLeft_ == 0) {
          PlanSizeCut(keep.keepBytes);
        }
        const PruneStep step = NextPruneStep(keep);
        asked = step.rows;
        pruned = asked > 0 ? session_->Prune(step) : 0;
      },
      reason);
  if (!done) {
    return false;
  }
  // A cut for size that finds nothing more to remove is over.
  sizeCutLeft_ = pruned == 0 ? 0 : sizeCutLeft_ - std::min(sizeCutLeft_, pruned);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
  const std::lock_guard state(stateMutex_);
  status_.pruned += pruned;
  status_.longestPrune = std::max(status_.longestPrune, took);
  // A full step leaves more behind it: the next one comes at once, after
  // any writes that came meanwhile.
  const bool more = asked > 0 && pruned >= asked;
  nextPrune_ = Clock::now() + (more ? Clock::duration::zero() : limits_.prunePause);
  return true;
}

// Past its size, the store gives up its oldest messages until it would take
// a tenth less than allowed, reckoned from what a message takes today. A
// store that does not hand the space back at once (PostgreSQL until
// autovacuum has run, a file made before it could) stays as large after the
// cut, and reuses that space for new messages: it is cut again only once it
// has grown by another twentieth of the limit, not at every look.
void StoreWriter::PlanSizeCut(std::uint64_t keepBytes) {
  const std::optional<std::uint64_t> bytes = session_->StoredBytes();
  if (!bytes) {
    return;
  }
  if (*bytes <= keepBytes) {
    sizeAtLastCut_ = 0;
    return;
  }
  if (sizeAtLastCut_ != 0 && *bytes < sizeAtLastCut_ + keepBytes / 20) {
    return;
  }
  const std::uint64_t messages = session_->PrunableMessages();
  const long double share = 0.9L * static_cast<long double>(keepBytes) / static_cast<long double>(*bytes);
  const auto keepMessages = static_cast<std::uint64_t>(static_cast<long double>(messages) * share);
  sizeCutLeft_ = messages - std::min(messages, keepMessages);
  sizeAtLastCut_ = *bytes;
}

// A cut for size goes first (the oldest, alerts or not); otherwise the
// messages past their days.
PruneStep StoreWriter::NextPruneStep(const Retention& keep) const {
  if (sizeCutLeft_ > 0) {
    PruneStep step;
    step.before = std::numeric_limits<search::UtcMillis>::max();
    step.alertsBefore = step.before;
    step.rows = static_cast<std::size_t>(std::min<std::uint64_t>(limits_.pruneBatch, sizeCutLeft_));
    return step;
  }
  if (keep.keepDays > 0) {
    return PruneStepNow(keep, limits_.pruneBatch, limits_.utcNow);
  }
  return {};
}

void StoreWriter::OpenSessionIfNeeded() {
  if (session_) {
    return;
  }
  auto session = backend_.OpenSession(name_);
  {
    const std::lock_guard lifetime(sessionMutex_);
    session_ = std::move(session);
  }
  const std::lock_guard state(stateMutex_);
  sessionOpen_ = true;
}

// A fresh connection next time sees a file made writable or put back.
void StoreWriter::ResetSession() {
  {
    const std::lock_guard lifetime(sessionMutex_);
    session_.reset();
  }
  const std::lock_guard state(stateMutex_);
  sessionOpen_ = false;
}

void StoreWriter::InterruptSession() {
  const std::lock_guard lifetime(sessionMutex_);
  if (session_) {
    session_->Interrupt();
  }
}

void StoreWriter::NoteAttempt(bool running) {
  const std::lock_guard state(stateMutex_);
  attemptRunning_ = running;
  attemptSince_ = Clock::now();
}

// The file as it stands is written in one transaction, so that it is taken
// entirely or not at all; what was appended meanwhile stays for the next
// attempt, and the pending file ends once nothing was.
void StoreWriter::ReplayPending() {
  std::uint64_t end = 0;
  {
    const std::lock_guard file(fileMutex_);
    end = pending_.Size();
  }
  std::vector<std::pair<StoreOp, std::string>> rejected;
  std::uint64_t messages = 0;
  session_->Begin();
  const PendingReading reading = pending_.Read(
      [&](const StoreOp& op) {
        messages += op.kind == StoreOp::Kind::Insert ? 1 : 0;
        if (auto rejection = session_->Apply(op)) {
          rejected.emplace_back(op, std::move(*rejection));
        }
      },
      end, pendingTaken_);
  session_->Commit();
  if (!reading.unreadable.empty()) {
    std::string error;
    pending_.KeepUnreadable(reading.unreadable, error);
  }
  KeepRejected(rejected);
  {
    const std::lock_guard file(fileMutex_);
    std::string error;
    const bool cut = pending_.DropFront(reading.end, error);
    const std::lock_guard state(stateMutex_);
    pendingTaken_ = cut ? 0 : reading.end;
    inFile_ -= std::min<std::uint64_t>(inFile_, reading.writes + reading.unreadable.size());
    spilling_ = cut ? pending_.Exists() : pending_.Size() > reading.end;
    status_.pendingFile = spilling_;
    if (!cut) {
      status_.pendingError = error;
    }
  }
  NoteReplayed(reading, messages - std::min<std::uint64_t>(messages, rejected.size()));
}

void StoreWriter::KeepRejected(const std::vector<std::pair<StoreOp, std::string>>& rejected) {
  for (const auto& [op, reason] : rejected) {
    std::string error;
    pending_.KeepRejected(op, reason, error);
    const std::lock_guard state(stateMutex_);
    ++status_.rejected;
    status_.rejection = reason;
  }
}

void StoreWriter::TakeBatch(std::deque<Waiting>& batch) {
  const std::lock_guard state(stateMutex_);
  const std::size_t count = std::min(queue_.size(), limits_.batch);
  for (std::size_t i = 0; i < count; ++i) {
    queueBytes_ -= queue_.front().bytes;
    batch.push_back(std::move(queue_.front()));
    queue_.pop_front();
  }
  inBatch_ = batch.size();
}

// A batch the store refused goes back to the front of what waits: before
// the pending file, when writes were handed to it during the attempt.
void StoreWriter::ReturnBatch(std::deque<Waiting>& batch) {
  if (batch.empty()) {
    return;
  }
  const std::lock_guard file(fileMutex_);
  const std::lock_guard state(stateMutex_);
  if (spilling_) {
    std::deque<StoreOp> ops;
    for (const Waiting& w : batch) {
      ops.push_back(w.op);
    }
    std::string error;
    if (pending_.Prepend(ops, error)) {
      inFile_ += ops.size();
      batch.clear();
      inBatch_ = 0;
      return;
    }
    status_.pendingError = error;
  }
  PutBack(batch);
}

// Under stateMutex_.
void StoreWriter::PutBack(std::deque<Waiting>& batch) {
  for (auto w = batch.rbegin(); w != batch.rend(); ++w) {
    queueBytes_ += w->bytes;
    queue_.push_front(std::move(*w));
  }
  batch.clear();
  inBatch_ = 0;
}

void StoreWriter::WriteBatch(std::deque<Waiting>& batch) {
  std::vector<std::pair<StoreOp, std::string>> rejected;
  std::uint64_t messages = 0;
  session_->Begin();
  for (const Waiting& w : batch) {
    messages += w.op.kind == StoreOp::Kind::Insert ? 1 : 0;
    if (auto rejection = session_->Apply(w.op)) {
      rejected.emplace_back(w.op, std::move(*rejection));
    }
  }
  session_->Commit();
  if (commitObserver_) {
    for (const Waiting& w : batch) {
      commitObserver_(w.queued);
    }
  }
  KeepRejected(rejected);
  NoteWritten(batch.size(), messages - std::min<std::uint64_t>(messages, rejected.size()));
  batch.clear();
}

void StoreWriter::NoteWritten(std::size_t count, std::uint64_t stored) {
  const std::lock_guard state(stateMutex_);
  inBatch_ = 0;
  status_.stored += stored;
  if (inRefusal_) {
    lateSoFar_ += count;
  }
  EndRefusalIfCaughtUp();
  flushed_.notify_all();
}

void StoreWriter::NoteReplayed(const PendingReading& reading, std::uint64_t stored) {
  const std::lock_guard state(stateMutex_);
  status_.stored += stored;
  if (pendingFromEarlierRun_) {
    status_.fromEarlierRun += reading.writes;
  } else if (inRefusal_) {
    lateSoFar_ += reading.writes;
  }
  status_.unreadable += reading.unreadable.size();
  pendingFromEarlierRun_ = false;
  EndRefusalIfCaughtUp();
  flushed_.notify_all();
}

// The refusal ends once every write that waited through it is in the store.
// It is ended in the same step that lets Flush return, so that a caller who
// flushed sees the status of a store that caught up.
void StoreWriter::NoteCaughtUpIfSo() {
  const std::lock_guard state(stateMutex_);
  EndRefusalIfCaughtUp();
}

// Under stateMutex_.
void StoreWriter::EndRefusalIfCaughtUp() {
  const bool backlogWritten = queue_.empty() || queue_.front().number >= backlogEnd_;
  if (!inRefusal_ || spilling_ || !backlogWritten) {
    return;
  }
  if (status_.refusing) {
    status_.refusing = false;
    ++status_.catchUps;
    status_.writtenLate = lateSoFar_;
    status_.writtenLateTotal += lateSoFar_;
  }
  status_.reason.clear();  // a short refusal, never reported, leaves no reason behind either
  inRefusal_ = false;
  lateSoFar_ = 0;
}

// A store that cannot be opened at all is reported at once; a refusal of a
// store that was writing only once it has lasted reportAfter.
void StoreWriter::NoteRefused(const std::string& reason) {
  const std::lock_guard state(stateMutex_);
  const auto now = Clock::now();
  if (!inRefusal_) {
    inRefusal_ = true;
    refusalSince_ = now;
    lateSoFar_ = 0;
  }
  backlogEnd_ = handedOver_;
  status_.reason = reason;
  if (!status_.refusing && now - refusalSince_ >= limits_.reportAfter) {
    status_.refusing = true;
    ++status_.refusals;
  }
}

bool StoreWriter::ShouldSpill(bool closingExpired) {
  const std::lock_guard state(stateMutex_);
  if (queue_.empty()) {
    return false;
  }
  const bool longRefusal = inRefusal_ && Clock::now() - refusalSince_ >= limits_.spillAfter;
  return queueBytes_ > limits_.queueBytes || longRefusal || closingExpired;
}

// Everything in memory goes to the end of the pending file, which stays
// older than whatever is handed over next. When the file cannot take it, it
// stays in memory up to the hard cap.
void StoreWriter::SpillAfterRefusal() {
  const std::lock_guard file(fileMutex_);
  const std::lock_guard state(stateMutex_);
  if (!queue_.empty() && MoveQueueToFile()) {
    flushed_.notify_all();
  }
}

// Under fileMutex_ and stateMutex_: what waits in memory goes to the end of
// the pending file, or stays, up to the hard cap, when the file cannot take it.
bool StoreWriter::MoveQueueToFile() {
  if (!AppendToFile(queue_)) {
    DropBeyondHardCap();
    return false;
  }
  queue_.clear();
  queueBytes_ = 0;
  spilling_ = true;
  status_.pendingFile = true;
  return true;
}

// Under stateMutex_.
void StoreWriter::DropBeyondHardCap() {
  while (!queue_.empty() && queueBytes_ > limits_.queueBytes * limits_.hardCapFactor) {
    queueBytes_ -= queue_.front().bytes;
    queue_.pop_front();
    ++status_.lost;
  }
}

}  // namespace corvane::store
