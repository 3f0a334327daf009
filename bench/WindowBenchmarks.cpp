// list_fill and report_file: the two kinds of run over the whole range 3..2147483647, from
// the click to the list window ready to show, or to the closed report file; report_overwrite
// the report run again over its own older report, which must then reach the disk first.
// list_find: typing primes into the list of such a run, against a binary search of the same
// numbers.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <primesieve.hpp>
#include <random>
#include <string>

#include "calc/CalculationRun.h"
#include "calc/ScanRange.h"
#include "platform/QtBusyPointer.h"
#include "report/ReportFile.h"
#include "windows/FPrimeList.h"
#include "windows/ListWindowOutput.h"
#include "windows/PrimeListView.h"
#include "windows/RIdizev.h"

namespace fs = std::filesystem;

namespace {

using namespace vodazi;

constexpr std::uint64_t PrimesInWholeRange = 105'097'564;

double ResidentMegabytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

double PeakResidentMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1e3;  // kilobytes
}

// Answers every question with its default, or Yes where told to, and never blocks.
class SilentMessages : public MessageBoxService {
  public:
    bool yes = false;
    MessageAnswer Show(const std::string&, MessageButtons buttons,
                       const std::optional<std::string>&) override {
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
};

// The real list window filled by the run; instead of opening it modally, the benchmark stops
// the clock and counts what it holds.
class ListReadyToShow : public ListOutput {
  public:
    ListWindowOutput real;
    std::chrono::steady_clock::time_point ready;
    std::uint64_t items = 0;

    void Prepare() override { real.Prepare(); }
    void Prime(std::uint32_t n) override { real.Prime(n); }
    void Primes(std::span<const std::uint32_t> primes) override { real.Primes(primes); }
    void ShowModal() override {
        ready = std::chrono::steady_clock::now();
        items = real.Window()->Items().Size();
        real.Discard();
    }
    void Discard() override { real.Discard(); }
};

struct Desk {
    SilentMessages messages;
    ReportFile report{messages};
    RIdizev window{report};
    QtBusyPointer pointer;
};

void ListFillOurs(benchmark::State& state) {
    for (auto _ : state) {
        Desk desk;
        ListReadyToShow list;
        desk.window.SetStartText("3");
        desk.window.SetEndText("2147483647");
        CalculationRun run(
            RunServices{desk.window, list, desk.report, desk.messages, desk.pointer});
        const double baseline = ResidentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        run.Primzahlen_Click();
        state.SetIterationTime(std::chrono::duration<double>(list.ready - start).count());
        if (list.items != PrimesInWholeRange) state.SkipWithError("wrong item count");
        state.counters["peak_rss_MB"] = PeakResidentMegabytes();
        state.counters["bytes_per_prime_x100"] =
            (PeakResidentMegabytes() - baseline) * 1e6 / PrimesInWholeRange * 100;
    }
}

void EnumerateWithPrimesieve(benchmark::State& state) {
    for (auto _ : state) {
        primesieve::iterator it;
        it.jump_to(3, 2147483647);
        std::uint64_t count = 0;
        for (std::uint64_t p = it.next_prime(); p <= 2147483647u; p = it.next_prime()) ++count;
        if (count != PrimesInWholeRange) state.SkipWithError("wrong prime count");
    }
}

fs::path BenchFolder() {
    const char* chosen = std::getenv("VODAZI_BENCH_DIR");
    const fs::path folder =
        fs::path(chosen != nullptr ? chosen : fs::temp_directory_path().string()) /
        ("vodazi-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}

std::uintmax_t lastReportBytes = 0;

// One whole-range report into `report` as a user would start it, answering Yes to the
// overwrite question; the clock runs only for the click.
void TimeReportRun(benchmark::State& state, const fs::path& report) {
    state.PauseTiming();
    ::sync();
    Desk desk;
    desk.messages.yes = true;
    ListReadyToShow list;
    // The window's own boxes, ticked and filled as a user would.
    desk.window.SetStartText("3");
    desk.window.SetEndText("2147483647");
    desk.window.findChild<QCheckBox*>("Datei")->setChecked(true);
    desk.window.findChild<QLineEdit*>("FName")->setText(QString::fromStdString(report.string()));
    CalculationRun run(RunServices{desk.window, list, desk.report, desk.messages, desk.pointer});
    state.ResumeTiming();
    run.Primzahlen_Click();
    state.PauseTiming();
    lastReportBytes = fs::exists(report) ? fs::file_size(report) : 0;
    if (lastReportBytes < 1'000'000'000) state.SkipWithError("report not written");
    state.ResumeTiming();
}

void ReportFileOurs(benchmark::State& state) {
    const fs::path folder = BenchFolder();
    for (auto _ : state) {
        TimeReportRun(state, folder / "vodazi.txt");
        state.PauseTiming();
        fs::remove(folder / "vodazi.txt");
        state.ResumeTiming();
    }
    fs::remove_all(folder);
}

void ReportOverwriteOurs(benchmark::State& state) {
    const fs::path folder = BenchFolder();
    bool first = true;
    for (auto _ : state) {
        if (first) TimeReportRun(state, folder / "vodazi.txt");  // the older report, not timed
        first = false;
        TimeReportRun(state, folder / "vodazi.txt");
    }
    fs::remove_all(folder);
}

// Times a shell command; the peers are separate programs.
void TimeCommand(benchmark::State& state, const std::string& command, const fs::path& output,
                 bool overwrite = false) {
    if (overwrite && std::system(command.c_str()) != 0)
        state.SkipWithError(("failed: " + command).c_str());
    for (auto _ : state) {
        state.PauseTiming();
        if (!overwrite) fs::remove(output);
        ::sync();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
        state.PauseTiming();
        if (!overwrite) fs::remove(output);
        state.ResumeTiming();
    }
}

// The same bytes written by dd into the same folder; `options` such as conv=fdatasync.
void TimeDd(benchmark::State& state, const std::string& options, bool overwrite) {
    const fs::path folder = BenchFolder();
    const std::uintmax_t bytes = lastReportBytes != 0 ? lastReportBytes : 1'151'174'003;
    const fs::path out = folder / "dd.out";
    const std::string command = "dd if=/dev/zero of='" + out.string() +
                                "' bs=1M count=" + std::to_string(bytes >> 20) + " status=none " +
                                options;
    TimeCommand(state, command, out, overwrite);
    fs::remove_all(folder);
}

void ReportFileDd(benchmark::State& state) {
    TimeDd(state, "", false);
}

// dd truncates the older file and rewrites it, then waits for the disk.
void ReportOverwriteDd(benchmark::State& state) {
    TimeDd(state, "conv=fdatasync", true);
}

void ReportFilePrimesieve(benchmark::State& state) {
    const fs::path folder = BenchFolder();
    const fs::path out = folder / "primesieve.out";
    TimeCommand(state, "primesieve 3 2147483647 --print > '" + out.string() + "'", out);
    fs::remove_all(folder);
}

// The list window of a whole-range run, the same primes in a plain vector, and the primes to
// type: built once for both sides of list_find.
struct WholeRangeList {
    static constexpr int Searches = 10'000;

    ListWindowOutput run;
    std::vector<std::uint32_t> sorted;
    std::vector<std::uint32_t> wanted;
    std::vector<QString> typed;

    WholeRangeList() {
        run.Prepare();
        const RangeBounds whole{MinStart, MaxBound};
        ScanRange(whole, SetUpProgress(whole), run, [](float) {});
        run.Window()->List()->ItemsChanged();
        primesieve::generate_primes(3u, 2147483647u, &sorted);
        std::mt19937 random(12);
        std::uniform_int_distribution<std::size_t> anyIndex(0, sorted.size() - 1);
        for (int i = 0; i < Searches; ++i) {
            wanted.push_back(sorted[anyIndex(random)]);
            typed.push_back(QString::number(wanted.back()));
        }
    }

    static WholeRangeList& Get() {
        static WholeRangeList list;
        return list;
    }
};

// The seconds it takes to type every text a digit at a time, each key a search of its own.
double TypeKeyByKey(PrimeListView& view, const std::vector<QString>& texts) {
    const auto start = std::chrono::steady_clock::now();
    for (const QString& text : texts) {
        view.KeyboardSearch(QString());
        for (const QChar digit : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + (digit.unicode() - u'0'), Qt::NoModifier,
                          digit);
            QApplication::sendEvent(&view, &key);
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ListFindOurs(benchmark::State& state) {
    WholeRangeList& list = WholeRangeList::Get();
    PrimeListView& view = *list.run.Window()->List();
    for (auto _ : state) {
        const double baseline = ResidentMegabytes();
        int misses = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < WholeRangeList::Searches; ++i) {
            view.KeyboardSearch(QString());  // as after a pause: each prime is a new search
            view.KeyboardSearch(list.typed[static_cast<std::size_t>(i)]);
            // Searching on from the last find, a short prime may land on a longer number it begins.
            misses += !view.ItemText(view.CurrentRow())
                           .startsWith(list.typed[static_cast<std::size_t>(i)]);
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (misses != 0) state.SkipWithError("a search missed");
        state.counters["rss_growth_kB"] = (ResidentMegabytes() - baseline) * 1e3;
        state.counters["key_by_key_ms"] = TypeKeyByKey(view, list.typed) * 1e3;
    }
}

void ListFindPeer(benchmark::State& state) {
    WholeRangeList& list = WholeRangeList::Get();
    for (auto _ : state) {
        std::size_t found = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const std::uint32_t prime : list.wanted) {
            found += static_cast<std::size_t>(
                std::lower_bound(list.sorted.begin(), list.sorted.end(), prime) -
                list.sorted.begin());
        }
        benchmark::DoNotOptimize(found);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

}  // namespace

BENCHMARK(ListFillOurs)
    ->Name("list_fill/ours")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime();
BENCHMARK(EnumerateWithPrimesieve)
    ->Name("list_fill/peer")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(ReportFileOurs)
    ->Name("report_file/ours")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(ReportFileDd)
    ->Name("report_file/peer")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(ReportOverwriteOurs)
    ->Name("report_overwrite/ours")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(ReportOverwriteDd)
    ->Name("report_overwrite/peer")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(ReportFilePrimesieve)
    ->Name("report_file/peer_primesieve")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(ListFindOurs)
    ->Name("list_find/ours")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime();
BENCHMARK(ListFindPeer)
    ->Name("list_find/peer")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime();
