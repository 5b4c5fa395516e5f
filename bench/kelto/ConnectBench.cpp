// Joining coincident ends whatever the geometry: 20,000 two-point pipes laid
// end to end (a chain: two ends per place) against the same number with
// every end at one place, and with every end a little over the tolerance
// from its neighbours in one small square (none coincide). Loading from text
// is timed, parse included, as a user meets it.
#include <benchmark/benchmark.h>

#include <string>

#include "kelto/data/File.h"

namespace {

enum Layout { kChain, kOnePoint, kComb };

std::string Plant(Layout layout, int pipes) {
  std::string text = R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": "L", )"
                     R"("components": [)";
  const auto position = [&](int end) {
    switch (layout) {
      case kChain:
        return "[" + std::to_string((end + 1) / 2 * 1000) + ", 0, 0]";
      case kOnePoint:
        return std::string("[500, 500, 500]");
      case kComb:
        return "[" + std::to_string((end % 200) * 0.0011) + ", " +
               std::to_string((end / 200) * 0.0011) + ", 0]";
    }
    return std::string();
  };
  for (int i = 0; i < pipes; ++i) {
    if (i) text += ",";
    text += R"({"id": "P)" + std::to_string(i) + R"(", "type": "Pipe", "points": {"Run_1": )"
            R"({"position": )" + position(2 * i) + R"(, "bore": 100}, "Run_2": {"position": )" +
            position(2 * i + 1) + R"(, "bore": 100}}, "legs": [{"from": "Run_1", "to": "Run_2", )"
            R"("direction": [1, 0, 0]}]})";
  }
  return text + "]}]}";
}

void BM_LoadCoincidentEnds(benchmark::State& state) {
  const auto layout = static_cast<Layout>(state.range(0));
  const std::string text = Plant(layout, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    kelto::data::File file;
    file.LoadText(text, "bench.json");
    benchmark::DoNotOptimize(file.Components().data());
  }
  state.SetLabel(layout == kChain ? "chain" : layout == kOnePoint ? "one point" : "comb");
}
BENCHMARK(BM_LoadCoincidentEnds)
    ->Args({kChain, 20000})
    ->Args({kOnePoint, 20000})
    ->Args({kComb, 20000})
    ->Args({kOnePoint, 40000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
