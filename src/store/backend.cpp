// What the backends share: applying stored tables, history rows, insert rows.
#include "store/backend.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "reference/reference_tables.h"
#include "store/pending_file.h"

namespace corvane::store {

StoreTooNew::StoreTooNew(int found, int known)
    : StoreInUse("this store was written by a newer Corvane (schema " + std::to_string(found) + ", this one knows " +
                 std::to_string(known) + "); it is left as it is") {}

namespace {

// The stored rows that 16-bit row numbers can reach.
template <typename Rows>
std::size_t Reachable(const Rows& rows) {
  return std::min(rows.size(), reference::kMaxRows);
}

// The decimal ID, or -1 when the text is not a whole number.
long ParseId(std::string_view text) {
  long id = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() ? id : -1;
}

}  // namespace

bool StoreBackend::Exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

std::string StoreBackend::PendingPath(const std::string& name) { return PendingPathFor(name); }

void ApplyStoredTables(const StoredTables& stored, reference::ReferenceTables& tables) {
  if (stored.labels.empty() || stored.codes.empty() || stored.countries.empty()) {
    tables.FillBuiltinTables();
    return;
  }
  std::vector<reference::LabelRow> labels(Reachable(stored.labels));
  for (std::size_t i = 0; i < labels.size(); ++i) {
    labels[i] = {stored.labels[i].first, stored.labels[i].second, std::string()};
  }
  std::vector<reference::CodeRow> codes(Reachable(stored.codes));
  for (std::size_t i = 0; i < codes.size(); ++i) {
    codes[i] = {stored.codes[i].first, stored.codes[i].second};
  }
  std::vector<std::string> countries(Reachable(stored.countries));
  for (const auto& [idText, name] : stored.countries) {
    const long id = ParseId(idText);
    if (id >= 0 && static_cast<std::size_t>(id) < countries.size()) {
      countries[static_cast<std::size_t>(id)] = name;
    }
  }
  tables.SetLabels(std::move(labels));
  tables.SetCodes(std::move(codes));
  tables.SetCountries(std::move(countries));
}

void AppendHistoryRow(std::string& history, const HistoryRow& row) {
  if (row.data.empty()) {
    return;
  }
  history += row.date;
  history += ' ';
  history += row.hour;
  history += ": ";
  history += row.flight;
  history += "\r\n";
  history += row.data;
  history += "--\r\n";
}

InitialRows InitialRowsOf(const reference::ReferenceTables& tables) {
  InitialRows rows;
  for (const reference::LabelRow& row : tables.Labels()) {
    if (!row.label.empty()) {
      rows.labels.push_back({row.label, row.smi, row.description});
    }
  }
  for (const reference::CodeRow& row : tables.Codes()) {
    if (!row.code.empty()) {
      rows.codes.push_back({row.code, row.description});
    }
  }
  for (std::size_t id = 0; id < tables.Countries().size(); ++id) {
    rows.countries.push_back({std::to_string(id), tables.Countries()[id]});
  }
  for (const reference::AirportRow& row : tables.Airports()) {
    if (!row.code.empty()) {
      rows.airports.push_back({row.code, row.countryId, row.name});
    }
  }
  return rows;
}

search::SearchPage StoreBackend::Search(const std::string& /*name*/, const search::SearchRequest& /*request*/) {
  throw search::SearchFailed("this store cannot be searched");
}

std::uint64_t StoreBackend::CountMatches(const std::string& /*name*/, const search::Query& /*query*/) {
  throw search::SearchFailed("this store cannot be searched");
}

search::IndexProgress StoreBackend::IndexingProgress(const std::string& /*name*/) { return {}; }

std::vector<search::PositionRow> StoreBackend::Positions(const std::string& /*name*/, search::UtcMillis /*since*/,
                                                         std::size_t /*limit*/) {
  throw search::SearchFailed("this store cannot be searched");
}

search::Statistics StoreBackend::StatisticsOf(const std::string& /*name*/, search::UtcMillis /*from*/,
                                              search::UtcMillis /*to*/, std::size_t /*topAircraft*/) {
  throw search::SearchFailed("this store cannot be searched");
}

}  // namespace corvane::store
