#include "ratioreporter.h"
#include "stats/gamefeed.h"
#include "stats/schedule.h"

#include <QFile>
#include <memory>
#include <nlohmann/json.hpp>
#include <simdjson.h>

// Decoding the largest recorded schedule and a live feed (compact, as the service sends it) into records, each
// against a bare simdjson parse of the same bytes; then the goals' ratios again, taken in alternating rounds (the
// figures to go by on a shared machine).

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
    static const QByteArray bytes = readRecording("feed-live-inprogress-746139-a.json");
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
        auto response = decodeOnDemand<ScheduleResponse>(bytes);
        benchmark::DoNotOptimize(response);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// The feed's bytes to GameDetail, reading only the card's members On-Demand.
void DecodeGameDetail(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        auto detail = GameDetail::fromFeed(decodeOnDemand<GameDetailFeed>(bytes));
        benchmark::DoNotOptimize(detail);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// What a detail refresh paid before feeds were kept: the whole feed decoded, then reduced to GameDetail.
void DecodeWholeFeedToGameDetail(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        auto detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(bytes));
        benchmark::DoNotOptimize(detail);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// What a detail refresh pays now: GameDetail read from the kept feed document.
void GameDetailFromKeptFeed(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    const nlohmann::ordered_json feed = nlohmann::ordered_json::parse(bytes.begin(), bytes.end());
    for (auto _ : state) {
        auto detail = readGameDetail(feed);
        benchmark::DoNotOptimize(detail);
    }
}

} // namespace

BENCHMARK(BareParse)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DecodeSchedule)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BareParseFeed)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DecodeGameDetail)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DecodeWholeFeedToGameDetail)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(GameDetailFromKeptFeed)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({ { "DecodeSchedule", "BareParse" }, { "DecodeGameDetail", "BareParseFeed" },
        { "DecodeWholeFeedToGameDetail", "BareParseFeed" }, { "GameDetailFromKeptFeed", "BareParseFeed" } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    simdjson::dom::parser parser;
    const auto bareParseOf = [&](const QByteArray &bytes) {
        return [&parser,
                   padded
                   = std::make_shared<simdjson::padded_string>(bytes.constData(), static_cast<size_t>(bytes.size()))] {
            simdjson::dom::element root;
            if (parser.parse(*padded).get(root)) std::abort();
            benchmark::DoNotOptimize(root);
        };
    };
    printPairedRatio(
        "DecodeSchedule", "BareParse",
        [] {
            auto response = decodeOnDemand<ScheduleResponse>(scheduleBytes());
            benchmark::DoNotOptimize(response);
        },
        bareParseOf(scheduleBytes()));
    printPairedRatio(
        "DecodeGameDetail", "BareParseFeed",
        [] {
            auto detail = GameDetail::fromFeed(decodeOnDemand<GameDetailFeed>(feedBytes()));
            benchmark::DoNotOptimize(detail);
        },
        bareParseOf(feedBytes()));
    return 0;
}
