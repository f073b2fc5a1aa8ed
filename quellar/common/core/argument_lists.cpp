#include "quellar/common/core/argument_lists.h"

#include <cstdlib>
#include <cstring>

namespace quellar {

namespace {

// Numbers are decimal with strtol's rules: leading blanks and a sign, then the leading digits;
// anything after them is ignored, and a number past the range of long saturates. The value is
// then narrowed to 32 bits, modulo 2^32.
std::uint32_t toNumber(const char* text) {
    return std::uint32_t(std::strtol(text, nullptr, 10));
}

// Walks `text` token by token. A token ends at a colon or at the end; it is converted when it
// ends at a colon (an empty one gives 0) or when it ends the text and is not empty. Tokens are
// cut to 24 characters, the size of the conversion buffer. `take` answers whether to go on.
template <typename Take> void forEachToken(const char* text, Take take) {
    constexpr std::size_t kTokenLength = 24;
    char token[kTokenLength + 1];
    std::size_t length = 0;
    std::memset(token, 0, sizeof token);
    for (const char* at = text;; ++at) {
        const bool atColon = *at == ':';
        const bool atEnd = *at == '\0';
        if (!atColon && !atEnd) {
            if (length < kTokenLength)
                token[length++] = *at;
            continue;
        }
        if (atColon || length > 0) {
            if (!take(toNumber(token)))
                return;
        }
        if (atEnd)
            return;
        length = 0;
        std::memset(token, 0, sizeof token);
    }
}

} // namespace

void appendList(const char* list, std::uint32_t* table, std::uint32_t& count) {
    forEachToken(list, [&](std::uint32_t number) {
        if (count >= kTableSize)
            return false;
        table[count++] = number;
        return true;
    });
}

void getLimits(const char* argument, std::uint32_t& lower, std::uint32_t& upper) {
    lower = 0;
    upper = 0;
    forEachToken(argument, [&](std::uint32_t number) {
        if (lower == 0)
            lower = number;
        else
            upper = number;
        return upper == 0;
    });
}

void getTLimit(const char* argument, std::uint32_t& limit) {
    if (limit == 0)
        limit = toNumber(argument);
}

} // namespace quellar
