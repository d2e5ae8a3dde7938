// Planning a search: the parsed terms sorted into the text to look up, the
// field matches and one time range, whatever store answers.
#include "store/search/query_plan.h"

#include <algorithm>

namespace corvane::store::search {

namespace {

std::optional<Field> FieldOf(TermKind kind) {
  switch (kind) {
    case TermKind::kFlight:
      return Field::kFlightKey;
    case TermKind::kTail:
      return Field::kTailKey;
    case TermKind::kAddress:
      return Field::kAddress;
    case TermKind::kLabel:
      return Field::kLabel;
    case TermKind::kKind:
      return Field::kKind;
    case TermKind::kStation:
      return Field::kStation;
    case TermKind::kHasPosition:
      return Field::kPosition;
    case TermKind::kIsAlert:
      return Field::kAlerts;
    case TermKind::kWords:
    case TermKind::kFrom:
    case TermKind::kTo:
    case TermKind::kFrequency:
    case TermKind::kLink:
    case TermKind::kLevel:
      break;
  }
  return std::nullopt;
}

// The values a field term's field may equal: none for a field that needs
// only be there; this receiver's own station also under no name.
std::vector<std::string> ValuesOf(const Term& term, Field field, const std::string& ownStation) {
  if (field == Field::kPosition || field == Field::kAlerts) {
    return {};
  }
  if (FindsUnnamedStation(term, ownStation)) {
    return {term.value, ""};
  }
  return {term.value};
}

void LowerBound(TimeRange& range, UtcMillis from) { range.from = std::max(range.from.value_or(from), from); }
void UpperBound(TimeRange& range, UtcMillis to) { range.to = std::min(range.to.value_or(to), to); }

// from: and to: narrow the range; excluded, they keep the times on their
// other side (times are whole milliseconds).
void NarrowTime(TimeRange& range, const Term& term) {
  const bool from = term.kind == TermKind::kFrom;
  if (from != term.excluded) {
    LowerBound(range, term.excluded ? term.time + 1 : term.time);
  } else {
    UpperBound(range, term.excluded ? term.time - 1 : term.time);
  }
}

std::optional<ReceptionMatch> ReceptionMatchOf(const Term& term) {
  using What = ReceptionMatch::What;
  switch (term.kind) {
    case TermKind::kFrequency:
      return ReceptionMatch{What::kFrequency, term.hz, {}, {}, term.excluded};
    case TermKind::kLink:
      return ReceptionMatch{What::kLink, 0, term.value, {}, term.excluded};
    case TermKind::kLevel:
      return ReceptionMatch{What::kLevel, 0, {}, term.range, term.excluded};
    default:
      return std::nullopt;
  }
}

}  // namespace

bool QueryPlan::ReadsStoredMessage() const {
  return std::any_of(fields.begin(), fields.end(), [](const FieldMatch& f) { return f.field == Field::kAddress; });
}

bool QueryPlan::ReadsIndexRow() const {
  return received.from || received.to ||
         std::any_of(fields.begin(), fields.end(), [](const FieldMatch& f) { return f.field != Field::kAddress; });
}

QueryPlan PlanQuery(const Query& query) {
  QueryPlan plan;
  for (const Term& term : query.terms) {
    if (term.kind == TermKind::kWords) {
      (term.excluded ? plan.excludedText : plan.text).push_back({term.words});
    } else if (const auto field = FieldOf(term.kind)) {
      plan.fields.push_back({*field, ValuesOf(term, *field, query.ownStation), term.excluded});
    } else if (auto reception = ReceptionMatchOf(term)) {
      plan.reception.push_back(std::move(*reception));
    } else {
      NarrowTime(plan.received, term);
    }
  }
  return plan;
}

PagePlan PlanPage(const SearchRequest& request) {
  return {PlanQuery(request.query), request.beforeId, PageLimit(request)};
}

}  // namespace corvane::store::search
