#pragma once

// Test doubles for everything a calculation run talks to. Each appends what happened to one
// shared log, so tests can check the order of a whole run.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calc/BusyPointer.h"
#include "calc/Conversions.h"
#include "calc/ListOutput.h"
#include "calc/MessageBoxService.h"
#include "calc/ReportOutput.h"
#include "calc/RunFailure.h"
#include "calc/RunView.h"
#include "calc/UserNumberForm.h"

namespace vodazi::support {

using Log = std::vector<std::string>;

class RecordingView : public RunView {
  public:
    explicit RecordingView(Log& log) : log_(log) {}

    std::string start = "3";
    std::string end = "1000";
    CheckBoxValue check = CheckBoxValue::Unchecked;
    std::string fileName = "report.txt";
    bool trackVisible = false;
    bool fillVisible = false;
    std::vector<float> widths;  // every width set, kept apart from the log

    void RunBegins() override { log_.push_back("run+"); }
    void RunEnds() override { log_.push_back("run-"); }
    std::string StartText() const override { return start; }
    void SetStartText(const std::string& text) override {
        start = text;
        log_.push_back("start=" + text);
    }
    std::string EndText() const override { return end; }
    void SetEndText(const std::string& text) override {
        end = text;
        log_.push_back("end=" + text);
    }
    CheckBoxValue OutputCheckValue() const override { return check; }
    std::string ReportFileName() const override { return fileName; }
    void ShowProgressTrack() override {
        trackVisible = true;
        log_.push_back("track+");
    }
    void HideProgressTrack() override {
        trackVisible = false;
        log_.push_back("track-");
    }
    void ShowProgressFill() override {
        fillVisible = true;
        log_.push_back("fill+");
    }
    void HideProgressFill() override {
        fillVisible = false;
        log_.push_back("fill-");
    }
    void SetProgressFillWidth(float twips) override {
        widths.push_back(twips);
        if (widths.size() == 1) log_.push_back("width");
    }

  private:
    Log& log_;
};

class RecordingPointer : public BusyPointer {
  public:
    explicit RecordingPointer(Log& log) : log_(log) {}
    MousePointer current = MousePointer::Default;
    void SetMousePointer(MousePointer pointer) override {
        current = pointer;
        log_.push_back(pointer == MousePointer::Hourglass ? "pointer=11" : "pointer=0");
    }

  private:
    Log& log_;
};

class ScriptedMessages : public MessageBoxService {
  public:
    explicit ScriptedMessages(Log& log) : log_(log) {}
    struct Shown {
        std::string prompt;
        MessageButtons buttons;
        std::optional<std::string> title;
    };
    std::vector<Shown> shown;
    std::deque<MessageAnswer> answers;  // for Yes/No boxes, in order
    std::function<void()> whileShown;   // looks at the world while the box is up

    using MessageBoxService::Show;
    MessageAnswer Show(const std::string& prompt, MessageButtons buttons,
                       const std::optional<std::string>& title) override {
        shown.push_back({prompt, buttons, title});
        if (whileShown) whileShown();
        log_.push_back("message:" + prompt);
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        const MessageAnswer answer = answers.empty() ? MessageAnswer::No : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }

  private:
    Log& log_;
};

class RecordingList : public ListOutput {
  public:
    explicit RecordingList(Log& log) : log_(log) {}
    std::vector<std::uint32_t> items;
    std::vector<std::uint32_t> shownItems;
    int prepared = 0;

    void Prepare() override {
        ++prepared;
        items.clear();
        log_.push_back("list:prepare");
    }
    void Primes(std::span<const std::uint32_t> ascending) override {
        if (items.empty() && !ascending.empty()) log_.push_back("list:first-item");
        items.insert(items.end(), ascending.begin(), ascending.end());
    }
    void ShowModal() override {
        shownItems = items;
        log_.push_back("list:show");
    }
    void Discard() override {
        items.clear();
        log_.push_back("list:discard");
    }

  private:
    Log& log_;
};

class RecordingReport : public ReportOutput {
  public:
    explicit RecordingReport(Log& log) : log_(log) {}
    bool openResult = true;
    std::optional<std::size_t> failAfterPrimes;  // throw RunFailure on this many-th prime
    std::vector<std::string> namesAsked;
    std::vector<std::string> lines;

    bool Open(const FileNameGetter& fileName) override {
        namesAsked.push_back(fileName());
        log_.push_back(openResult ? "report:open" : "report:abandoned");
        return openResult;
    }
    void Header(std::int32_t start, std::int32_t end) override {
        lines.push_back("Beginn: " + IntToText(start));
        lines.push_back("Ende  : " + IntToText(end));
        lines.push_back("");
        log_.push_back("report:header");
    }
    void Lines(std::span<const char> text, std::shared_ptr<const void>) override {
        for (std::size_t at = 0; at < text.size();) {
            if (failAfterPrimes && primes_ == *failAfterPrimes) throw RunFailure("disk full");
            ++primes_;
            const std::size_t end = std::string_view(text.data(), text.size()).find("\r\n", at);
            lines.emplace_back(text.data() + at, text.data() + end);
            at = end + 2;
        }
    }
    void Finish() override {
        lines.push_back("--- ENDE ---");
        log_.push_back("report:finish");
    }
    void Abandon() override { log_.push_back("report:abandon"); }

  private:
    Log& log_;
    std::size_t primes_ = 0;
};

// A user's numeric locale that writes numbers in `form`.
class FixedNumbers : public NumericLocale {
  public:
    NumberForm form;
    NumberForm UserForm() const override { return form; }
};

// The window as a run must leave it on every path: default pointer, no progress bar.
inline bool WindowRestored(const RecordingView& view, const RecordingPointer& pointer) {
    return pointer.current == MousePointer::Default && !view.trackVisible && !view.fillVisible;
}

}  // namespace vodazi::support
