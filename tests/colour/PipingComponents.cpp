#include "PipingComponents.h"

#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"
#include "support/TempDir.h"

namespace colour_test {
namespace {

// The file object after loading a plant of these components (JSON objects)
// in one pipeline; given a file, loads into that one.
ComPtr<IKeltoFile> Load(const nlohmann::json& components, ComPtr<IKeltoFile> file = nullptr) {
  if (!file)
    kelto::com::ThrowIfFailed(CoCreateInstance(kelto::clsid::KeltoFile, nullptr,
                                               CLSCTX_INPROC_SERVER,
                                               kelto::com::IidOf<IKeltoFile>(), file.PutVoid()));
  const nlohmann::json plant = {{"format", "kelto-piping"},
                                {"version", 1},
                                {"pipelines", {{{"id", "L1"}, {"components", components}}}}};
  kelto::test::TempDir dir;
  const auto path = dir.path() / "plant.json";
  std::ofstream(path, std::ios::binary) << plant.dump();
  kelto::com::ThrowIfFailed(file->Load(_bstr_t(path.string()).GetBSTR()));
  return file;
}

ComPtr<IKeltoComponent> First(IKeltoFile* file) {
  ComPtr<IKeltoPipelines> pipelines;
  ComPtr<IKeltoPipeline> pipeline;
  ComPtr<IKeltoComponents> components;
  ComPtr<IKeltoComponent> component;
  kelto::com::ThrowIfFailed(file->get_Pipelines(pipelines.Put()));
  kelto::com::ThrowIfFailed(pipelines->get_Item(_variant_t(0L), pipeline.Put()));
  kelto::com::ThrowIfFailed(pipeline->get_Components(components.Put()));
  kelto::com::ThrowIfFailed(components->get_Item(_variant_t(0L), component.Put()));
  return component;
}

}  // namespace

ComPtr<IKeltoComponent> MakeComponent(const std::string& group, const std::string& id) {
  const nlohmann::json component = {
      {"id", id}, {"type", group}, {"group", group}, {"points", nlohmann::json::object()}};
  return First(Load(nlohmann::json::array({component})).Get());
}

Gone MakeGone() {
  Gone gone{MakeComponent("Pipe"), nullptr};
  ComPtr<IKeltoPipeline> pipeline;
  ComPtr<IKeltoFile> file;
  kelto::com::ThrowIfFailed(gone.component->get_Details(gone.details.Put()));
  kelto::com::ThrowIfFailed(gone.component->get_Pipeline(pipeline.Put()));
  kelto::com::ThrowIfFailed(pipeline->get_File(file.Put()));
  Load(nlohmann::json::array(), file);
  return gone;
}

}  // namespace colour_test
