#include "ratioreporter.h"
#include "stats/gamefeed.h"
#include "stats/schedule.h"

#include <QFile>
#include <simdjson.h>

// Decoding the largest recorded schedule and live feed into records, each against
// a bare simdjson parse of the same bytes.

namespace {

QByteArray readRecording(const char *name)
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/") + QLatin1StringView(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray &scheduleBytes()
{
    static const QByteArray bytes = readRecording("schedule-2026-04-20-hydrated.json");
    return bytes;
}

const QByteArray &feedBytes()
{
    static const QByteArray bytes = readRecording("feed-live-final-748534.json");
    return bytes;
}

void bareParse(benchmark::State &state, const QByteArray &bytes)
{
    const simdjson::padded_string padded(bytes.constData(), static_cast<size_t>(bytes.size()));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BareParse(benchmark::State &state)
{
    bareParse(state, scheduleBytes());
}

void BareParseFeed(benchmark::State &state)
{
    bareParse(state, feedBytes());
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

// What every detail refresh of a live game pays: the whole feed, reduced to GameDetail.
void DecodeGameDetail(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        auto detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(bytes));
        benchmark::DoNotOptimize(detail);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

BENCHMARK(BareParse)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DecodeSchedule)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BareParseFeed)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DecodeGameDetail)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({ { "DecodeSchedule", "BareParse" }, { "DecodeGameDetail", "BareParseFeed" } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
