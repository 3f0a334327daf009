#pragma once

#include <memory>

#include "calc/MessageBoxService.h"
#include "calc/ReportOutput.h"
#include "report/TextStream.h"

namespace vodazi {

// The report file of a run: "Beginn: " and "Ende  : " with the bounds, an empty line, one
// prime per line and "--- ENDE ---", every line ended by CR LF.
class ReportFile : public ReportOutput {
  public:
    explicit ReportFile(MessageBoxService& messages);
    ~ReportFile() override;

    bool Open(const FileNameGetter& fileName) override;
    void Header(std::int32_t start, std::int32_t end) override;
    void Lines(std::span<const char> lines, std::shared_ptr<const void> hold) override;
    void Finish() override;
    void Abandon() override;

  private:
    void Close() noexcept;

    MessageBoxService& messages_;
    std::unique_ptr<TextStream> stream_;
};

}  // namespace vodazi
