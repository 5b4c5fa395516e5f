// CQtDialogHost: a settings page's dialog (kelto::dialog::CDialogTemplate)
// made of Qt widgets: a grid of framed groups, each a form of labelled rows;
// editable drop-down lists and check boxes found by their ids.
#pragma once

#include <QWidget>

#include <map>
#include <vector>

#include "view/settings/DialogTemplate.h"

class QCheckBox;
class QComboBox;

class CQtDialogHost : public QWidget, public kelto::dialog::IFDialogHost {
 public:
  explicit CQtDialogHost(QWidget* parent = nullptr) : QWidget(parent) {}

  void Create(const kelto::dialog::CDialogTemplate& dialog,
              kelto::dialog::IFDialogEvents* events) override;
  void Destroy() override;
  void SetItems(int id, const std::vector<std::string>& items) override;
  void SetDigitsOnly(int id) override;
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id, std::size_t maxChars) const override;
  void SetCheck(int id, bool checked) override;
  bool GetCheck(int id) const override;

 private:
  QWidget* MakeControl(const kelto::dialog::CControl& control);
  void Changed(int id);

  kelto::dialog::IFDialogEvents* m_events = nullptr;
  bool m_setting = false;  // changes made through the setters are not the person's
  std::map<int, QComboBox*> m_combos;
  std::map<int, QCheckBox*> m_checks;
  std::vector<QWidget*> m_order;  // the controls in the template's order
};
