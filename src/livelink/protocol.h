// The live link protocol's names, limits and frames (plain C++): DDE-shaped
// conversations (topic, request, advise, unadvise, close) carried in the card
// link's frames. See docs/livelink-protocol.md.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cardlink/wire.h"

namespace corvane::livelink {

namespace wire = cardlink::wire;

inline constexpr std::string_view kDefaultServerName = "Corvane";
inline constexpr std::string_view kProtocolName = "CORVANE-LIVELINK";
inline constexpr std::string_view kProtocolVersion = "1";
inline constexpr std::string_view kTopic = "ACARS";

// The items, exact and case-sensitive.
inline constexpr std::string_view kLiveItem = "LiveItem";  // the last raw card text record
inline constexpr std::string_view kLiveData = "LiveData";  // the summary of the last accepted message
// The last accepted message as one UTF-8 JSON object, with its readable decoding.
inline constexpr std::string_view kLiveJson = "LiveJSON";

// A value longer than this is never published: its frame would not fit.
inline constexpr std::size_t kMaxValueSize = 1024U * 1024U;
// Unsent bytes beyond which a client counts as not reading and is dropped.
inline constexpr long long kDefaultBacklogLimit = 8LL * 1024 * 1024;
// How long a client waits for any answer.
inline constexpr int kAnswerTimeoutMs = 3000;

// What the client sends.
inline constexpr std::string_view kConnect = "CONNECT";
inline constexpr std::string_view kRequest = "REQUEST";
inline constexpr std::string_view kAdvise = "ADVISE";
inline constexpr std::string_view kUnadvise = "UNADVISE";
inline constexpr std::string_view kClose = "CLOSE";

// What the server sends: one answer per command, in order...
inline constexpr std::string_view kConnected = "CONNECTED";
inline constexpr std::string_view kRefused = "REFUSED";
inline constexpr std::string_view kData = "DATA";
inline constexpr std::string_view kAdvised = "ADVISED";
inline constexpr std::string_view kUnadvised = "UNADVISED";
inline constexpr std::string_view kClosed = "CLOSED";
inline constexpr std::string_view kError = "ERROR";
// ...and, between answers, pushed changes and the reason for a drop.
inline constexpr std::string_view kUpdate = "UPDATE";
inline constexpr std::string_view kDropped = "DROPPED";

// Error codes of REFUSED and ERROR frames.
inline constexpr std::string_view kErrUnknownTopic = "unknown-topic";
inline constexpr std::string_view kErrBadProtocol = "bad-protocol";
inline constexpr std::string_view kErrUnknownItem = "unknown-item";
inline constexpr std::string_view kErrNotConnected = "not-connected";
inline constexpr std::string_view kErrAlreadyConnected = "already-connected";
inline constexpr std::string_view kErrAlreadyAdvised = "already-advised";
inline constexpr std::string_view kErrNotAdvised = "not-advised";
inline constexpr std::string_view kErrUnknownCommand = "unknown-command";
inline constexpr std::string_view kErrBadArguments = "bad-arguments";
// Codes the client reports of its own accord.
inline constexpr std::string_view kErrNotRunning = "not-running";
inline constexpr std::string_view kErrTimeout = "timeout";
inline constexpr std::string_view kErrConnectionLost = "connection-lost";
inline constexpr std::string_view kErrDropped = "dropped";
inline constexpr std::string_view kErrBadReply = "bad-reply";
inline constexpr std::string_view kErrNotOpen = "not-open";
// The live link's socket or folder belongs to another user or is open to others.
inline constexpr std::string_view kErrUnsafe = "unsafe";

[[nodiscard]] bool IsKnownItem(std::string_view item);

// "LiveItem, LiveData, LiveJSON", for messages.
[[nodiscard]] std::string KnownItemList();

// Bytes as a short, printable text for log lines and messages: bytes outside
// printable ASCII become \xHH, and a long text is cut with "...".
[[nodiscard]] std::string Printable(std::string_view bytes, std::size_t limit = 40);

// Frames as they travel.
[[nodiscard]] std::string CommandFrame(std::string_view command, std::string_view subject);
[[nodiscard]] std::string ConnectFrame(std::string_view topic);
[[nodiscard]] std::string UpdateFrame(std::string_view item, std::string_view value);
[[nodiscard]] std::string ErrorFrame(std::string_view command, std::string_view subject, std::string_view code,
                                     std::string_view message);

}  // namespace corvane::livelink
