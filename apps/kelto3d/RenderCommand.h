// "kelto3d render": draws the model of one or more piping files off-screen
// (no display needed) and writes the picture as PNG, PDF or SVG. It is a host
// of the view control like any other: it makes a control without a window,
// adds the files, sets the view and has the control draw itself (DrawToDC)
// into a device context of the runtime, so the command line, the viewer and
// scripts export the same pictures.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Command.h"
#include "RenderArgs.h"

class CPipeline3DViewCtrl;

namespace kelto::cli {

// Progress lines on standard error ("kelto3d render: loading FILE", …). Off
// unless asked for (--progress) or switched on once the model turns out to be
// large, so that small renders stay quiet.
class CRenderProgress {
 public:
  // Components from which a model counts as large.
  static constexpr std::size_t kLargeModel = kLargeModelComponents;

  CRenderProgress(std::ostream& err, bool on) : m_err(err), m_on(on) {}
  void TurnOn() { m_on = true; }
  bool On() const { return m_on; }
  void Say(const std::string& text) {
    if (m_on) m_err << "kelto3d render: " << text << '\n' << std::flush;
  }

 private:
  std::ostream& m_err;
  bool m_on;
};

// What went into the picture: the components the files hold, and those
// that got no primitives at all (the reasons: kelto3d info).
struct RenderModel {
  std::size_t components = 0;
  std::size_t notDrawn = 0;
};

// Configures the control's builder of the chosen representation
// (--ext-dims, --type-table, --symbols, --colour-scheme, --markers) and adds
// every file to the control with it. On failure writes a message naming the
// file to err and returns nullopt.
std::optional<RenderModel> AddFilesTo(CPipeline3DViewCtrl& control, const RenderArgs& args,
                                      CRenderProgress& progress, std::ostream& err);

class CRenderCommand : public CCommand {
 public:
  const char* Name() const override { return "render"; }
  const char* Summary() const override {
    return "draw piping files into a PNG, PDF or SVG picture";
  }
  std::string Usage() const override { return "kelto3d render [OPTIONS] FILE... -o OUT"; }
  std::string Description() const override;
  void Define(CLI::App& app) override;
  void Check() override;
  // 0 done, 1 a file could not be read or the picture not drawn or written.
  int Run(std::ostream& out, std::ostream& err) override;

  const RenderArgs& Args() const { return m_args; }

 private:
  RenderArgs m_args;
};

// Called by the program (not by tests running commands in their own
// process): a render that has written its picture ends the process at once
// instead of freeing the model, its lists and the driver's context, which
// for a plant of 100,000 components takes longer than the operating system
// needs to reclaim the memory.
void ExitWhenRendered();

}  // namespace kelto::cli
