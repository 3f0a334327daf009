#include <gtest/gtest.h>

#include <span>
#include <stdexcept>
#include <vector>

#include "windows/PrimeStore.h"

namespace vodazi {
namespace {

TEST(PrimeStore, GivesBackEveryItemInOrderAndFindsWhereAnyNumberWouldGo) {
    std::vector<std::uint32_t> primes;
    for (std::uint32_t n = 3; primes.size() < 5000; n += 2) {
        bool prime = true;
        for (std::uint32_t d = 3; d * d <= n; d += 2) prime = prime && n % d != 0;
        if (prime) primes.push_back(n);
    }
    PrimeStore store;
    store.Append(std::span(primes).first(100));
    for (std::size_t i = 100; i < primes.size(); ++i) store.Append(primes[i]);
    ASSERT_EQ(store.Size(), primes.size());
    for (std::size_t i = 0; i < primes.size(); ++i) {
        ASSERT_EQ(store.At(i), primes[i]) << i;
        ASSERT_EQ(store.LowerBound(primes[i]), i);
        ASSERT_EQ(store.LowerBound(primes[i] - 1), i);  // an even number, never an item
    }
    EXPECT_EQ(store.LowerBound(primes.back() + 1), primes.size());
}

TEST(PrimeStore, HoldsTheLargestGapsAndRejectsWhatItCannotHold) {
    PrimeStore store;
    store.Append(1357201);
    store.Append(1357201 + 292);  // a gap as large as any below 2^31 needs the whole byte range
    EXPECT_THROW(store.Append(1357201 + 292 + 600), std::invalid_argument);
    EXPECT_EQ(store.Size(), 2u);
    EXPECT_EQ(store.At(1), 1357201u + 292);
    EXPECT_THROW(store.At(2), std::out_of_range);
    PrimeStore descending;
    descending.Append(7);
    EXPECT_THROW(descending.Append(5), std::invalid_argument);
}

}  // namespace
}  // namespace vodazi
