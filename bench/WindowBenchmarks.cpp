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
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <primesieve.hpp>
#include <random>
#include <string>

#include "Figure.h"
#include "ProcessMemory.h"
#include "WholeRange.h"
#include "calc/ScanRange.h"
#include "windows/FPrimeList.h"
#include "windows/PrimeListView.h"
#include "windows/Program.h"

namespace fs = std::filesystem;

namespace {

using namespace vodazi;

using bench::PeakResidentMegabytes;
using bench::PrimesInWholeRange;
using bench::ResidentMegabytes;

// Stands in for the user at the modal windows a click opens: notes when the list window
// appears and closes it at once, and answers a message box with `answer`.
class ModalAnswers : public QObject {
  public:
    explicit ModalAnswers(QMessageBox::StandardButton answer = QMessageBox::No) : answer_(answer) {
        qApp->installEventFilter(this);
    }
    ~ModalAnswers() override { qApp->removeEventFilter(this); }

    std::chrono::steady_clock::time_point listShown;
    std::uint64_t listItems = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        if (auto* list = dynamic_cast<FPrimeList*>(watched)) {
            listShown = std::chrono::steady_clock::now();
            listItems = list->Items().Size();
            QTimer::singleShot(0, list, &QWidget::close);
        } else if (auto* box = qobject_cast<QMessageBox*>(watched)) {
            QTimer::singleShot(0, box, [box, answer = answer_] { box->button(answer)->click(); });
        }
        return false;
    }

  private:
    QMessageBox::StandardButton answer_;
};

// The program as a user starts it, with the bounds typed into its boxes.
struct ShownProgram {
    Program program;
    RIdizev& window = program.MainWindow();

    ShownProgram(const char* start, const char* end) {
        window.show();
        window.findChild<QLineEdit*>("Start")->setText(start);
        window.findChild<QLineEdit*>("Ende")->setText(end);
        QApplication::processEvents();
    }
    void WriteTo(const fs::path& file) {
        window.findChild<QCheckBox*>("Datei")->setChecked(true);
        window.findChild<QLineEdit*>("FName")->setText(QString::fromStdString(file.string()));
    }
    void Click() { window.findChild<QPushButton*>("Primzahlen")->click(); }
};

void ListFillOurs(benchmark::State& state) {
    for (auto _ : state) {
        ShownProgram shown("3", "2147483647");
        ModalAnswers user;
        const double baseline = ResidentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        shown.Click();
        state.SetIterationTime(std::chrono::duration<double>(user.listShown - start).count());
        if (user.listItems != PrimesInWholeRange) state.SkipWithError("wrong item count");
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
    fs::path folder = fs::path(chosen != nullptr ? chosen : fs::temp_directory_path().string()) /
                      ("vodazi-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}

std::uintmax_t lastReportBytes = 0;

// One whole-range report into `report` as a user would start it, answering Yes to the
// overwrite question. With `timed` the clock runs for the click alone, else not at all.
void ReportRun(benchmark::State& state, const fs::path& report, bool timed = true) {
    state.PauseTiming();
    ::sync();
    ShownProgram shown("3", "2147483647");
    shown.WriteTo(report);
    ModalAnswers user(QMessageBox::Yes);
    if (timed) state.ResumeTiming();
    shown.Click();
    if (timed) state.PauseTiming();
    lastReportBytes = fs::exists(report) ? fs::file_size(report) : 0;
    if (lastReportBytes < 1'000'000'000) state.SkipWithError("report not written");
    state.ResumeTiming();
}

void ReportFileOurs(benchmark::State& state) {
    const fs::path folder = BenchFolder();
    for (auto _ : state) {
        ReportRun(state, folder / "vodazi.txt");
        state.PauseTiming();
        fs::remove(folder / "vodazi.txt");
        state.ResumeTiming();
    }
    fs::remove_all(folder);
}

void ReportOverwriteOurs(benchmark::State& state) {
    const fs::path folder = BenchFolder();
    for (auto _ : state) {
        if (!fs::exists(folder / "vodazi.txt")) ReportRun(state, folder / "vodazi.txt", false);
        ReportRun(state, folder / "vodazi.txt");
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

    FPrimeList window;
    std::vector<std::uint32_t> sorted;
    std::vector<std::uint32_t> wanted;
    std::vector<QString> typed;

    WholeRangeList() {
        struct IntoTheWindow : ResultSink {
            PrimeStore& items;
            explicit IntoTheWindow(PrimeStore& store) : items(store) {}
            void Primes(std::span<const std::uint32_t> ascending) override {
                items.Append(ascending);
            }
        } sink(window.Items());
        const RangeBounds whole{MinStart, MaxBound};
        ScanRange(whole, sink, [](float) {});
        View().ItemsChanged();
        primesieve::generate_primes(3u, 2147483647u, &sorted);
        std::mt19937 random(12);
        std::uniform_int_distribution<std::size_t> anyIndex(0, sorted.size() - 1);
        for (int i = 0; i < Searches; ++i) {
            wanted.push_back(sorted[anyIndex(random)]);
            typed.push_back(QString::number(wanted.back()));
        }
    }

    PrimeListView& View() { return *window.findChild<PrimeListView*>("PrimeList"); }

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
    PrimeListView& view = list.View();
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

// Registered before main() runs, in the order they are printed.
const bool registered = [] {
    constexpr bench::FigureOptions Clicked{.manualTime = true};
    constexpr bench::FigureOptions Typed{
        .repetitions = 5, .manualTime = true, .unit = benchmark::kMillisecond};
    bench::Figure("list_fill/ours", ListFillOurs, Clicked);
    bench::Figure("list_fill/peer", EnumerateWithPrimesieve);
    bench::Figure("report_file/ours", ReportFileOurs);
    bench::Figure("report_file/peer", ReportFileDd);
    bench::Figure("report_overwrite/ours", ReportOverwriteOurs);
    bench::Figure("report_overwrite/peer", ReportOverwriteDd);
    bench::Figure("report_file/peer_primesieve", ReportFilePrimesieve);
    bench::Figure("list_find/ours", ListFindOurs, Typed);
    bench::Figure("list_find/peer", ListFindPeer, Typed);
    return true;
}();

}  // namespace
