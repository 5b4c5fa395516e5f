// The pump station built with 100 hostile external-dimension rules, each a
// regular expression that backtracking would take exponential time over,
// against the same build without rules. The whole-evaluation bound and the
// linear matcher keep the rules' cost in proportion to the rules.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"
#include "solid/SolidModelBuilder.h"

namespace {

IKeltoFile* PumpStation() {
  static kelto::com::ComPtr<IKeltoFile> file;
  if (!file) {
    kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr,
                                               CLSCTX_INPROC_SERVER,
                                               kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
    const _bstr_t path(KELTO_SOURCE_DIR "/examples/pump-station.json");
    kelto::com::ThrowIfFailed(file->Load(path.GetBSTR()));
  }
  return file.Get();
}

std::string HostileRules(int count) {
  std::string xml = "<Rules><Aspect Name='Id' Expression='OwnerComponent.Id' MatchType='RegExp'/>";
  for (int i = 0; i < count; ++i)
    xml += "<Lookup Id='(.*)*(.*)*(.*)*Q" + std::to_string(i) + "'><Tag PipeOD='1'/></Lookup>";
  return xml + "</Rules>";
}

void BM_PumpStationWithRules(benchmark::State& state) {
  CSolidModelBuilder builder;
  std::string errors;
  if (state.range(0) > 0)
    builder.SetExternalDimensionConfig(HostileRules(static_cast<int>(state.range(0))), errors);
  for (auto _ : state) {
    auto root = builder.BuildModel(PumpStation());
    benchmark::DoNotOptimize(root.get());
  }
  state.SetLabel(std::to_string(state.range(0)) + " hostile rules");
}
BENCHMARK(BM_PumpStationWithRules)->Arg(0)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
