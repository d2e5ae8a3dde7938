// United States registrations (N-numbers) and the 24-bit addresses the FAA
// gives them: N1 to N99999 with their letter suffixes fill A00001 to ADF7C7
// in order, so each registration's address is computed, not looked up.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::adsb {

// The address of an N-number ("N123AB", upper case, no dots or dashes);
// nothing when the text is not one the FAA's block can hold.
std::optional<std::uint32_t> AddressOfNNumber(std::string_view registration);

}  // namespace corvane::adsb
