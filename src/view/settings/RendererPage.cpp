#include "view/settings/RendererPage.h"

#include "options/ComOptions.h"
#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"

namespace dlg = kelto::dialog;

namespace {

constexpr dlg::ControlKind kCombo = dlg::ControlKind::ComboBox;
constexpr dlg::ControlKind kCheck = dlg::ControlKind::CheckBox;

dlg::CControl Combo(int id, std::vector<std::string> items) {
  return {id, kCombo, {}, std::move(items)};
}
dlg::CControl Check(int id, std::string text) { return {id, kCheck, std::move(text), {}}; }

// Reports a failed call on the options as the exception the caller's
// boundary turns into error information.
void Ensure(HRESULT hr) {
  if (FAILED(hr)) kelto::com::ThrowComError(hr, kelto::com::IidOf<kelto3d::IOptions>());
}

}  // namespace

const std::vector<CRendererPage::Binding>& CRendererPage::Bindings() {
  static const std::vector<Binding> bindings{
      {207, "BendSteps", kCombo},    {208, "CylStacks", kCombo}, {209, "Edges", kCombo},
      {210, "SnoutSteps", kCombo},   {213, "AxesSize", kCombo},  {214, "AxesTop", kCheck},
      {215, "AxesRight", kCheck},    {211, "NormalizeScale", kCheck},
      {212, "KeyPrecision", kCombo}, {216, "ViewLimits", kCheck},
  };
  return bindings;
}

const dlg::CDialogTemplate& CRendererPage::Template() {
  static const dlg::CDialogTemplate dialog{
      kDialogId,
      266,
      126,
      {
          {"Detail",
           0,
           0,
           {{"Bend Steps", {Combo(207, {"4", "8", "16"})}},
            {"Cylinder Stacks", {Combo(208, {"1", "2", "4"})}},
            {"Circle Edges", {Combo(209, {"8", "16", "32"})}},
            {"Snout Steps", {Combo(210, {"1", "2", "4"})}}}},
          {"General", 0, 1, {{"", {Check(216, "Zoom Limits")}}}},
          {"Axes",
           1,
           0,
           {{"Size", {Combo(213, {"25", "50", "100"})}},
            {"Position :", {Check(214, "Top"), Check(215, "Right")}}}},
          {"Normalization / Cacheing",
           1,
           1,
           {{"", {Check(211, "Scaling")}}, {"Precision ", {Combo(212, {"1", "2", "3"})}}}},
      }};
  return dialog;
}

void CRendererPage::Activate(dlg::IFDialogHost& host) {
  m_host = &host;
  host.Create(Template(), this);
  for (const dlg::CGroup& group : Template().Groups)
    for (const dlg::CRow& row : group.Rows)
      for (const dlg::CControl& control : row.Controls) {
        if (control.Kind != kCombo) continue;
        host.SetItems(control.Id, control.Items);
        host.SetDigitsOnly(control.Id);
      }
  Show();
  m_dirty = false;
}

void CRendererPage::Deactivate() {
  if (m_host) m_host->Destroy();
  m_host = nullptr;
}

void CRendererPage::Show() {
  if (!m_options) return;
  for (const Binding& b : Bindings()) {
    _variant_t value;
    Ensure(m_options->get_Item(_bstr_t(b.Option), &value));
    if (b.Kind == kCheck) {
      _variant_t flag;
      Ensure(VariantChangeType(&flag, &value, 0, VT_BOOL));
      m_host->SetCheck(b.Id, flag.boolVal != VARIANT_FALSE);
    } else {
      _variant_t text;
      Ensure(VariantChangeType(&text, &value, 0, VT_BSTR));
      m_host->SetText(b.Id, kelto::com::BstrToUtf8(text.bstrVal));
    }
  }
}

void CRendererPage::Apply() {
  if (!m_host || !m_options) {
    m_dirty = false;
    return;
  }
  // One batch on a registry of this module; another object's options take
  // the puts one by one.
  auto* own = dynamic_cast<CComOptions*>(m_options.Get());
  COptions* registry = own ? own->GetObject() : nullptr;
  if (registry) registry->SetDeferred(true);
  try {
    for (const Binding& b : Bindings()) {
      const _variant_t value = b.Kind == kCheck
                                   ? _variant_t(m_host->GetCheck(b.Id))
                                   : _variant_t(m_host->GetText(b.Id, kMaxText));
      Ensure(m_options->put_Item(_bstr_t(b.Option), value));
    }
  } catch (...) {
    if (registry) registry->SetDeferred(false);
    throw;
  }
  if (registry) registry->SetDeferred(false);
  m_dirty = false;
}

void CRendererPage::OnControlChanged(int) {
  if (m_dirty) return;
  m_dirty = true;
  if (OnDirty) OnDirty();
}
