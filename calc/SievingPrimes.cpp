#include "calc/SievingPrimes.h"

#include "calc/Presieve.h"
#include "calc/Wheel30.h"

namespace vodazi {

const std::vector<SievingPrime>& SievingPrimes() {
    // Never destroyed: a worker may still be sieving while another thread ends the program
    // through exit(), as the toolkit does when its display goes away.
    static const std::vector<SievingPrime>& primes = *new const std::vector<SievingPrime>([] {
        constexpr std::uint32_t Limit = 65535;
        std::vector<bool> composite(Limit + 1, false);
        std::vector<SievingPrime> found;
        for (std::uint32_t n = 2; n <= Limit; ++n) {
            if (composite[n]) continue;
            if (n >= FirstCrossedPrime) {
                found.push_back({n, static_cast<std::uint16_t>(n / 30),
                                 static_cast<std::uint8_t>(wheel::BitOf(n % 30)),
                                 ~std::uint64_t{0} / n + 1});
            }
            for (std::uint32_t m = n * n; m <= Limit; m += n) composite[m] = true;
        }
        return found;
    }());
    return primes;
}

}  // namespace vodazi
