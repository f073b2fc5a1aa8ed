#pragma once

#include <cstdint>

namespace quellar {

/// Entries of a settings table, on the daemon's command line and in the controller alike.
inline constexpr std::uint32_t kTableSize = 30;

/// Appends the numbers of a colon-separated list to a table, up to its 30 entries.
///
/// The list is read token by token: a token ends at a colon or at the end of the text; it is
/// converted (decimal, strtol's rules, leading digits count) when it ends at a colon (an empty
/// one gives 0) or when it ends the text and is not empty, so a final colon adds nothing.
/// Tokens are cut to 24 characters. Allocates nothing.
void appendList(const char* list, std::uint32_t* table, std::uint32_t& count);
/// Reads "lower:upper" into two load limits: both are set to 0, then each number goes to the
/// lower limit while it is 0 and otherwise to the upper one, stopping once that is non-zero.
void getLimits(const char* argument, std::uint32_t& lower, std::uint32_t& upper);
/// Sets a temperature limit once; a repeated option is ignored.
void getTLimit(const char* argument, std::uint32_t& limit);

} // namespace quellar
