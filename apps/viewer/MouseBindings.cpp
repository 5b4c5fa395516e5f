#include "MouseBindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "Automation.h"

namespace viewer {
namespace {

using kelto3d::IDragActionTable;
using kelto3d::IPickActionTable;
using kelto3d::IWheelActionTable;

const char* const kGestures[] = {"drag", "click", "double", "wheel"};
const char* const kTables[] = {"MouseDragActions", "MouseClickActions", "MouseDoubleClickActions",
                               "MouseWheelActions"};
// Buttons a row can name, with their bits; the wheel uses none.
const QPair<const char*, unsigned> kButtons[] = {
    {"Left", kelto3d::mkLButton}, {"Right", kelto3d::mkRButton}, {"Middle", kelto3d::mkMButton},
    {"Back (X1)", kelto3d::mkXButton1}, {"Forward (X2)", kelto3d::mkXButton2}, {"No button", 0}};
constexpr unsigned kButtonBits = 1 | 2 | 16 | 32 | 64;

ComPtr<IUnknown> TableOf(IUnknown* control, Binding::Gesture g) {
  return GetObject(control, kTables[g]);
}

}  // namespace

QList<Binding> MouseBindings::Defaults() {
  using B = Binding;
  return {{B::Drag, 1, kelto3d::daRotateUDLR},       {B::Drag, 5, kelto3d::daZoom},
          {B::Drag, 6, kelto3d::daPan},              {B::Drag, 9, kelto3d::daRotateUDCA},
          {B::Drag, 14, kelto3d::daZoom},            {B::Drag, 16, kelto3d::daPan},
          {B::Drag, 24, kelto3d::daZoom},            {B::Click, 2, kelto3d::paPopupMenu},
          {B::DoubleClick, 1, kelto3d::paSelect},    {B::DoubleClick, 5, kelto3d::paToggleSelect},
          {B::DoubleClick, 6, kelto3d::paCentre},    {B::DoubleClick, 16, kelto3d::paCentre},
          {B::Wheel, 0, kelto3d::waZoomInv}};
}

QList<Binding> MouseBindings::Read(IUnknown* control) {
  QList<Binding> out;
  for (int g = 0; g < 4; ++g) {
    const auto table = TableOf(control, static_cast<Binding::Gesture>(g));
    // Every combination of the seven key bits: the tables match exactly.
    for (unsigned keys = 0; keys < 128 && table; ++keys) {
      const int action = Get(table.Get(), "Item", {static_cast<int>(keys)}).toInt();
      if (action != 0) out.append(Binding{static_cast<Binding::Gesture>(g), keys, action});
    }
  }
  return out;
}

bool MouseBindings::Write(IUnknown* control, const QList<Binding>& bindings, QString* error) {
  const QList<Binding> before = Read(control);
  const auto apply = [&](const QList<Binding>& list, QString* why) {
    for (int g = 0; g < 4; ++g) Call(TableOf(control, static_cast<Binding::Gesture>(g)).Get(), "RemoveAll");
    for (const Binding& b : list) {
      const CallResult r = Call(TableOf(control, b.What).Get(), "Add", {static_cast<int>(b.Keys), b.Action});
      if (!r.Ok()) {
        if (why) *why = QObject::tr("%1 %2: %3").arg(QString::fromLatin1(kGestures[b.What]), KeysText(b.Keys), r.Error);
        return false;
      }
    }
    return true;
  };
  if (apply(bindings, error)) return true;
  apply(before, nullptr);
  return false;
}

void MouseBindings::Load(IUnknown* control) {
  QSettings s;
  if (!s.contains(QStringLiteral("mouse/bindings"))) return;
  QList<Binding> list;
  for (const QString& text : s.value(QStringLiteral("mouse/bindings")).toStringList()) {
    Binding b;
    if (FromText(text, &b)) list.append(b);
  }
  Write(control, list, nullptr);
}

void MouseBindings::Save(const QList<Binding>& bindings) {
  QStringList texts;
  for (const Binding& b : bindings) texts << ToText(b);
  QSettings().setValue(QStringLiteral("mouse/bindings"), texts);
}

QString MouseBindings::ToText(const Binding& b) {
  return QStringLiteral("%1:%2=%3").arg(QString::fromLatin1(kGestures[b.What])).arg(b.Keys).arg(b.Action);
}

bool MouseBindings::FromText(const QString& text, Binding* b) {
  const QStringList parts = text.split(QRegularExpression(QStringLiteral("[:=]")));
  if (parts.size() != 3) return false;
  const auto g = std::find(std::begin(kGestures), std::end(kGestures), parts[0].toStdString());
  bool keysOk = false, actionOk = false;
  const unsigned keys = parts[1].toUInt(&keysOk);
  const int action = parts[2].toInt(&actionOk);
  if (g == std::end(kGestures) || !keysOk || !actionOk || keys > 127) return false;
  const auto gesture = static_cast<Binding::Gesture>(g - std::begin(kGestures));
  if (action < 1 || action >= ActionNames(gesture).size()) return false;
  *b = Binding{gesture, keys, action};
  return true;
}

QString MouseBindings::KeysText(unsigned keys) {
  QStringList parts;
  if (keys & kelto3d::mkControl) parts << QObject::tr("Ctrl");
  if (keys & kelto3d::mkShift) parts << QObject::tr("Shift");
  for (const auto& [name, bit] : kButtons)
    if (bit && (keys & bit)) parts << QObject::tr(name);
  return parts.isEmpty() ? QObject::tr("(no keys)") : parts.join(QLatin1Char('+'));
}

QStringList MouseBindings::ActionNames(Binding::Gesture gesture) {
  switch (gesture) {
    case Binding::Drag:
      return {QObject::tr("None"), QObject::tr("Zoom"), QObject::tr("Rotate (up/down, left/right)"),
              QObject::tr("Rotate (up/down, roll)"), QObject::tr("Pan")};
    case Binding::Wheel: return {QObject::tr("None"), QObject::tr("Zoom about the pointer")};
    default:
      return {QObject::tr("None"), QObject::tr("Centre"), QObject::tr("Select"),
              QObject::tr("Toggle selection"), QObject::tr("Popup menu")};
  }
}

// ---------------------------------------------------------------- dialog

MouseBindingsDialog::MouseBindingsDialog(IUnknown* control, QWidget* parent)
    : QDialog(parent), m_control(control), m_table(new QTableWidget(0, 5, this)) {
  setWindowTitle(tr("Mouse Bindings"));
  m_table->setHorizontalHeaderLabels({tr("Gesture"), tr("Button"), tr("Shift"), tr("Ctrl"), tr("Action")});
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setStretchLastSection(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                       QDialogButtonBox::RestoreDefaults, this);
  QPushButton* add = buttons->addButton(tr("&Add"), QDialogButtonBox::ActionRole);
  QPushButton* remove = buttons->addButton(tr("&Remove"), QDialogButtonBox::ActionRole);
  connect(add, &QPushButton::clicked, this, [this] { addRow(Binding{Binding::Drag, 1, 0}); });
  connect(remove, &QPushButton::clicked, this, [this] {
    if (m_table->currentRow() >= 0) m_table->removeRow(m_table->currentRow());
  });
  connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
          [this] { setBindings(MouseBindings::Defaults()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_table);
  layout->addWidget(buttons);
  resize(620, 420);
  setBindings(MouseBindings::Read(control));
}

void MouseBindingsDialog::setBindings(const QList<Binding>& bindings) {
  m_table->setRowCount(0);
  for (const Binding& b : bindings) addRow(b);
}

void MouseBindingsDialog::addRow(const Binding& b) {
  const int row = m_table->rowCount();
  m_table->insertRow(row);
  auto* gesture = new QComboBox;
  gesture->addItems({tr("Drag"), tr("Click"), tr("Double click"), tr("Wheel")});
  gesture->setCurrentIndex(b.What);
  auto* button = new QComboBox;
  for (const auto& [name, bit] : kButtons) button->addItem(tr(name), bit);
  button->setCurrentIndex(std::max(0, button->findData(b.Keys & kButtonBits)));
  auto* shift = new QCheckBox;
  shift->setChecked(b.Keys & kelto3d::mkShift);
  auto* ctrl = new QCheckBox;
  ctrl->setChecked(b.Keys & kelto3d::mkControl);
  auto* action = new QComboBox;
  action->addItems(MouseBindings::ActionNames(b.What));
  action->setCurrentIndex(b.Action);
  connect(gesture, &QComboBox::currentIndexChanged, action, [action](int g) {
    action->clear();
    action->addItems(MouseBindings::ActionNames(static_cast<Binding::Gesture>(g)));
  });
  m_table->setCellWidget(row, 0, gesture);
  m_table->setCellWidget(row, 1, button);
  m_table->setCellWidget(row, 2, shift);
  m_table->setCellWidget(row, 3, ctrl);
  m_table->setCellWidget(row, 4, action);
}

QList<Binding> MouseBindingsDialog::bindings() const {
  QList<Binding> out;
  for (int row = 0; row < m_table->rowCount(); ++row) {
    Binding b;
    b.What = static_cast<Binding::Gesture>(qobject_cast<QComboBox*>(m_table->cellWidget(row, 0))->currentIndex());
    b.Keys = qobject_cast<QComboBox*>(m_table->cellWidget(row, 1))->currentData().toUInt();
    if (qobject_cast<QCheckBox*>(m_table->cellWidget(row, 2))->isChecked()) b.Keys |= kelto3d::mkShift;
    if (qobject_cast<QCheckBox*>(m_table->cellWidget(row, 3))->isChecked()) b.Keys |= kelto3d::mkControl;
    b.Action = qobject_cast<QComboBox*>(m_table->cellWidget(row, 4))->currentIndex();
    if (b.Action > 0) out.append(b);
  }
  return out;
}

void MouseBindingsDialog::accept() {
  const QList<Binding> chosen = bindings();
  QString error;
  if (!MouseBindings::Write(m_control, chosen, &error)) {
    QMessageBox::warning(this, windowTitle(), tr("The bindings were not changed. %1").arg(error));
    return;
  }
  MouseBindings::Save(chosen);
  QDialog::accept();
}

}  // namespace viewer
