#include "calc/SievingPrimes.h"

#include "calc/Presieve.h"

namespace vodazi {

const std::vector<std::uint32_t>& SievingPrimes() {
    static const std::vector<std::uint32_t> primes = [] {
        constexpr std::uint32_t Limit = 65535;
        std::vector<bool> composite(Limit + 1, false);
        std::vector<std::uint32_t> found;
        for (std::uint32_t n = 2; n <= Limit; ++n) {
            if (composite[n]) continue;
            if (n >= FirstCrossedPrime) found.push_back(n);
            for (std::uint32_t m = n * n; m <= Limit; m += n) composite[m] = true;
        }
        return found;
    }();
    return primes;
}

}  // namespace vodazi
