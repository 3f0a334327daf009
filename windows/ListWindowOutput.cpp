#include "windows/ListWindowOutput.h"

#include "platform/ActiveWindow.h"
#include "platform/DescriptorReserve.h"
#include "windows/FPrimeList.h"

namespace vodazi {

ListWindowOutput::ListWindowOutput() = default;
ListWindowOutput::~ListWindowOutput() = default;

void ListWindowOutput::Prepare() {
    window_.reset();  // free the old items before collecting new ones
    window_ = std::make_unique<FPrimeList>();
}

void ListWindowOutput::Primes(std::span<const std::uint32_t> ascending) {
    window_->Items().Append(ascending);
}

void ListWindowOutput::ShowModal() {
    const DescriptorsLent forTheWindow;
    window_->ShowModal(ActiveWindow());
    window_.reset();  // unloading discards the window with its items
}

void ListWindowOutput::Discard() {
    window_.reset();
}

}  // namespace vodazi
