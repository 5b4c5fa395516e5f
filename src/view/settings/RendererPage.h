// CRendererPage: the "3D &Rendering" settings page of the view, without a
// toolkit. It edits ten of the renderer's options in four groups:
//
//   Detail                     Bend Steps (207), Cylinder Stacks (208),
//                              Circle Edges (209), Snout Steps (210)
//   Axes                       Size (213), Position : Top (214) Right (215)
//   Normalization / Cacheing   Scaling (211), Precision (212)
//   General                    Zoom Limits (216)
//
// Drop-down lists offer three values each and take any typed number (the
// fields accept digits only); check boxes stand for the bool options.
//
// Contract:
// - Activate builds the dialog in the host, fills the lists, makes their
//   fields digits-only and shows the options: numbers as text, bools as check
//   states (checked when non-zero).
// - A change the person makes marks the page dirty and calls OnDirty once per
//   clean-to-dirty step.
// - Apply puts every control's value into its option by name, each field's
//   text cut to 23 characters and converted by the option (text that does not
//   convert leaves the value as it was). On a registry of this module the
//   puts are one batch, so receivers get one notice naming all ten options.
//   The page is clean afterwards.
#pragma once

#include <functional>
#include <string>

#include "kelto3d/Options.h"
#include "platform/com/ComPtr.h"
#include "view/settings/DialogTemplate.h"

class CRendererPage : public kelto::dialog::IFDialogEvents {
 public:
  static constexpr int kDialogId = 114;
  static constexpr char kTitle[] = "3D &Rendering";
  static constexpr char kDocString[] = "3D Rendering Properties";
  // The longest text read from a field.
  static constexpr std::size_t kMaxText = 23;

  // Which option each control edits.
  struct Binding {
    int Id;
    const char* Option;
    kelto::dialog::ControlKind Kind;
  };
  static const std::vector<Binding>& Bindings();
  static const kelto::dialog::CDialogTemplate& Template();

  CRendererPage() = default;
  CRendererPage(const CRendererPage&) = delete;
  CRendererPage& operator=(const CRendererPage&) = delete;

  // The options the page edits (null: none, the page shows defaults of the
  // controls and Apply does nothing).
  void SetOptions(kelto3d::IOptions* options) { m_options = options; }
  kelto3d::IOptions* GetOptions() const { return m_options.Get(); }

  void Activate(kelto::dialog::IFDialogHost& host);
  void Deactivate();
  bool IsActive() const { return m_host != nullptr; }
  // Throws what the options throw (an option that is not registered, for a
  // registry that is not a renderer's).
  void Apply();
  bool IsDirty() const { return m_dirty; }

  std::function<void()> OnDirty;

  void OnControlChanged(int id) override;

 private:
  void Show();

  kelto::com::ComPtr<kelto3d::IOptions> m_options;
  kelto::dialog::IFDialogHost* m_host = nullptr;
  bool m_dirty = false;
};
