#include "ModelArgs.h"

#include <fstream>
#include <sstream>

#include "kelto/Piping.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/window/MessageBox.h"

namespace kelto::cli {

const char* const kModelArgsHelp =
    "  --representation R  solid (default) or symbolic (line-art symbols)\n"
    "  --ext-dims XML      external dimension rules (a file, or text starting with '<')\n"
    "  --type-table XML    component-type table of the solid model (a file, or text\n"
    "                      starting with '<')\n"
    "  --symbols FILE      a symbol library file for the symbolic model (repeatable;\n"
    "                      a later file is searched first; docs/symbol-format.md)\n";

bool TakeModelArgument(const std::vector<std::string>& args, std::size_t& i, ModelChoice& model,
                       bool& failed, const char* command, std::ostream& err) {
  const std::string& a = args[i];
  const char* value = a == "--representation" ? "solid or symbolic"
                      : a == "--ext-dims" || a == "--type-table" ? "an XML file"
                      : a == "--symbols" ? "a symbol library file"
                                         : nullptr;
  if (!value) return false;
  if (i + 1 >= args.size()) {
    err << "kelto3d " << command << ": " << a << " needs " << value << '\n';
    failed = true;
    return true;
  }
  const std::string& text = args[++i];
  if (text.empty()) {
    err << "kelto3d " << command << ": " << a << " needs " << value << '\n';
    failed = true;
  } else if (a == "--representation") {
    const auto representation = ParseRepresentation(text);
    if (!representation) {
      err << "kelto3d " << command << ": unknown representation \"" << text
          << "\" (solid or symbolic)\n";
      failed = true;
    } else {
      model.representation = *representation;
    }
  } else if (a == "--symbols") {
    model.symbols.push_back(text);
  } else {
    (a == "--ext-dims" ? model.extDims : model.typeTable) = text;
  }
  return true;
}

std::optional<ModelArgs> ParseModelArgs(const std::vector<std::string>& args,
                                        const std::vector<std::string>& extraFlags,
                                        const char* command, std::ostream& err) {
  ModelArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      parsed.help = true;
      return parsed;
    }
    bool failed = false;
    if (TakeModelArgument(args, i, parsed.model, failed, command, err)) {
      if (failed) return std::nullopt;
      continue;
    }
    bool extra = false;
    for (const std::string& flag : extraFlags) extra = extra || a == flag;
    if (extra) {
      if (a == "--detail") parsed.detail = true;
      continue;
    }
    if (a.size() > 1 && a.front() == '-') {
      err << "kelto3d " << command << ": unknown option \"" << a << "\"\n";
      return std::nullopt;
    }
    if (!parsed.file.empty()) {
      err << "kelto3d " << command << ": one piping file at a time (\"" << parsed.file
          << "\" and \"" << a << "\")\n";
      return std::nullopt;
    }
    parsed.file = a;
  }
  if (parsed.file.empty()) {
    err << "kelto3d " << command << ": which piping file?\n";
    return std::nullopt;
  }
  if (!CheckModelChoice(parsed.model, command, err)) return std::nullopt;
  return parsed;
}

std::optional<std::string> ReadXmlArgument(const std::string& value, const char* command,
                                           const char* option, std::ostream& err) {
  if (!value.empty() && value.front() == '<') return value;
  std::ifstream in(value, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    err << "kelto3d " << command << ": cannot read " << option << " file " << value << '\n';
    return std::nullopt;
  }
  return text.str();
}

std::optional<BuiltModel> BuildModel(const ModelArgs& args,
                                     CSolidModelBuilder::IFObserver* observer,
                                     const char* command, std::ostream& err) {
  const std::string prefix = std::string("kelto3d ") + command + ": ";
  kelto::window::ScopedMessageBoxHandler boxes([&](std::string_view title, std::string_view text) {
    err << prefix << title << ": " << text << '\n';
  });
  auto builder = MakeModelBuilder(args.model, command, err);
  if (!builder) return std::nullopt;
  builder->SetObserver(observer);
  const auto file = LoadPipingFile(args.file, command, err);
  if (!file) return std::nullopt;
  auto root = BuildFileModel(builder->Builder(), file.Get(), args.file, command, err);
  if (!root) return std::nullopt;
  return BuiltModel{std::move(*builder), std::move(root)};
}

bool ConfigureExternalDimensions(const ModelChoice& choice, IFModelBuilder& builder,
                                 const char* command, std::ostream& err) {
  if (!choice.extDims) return true;
  const std::string prefix = std::string("kelto3d ") + command + ": ";
  const auto xml = ReadXmlArgument(*choice.extDims, command, "--ext-dims", err);
  if (!xml) return false;
  std::string errors;
  builder.SetExternalDimensionConfig(*xml, errors);
  // Name the file the rules came from (inline text has no name).
  const std::string source =
      choice.extDims->front() == '<' ? std::string("--ext-dims") : *choice.extDims;
  std::istringstream lines(errors);
  for (std::string line; std::getline(lines, line);)
    err << prefix << "warning: " << source << ": " << line << '\n';
  return true;
}

bool ConfigureSolidBuilder(const ModelChoice& choice, CSolidModelBuilder& builder,
                           const char* command, std::ostream& err) {
  if (!ConfigureExternalDimensions(choice, builder, command, err)) return false;
  if (choice.typeTable) {
    const auto xml = ReadXmlArgument(*choice.typeTable, command, "--type-table", err);
    if (!xml) return false;
    builder.SetTypeTableConfig(*xml);
  }
  return true;
}

kelto::com::ComPtr<IKeltoFile> LoadPipingFile(const std::string& path, const char* command,
                                              std::ostream& err) {
  const std::string prefix = std::string("kelto3d ") + command + ": ";
  kelto::com::ComPtr<IKeltoFile> file;
  const HRESULT created = CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                           kelto::com::IidOf<IKeltoFile>(), file.PutVoid());
  if (FAILED(created) || !file) {
    err << prefix << "cannot read " << path
        << ": the piping-data library (libkelto.so) is not available ("
        << kelto::com::DescribeHResult(created) << ")\n";
    return {};
  }
  try {
    const _bstr_t bpath(path);
    kelto::com::ThrowIfFailed(file->Load(bpath.GetBSTR()), kelto::com::IidOf<IKeltoFile>());
  } catch (const _com_error& e) {
    // The library's message already names the file, the place and the problem.
    std::string description = e.Description();
    if (description.empty()) description = e.ErrorMessage();
    if (description.find(path) == std::string::npos)
      description = "cannot read " + path + ": " + description;
    err << prefix << description << '\n';
    return {};
  }
  return file;
}

cptr::counted_ptr<CModelNode> BuildFileModel(IFModelBuilder& builder, IKeltoFile* file,
                                             const std::string& path, const char* command,
                                             std::ostream& err) {
  try {
    return builder.BuildModel(file);
  } catch (const std::exception& e) {
    err << "kelto3d " << command << ": cannot build the model of " << path << ": " << e.what()
        << '\n';
  }
  return {};
}

}  // namespace kelto::cli
