#include "SelectionPanel.h"

#include <QHeaderView>

using viewer::Get;
using viewer::GetObject;
using viewer::GetText;

namespace {

QString Number(double v) { return QString::number(v, 'g', 10); }

}  // namespace

SelectionPanel::SelectionPanel(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(2);
  setHeaderLabels({tr("Property"), tr("Value")});
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setRootIsDecorated(true);
  setAlternatingRowColors(true);
}

QList<QPair<QString, QString>> SelectionPanel::Describe(IUnknown* component) {
  QList<QPair<QString, QString>> rows;
  const auto add = [&](const QString& name, const QString& value) {
    if (!value.isEmpty()) rows.append({name, value});
  };
  add(QStringLiteral("Id"), GetText(component, "Id"));
  if (rows.isEmpty()) add(QStringLiteral("Name"), GetText(component, "Name"));  // a pipeline
  const Object details = GetObject(component, "Details");
  add(QStringLiteral("Type"), GetText(details.Get(), "TypeName"));
  add(QStringLiteral("Group"), GetText(details.Get(), "GroupName"));
  add(QStringLiteral("Symbol key"), GetText(details.Get(), "SymbolKey"));
  const Object pipeline = GetObject(component, "Pipeline");
  add(QStringLiteral("Pipeline"), GetText(pipeline.Get(), "Name"));

  const Object attributes = GetObject(component, "Attributes");
  const int attributeCount = Get(attributes.Get(), "Count").toInt();
  for (int i = 0; i < attributeCount; ++i) {
    const Object a = GetObject(attributes.Get(), "Item", {i});
    add(QStringLiteral("Attributes/") + GetText(a.Get(), "Name"), GetText(a.Get(), "Value"));
  }
  const Object points = GetObject(component, "Points");
  const int pointCount = Get(points.Get(), "Count").toInt();
  for (int i = 0; i < pointCount; ++i) {
    const Object p = GetObject(points.Get(), "Item", {i});
    double x = 0, y = 0, z = 0;
    QString text;
    if (viewer::Call(p.Get(), "Position", {&x, &y, &z}).Ok())
      text = QStringLiteral("(%1, %2, %3)").arg(Number(x), Number(y), Number(z));
    const QVariant bore = Get(p.Get(), "Bore");
    if (bore.isValid()) {
      const bool inches = Get(p.Get(), "BoreUnits").toInt() == 1;
      text += QStringLiteral("  bore %1%2").arg(Number(bore.toDouble()), inches ? "\"" : " mm");
    }
    const QString end = GetText(p.Get(), "EndType");
    if (!end.isEmpty()) text += QStringLiteral("  ") + end;
    add(QStringLiteral("Point ") + GetText(p.Get(), "Name"), text.trimmed());
  }
  return rows;
}

void SelectionPanel::showObjects(const QList<Object>& objects) {
  clear();
  for (const Object& o : objects) {
    const auto rows = Describe(o.Get());
    QString title = rows.isEmpty() ? tr("(object)") : rows.first().second;
    for (const auto& [name, value] : rows)
      if (name == QLatin1String("Type")) title += QStringLiteral(" — ") + value;
    auto* top = new QTreeWidgetItem(this, {title});
    QTreeWidgetItem* group = nullptr;
    for (const auto& [name, value] : rows) {
      if (name.startsWith(QLatin1String("Attributes/"))) {
        if (!group) group = new QTreeWidgetItem(top, {tr("Attributes")});
        new QTreeWidgetItem(group, {name.mid(11), value});
      } else {
        new QTreeWidgetItem(top, {name, value});
      }
    }
    top->setExpanded(true);
    if (group) group->setExpanded(true);
  }
}

QString SelectionPanel::valueOf(const QString& property) const {
  const QTreeWidgetItem* top = topLevelItem(0);
  for (int i = 0; top && i < top->childCount(); ++i)
    if (top->child(i)->text(0) == property) return top->child(i)->text(1);
  return {};
}
