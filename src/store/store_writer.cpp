// The store writer's thread, its queue, and the pending file's part.
#include "store/store_writer.h"

#include <algorithm>

namespace corvane::store {

namespace {

using namespace std::chrono_literals;

constexpr auto kFirstPause = 20ms;
constexpr auto kLongestPause = 500ms;
// What a waiting write costs beside its texts.
constexpr std::size_t kWriteOverhead = 9 * sizeof(std::string) + 64;

std::size_t BytesOf(const StoreOp& op) {
  const decoding::MessageRecord& r = op.record;
  return kWriteOverhead + r.Date.size() + r.Hour.size() + r.Mode.size() + r.Address.size() + r.Flight.size() +
         r.Label.size() + r.Bloc.size() + r.Msn.size() + r.Data.size();
}

}  // namespace

StoreWriter::StoreWriter(StoreBackend& backend, std::string name, WriterLimits limits)
    : backend_(backend), name_(std::move(name)), limits_(limits), pending_(PendingPathFor(name_)) {
  pendingExists_ = pending_.Exists();
  pendingWork_ = pendingExists_;
  pendingFromEarlierRun_ = pendingExists_;
  status_.pendingFile = pendingWork_;
  thread_ = std::thread([this] { Run(); });
}

StoreWriter::~StoreWriter() { Close(); }

void StoreWriter::Enqueue(const decoding::MessageRecord& record) { Push(StoreOp{StoreOp::Kind::Insert, record}); }

void StoreWriter::Push(StoreOp op) {
  {
    const std::lock_guard state(stateMutex_);
    if (closed_) {
      return;
    }
    const std::size_t bytes = BytesOf(op);
    queue_.push_back(Waiting{std::move(op), Clock::now(), bytes, handedOver_++});
    queueBytes_ += bytes;
    ++outstanding_;
  }
  wake_.notify_one();
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
        --outstanding_;
      }
    }
    std::erase_if(queue_, ofAircraft);
  }
  StoreOp deletion{StoreOp::Kind::Delete, {}};
  deletion.record.Address = address;
  Push(std::move(deletion));
}

// The store mutex keeps the writer from committing between reading the
// store and reading what waits, so a message shows exactly once.
std::string StoreWriter::History(const std::string& address, const std::string& today,
                                 const std::function<std::string()>& readStored) {
  const std::lock_guard store(storeMutex_);
  const std::string stored = readStored();
  bool deleted = false;
  std::vector<const decoding::MessageRecord*> waiting;
  std::deque<StoreOp> fromFile;
  const auto visit = [&](const StoreOp& op) {
    if (op.record.Address != address) {
      return;
    }
    if (op.kind == StoreOp::Kind::Delete) {
      deleted = true;
      waiting.clear();
    } else if (op.record.Date == today) {
      waiting.push_back(&op.record);
    }
  };
  if (pendingWork_) {
    std::size_t index = 0;
    pending_.ForEach([&](const StoreOp& op) {
      if (index++ >= pendingWritten_) {
        fromFile.push_back(op);
      }
    });
    for (const StoreOp& op : fromFile) {
      visit(op);
    }
  }
  std::string history;
  {
    const std::lock_guard state(stateMutex_);
    for (const Waiting& w : queue_) {
      visit(w.op);
    }
    history = deleted ? std::string() : stored;
    for (const decoding::MessageRecord* r : waiting) {
      AppendHistoryRow(history, {r->Date, r->Hour, r->Flight, r->Data});
    }
  }
  return history;
}

bool StoreWriter::Flush(std::chrono::milliseconds timeout) {
  std::unique_lock state(stateMutex_);
  return flushed_.wait_for(state, timeout, [this] { return outstanding_ == 0 && !pendingWork_; });
}

void StoreWriter::Close() {
  {
    const std::lock_guard state(stateMutex_);
    if (closing_) {
      return;
    }
    closing_ = true;
    closeDeadline_ = Clock::now() + limits_.closeGrace;
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
}

WriterStatus StoreWriter::Status() const {
  const std::lock_guard state(stateMutex_);
  WriterStatus status = status_;
  status.waiting = queue_.size();
  return status;
}

void StoreWriter::SetCommitObserver(std::function<void(Clock::time_point queued)> observer) {
  const std::lock_guard store(storeMutex_);
  commitObserver_ = std::move(observer);
}

void StoreWriter::Run() {
  auto pause = std::chrono::milliseconds(0);
  while (WaitForWork(pause)) {
    std::string reason;
    const bool refused = !WriteOnce(reason);
    if (refused) {
      NoteRefused(reason);
      pause = std::clamp(pause * 2, std::chrono::milliseconds(kFirstPause), std::chrono::milliseconds(kLongestPause));
    } else {
      pause = 0ms;
    }
    bool closingExpired = false;
    {
      const std::lock_guard state(stateMutex_);
      closingExpired = closing_ && Clock::now() >= closeDeadline_;
    }
    if (ShouldSpill(refused, closingExpired)) {
      Spill();
    }
    if (refused && closingExpired) {
      break;
    }
  }
  const std::lock_guard state(stateMutex_);
  // What neither the store nor the pending file took at the end is lost.
  status_.lost += queue_.size();
  outstanding_ -= queue_.size();
  queue_.clear();
  queueBytes_ = 0;
  closed_ = true;
  flushed_.notify_all();
}

// Pauses after a refusal (new messages do not cut the pause short, or a
// store that refuses at once would be tried at the rate messages come), then
// waits for something to write; false once closing with nothing left.
bool StoreWriter::WaitForWork(std::chrono::milliseconds pause) {
  std::unique_lock state(stateMutex_);
  const auto pauseEnd = Clock::now() + pause;
  while (Clock::now() < pauseEnd) {
    wake_.wait_until(state, pauseEnd);
  }
  wake_.wait(state, [this] { return closing_ || !queue_.empty() || pendingWork_; });
  return !(closing_ && queue_.empty() && !pendingWork_);
}

bool StoreWriter::WriteOnce(std::string& reason) {
  const std::lock_guard store(storeMutex_);
  std::deque<Waiting> batch;
  try {
    if (!session_) {
      session_ = backend_.OpenSession(name_);
    }
    if (pendingWork_) {
      ReplayPending();
    }
    RemoveWrittenPendingFile();
    TakeBatch(batch);
    if (!batch.empty()) {
      WriteBatch(batch);
    }
    NoteCaughtUpIfSo();
    return true;
  } catch (const WriteRefused& refusal) {
    // A fresh connection next time sees a file made writable or put back.
    session_.reset();
    PutBack(batch);
    reason = refusal.what();
    return false;
  }
}

// The whole file in one transaction, so that it is taken entirely or not at
// all; writes the store took before are passed over.
void StoreWriter::ReplayPending() {
  std::size_t index = 0;
  std::size_t applied = 0;
  session_->Begin();
  pending_.ForEach([&](const StoreOp& op) {
    if (index++ >= pendingWritten_) {
      session_->Apply(op);
      ++applied;
    }
  });
  session_->Commit();
  const bool removed = pending_.Remove();
  {
    const std::lock_guard state(stateMutex_);
    pendingExists_ = !removed;
    pendingWritten_ = removed ? 0 : index;
    pendingWork_ = false;
    status_.pendingFile = false;
  }
  NoteReplayed(applied);
}

void StoreWriter::RemoveWrittenPendingFile() {
  if (!pendingExists_ || pendingWork_ || !pending_.Remove()) {
    return;
  }
  const std::lock_guard state(stateMutex_);
  pendingExists_ = false;
  pendingWritten_ = 0;
}

void StoreWriter::TakeBatch(std::deque<Waiting>& batch) {
  const std::lock_guard state(stateMutex_);
  const std::size_t count = std::min(queue_.size(), limits_.batch);
  for (std::size_t i = 0; i < count; ++i) {
    queueBytes_ -= queue_.front().bytes;
    batch.push_back(std::move(queue_.front()));
    queue_.pop_front();
  }
}

void StoreWriter::PutBack(std::deque<Waiting>& batch) {
  const std::lock_guard state(stateMutex_);
  for (auto w = batch.rbegin(); w != batch.rend(); ++w) {
    queueBytes_ += w->bytes;
    queue_.push_front(std::move(*w));
  }
  batch.clear();
}

void StoreWriter::WriteBatch(std::deque<Waiting>& batch) {
  session_->Begin();
  for (const Waiting& w : batch) {
    session_->Apply(w.op);
  }
  session_->Commit();
  if (commitObserver_) {
    for (const Waiting& w : batch) {
      commitObserver_(w.queued);
    }
  }
  NoteWritten(batch.size());
  batch.clear();
}

void StoreWriter::NoteWritten(std::size_t count) {
  const std::lock_guard state(stateMutex_);
  outstanding_ -= count;
  if (inRefusal_) {
    lateSoFar_ += count;
  }
  flushed_.notify_all();
}

void StoreWriter::NoteReplayed(std::size_t count) {
  const std::lock_guard state(stateMutex_);
  if (inRefusal_) {
    lateSoFar_ += count;
  } else if (pendingFromEarlierRun_) {
    status_.fromEarlierRun += count;
  }
  pendingFromEarlierRun_ = false;
  flushed_.notify_all();
}

// The refusal ends once every write that waited through it is in the store.
void StoreWriter::NoteCaughtUpIfSo() {
  const std::lock_guard state(stateMutex_);
  const bool backlogWritten = queue_.empty() || queue_.front().number >= backlogEnd_;
  if (!inRefusal_ || pendingWork_ || !backlogWritten) {
    return;
  }
  if (status_.refusing) {
    status_.refusing = false;
    status_.reason.clear();
    ++status_.catchUps;
    status_.writtenLate = lateSoFar_;
  }
  inRefusal_ = false;
  lateSoFar_ = 0;
}

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

bool StoreWriter::ShouldSpill(bool refused, bool closingExpired) {
  const std::lock_guard state(stateMutex_);
  if (queue_.empty()) {
    return false;
  }
  const bool longRefusal = inRefusal_ && Clock::now() - refusalSince_ >= limits_.spillAfter;
  return queueBytes_ > limits_.queueBytes || (refused && (longRefusal || closingExpired));
}

// Everything in memory goes to the end of the pending file, which stays
// older than whatever is handed over next. When the file cannot take it, it
// stays in memory up to the hard cap.
void StoreWriter::Spill() {
  const std::lock_guard store(storeMutex_);
  std::deque<Waiting> all;
  {
    const std::lock_guard state(stateMutex_);
    all.swap(queue_);
    queueBytes_ = 0;
  }
  std::deque<StoreOp> ops;
  for (const Waiting& w : all) {
    ops.push_back(w.op);
  }
  std::string error;
  if (pending_.Append(ops, error)) {
    const std::lock_guard state(stateMutex_);
    outstanding_ -= all.size();
    pendingExists_ = true;
    pendingWork_ = true;
    status_.pendingFile = true;
    flushed_.notify_all();
    return;
  }
  PutBack(all);
  {
    const std::lock_guard state(stateMutex_);
    status_.reason += "; " + error;
  }
  DropBeyondHardCap();
}

void StoreWriter::DropBeyondHardCap() {
  const std::lock_guard state(stateMutex_);
  while (!queue_.empty() && queueBytes_ > limits_.queueBytes * limits_.hardCapFactor) {
    queueBytes_ -= queue_.front().bytes;
    queue_.pop_front();
    --outstanding_;
    ++status_.lost;
  }
}

}  // namespace corvane::store
