#include "calc/sieve/BitmapLines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "calc/sieve/BitmapWords.h"
#include "calc/sieve/Wheel30.h"

namespace vodazi {
namespace {

using wheel::NumbersPerByte;
using wheel::WordBitOffset;

constexpr std::uint32_t NumbersPerWord = 8 * NumbersPerByte;

// The numbers from a multiple of Block on share every digit above the last four.
constexpr std::uint32_t Block = 10000;

// CR LF as the low bytes of a word, placed after digits by a shift: the words are stored
// lowest byte first.
static_assert(std::endian::native == std::endian::little);
constexpr std::uint64_t LineEnd = '\r' | '\n' << 8;

inline void Store(char* to, std::uint64_t bytes) {
    std::memcpy(to, &bytes, sizeof bytes);
}

// The four last digits of every number below Block, as the bytes of a word, lowest first.
const std::array<std::uint32_t, Block>& FourDigits() {
    static const std::array<std::uint32_t, Block> table = [] {
        std::array<std::uint32_t, Block> digits{};
        for (std::uint32_t i = 0; i < Block; ++i) {
            const char text[4] = {
                static_cast<char>('0' + i / 1000), static_cast<char>('0' + i / 100 % 10),
                static_cast<char>('0' + i / 10 % 10), static_cast<char>('0' + i % 10)};
            std::memcpy(&digits[i], text, sizeof text);
        }
        return digits;
    }();
    return table;
}

// The leading digits that the numbers first..first + Block - 1 share.
struct Prefix {
    std::uint64_t digits = 0;  // up to six, as bytes, copied as eight
    std::uint32_t length = 0;
    std::uint32_t first = 0;
};

// The prefix of n's block. Below Block, where numbers have no prefix, the highest block
// whose numbers all fit in 32 bits stands in, which no number below it can use: n less its
// first number wraps round far beyond Block. The digits are put together in a register from
// the table: written byte by byte and read as a word, they would stall the read.
Prefix PrefixOf(std::uint32_t n) {
    if (n < Block) n = (UINT32_MAX / Block - 1) * Block;
    const std::uint32_t high = n / Block;  // 1 to 429495: up to six digits
    std::uint32_t length = 1;
    for (std::uint32_t power = 10; power <= high; power *= 10) ++length;
    // Six digits with leading zeros, then the zeros shifted out.
    const std::array<std::uint32_t, Block>& four = FourDigits();
    const std::uint64_t six = four[high / Block] >> 16 | std::uint64_t{four[high % Block]} << 16;
    return Prefix{six >> 8 * (6 - length), length, n / Block * Block};
}

// The line of any number, with `prefix` moved on to its block.
char* WriteLine(std::uint32_t n, Prefix& prefix, char* out) {
    if (n < Block) {
        out = std::to_chars(out, out + 4, n).ptr;
        Store(out, LineEnd);
        return out + 2;
    }
    if (n - prefix.first >= Block) prefix = PrefixOf(n);
    Store(out, prefix.digits);
    out += prefix.length;
    Store(out, FourDigits()[n - prefix.first] | LineEnd << 32);
    return out + 6;
}

// Whether all the numbers of a word starting at `low` into the prefix's block share it; then
// its lines are all as long.
inline bool WordWithinBlock(std::uint32_t low) {
    return low <= Block - NumbersPerWord;
}

// Writes the lines of the set bits of `words` words from `bytes` (the first standing for the
// numbers from `base`), with `prefix` following them, and returns the end of what it wrote.
// A writer may write up to SpareBytes beyond that end.
using LineWriter = char* (*)(const std::uint8_t* bytes, std::uint32_t words, std::uint32_t base,
                             Prefix& prefix, char* out);
constexpr std::size_t SpareBytes = 192;

// The lines of a word whose numbers share the prefix, four at a time whether the word has
// that many bits or not: a loop that stops after the last bit would mispredict its end for
// nearly every word. An empty word's trailing zeros, 64, stand for its first number.
inline char* SameLengthLines(std::uint64_t word, std::uint32_t low, const Prefix& prefix,
                             const std::uint32_t* four, char* out) {
    const std::size_t length = prefix.length + 6;
    char* const end = out + BitCount(word) * length;
    while (out < end) {
        for (int line = 0; line < 4; ++line) {
            const std::uint32_t digits =
                four[low + WordBitOffset[static_cast<unsigned>(std::countr_zero(word))]];
            Store(out, prefix.digits);
            Store(out + prefix.length, digits | LineEnd << 32);
            out += length;
            word &= word - 1;
        }
    }
    return end;
}

char* WritePortable(const std::uint8_t* bytes, std::uint32_t words, std::uint32_t base,
                    Prefix& prefix, char* out) {
    const std::uint32_t* const four = FourDigits().data();
    for (std::uint32_t i = 0; i < words; ++i, base += NumbersPerWord) {
        std::uint64_t word = BitmapWord(bytes + 8 * std::size_t{i});
        if (WordWithinBlock(base - prefix.first)) {
            out = SameLengthLines(word, base - prefix.first, prefix, four, out);
            continue;
        }
        for (; word != 0; word &= word - 1) {
            out = WriteLine(base + WordBitOffset[static_cast<unsigned>(std::countr_zero(word))],
                            prefix, out);
        }
    }
    return out;
}

#if defined(__x86_64__)
// Where the processor can compress and permute bytes by vectors, sixteen lines are made at
// once: the offsets of a word's set bits are gathered by one compression, their last four
// digits worked out side by side, and the lines laid out, prefix, digits and line end, by
// three byte permutations of the digits and a vector holding the prefix and CR LF.

// Byte j of sixteen lines `length` bytes long, as an index into the digits (0..63, four per
// line) and the prefix vector (64 on: the prefix's digits, then CR and LF at 70 and 71).
constexpr std::uint8_t LineByteSource(std::uint32_t prefixLength, std::uint32_t j) {
    const std::uint32_t length = prefixLength + 6;
    const std::uint32_t line = j / length;
    const std::uint32_t at = j % length;
    if (line >= 16) return 0;
    if (at < prefixLength) return static_cast<std::uint8_t>(64 + at);
    if (at < prefixLength + 4) return static_cast<std::uint8_t>(4 * line + at - prefixLength);
    return static_cast<std::uint8_t>(at == prefixLength + 4 ? 70 : 71);
}

// For each prefix length 1..6, the sources of the 192 bytes that hold sixteen lines.
using LineLayout = std::array<std::array<std::uint8_t, 192>, 7>;
constexpr LineLayout Layouts = [] {
    LineLayout layouts{};
    for (std::uint32_t length = 1; length <= 6; ++length) {
        for (std::uint32_t j = 0; j < 192; ++j) layouts[length][j] = LineByteSource(length, j);
    }
    return layouts;
}();

// The four decimal digits of sixteen numbers below Block, as characters, lowest byte the
// thousands: quotient and remainder by 100, then each of them by 10, by multiplying with
// reciprocals exact for these ranges.
__attribute__((target("avx512f,avx512bw"))) inline __m512i FourDigitsOf(__m512i numbers) {
    constexpr __mmask32 All = 0xFFFFFFFF;
    const __m512i hundreds = _mm512_maskz_srli_epi16(
        All, _mm512_mulhi_epu16(numbers, _mm512_set1_epi32(5243)), 3);  // n / 100, n < 43699
    const __m512i rest =
        _mm512_sub_epi16(numbers, _mm512_mullo_epi16(hundreds, _mm512_set1_epi32(100)));
    const __m512i pairs = _mm512_or_si512(hundreds, _mm512_maskz_slli_epi32(0xFFFF, rest, 16));
    const __m512i tens = _mm512_mulhi_epu16(pairs, _mm512_set1_epi16(6554));  // n / 10 for n < 100
    const __m512i ones = _mm512_sub_epi16(pairs, _mm512_mullo_epi16(tens, _mm512_set1_epi16(10)));
    return _mm512_or_si512(_mm512_or_si512(tens, _mm512_maskz_slli_epi16(All, ones, 8)),
                           _mm512_set1_epi8('0'));
}

__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt"))) char* WriteCompressed(
    const std::uint8_t* bytes, std::uint32_t words, std::uint32_t base, Prefix& prefix, char* out) {
    const __m512i offsets = _mm512_loadu_si512(WordBitOffset.data());
    std::uint32_t laidOut = 1;  // the block the layout below is for; no block starts at 1
    __m512i layout[3] = {};
    __m512i prefixBytes = _mm512_setzero_si512();
    for (std::uint32_t i = 0; i < words; ++i, base += NumbersPerWord) {
        const std::uint64_t word = BitmapWord(bytes + 8 * std::size_t{i});
        const std::uint32_t low = base - prefix.first;
        if (!WordWithinBlock(low)) {
            for (std::uint64_t bits = word; bits != 0; bits &= bits - 1) {
                out = WriteLine(base + WordBitOffset[static_cast<unsigned>(std::countr_zero(bits))],
                                prefix, out);
            }
            continue;
        }
        if (laidOut != prefix.first) {
            laidOut = prefix.first;
            for (int v = 0; v < 3; ++v)
                layout[v] =
                    _mm512_loadu_si512(Layouts[prefix.length].data() + std::ptrdiff_t{64} * v);
            prefixBytes = _mm512_set1_epi64(static_cast<long long>(prefix.digits | LineEnd << 48));
        }
        const std::uint32_t length = prefix.length + 6;
        __m512i packed = _mm512_maskz_compress_epi8(word, offsets);
        const __m512i lows = _mm512_set1_epi32(static_cast<int>(low));
        const auto count = static_cast<std::uint32_t>(_mm_popcnt_u64(word));
        for (std::uint32_t done = 0; done < count; done += 16) {
            const __m512i digits = FourDigitsOf(_mm512_add_epi32(
                lows, _mm512_maskz_cvtepu8_epi32(0xFFFF,
                                                 _mm512_maskz_extracti32x4_epi32(0xF, packed, 0))));
            for (int v = 0; v < 3; ++v) {
                _mm512_storeu_si512(out + std::ptrdiff_t{64} * v,
                                    _mm512_permutex2var_epi8(digits, layout[v], prefixBytes));
            }
            out += std::size_t{std::min(16u, count - done)} * length;
            packed = _mm512_maskz_alignr_epi32(0xFFFF, _mm512_setzero_si512(), packed, 4);
        }
    }
    return out;
}
#endif

LineWriter ChooseWriter() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512vbmi") &&
        __builtin_cpu_supports("avx512bw")) {
        return WriteCompressed;
    }
#endif
    return WritePortable;
}

// Lines are written in blocks of this many words, each with room for every bit.
constexpr std::uint32_t BlockWords = 64;

}  // namespace

void AppendLines(std::uint8_t* bitmap, std::uint32_t from, std::uint32_t to, std::uint8_t firstBits,
                 std::uint8_t lastBits, std::uint32_t base, BitReading reading, TextBuffer& out) {
    static const LineWriter fastest = ChooseWriter();
    const LineWriter write = reading == BitReading::Fastest ? fastest : WritePortable;

    const BitmapEdges edges(bitmap, from, to, firstBits, lastBits);
    const std::uint32_t words = edges.Words();
    const std::uint32_t first = base + NumbersPerByte * from;
    Prefix prefix = PrefixOf(first);
    for (std::uint32_t block = 0; block < words; block += BlockWords) {
        const std::uint32_t count = std::min(BlockWords, words - block);
        char* const room = out.Room(std::size_t{count} * 64 * LongestLine + SpareBytes);
        char* const end = write(bitmap + from + std::size_t{8} * block, count,
                                first + NumbersPerWord * block, prefix, room);
        out.Commit(static_cast<std::size_t>(end - room));
    }
}

void AppendLine(std::uint32_t n, TextBuffer& out) {
    Prefix prefix = PrefixOf(n);
    char* const room = out.Room(LongestLine + 8);
    out.Commit(static_cast<std::size_t>(WriteLine(n, prefix, room) - room));
}

}  // namespace vodazi
