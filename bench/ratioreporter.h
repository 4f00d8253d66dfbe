#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The console report plus, at the end, each measured case as a ratio to its
// baseline from the same run (these machines are too noisy for absolute times).
// The ratios are of CPU time: on a shared machine the wall time also counts the
// waits for a core, which differ between cases measured seconds apart.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // pairs of (case, baseline) benchmark names
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> ratios)
        : m_ratios(std::move(ratios))
    { }

    void ReportRuns(const std::vector<Run> &reports) override
    {
        for (const Run &run : reports) {
            // Keep the median when repetitions run; plain runs have no aggregate.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && m_times.count(name)) continue;
            m_times[name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(reports);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto &[measured, baseline] : m_ratios) {
            if (m_times.count(measured) && m_times.count(baseline) && m_times[baseline] > 0) {
                std::printf("ratio %s / %s = %.2f (CPU time)\n", measured.c_str(), baseline.c_str(),
                    m_times[measured] / m_times[baseline]);
            }
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> m_ratios;
    std::map<std::string, double> m_times;
};

namespace paired {

inline double threadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

template <class Work> double secondsFor(Work &work, int iterations)
{
    const double start = threadSeconds();
    for (int i = 0; i < iterations; ++i)
        work();
    return threadSeconds() - start;
}

} // namespace paired

// The ratio of `measured` to `baseline` taken in alternating bursts of about 10 ms each, by this thread's CPU time:
// a neighbour's load or a change of clock speed then falls on both sides of a round alike. Prints the median of the
// rounds' ratios and the middle half of them.
template <class Measured, class Baseline>
void printPairedRatio(
    const char *measuredName, const char *baselineName, Measured measured, Baseline baseline, int rounds = 61)
{
    const auto iterationsFor = [](auto &work) {
        work(); // warm the caches and the allocator
        const double once = std::max(paired::secondsFor(work, 1), 1e-7);
        return std::max(1, int(0.01 / once));
    };
    const int measuredIterations = iterationsFor(measured);
    const int baselineIterations = iterationsFor(baseline);
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        // Each side goes first in every other round.
        double measuredSeconds = 0;
        double baselineSeconds = 0;
        if (round % 2) measuredSeconds = paired::secondsFor(measured, measuredIterations);
        baselineSeconds = paired::secondsFor(baseline, baselineIterations);
        if (!(round % 2)) measuredSeconds = paired::secondsFor(measured, measuredIterations);
        ratios.push_back((measuredSeconds / measuredIterations) / (baselineSeconds / baselineIterations));
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("paired ratio %s / %s = %.2f (CPU time, median of %d alternating rounds; middle half %.2f-%.2f)\n",
        measuredName, baselineName, ratios[ratios.size() / 2], rounds, ratios[ratios.size() / 4],
        ratios[ratios.size() * 3 / 4]);
}
