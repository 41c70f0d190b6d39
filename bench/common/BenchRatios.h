// Shared by the benchmark programs: every hot path is reported as a ratio to a floor measured in
// the same run, because the machine is shared and only ratios survive its noise.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace benchratio {

using Clock = std::chrono::steady_clock;

inline double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// For benchmarks that time the subject and its floor in the same iteration.
inline void reportPairedRatio(benchmark::State& state, const std::vector<double>& subject,
                              const std::vector<double>& floor) {
    const double s = median(subject);
    const double f = median(floor);
    state.counters["subject_us"] = s * 1e6;
    state.counters["floor_us"] = f * 1e6;
    state.counters["ratio"] = f > 0 ? s / f : 0;
}

// With --benchmark_repetitions and aggregates only, a reporter sees no single repetition; a "min"
// aggregate (ComputeStatistics("min", fastest)) carries the quietest one.
inline double fastest(const std::vector<double>& times) {
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

// For benchmarks whose subject and floor are separate benchmarks: prints the table as usual, then
// the ratios that printRatios() names, each from the quietest repetition (noise only adds time).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred &&
                (run.run_type == Run::RT_Iteration || run.aggregate_name == "min")) {
                const std::string name = run.run_name.str();
                const double t = run.GetAdjustedRealTime();
                const auto known = times.find(name);
                if (known == times.end() || t < known->second)
                    times[name] = t;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::cout << "\nRatios (time / floor time of the same run; best repetition):\n";
        printRatios();
    }

protected:
    virtual void printRatios() = 0;

    // inverse: report floor/time (a share of the floor's throughput) instead of time/floor.
    void ratio(const std::string& label, const std::string& path, const std::string& floor,
               bool inverse = false) const {
        const auto a = times.find(path), b = times.find(floor);
        if (a == times.end() || b == times.end())
            return;
        const double r = inverse ? b->second / a->second : a->second / b->second;
        std::cout << "  " << label << ": " << r << (inverse ? " of the floor" : "x") << "\n";
    }

    std::map<std::string, double> times;
};

} // namespace benchratio
