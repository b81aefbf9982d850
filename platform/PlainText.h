#pragma once
// The characters an item name may consist of (IsPlainName): letters A to Z and a to z, digits,
// blank, apostrophe and hyphen. Shared by IsPlainName and the item database reader, which checks
// thousands of names and so looks at sixteen characters at a time where it can.

#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

inline constexpr std::array<bool, 256> PlainChars = [] {
    std::array<bool, 256> plain{};
    for (int c = 'A'; c <= 'Z'; ++c)
        plain[c] = plain[c - 'A' + 'a'] = true;
    for (int c = '0'; c <= '9'; ++c)
        plain[c] = true;
    plain[' '] = plain['\''] = plain['-'] = true;
    return plain;
}();

#if defined(__SSE2__)
// Bit i set when text[i] is plain, for the sixteen characters from text. Signed comparisons, so
// that bytes above 127 count as negative and fall outside every range.
inline std::uint32_t PlainBits16(const char* text)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const auto between = [](__m128i chars, char low, char high) {
        return _mm_and_si128(_mm_cmpgt_epi8(chars, _mm_set1_epi8(static_cast<char>(low - 1))),
                             _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(high + 1)), chars));
    };
    // Setting bit 5 turns upper case into lower case and nothing else into a lower-case letter.
    const __m128i letter = between(_mm_or_si128(block, _mm_set1_epi8(0x20)), 'a', 'z');
    const __m128i other = _mm_or_si128(
        _mm_or_si128(between(block, '0', '9'), _mm_cmpeq_epi8(block, _mm_set1_epi8(' '))),
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\'')),
                     _mm_cmpeq_epi8(block, _mm_set1_epi8('-'))));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(letter, other)));
}
#endif
