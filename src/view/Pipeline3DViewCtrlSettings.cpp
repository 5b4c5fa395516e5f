// The control's members for printing and exporting the view (DrawToDC), for
// its graphics settings in the settings store, and for the options dialog.
// The work is done by view/export and view/settings; these members only
// translate the scripting arguments.
#include "platform/com/Strings.h"
#include "platform/dc/DCHandleTable.h"
#include "view/Pipeline3DViewCtrl.h"
#include "view/settings/NavigationSettings.h"
#include "view/settings/OptionsDialog.h"
#include "view/settings/RegistrySettings.h"

HRESULT CPipeline3DViewCtrl::DrawToDC(LONG hDC, LONG Left, LONG Top, LONG Width, LONG Height,
                                      LONG BGCol, double AxesScale, LONG BitmapXRes,
                                      LONG BitmapYRes, VARIANT_BOOL Cache) {
  return Guarded([&] {
    cairo_t* dc = kelto::dc::CDCHandleTable::Instance().Find(static_cast<std::uint32_t>(hDC));
    if (!dc) throw std::invalid_argument("Invalid device context handle.");
    // The view on the screen is only read: no ViewChanged, no repaint. The
    // picture shows the selection in red as the screen does.
    DrawViewToDC(m_outputCache, &m_root, m_renderer, dc,
                 {Left, Top, Width, Height, BGCol, AxesScale, BitmapXRes, BitmapYRes,
                  Cache != VARIANT_FALSE, m_exportProgress},
                 [this](CGLRenderer& output) { ShowSelectionOn(output); },
                 [this](const CModelNode* node) { return m_visibility.IsHidden(node); });
  });
}

// The navigation settings (the motion frames' budget) are kept beside the
// graphics settings under the same key.
HRESULT CPipeline3DViewCtrl::SaveSettingsToRegistry(LONG Parent, BSTR Key) {
  return Guarded([&] {
    const std::string key = kelto::com::BstrToUtf8(Key);
    const HRESULT hr = ::SaveSettingsToRegistry(m_renderer.GetOptions(), Parent, key);
    if (FAILED(hr)) return hr;
    return SaveNavigationSettings(m_renderer.GetInteraction()->GetBudget(), Parent, key);
  });
}

HRESULT CPipeline3DViewCtrl::LoadSettingsFromRegistry(LONG Parent, BSTR Key) {
  return Guarded([&] {
    const std::string key = kelto::com::BstrToUtf8(Key);
    const HRESULT hr = ::LoadSettingsFromRegistry(m_renderer.GetOptions(), Parent, key);
    double budget = 0.0;
    if (SUCCEEDED(hr) && LoadNavigationSettings(Parent, key, budget))
      m_renderer.GetInteraction()->SetBudget(budget);
    return hr;
  });
}

HRESULT CPipeline3DViewCtrl::OptionsDialog() {
  return Guarded([&] {
    // Owned by the control's window when it has one (a windowless control
    // has none to give).
    ShowOptionsDialog(static_cast<kelto3d::IPipeline3DViewCtrl*>(this), m_window->Handle());
  });
}
