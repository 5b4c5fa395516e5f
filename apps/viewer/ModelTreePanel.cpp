#include "ModelTreePanel.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QSignalBlocker>

using viewer::GetObject;
using viewer::GetText;

namespace {

constexpr int kObjectRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1;  // a pipeline whose components are listed
enum Kind { File, Pipeline, Component, Types, Type };
constexpr int kKindRole = Qt::UserRole + 2;
constexpr int kCountRole = Qt::UserRole + 3;  // a pipeline's number of components

int CountOf(IUnknown* collection) { return viewer::Get(collection, "Count").toInt(); }

}  // namespace

ModelTreePanel::ModelTreePanel(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(2);
  setHeaderLabels({tr("Model"), tr("Type")});
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (item == m_typesRow)
      listTypes();
    else
      listComponents(item);
  });
  connect(this, &QTreeWidget::itemChanged, this, &ModelTreePanel::onItemChanged);
  connect(this, &QTreeWidget::itemSelectionChanged, this, &ModelTreePanel::onSelectionChanged);
}

QTreeWidgetItem* ModelTreePanel::addRow(QTreeWidgetItem* parent, const QString& name,
                                        const QString& type, IUnknown* object) {
  const Object id = viewer::Identity(object);
  auto* item = new QTreeWidgetItem(parent, {name, type});
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(0, parent ? parent->checkState(0) : Qt::Checked);
  item->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(id.Get())));
  m_rows.insert(id.Get(), Row{id, item});
  return item;
}

void ModelTreePanel::addFile(const QString& path, const QString& representation, IUnknown* file) {
  const QSignalBlocker blocker(this);
  removeFile(file);
  const Object id = viewer::Identity(file);
  auto* top = new QTreeWidgetItem({QFileInfo(path).fileName(), representation});
  top->setToolTip(0, path);
  top->setFlags(top->flags() | Qt::ItemIsUserCheckable);
  top->setCheckState(0, Qt::Checked);
  top->setData(0, kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(id.Get())));
  top->setData(0, kKindRole, File);
  insertTopLevelItem(fileCount(), top);
  m_rows.insert(id.Get(), Row{id, top});
  forgetTypes();
  const Object pipelines = GetObject(file, "Pipelines");
  const int n = CountOf(pipelines.Get());
  for (int i = 0; i < n; ++i) {
    const Object pipeline = GetObject(pipelines.Get(), "Item", {i});
    const Object components = GetObject(pipeline.Get(), "Components");
    const int count = CountOf(components.Get());
    m_components += count;
    auto* row = addRow(top, GetText(pipeline.Get(), "Name"), tr("%n component(s)", "", count),
                       pipeline.Get());
    row->setData(0, kKindRole, Pipeline);
    row->setData(0, kCountRole, count);
    // An expander before the components are listed.
    if (count > 0) row->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  top->setExpanded(true);
}

void ModelTreePanel::forget(QTreeWidgetItem* item) {
  for (int i = 0; i < item->childCount(); ++i) forget(item->child(i));
  m_rows.remove(reinterpret_cast<IUnknown*>(item->data(0, kObjectRole).value<quintptr>()));
}

void ModelTreePanel::removeFile(IUnknown* file) {
  const Object id = viewer::Identity(file);
  const auto it = m_rows.find(id.Get());
  if (it == m_rows.end()) return;
  QTreeWidgetItem* item = it->Item;
  for (int i = 0; i < item->childCount(); ++i)
    m_components -= item->child(i)->data(0, kCountRole).toInt();
  forget(item);
  delete item;
  forgetTypes();
}

void ModelTreePanel::clearFiles() {
  m_rows.clear();
  m_types.clear();
  m_components = 0;
  m_typesRow = nullptr;
  clear();
}

void ModelTreePanel::forgetTypes() {
  m_types.clear();
  if (!m_typesRow) {
    m_typesRow = new QTreeWidgetItem(this, {tr("Component types")});
    m_typesRow->setData(0, kKindRole, Types);
  }
  qDeleteAll(m_typesRow->takeChildren());
  m_typesRow->setData(0, kListedRole, false);
  m_typesRow->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  m_typesRow->setExpanded(false);
}

void ModelTreePanel::listTypes() {
  if (!m_typesRow || m_typesRow->data(0, kListedRole).toBool()) return;
  const QSignalBlocker blocker(this);
  m_typesRow->setData(0, kListedRole, true);
  for (int f = 0; f < fileCount(); ++f) {
    QTreeWidgetItem* file = topLevelItem(f);
    for (int p = 0; p < file->childCount(); ++p) {
      const Object components = GetObject(objectOf(file->child(p)), "Components");
      const int n = CountOf(components.Get());
      for (int i = 0; i < n; ++i) {
        const Object component = GetObject(components.Get(), "Item", {i});
        const QString type = GetText(GetObject(component.Get(), "Details").Get(), "TypeName");
        m_types[type.isEmpty() ? tr("(no type)") : type].append(component);
      }
    }
  }
  QStringList names = m_types.keys();
  names.sort();
  for (const QString& name : names) {
    auto* row = new QTreeWidgetItem(m_typesRow, {name, tr("%n component(s)", "", static_cast<int>(m_types[name].size()))});
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(0, Qt::Checked);
    row->setData(0, kKindRole, Type);
  }
}

QTreeWidgetItem* ModelTreePanel::typeRow(const QString& type) {
  listTypes();
  for (int i = 0; m_typesRow && i < m_typesRow->childCount(); ++i)
    if (m_typesRow->child(i)->text(0) == type) return m_typesRow->child(i);
  return nullptr;
}

void ModelTreePanel::listComponents(QTreeWidgetItem* item) {
  if (!item || item->data(0, kKindRole).toInt() != Pipeline || item->data(0, kListedRole).toBool())
    return;
  const QSignalBlocker blocker(this);
  item->setData(0, kListedRole, true);
  const Object components = GetObject(objectOf(item), "Components");
  const int n = CountOf(components.Get());
  for (int i = 0; i < n; ++i) {
    const Object component = GetObject(components.Get(), "Item", {i});
    const Object details = GetObject(component.Get(), "Details");
    auto* row = addRow(item, GetText(component.Get(), "Id"), GetText(details.Get(), "TypeName"),
                       component.Get());
    row->setData(0, kKindRole, Component);
  }
}

IUnknown* ModelTreePanel::objectOf(const QTreeWidgetItem* item) const {
  return item ? reinterpret_cast<IUnknown*>(item->data(0, kObjectRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* ModelTreePanel::itemFor(IUnknown* object) {
  const Object id = viewer::Identity(object);
  if (!id) return nullptr;
  if (const auto it = m_rows.find(id.Get()); it != m_rows.end()) return it->Item;
  // A component of a pipeline not opened yet: list that pipeline.
  const Object pipeline = viewer::Identity(GetObject(object, "Pipeline").Get());
  const auto p = m_rows.find(pipeline.Get());
  if (p == m_rows.end()) return nullptr;
  listComponents(p->Item);
  const auto it = m_rows.find(id.Get());
  return it == m_rows.end() ? nullptr : it->Item;
}

void ModelTreePanel::showSelection(const QList<Object>& objects) {
  const QSignalBlocker blocker(this);
  m_quiet = true;
  clearSelection();
  QTreeWidgetItem* last = nullptr;
  for (const Object& o : objects) {
    if (QTreeWidgetItem* item = itemFor(o.Get())) {
      item->setSelected(true);
      last = item;
    }
  }
  if (last) scrollToItem(last);
  m_quiet = false;
  viewport()->update();
}

void ModelTreePanel::setAllChecked(bool checked) {
  const QSignalBlocker blocker(this);
  for (const Row& row : m_rows) row.Item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
  for (int i = 0; m_typesRow && i < m_typesRow->childCount(); ++i)
    m_typesRow->child(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void ModelTreePanel::setChecked(IUnknown* object, bool checked) {
  const QSignalBlocker blocker(this);
  if (QTreeWidgetItem* item = itemFor(object)) item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void ModelTreePanel::onItemChanged(QTreeWidgetItem* item, int column) {
  if (column != 0 || !item) return;
  const bool visible = item->checkState(0) == Qt::Checked;
  if (item->data(0, kKindRole).toInt() == Type) {
    Q_EMIT typeToggled(m_types.value(item->text(0)), visible);
    return;
  }
  {
    // The rows below follow their parent's box, as the view does.
    const QSignalBlocker blocker(this);
    QList<QTreeWidgetItem*> below{item};
    while (!below.isEmpty()) {
      QTreeWidgetItem* i = below.takeLast();
      for (int c = 0; c < i->childCount(); ++c) {
        i->child(c)->setCheckState(0, item->checkState(0));
        below.append(i->child(c));
      }
    }
  }
  Q_EMIT visibilityToggled(Object(objectOf(item)), visible);
}

void ModelTreePanel::onSelectionChanged() {
  if (m_quiet) return;
  QList<Object> objects;
  for (QTreeWidgetItem* item : selectedItems())
    if (IUnknown* object = objectOf(item)) objects.append(Object(object));
  Q_EMIT selectionPicked(objects);
}
