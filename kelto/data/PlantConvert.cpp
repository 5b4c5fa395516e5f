#include "kelto/data/PlantConvert.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "kelto/data/JsonWriter.h"

namespace kelto::data {

PlantFormat FormatOf(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == ".pcf" ? PlantFormat::kPcf : PlantFormat::kJson;
}

std::string PlantText(const File& file, PlantFormat format, const PcfWriteOptions& pcf) {
  return format == PlantFormat::kPcf ? WritePcf(file, pcf) : WriteJson(file);
}

void WriteFileAtomically(const std::filesystem::path& path, const std::string& text) {
  const std::string name = path.string();
  const std::string temporary = name + ".tmp-" + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + name + " (" + std::strerror(errno) + ")");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      const int error = errno;
      out.close();
      std::remove(temporary.c_str());
      throw std::runtime_error("cannot write " + name + " (" + std::strerror(error) + ")");
    }
  }
  if (std::rename(temporary.c_str(), name.c_str()) != 0) {
    const int error = errno;
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot write " + name + " (" + std::strerror(error) + ")");
  }
}

std::vector<std::string> ConvertPlant(std::span<const std::filesystem::path> inputs,
                                      const std::filesystem::path& output,
                                      const LoadOptions& load, const PcfWriteOptions& pcf) {
  File file;
  file.SetLoadOptions(load);
  if (inputs.size() == 1)
    file.Load(inputs.front());
  else
    file.LoadPlant(inputs);
  WriteFileAtomically(output, PlantText(file, FormatOf(output), pcf));
  return {file.Warnings().begin(), file.Warnings().end()};
}

}  // namespace kelto::data
