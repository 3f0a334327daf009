#include "calc/sieve/SievingPrimes.h"

#include "calc/sieve/Presieve.h"
#include "calc/sieve/Wheel30.h"

namespace vodazi {

const std::vector<SievingPrime>& SievingPrimes() {
    // Never destroyed: a worker may still be sieving while another thread ends the program
    // through exit(), as the toolkit does when its display goes away.
    static const std::vector<SievingPrime>& primes = *new const std::vector<SievingPrime>([] {
        std::vector<bool> composite(SievingLimit + 1, false);
        std::vector<SievingPrime> found;
        for (std::uint32_t n = 2; n <= SievingLimit; ++n) {
            if (composite[n]) continue;
            if (n >= FirstCrossedPrime) {
                found.push_back({n, static_cast<decltype(SievingPrime::k)>(n / 30),
                                 static_cast<std::uint8_t>(wheel::BitOf(n % 30)),
                                 ~std::uint64_t{0} / n + 1});
            }
            for (std::uint32_t m = n * n; m <= SievingLimit; m += n) composite[m] = true;
        }
        return found;
    }());
    return primes;
}

}  // namespace vodazi
