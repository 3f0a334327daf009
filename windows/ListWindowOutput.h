#pragma once

#include <memory>

#include "calc/ListOutput.h"

namespace vodazi {

class FPrimeList;

// The list operations of a run on the real window: each run loads a fresh FPrimeList,
// fills it and shows it; closing it destroys the window and its items.
class ListWindowOutput : public ListOutput {
  public:
    ListWindowOutput();
    ~ListWindowOutput() override;

    void Prepare() override;
    void Primes(std::span<const std::uint32_t> ascending) override;
    void ShowModal() override;
    void Discard() override;

  private:
    std::unique_ptr<FPrimeList> window_;
};

}  // namespace vodazi
