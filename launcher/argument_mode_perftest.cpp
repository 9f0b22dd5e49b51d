// Argument mode over long command lines: time per run and per argument, so
// that growth with the number of arguments shows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <unordered_set>

#include "argument_mode.h"

namespace {

struct Workload {
  ArgumentList arguments;
  std::unordered_set<std::string> existing;
  size_t longest = 0;
};

// About `count` arguments: a few options, then names of files with spaces
// in them, so each name arrives in two to four pieces. With `first_missing`
// the first name does not exist, so every later piece is joined onto it.
Workload MakeWorkload(int count, bool first_missing) {
  std::string line = "launcher.exe /r /n";
  std::unordered_set<std::string> existing;
  int arguments = 2;
  for (int file = 0; arguments < count; ++file) {
    std::string name = (file % 3 == 0 ? "C:\\Users\\me\\My Documents\\" : "D:\\");
    name += "report " + std::to_string(file);
    if (file % 2 == 0) name += " final";
    name += ".txt";
    line += ' ';
    line += name;
    arguments += static_cast<int>(std::count(name.begin(), name.end(), ' ')) + 1;
    if (!(first_missing && file == 0)) existing.insert(name);
  }
  Workload w{ArgumentList(line), std::move(existing), 0};
  for (const std::string& name : w.existing) w.longest = std::max(w.longest, name.size());
  return w;
}

void Run(benchmark::State& state, bool first_missing) {
  const Workload w = MakeWorkload(static_cast<int>(state.range(0)), first_missing);
  LauncherSettings settings;
  settings.ArgCount = w.arguments.Count();
  settings.CacheFolder = "C:\\Users\\me\\AppData\\Local\\Temporary Internet Files";
  const auto exists = [&](const std::string& name) {
    return name.size() <= w.longest && w.existing.count(name) > 0;
  };
  size_t starts = 0, bytes = 0;
  const auto start = [&](const std::string& parameters) {
    ++starts;
    bytes += parameters.size();
  };
  for (auto _ : state) {
    PlanArgumentMode(w.arguments, settings, exists, start);
    benchmark::DoNotOptimize(bytes);
  }
  const double per_run = static_cast<double>(state.iterations());
  state.counters["arguments"] = settings.ArgCount;
  state.counters["starts"] = static_cast<double>(starts) / per_run;
  state.counters["per_argument"] = benchmark::Counter(
      settings.ArgCount,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_PlanArgumentMode(benchmark::State& state) { Run(state, false); }
void BM_PlanArgumentMode_FirstNameMissing(benchmark::State& state) {
  Run(state, true);
}

BENCHMARK(BM_PlanArgumentMode)->Arg(1000)->Arg(16000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanArgumentMode_FirstNameMissing)
    ->Arg(1000)
    ->Arg(16000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
