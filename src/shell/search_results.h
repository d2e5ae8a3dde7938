// What the Search window shows of a message found and what it exports: the
// time, the tail without its padding, the first line of the text, and the
// results as CSV or JSON lines. Plain C++: card texts stay bytes here and
// the files are written in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/search/search.h"

namespace corvane::shell {

// "2026-12-07" from a Date field (YYMMDD); the field as it is when it is
// not six digits.
std::string DayText(std::string_view date);

// "2026-12-07 00:00:14" from the Date and Hour fields.
std::string HitTime(const decoding::MessageRecord& record);

// The registration without its padding dots and spaces (".N8560Z" gives
// "N8560Z").
std::string HitTail(const decoding::MessageRecord& record);

// The text up to its first line end.
std::string FirstLine(std::string_view text);

// The readable decoding's title and lines as the window shows them (bytes,
// lines ended by CR LF); empty when the hit has none.
std::string ReadableLines(const store::search::SearchHit& hit);

// The hits as CSV: a header row, then one row per hit with the time,
// station, tail, flight, label, kind and the whole text; a field holding a
// comma, a quote or a line end is quoted. Lines end with CR LF.
std::string HitsCsv(const std::vector<store::search::SearchHit>& hits);

// The hits as JSON lines, one object each as corvane-search prints it.
std::string HitsJsonLines(const std::vector<store::search::SearchHit>& hits);

// The watch list entries of a hit's alerts (a JSON array of texts) as one
// line, ", " between them; empty when there are none or they cannot be read.
std::string AlertEntries(std::string_view alertsJson);

// Rows of cells as tab-separated text, as a copy to the clipboard gives
// them: a tab between cells, a line end after each row; a tab or line end
// inside a cell becomes a space, so that the rows keep their shape.
std::string TabSeparated(const std::vector<std::vector<std::string>>& rows);

// True when a file of that name is written as JSON lines (".jsonl",
// ".ndjson" or ".json", any case); every other name gets CSV.
bool WantsJsonLines(std::string_view fileName);

}  // namespace corvane::shell
