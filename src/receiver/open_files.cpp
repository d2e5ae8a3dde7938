// The open-file limit through getrlimit/setrlimit, and the open files
// counted in /proc/self/fd (Linux); elsewhere nothing is known.
#include "receiver/open_files.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>

#include <filesystem>
#include <system_error>
#endif

namespace corvane::receiver {

namespace {

#if defined(Q_OS_UNIX)
// The soft limit, nullopt when unlimited or unknown.
std::optional<long> SoftLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return std::nullopt;
  }
  return static_cast<long>(limit.rlim_cur);
}

// How many files are open; at the limit, listing them fails for want of
// one more, which says as much.
std::optional<long> OpenCount(const std::optional<long>& limit) {
  std::error_code error;
  long count = 0;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) {
    ++count;
  }
  if (error == std::errc::too_many_files_open) {
    return limit;
  }
  return error || count == 0 ? std::nullopt : std::optional<long>(count);
}
#endif

// Files kept in reserve below the limit: a process that close to it cannot
// count on opening the next one (a library may hold some briefly).
constexpr long kReserve = 16;

}  // namespace

std::optional<long> RaiseOpenFileLimit() {
#if defined(Q_OS_UNIX)
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
    return std::nullopt;
  }
  if (limit.rlim_cur < limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) {
      limit = raised;
    }
  }
  return limit.rlim_cur == RLIM_INFINITY ? std::nullopt : std::optional<long>(static_cast<long>(limit.rlim_cur));
#else
  return std::nullopt;
#endif
}

std::optional<std::string> OpenFilesNow() {
#if defined(Q_OS_UNIX)
  const auto limit = SoftLimit();
  const auto open = OpenCount(limit);
  if (!limit || !open) {
    return std::nullopt;
  }
  return std::to_string(*open) + " files open, limit " + std::to_string(*limit);
#else
  return std::nullopt;
#endif
}

bool NearOpenFileLimit() {
#if defined(Q_OS_UNIX)
  const auto limit = SoftLimit();
  const auto open = OpenCount(limit);
  return limit && open && *open + kReserve >= *limit;
#else
  return false;
#endif
}

}  // namespace corvane::receiver
