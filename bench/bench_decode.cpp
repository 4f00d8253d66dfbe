#include "ratioreporter.h"
#include "stats/schedule.h"

#include <QFile>
#include <simdjson.h>

// Decoding the largest recorded schedule into records, against a bare simdjson
// parse of the same bytes.

namespace {

const QByteArray &scheduleBytes()
{
    static const QByteArray bytes = [] {
        QFile file(QStringLiteral(BASELARK_TEST_DATA "/schedule-2026-04-20-hydrated.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

void BareParse(benchmark::State &state)
{
    const QByteArray &bytes = scheduleBytes();
    const simdjson::padded_string padded(bytes.constData(), static_cast<size_t>(bytes.size()));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void DecodeSchedule(benchmark::State &state)
{
    const QByteArray &bytes = scheduleBytes();
    for (auto _ : state) {
        auto response = decode<ScheduleResponse>(bytes);
        benchmark::DoNotOptimize(response);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

BENCHMARK(BareParse)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DecodeSchedule)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({ { "DecodeSchedule", "BareParse" } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
