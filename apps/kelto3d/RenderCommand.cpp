#include "RenderCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "core/PrintableText.h"
#include "ErrorInfoText.h"
#include "ModelArgs.h"
#include "RenderSheet.h"
#include "colour/UserColScheme.h"
#include "platform/com/ComError.h"
#include "platform/file/AtomicFile.h"
#include "platform/window/MessageBox.h"
#include "render/GLRenderer.h"
#include "view/Pipeline3DViewCtrl.h"

namespace kelto::cli {

namespace {
bool g_exitWhenRendered = false;
}  // namespace

void ExitWhenRendered() { g_exitWhenRendered = true; }

namespace {

constexpr const char* kCommand = "render";

// Loading is reported before the component count is known, so a file this
// big counts as large from the start: generated plants take about 340 bytes
// a component, so this is some 2,000 components.
constexpr std::uintmax_t kLargeFileBytes = 700'000;

// Counts what the piping data holds; 0 when the data cannot say (the build
// reports the problem properly).
std::size_t CountComponents(IKeltoFile* file) {
  auto index = [](LONG i) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = i;
    return v;
  };
  std::size_t total = 0;
  kelto::com::ComPtr<IKeltoPipelines> pipelines;
  LONG count = 0;
  if (FAILED(file->get_Pipelines(pipelines.Put())) || !pipelines ||
      FAILED(pipelines->get_Count(&count)))
    return 0;
  for (LONG i = 0; i < count; ++i) {
    kelto::com::ComPtr<IKeltoPipeline> pipeline;
    kelto::com::ComPtr<IKeltoComponents> components;
    LONG n = 0;
    if (SUCCEEDED(pipelines->get_Item(index(i), pipeline.Put())) && pipeline &&
        SUCCEEDED(pipeline->get_Components(components.Put())) && components &&
        SUCCEEDED(components->get_Count(&n)) && n > 0)
      total += static_cast<std::size_t>(n);
  }
  return total;
}

// What the renderer's list build is doing: first every model node's shapes
// are tessellated and compiled once per distinct shape, then one display
// list per pipeline (and per file) is set up; what a list draws is compiled
// when the picture first needs it.
std::string BuildProgressText(const CGLRenderer::CBuildProgress& p) {
  const std::string done =
      p.Done == 0 ? "" : ": " + std::to_string(p.Total ? p.Done * 100 / p.Total : 100) + "%";
  if (p.What == CGLRenderer::CBuildProgress::Stage::Components)
    return "preparing the shapes of " + std::to_string(p.Total) + " model nodes for display" + done;
  return "setting up " + std::to_string(p.Total) + " display lists (one per pipeline)" + done;
}

// Counts the components built, reporting every quarter of a large build.
class CBuildCounter : public CSolidModelBuilder::IFObserver {
 public:
  CBuildCounter(CRenderProgress& progress, std::size_t expected)
      : m_progress(progress), m_expected(expected) {}
  void OnComponentBuilt(IKeltoComponent*, const CBuildOutcome& outcome) override {
    ++m_built;
    if (!outcome.error.empty()) ++m_notDrawn;
    if (m_expected >= 4 && m_built < m_expected && m_built % (m_expected / 4) == 0)
      m_progress.Say("built " + std::to_string(m_built) + " of " + std::to_string(m_expected) +
                     " components");
  }
  std::size_t NotDrawn() const { return m_notDrawn; }

 private:
  CRenderProgress& m_progress;
  std::size_t m_expected;
  std::size_t m_built = 0;
  std::size_t m_notDrawn = 0;
};

bool ApplyColourScheme(const std::string& value, IFModelBuilder& builder, std::ostream& err) {
  const auto xml = ReadXmlArgument(value, kCommand, "--colour-scheme", err);
  if (!xml) return false;
  auto scheme = CUserColScheme::Create();
  std::vector<std::string> messages;
  scheme->SetConfig(*xml, messages);
  const std::string source = value.front() == '<' ? std::string("--colour-scheme") : value;
  for (const std::string& m : messages)
    err << "kelto3d render: warning: " << PrintableText(source) << ": " << PrintableText(m) << '\n';
  builder.SetColourScheme(IFModelBuilder::SchemePtr(scheme));
  return true;
}

// Refuses an output that cannot be written before any work is done (a
// folder that does not exist or is read-only, a name that is a folder): a
// large model takes a while to build and draw.
bool OutputWritable(const std::string& output, std::ostream& err) {
  const std::string problem = kelto::file::CAtomicFile::ProblemWriting(output);
  if (problem.empty()) return true;
  err << "kelto3d render: " << PrintableText(problem) << '\n';
  return false;
}

// --option values on the view's options. A problem is a usage error.
void ApplyRendererOptions(const RenderArgs& args, COptions& options) {
  for (const auto& [name, value] : args.options)
    if (const auto problem = SetOptionFromText(options, name, value)) throw UsageError(*problem);
}

// The background DrawToDC is given: --background, white paper for a sheet,
// else the view's own (--option BackgroundColour, or the default black).
std::int32_t BackgroundFor(const RenderArgs& args, COptions& options) {
  if (args.background) return *args.background;
  if (args.paper) return 0xFFFFFF;
  return options.Get("BackgroundColour").lVal;
}

// FitView puts the box's bounding sphere in the picture, which leaves a long
// plant a thin diagonal across a mostly empty picture. A rendered picture is
// framed on the box itself instead: its eight corners are projected, the view
// is zoomed until they fill the picture but a margin, and the centre is moved
// so that they sit in the middle. Perspective makes one step approximate, so
// a few are taken; none reads the depth buffer or draws.
void FrameBox(CGLRenderer& renderer, const CBoundBox& box) {
  constexpr double kFill = 0.92;
  const CPoint3 lo = box.GetMin(), hi = box.GetMax();
  for (int step = 0; step < 6; ++step) {
    const CCameraMatrices matrices = renderer.GetCameraMatrices();
    const CViewport& vp = matrices.Viewport;
    if (vp.Width <= 0 || vp.Height <= 0) return;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int corner = 0; corner < 8; ++corner) {
      const CPoint3 p{corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z};
      const CPoint3 w = matrices.Project(p);
      minX = std::min(minX, w.x), maxX = std::max(maxX, w.x);
      minY = std::min(minY, w.y), maxY = std::max(maxY, w.y);
    }
    const double spanX = maxX - minX, spanY = maxY - minY;
    if (!(spanX > 0.0 || spanY > 0.0) || !std::isfinite(spanX + spanY)) return;
    // Recentre on the middle of the projected box, at the depth of the centre.
    const CPoint3 centre = renderer.GetView().Centre;
    const double depth = matrices.Project(centre).z;
    const CPoint3 middle = matrices.Unproject({(minX + maxX) / 2, (minY + maxY) / 2, depth});
    if (std::isfinite(middle.x + middle.y + middle.z)) renderer.SetCentre(middle);
    double factor = 1e300;
    if (spanX > 0.0) factor = std::min(factor, kFill * vp.Width / spanX);
    if (spanY > 0.0) factor = std::min(factor, kFill * vp.Height / spanY);
    if (std::abs(factor - 1.0) < 0.01) return;
    // Limit each step: a perspective view of a deep box changes fast.
    if (!renderer.Zoom(std::clamp(factor, 0.25, 4.0))) return;
  }
}

}  // namespace

std::optional<RenderModel> AddFilesTo(CPipeline3DViewCtrl& control, const RenderArgs& args,
                                      CRenderProgress& progress, std::ostream& err) {
  auto chosen = ConfigureModelBuilder(args.model, control.GetSolidBuilder(),
                                      control.GetSymbolicBuilder(), kCommand, err);
  if (!chosen) return std::nullopt;
  IFModelBuilder& builder = chosen->Builder();
  // Both builders have this option ("PipelineMarkers", bool).
  if (args.markers) builder.Options().Set("PipelineMarkers", _variant_t(true));
  if (args.colourScheme && !ApplyColourScheme(*args.colourScheme, builder, err))
    return std::nullopt;
  const auto representation = args.model.representation == Representation::Symbolic
                                  ? kelto3d::rtSymbolic
                                  : kelto3d::rtSolid;

  RenderModel model;
  for (const std::string& path : args.files) {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    if (!ec && bytes > kLargeFileBytes) progress.TurnOn();
    progress.Say("loading " + path);
    const auto file = LoadPipingFile(path, kCommand, err, args.model.keepGoing);
    if (!file) return std::nullopt;
    const std::size_t expected = CountComponents(file.Get());
    if (expected > CRenderProgress::kLargeModel) progress.TurnOn();
    progress.Say("building " + std::to_string(expected) + " components of " + path);
    CBuildCounter counter(progress, expected);
    chosen->SetObserver(&counter);
    const HRESULT added = control.AddKeltoFile(file.Get(), representation);
    chosen->SetObserver(nullptr);
    if (FAILED(added)) {
      err << "kelto3d render: cannot build the model of " << PrintableText(path) << ": "
          << PrintableText(ErrorInfoText(kelto::com::DescribeHResult(added))) << '\n';
      return std::nullopt;
    }
    model.components += expected;
    model.notDrawn += counter.NotDrawn();
  }
  return model;
}

std::string CRenderCommand::Description() const {
  return "Draws the model of one or more piping files (solid, or line-art symbols with "
         "--representation symbolic) into one picture, seen from a standard view and fitted "
         "to the model, and writes it to OUT as PNG, PDF or SVG (by OUT's extension; PDF and "
         "SVG hold the picture as an image). With --paper, a PDF or SVG is a printable sheet "
         "with a title block, a line-art model drawn as vector lines with a scale bar and a "
         "north arrow. Needs no display.";
}

void CRenderCommand::Define(CLI::App& app) { DefineRenderOptions(app, m_args); }

void CRenderCommand::Check() {
  if (const auto problem = ModelChoiceProblem(m_args.model)) throw UsageError(*problem);
  if (m_args.paper && m_args.format == PictureFormat::Png)
    throw UsageError("--paper makes a printable sheet: the output must be a .pdf or .svg file");
  if (m_args.landscape && !m_args.paper) throw UsageError("--landscape needs --paper");
}

int CRenderCommand::Run(std::ostream& out, std::ostream& err) {
  const RenderArgs& a = m_args;
  try {
    // A control without a window: its camera calls act on the view it keeps,
    // and DrawToDC renders off-screen.
    const kelto::com::ComPtr<CPipeline3DViewCtrl> control =
        kelto::com::MakeObject<CPipeline3DViewCtrl>();
    CGLRenderer& view = control->GetRenderer();
    ApplyRendererOptions(a, view.GetOptions());
    if (!OutputWritable(a.output, err)) return 1;

    CRenderProgress progress(err, a.progress);
    kelto::window::ScopedMessageBoxHandler boxes(
        [&](std::string_view title, std::string_view text) {
          err << "kelto3d render: " << PrintableText(title) << ": " << PrintableText(text) << '\n';
        });
    // The view is framed below, once, on all the files.
    control->put_AutoFit(VARIANT_FALSE);
    const auto model = AddFilesTo(*control, a, progress, err);
    if (!model) return 1;
    if (model->notDrawn > 0)
      err << "kelto3d render: warning: " << model->notDrawn
          << " components could not be drawn (kelto3d info lists them with the reason)\n";

    const RenderLayout layout = LayoutFor(a);
    view.Resize(layout.framing.width, layout.framing.height);
    control->SetStandardViewDir(static_cast<kelto3d::StandardViewDir>(a.view));
    const CBoundBox& box = control->GetRoot().GetBoundBox();
    if (box.IsEmpty()) err << "kelto3d render: warning: the model is empty\n";
    control->FitView();
    FrameBox(view, box);

    if (progress.On())
      control->SetExportProgress(
          [&progress, quarter = std::size_t(0)](const CGLRenderer::CBuildProgress& p) mutable {
            if (p.Done == 0) quarter = 0;
            const std::size_t q = p.Total ? p.Done * 4 / p.Total : 4;
            if (p.Done != 0 && q == quarter) return;  // a line a quarter is enough
            quarter = q;
            progress.Say(BuildProgressText(p));
          });
    // Framed for the picture, drawn at the bitmap's resolution; a bitmap
    // larger than the picture keeps the indicator's size in the picture
    // unless told otherwise.
    const std::int32_t background = BackgroundFor(a, view.GetOptions());
    const double axesScale = a.axesScale * layout.AxesFactor();
    const auto draw = [&](UINT hdc, int left, int top, int width, int height) {
      const HRESULT hr = control->DrawToDC(LONG(hdc), left, top, width, height, background,
                                           axesScale, layout.bitmap.width, layout.bitmap.height,
                                           VARIANT_FALSE);
      if (FAILED(hr)) throw std::runtime_error(ErrorInfoText(kelto::com::DescribeHResult(hr)));
      progress.Say("writing " + a.output);
    };
    if (layout.vectors) progress.Say("writing " + a.output);
    if (!WriteRendering(draw, control->GetRoot(), view.GetView(), a, err)) return 1;
    if (g_exitWhenRendered) {
      out.flush();
      err.flush();
      std::fflush(nullptr);
      std::_Exit(0);
    }
  } catch (const UsageError&) {
    throw;
  } catch (const std::exception& e) {
    err << "kelto3d render: " << PrintableText(e.what()) << '\n';
    return 1;
  }
  return 0;
}

std::unique_ptr<CCommand> MakeRenderCommand() { return std::make_unique<CRenderCommand>(); }

}  // namespace kelto::cli
