#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
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
