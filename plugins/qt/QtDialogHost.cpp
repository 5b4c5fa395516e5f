#include "QtDialogHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace dlg = kelto::dialog;

namespace {

// Digits-only fields: what does not pass the page's rule is not typed.
class CDigitsValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return dlg::IsDigitsOnly(input.toStdString()) ? Acceptable : Invalid;
  }
};

// Runs f with m_setting raised, so the widgets' change signals are ignored.
template <class F>
void Quietly(bool& flag, F&& f) {
  const bool was = flag;
  flag = true;
  f();
  flag = was;
}

}  // namespace

void CQtDialogHost::Create(const dlg::CDialogTemplate& dialog, dlg::IFDialogEvents* events) {
  Destroy();
  m_events = events;
  auto* grid = new QGridLayout(this);
  int lastRow = 0;
  for (const dlg::CGroup& group : dialog.Groups) {
    auto* box = new QGroupBox(QString::fromStdString(group.Title), this);
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (const dlg::CRow& row : group.Rows) {
      QWidget* field = nullptr;
      if (row.Controls.size() == 1) {
        field = MakeControl(row.Controls.front());
      } else {
        field = new QWidget(box);
        auto* line = new QHBoxLayout(field);
        line->setContentsMargins(0, 0, 0, 0);
        for (const dlg::CControl& c : row.Controls) line->addWidget(MakeControl(c));
        line->addStretch(1);
      }
      if (row.Label.empty())
        form->addRow(field);
      else
        form->addRow(QString::fromStdString(row.Label), field);
    }
    grid->addWidget(box, group.GridRow, group.Column);
    lastRow = std::max(lastRow, group.GridRow);
  }
  // The keyboard goes through the controls in the template's order, group by
  // group, starting at the first.
  QWidget* previous = nullptr;
  for (QWidget* control : m_order) {
    if (previous) setTabOrder(previous, control);
    previous = control;
  }
  if (!m_order.empty()) m_order.front()->setFocus();
  // Groups keep their natural height at the top; spare room goes below.
  grid->setRowStretch(lastRow + 1, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
}

QWidget* CQtDialogHost::MakeControl(const dlg::CControl& control) {
  const int id = control.Id;
  const QString name = QStringLiteral("control-%1").arg(id);
  if (control.Kind == dlg::ControlKind::CheckBox) {
    auto* check = new QCheckBox(QString::fromStdString(control.Text), this);
    check->setObjectName(name);
    connect(check, &QCheckBox::toggled, this, [this, id] { Changed(id); });
    m_checks[id] = check;
    m_order.push_back(check);
    return check;
  }
  auto* combo = new QComboBox(this);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(5);
  connect(combo, &QComboBox::editTextChanged, this, [this, id] { Changed(id); });
  m_combos[id] = combo;
  m_order.push_back(combo);
  return combo;
}

void CQtDialogHost::Destroy() {
  m_events = nullptr;
  m_combos.clear();
  m_checks.clear();
  m_order.clear();
  qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
  delete layout();
}

void CQtDialogHost::Changed(int id) {
  if (!m_setting && m_events) m_events->OnControlChanged(id);
}

void CQtDialogHost::SetItems(int id, const std::vector<std::string>& items) {
  auto it = m_combos.find(id);
  if (it == m_combos.end()) return;
  Quietly(m_setting, [&] {
    const QString text = it->second->currentText();
    it->second->clear();
    for (const std::string& item : items) it->second->addItem(QString::fromStdString(item));
    it->second->setEditText(text);
  });
}

void CQtDialogHost::SetDigitsOnly(int id) {
  auto it = m_combos.find(id);
  if (it != m_combos.end()) it->second->setValidator(new CDigitsValidator(it->second));
}

void CQtDialogHost::SetText(int id, const std::string& text) {
  auto it = m_combos.find(id);
  if (it != m_combos.end())
    Quietly(m_setting, [&] { it->second->setEditText(QString::fromStdString(text)); });
}

std::string CQtDialogHost::GetText(int id, std::size_t maxChars) const {
  auto it = m_combos.find(id);
  if (it == m_combos.end()) return {};
  return it->second->currentText().left(static_cast<qsizetype>(maxChars)).toStdString();
}

void CQtDialogHost::SetCheck(int id, bool checked) {
  auto it = m_checks.find(id);
  if (it != m_checks.end()) Quietly(m_setting, [&] { it->second->setChecked(checked); });
}

bool CQtDialogHost::GetCheck(int id) const {
  auto it = m_checks.find(id);
  return it != m_checks.end() && it->second->isChecked();
}
