#pragma once

// Prints each figure as `NAME: ours=SECONDS peer=SECONDS ratio=OURS/PEER` from benchmarks
// registered in pairs as NAME/ours and NAME/peer (more peers as NAME/peer_WHAT). The fastest
// repetition counts; counters of the ours run are appended, such as peak memory.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vodazi::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const std::string name = run.run_name.function_name;
            const auto slash = name.find('/');
            if (slash == std::string::npos) continue;
            Figure& figure = figures_[name.substr(0, slash)];
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            double& best = figure.seconds[name.substr(slash + 1)];
            if (best == 0.0 || seconds < best) best = seconds;
            if (name.substr(slash + 1) == "ours") {
                for (const auto& [counter, value] : run.counters)
                    figure.counters[counter] = value.value;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::fflush(stdout);
        std::printf("\n");  // the console reporter may leave a colour reset at the line start
        for (const auto& [name, figure] : figures_) {
            const auto ours = figure.seconds.find("ours");
            if (ours == figure.seconds.end()) continue;
            std::printf("%s: ours=%.3f", name.c_str(), ours->second);
            for (const auto& [who, seconds] : figure.seconds) {
                if (who != "ours") std::printf(" %s=%.3f", who.c_str(), seconds);
            }
            for (const auto& [who, seconds] : figure.seconds) {
                if (who == "ours" || seconds <= 0.0) continue;
                const std::string ratio =
                    who == "peer" ? "ratio" : "ratio_" + who.substr(who.find('_') + 1);
                std::printf(" %s=%.2f", ratio.c_str(), ours->second / seconds);
            }
            for (const auto& [counter, value] : figure.counters)
                std::printf(" %s=%.0f", counter.c_str(), value);
            std::printf("\n");
        }
        std::fflush(stdout);
    }

  private:
    struct Figure {
        std::map<std::string, double> seconds;
        std::map<std::string, double> counters;
    };
    std::map<std::string, Figure> figures_;
};

}  // namespace vodazi::bench
