#include "calc/sieve/BitmapPrimes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "calc/sieve/BitmapWords.h"
#include "calc/sieve/Wheel30.h"

namespace vodazi {
namespace {

using wheel::NumbersPerByte;

// Writes the numbers of the set bits of `words` 64-bit words from `bytes` (the first standing
// for the numbers from `base`) from `to` on, and returns the end of what it wrote. A writer
// may write up to 16 entries beyond that end.
using WordWriter = std::uint32_t* (*)(const std::uint8_t* bytes, std::uint32_t words,
                                      std::uint32_t base, std::uint32_t* to);

constexpr std::uint32_t NumbersPerWord = 8 * NumbersPerByte;

// Eight numbers are written whether the word has that many bits or not, a second eight
// likewise where needed: a loop that stops after the last bit would mispredict its end for
// nearly every word.
std::uint32_t* WritePortable(const std::uint8_t* bytes, std::uint32_t words, std::uint32_t base,
                             std::uint32_t* to) {
    for (std::uint32_t i = 0; i < words; ++i, base += NumbersPerWord) {
        std::uint64_t word = BitmapWord(bytes + 8 * std::size_t{i});
        std::uint32_t* const end = to + BitCount(word);
        do {
            for (int bit = 0; bit < 8; ++bit) {
                to[bit] =
                    base + wheel::WordBitOffset[static_cast<unsigned>(std::countr_zero(word))];
                word &= word - 1;
            }
            to += 8;
        } while (to < end);
        to = end;
    }
    return to;
}

#if defined(__x86_64__)
// (The masked forms of the intrinsics, all lanes kept, spare GCC 12 a false warning about
// the undefined vectors of the plain forms.)
// Where the processor can compress a vector by a bit mask, one instruction gathers the
// offsets of a word's set bits, and each sixteen of them become numbers in one addition.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) std::uint32_t* WriteCompressed(
    const std::uint8_t* bytes, std::uint32_t words, std::uint32_t base, std::uint32_t* to) {
    const __m512i offsets = _mm512_loadu_si512(wheel::WordBitOffset.data());
    for (std::uint32_t i = 0; i < words; ++i, base += NumbersPerWord) {
        const std::uint64_t word = BitmapWord(bytes + 8 * std::size_t{i});
        const __m512i packed = _mm512_maskz_compress_epi8(word, offsets);
        const __m512i numbers = _mm512_set1_epi32(static_cast<int>(base));
        _mm512_storeu_si512(
            to, _mm512_add_epi32(numbers,
                                 _mm512_maskz_cvtepu8_epi32(
                                     0xFFFF, _mm512_maskz_extracti32x4_epi32(0xF, packed, 0))));
        const auto count = static_cast<std::uint32_t>(_mm_popcnt_u64(word));
        if (count > 16) {
            alignas(64) std::array<std::uint8_t, 64> spread{};
            _mm512_store_si512(spread.data(), packed);
            for (std::uint32_t j = 16; j < count; j += 16) {
                const __m128i part =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(spread.data() + j));  // NOLINT
                _mm512_storeu_si512(
                    to + j, _mm512_add_epi32(numbers, _mm512_maskz_cvtepu8_epi32(0xFFFF, part)));
            }
        }
        to += count;
    }
    return to;
}
#endif

WordWriter ChooseWriter() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512bw")) {
        return WriteCompressed;
    }
#endif
    return WritePortable;
}

// Primes are written in blocks of this many words, each with room for every bit, so that
// the buffer grows by little more than the primes it holds.
constexpr std::uint32_t BlockWords = 64;

}  // namespace

void AppendPrimes(std::uint8_t* bitmap, std::uint32_t from, std::uint32_t to,
                  std::uint8_t firstBits, std::uint8_t lastBits, std::uint32_t base,
                  BitReading reading, PrimeBuffer& out) {
    static const WordWriter fastest = ChooseWriter();
    const WordWriter write = reading == BitReading::Fastest ? fastest : WritePortable;

    const BitmapEdges edges(bitmap, from, to, firstBits, lastBits);
    const std::uint32_t words = edges.Words();
    for (std::uint32_t block = 0; block < words; block += BlockWords) {
        const std::uint32_t count = std::min(BlockWords, words - block);
        std::uint32_t* const room = out.Room(64 * std::size_t{count} + 16);
        std::uint32_t* const end = write(bitmap + from + std::size_t{8} * block, count,
                                         base + NumbersPerByte * (from + 8 * block), room);
        out.Commit(static_cast<std::size_t>(end - room));
    }
}

}  // namespace vodazi
