#include "SolidModelArgs.h"

#include <fstream>
#include <sstream>

#include "kelto/Piping.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/window/MessageBox.h"

namespace kelto::cli {

namespace {

// The text of an --ext-dims / --type-table value: inline XML, or a file.
std::optional<std::string> ReadXml(const std::string& value, const char* command,
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

}  // namespace

std::optional<SolidModelArgs> ParseSolidModelArgs(const std::vector<std::string>& args,
                                                  const std::vector<std::string>& extraFlags,
                                                  const char* command, std::ostream& err) {
  SolidModelArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      parsed.help = true;
      return parsed;
    }
    if (a == "--ext-dims" || a == "--type-table") {
      if (i + 1 >= args.size()) {
        err << "kelto3d " << command << ": " << a << " needs an XML file\n";
        return std::nullopt;
      }
      (a == "--ext-dims" ? parsed.extDims : parsed.typeTable) = args[++i];
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
  return parsed;
}

cptr::counted_ptr<CModelNode> BuildSolidModel(const SolidModelArgs& args,
                                              CSolidModelBuilder& builder, const char* command,
                                              std::ostream& err) {
  const std::string prefix = std::string("kelto3d ") + command + ": ";
  kelto::window::ScopedMessageBoxHandler boxes([&](std::string_view title, std::string_view text) {
    err << prefix << title << ": " << text << '\n';
  });
  if (args.extDims) {
    const auto xml = ReadXml(*args.extDims, command, "--ext-dims", err);
    if (!xml) return {};
    std::string errors;
    builder.SetExternalDimensionConfig(*xml, errors);
    // Name the file the rules came from (inline text has no name).
    const std::string source =
        args.extDims->front() == '<' ? std::string("--ext-dims") : *args.extDims;
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);)
      err << prefix << "warning: " << source << ": " << line << '\n';
  }
  if (args.typeTable) {
    const auto xml = ReadXml(*args.typeTable, command, "--type-table", err);
    if (!xml) return {};
    builder.SetTypeTableConfig(*xml);
  }

  kelto::com::ComPtr<IKeltoFile> file;
  const HRESULT created = CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                           kelto::com::IidOf<IKeltoFile>(), file.PutVoid());
  if (FAILED(created) || !file) {
    err << prefix << "cannot read " << args.file
        << ": the piping-data library (libkelto.so) is not available ("
        << kelto::com::DescribeHResult(created) << ")\n";
    return {};
  }
  try {
    const _bstr_t path(args.file);
    kelto::com::ThrowIfFailed(file->Load(path.GetBSTR()), kelto::com::IidOf<IKeltoFile>());
  } catch (const _com_error& e) {
    // The library's message already names the file, the place and the problem.
    std::string description = e.Description();
    if (description.empty()) description = e.ErrorMessage();
    if (description.find(args.file) == std::string::npos)
      description = "cannot read " + args.file + ": " + description;
    err << prefix << description << '\n';
    return {};
  }
  try {
    return builder.BuildModel(file.Get());
  } catch (const std::exception& e) {
    err << prefix << "cannot build the model of " << args.file << ": " << e.what() << '\n';
  }
  return {};
}

}  // namespace kelto::cli
