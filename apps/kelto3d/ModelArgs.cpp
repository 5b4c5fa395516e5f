#include "ModelArgs.h"

#include <CLI/CLI.hpp>

#include <sstream>

#include "core/PrintableText.h"
#include "Command.h"
#include "kelto/Piping.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/RegularFile.h"
#include "platform/window/MessageBox.h"
#include "platform/xml/Document.h"

namespace kelto::cli {

void DefineModelOptions(CLI::App& app, ModelChoice& model) {
  CheckedBy(app.add_option_function<std::string>(
                "--representation",
                [&model](const std::string& text) { model.representation = *ParseRepresentation(text); },
                "solid (default) or symbolic (line-art symbols)"),
            [](const std::string& text) {
              return ParseRepresentation(text) ? ""
                                               : "unknown representation \"" + text +
                                                     "\" (solid or symbolic)";
            })
      ->type_name("R");
  CheckedBy(app.add_option("--ext-dims", model.extDims,
                           "external dimension rules (a file, or text starting with '<')"),
            NotEmpty("an XML file"))
      ->type_name("XML");
  CheckedBy(app.add_option("--type-table", model.typeTable,
                           "component-type table of the solid model (a file, or text "
                           "starting with '<')"),
            NotEmpty("an XML file"))
      ->type_name("XML");
  CheckedBy(app.add_option("--symbols", model.symbols,
                           "a symbol library file for the symbolic model (repeatable; a later "
                           "file is searched first; docs/symbol-format.md)"),
            NotEmpty("a symbol library file"))
      ->type_name("FILE")
      ->allow_extra_args(false);
  app.add_flag("--keep-going", model.keepGoing,
               "skip the PCF blocks and folder files that cannot be read, listing each "
               "(docs/pcf-format.md)");
}

void CModelFileCommand::Define(CLI::App& app) {
  CheckedBy(
      app.add_option("FILE", m_args.file, "the piping file (docs/piping-format.md)")->required(),
      NotEmpty("a piping file"));
  DefineModelOptions(app, m_args.model);
}

void CModelFileCommand::Check() {
  if (const auto problem = ModelChoiceProblem(m_args.model)) throw UsageError(*problem);
}

std::string XmlSource(const std::string& value, const char* option) {
  return !value.empty() && value.front() == '<' ? std::string(option)
                                                : std::string(option) + " " + value;
}

std::optional<std::string> ReadXmlArgument(const std::string& value, const char* command,
                                           const char* option, std::ostream& err) {
  std::string text = value;
  if (value.empty() || value.front() != '<') {
    // A regular file of a sane size only: a folder would read as an empty
    // configuration, /dev/zero would fill memory and a FIFO would block.
    try {
      text = kelto::platform::ReadRegularFile(value, option);
    } catch (const kelto::platform::FileReadError& e) {
      err << "kelto3d " << command << ": cannot read " << option << " file " << PrintableText(value)
          << ": " << PrintableText(e.Reason()) << '\n';
      return std::nullopt;
    }
  }
  // Text that is not XML at all is refused here, with its place: the library
  // would go on without the configuration (every valve drawn as pipe, no
  // colours), which on the command line is a failure, not a warning. Blank
  // text is the library's to judge (an empty type table is allowed).
  if (text.find_first_not_of(" \t\r\n") != std::string::npos) {
    kelto::xml::Document document;
    const kelto::xml::LoadResult loaded = document.loadXML(text);
    if (!loaded) {
      err << "kelto3d " << command << ": " << PrintableText(XmlSource(value, option))
          << ": not well-formed XML: " << loaded.Describe() << '\n';
      return std::nullopt;
    }
  }
  return text;
}

std::optional<BuiltModel> BuildModel(const ModelArgs& args,
                                     CSolidModelBuilder::IFObserver* observer,
                                     const char* command, std::ostream& err) {
  const std::string prefix = std::string("kelto3d ") + command + ": ";
  kelto::window::ScopedMessageBoxHandler boxes([&](std::string_view title, std::string_view text) {
    err << prefix << PrintableText(title) << ": " << PrintableText(text) << '\n';
  });
  auto builder = MakeModelBuilder(args.model, command, err);
  if (!builder) return std::nullopt;
  builder->SetObserver(observer);
  const auto file = LoadPipingFile(args.file, command, err, args.model.keepGoing);
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
    err << prefix << "warning: " << PrintableText(source) << ": " << PrintableText(line) << '\n';
  return true;
}

bool ConfigureSolidBuilder(const ModelChoice& choice, CSolidModelBuilder& builder,
                           const char* command, std::ostream& err) {
  if (!ConfigureExternalDimensions(choice, builder, command, err)) return false;
  if (!choice.typeTable) return true;
  const auto xml = ReadXmlArgument(*choice.typeTable, command, "--type-table", err);
  if (!xml) return false;
  // The table reports a bad entry in an "XML Error" box and keeps only the
  // entries before it: a table that does not load whole is an error here.
  bool loaded = true;
  {
    kelto::window::ScopedMessageBoxHandler boxes(
        [&](std::string_view title, std::string_view text) {
          err << "kelto3d " << command << ": "
              << PrintableText(XmlSource(*choice.typeTable, "--type-table")) << ": " << PrintableText(title) << ": "
              << PrintableText(text) << '\n';
          loaded = false;
        });
    builder.SetTypeTableConfig(*xml);
  }
  return loaded;
}

kelto::com::ComPtr<IKeltoFile> LoadPipingFile(const std::string& path, const char* command,
                                              std::ostream& err, bool keepGoing) {
  const std::string prefix = std::string("kelto3d ") + command + ": ";
  kelto::com::ComPtr<IKeltoFile> file;
  const HRESULT created = CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                                           kelto::com::IidOf<IKeltoFile>(), file.PutVoid());
  if (FAILED(created) || !file) {
    err << prefix << "cannot read " << PrintableText(path)
        << ": the piping-data library (libkelto.so) is not available ("
        << kelto::com::DescribeHResult(created) << ")\n";
    return {};
  }
  kelto::com::ComPtr<IKeltoFileLoading> loading;
  file->QueryInterface(kelto::com::IidOf<IKeltoFileLoading>(), loading.PutVoid());
  if (loading) loading->put_KeepGoing(keepGoing ? VARIANT_TRUE : VARIANT_FALSE);
  try {
    const _bstr_t bpath(path);
    kelto::com::ThrowIfFailed(file->Load(bpath.GetBSTR()), kelto::com::IidOf<IKeltoFile>());
  } catch (const _com_error& e) {
    // The library's message already names the file, the place and the problem.
    std::string description = e.Description();
    if (description.empty()) description = e.ErrorMessage();
    if (description.find(path) == std::string::npos)
      description = "cannot read " + path + ": " + description;
    err << prefix << PrintableText(description) << '\n';
    return {};
  }
  // What the load worked around: skipped PCF blocks, unknown component types.
  _bstr_t warnings;
  if (loading && SUCCEEDED(loading->get_Warnings(warnings.GetAddress()))) {
    std::istringstream lines(warnings.str());
    for (std::string line; std::getline(lines, line);)
      err << prefix << "warning: " << line << '\n';
  }
  return file;
}

cptr::counted_ptr<CModelNode> BuildFileModel(IFModelBuilder& builder, IKeltoFile* file,
                                             const std::string& path, const char* command,
                                             std::ostream& err) {
  try {
    return builder.BuildModel(file);
  } catch (const std::exception& e) {
    err << "kelto3d " << command << ": cannot build the model of " << PrintableText(path) << ": " << PrintableText(e.what())
        << '\n';
  }
  return {};
}

}  // namespace kelto::cli
