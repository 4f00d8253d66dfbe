#include "boxscore/boxscore.h"
#include "ratioreporter.h"

#include <QFile>
#include <fcntl.h>
#include <simdjson.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

// What every box-score poll pays, the recorded final feed decoded and built into a BoxScore,
// against a bare simdjson parse of the same bytes; then the feedtool's peak memory on that file.

extern char **environ;

namespace {

const char recording[] = BASELARK_TEST_DATA "/feed-live-final-748534.json";

const QByteArray &feedBytes()
{
    static const QByteArray bytes = [] {
        QFile file(QString::fromUtf8(recording));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

void BareParseFeed(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    const simdjson::padded_string padded(bytes.constData(), static_cast<size_t>(bytes.size()));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BuildBoxScore(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        auto box = buildBoxScore(decode<GameLiveFeedResponse>(bytes));
        benchmark::DoNotOptimize(box);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// The builder alone, from an already decoded feed.
void BuildFromDecodedFeed(benchmark::State &state)
{
    const auto feed = decode<GameLiveFeedResponse>(feedBytes());
    for (auto _ : state) {
        auto box = buildBoxScore(feed);
        benchmark::DoNotOptimize(box);
    }
}

// Peak resident memory of one feedtool run in MB, or a negative value when it did not run.
// wait4 reports the child alone, but exec carries over the spawning process's own peak,
// which is why this runs before the benchmarks load anything.
double feedtoolPeakMegabytes(const char *command)
{
    char *const argv[]
        = { const_cast<char *>(FEEDTOOL), const_cast<char *>(command), const_cast<char *>(recording), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, FEEDTOOL, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return -1;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

double ownPeakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace

BENCHMARK(BareParseFeed)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildBoxScore)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildFromDecodedFeed)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const double floor = ownPeakMegabytes();
    const double boxscore = feedtoolPeakMegabytes("boxscore");
    const double detail = feedtoolPeakMegabytes("detail");

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({ { "BuildBoxScore", "BareParseFeed" }, { "BuildFromDecodedFeed", "BareParseFeed" } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("peak RSS baselark-feedtool boxscore = %.1f MB (detail on the same file %.1f MB; "
                "spawning process at %.1f MB)\n",
        boxscore, detail, floor);
    return 0;
}
