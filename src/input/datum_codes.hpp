// The datum codes that CALPUFF accepts in the datum record of a flare file, in
// the order of its datum table. CALPUFF compares the record with these codes
// character by character; any other text (also "NAD83" for NAD 1983, whose code
// is NAR-C) stops it before it reads an hour.
#pragma once
#include <array>
#include <string_view>

namespace quelmar::input {

inline constexpr int NDATUM = 232;

extern const std::array<std::string_view, NDATUM> DATUM_CODES;

// True when `text` is one of the codes, exactly (case and every character).
bool is_datum_code(std::string_view text);

}  // namespace quelmar::input
