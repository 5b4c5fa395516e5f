// What the view control's tests share: the control made through
// CoCreateInstance as a host makes it (the module is linked, so its classes
// are creatable), an event sink that writes each event down as text, example
// files loaded by the piping library, and small models a script builds.
//
// KELTO_SOURCE_DIR (the source tree) must be defined where this is included.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "kelto/Piping.h"
#include "kelto3d/View.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "support/NoDispatch.h"
#include "support/ScriptHost.h"

namespace kelto::test {

using kelto::com::ComPtr;

inline std::string ErrorText() { return TakePending().text; }

// A new object of a class the linked modules serve.
template <class T = IDispatch>
ComPtr<T> Create(const CLSID& clsid) {
  ComPtr<T> object;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kelto::com::IidOf<T>(),
                             object.PutVoid()),
            S_OK);
  return object;
}

// Writes the events of _IPipeline3DViewCtrlEvents the tests look for into a
// shared log as "SelectionChanged(a,b)", objects by the names the test
// gave them ("-" for null, "?" for an unnamed object), and "ViewChanged".
class EventSink final : public kelto::com::Object<EventSink, NoDispatch<IDispatch>> {
 public:
  EventSink(std::vector<std::string>& log, const std::map<IUnknown*, std::string>& names)
      : m_log(log), m_names(names) {}

  bool QueryOther(REFIID riid, void** ppv) {
    if (riid != kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>()) return false;
    *ppv = static_cast<IDispatch*>(this);
    return true;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                 UINT*) override;

 private:
  std::string Name(const VARIANT& v) const;
  std::vector<std::string>& m_log;
  const std::map<IUnknown*, std::string>& m_names;
};

class ViewCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The control as a script sees it, and through its vtable.
  IDispatch* Script() const { return control.Get(); }
  // Connects a new sink; its events go to `events`.
  void Connect();
  // The events so far, and forgets them.
  std::vector<std::string> TakeEvents();

  // examples/<name> loaded by the piping library.
  static ComPtr<IDispatch> LoadExample(const char* name);
  // A new script-made ModelNode (owning its root) whose object is a fresh
  // object named `name` in the event log.
  ComPtr<IDispatch> NewNode(const std::string& name);
  // A pipe 2 across from (0, y) to (10, y) added to node's geometry.
  static void AddPipe(IDispatch* node, double y);
  // The object (key) behind a name given by NewNode.
  IDispatch* Object(const std::string& name) const;
  // A script-made model shown by the control: "file" with the pipes
  // "north" (y = 6), "middle" (y = 0) and "line", whose component "valve"
  // lies at y = -6; each pipe runs from x = 0 to 10, 2 across.
  void AddThreePipes();
  // SelectedItems as names, in order.
  std::vector<std::string> SelectedNames();

  ComPtr<kelto3d::IPipeline3DViewCtrl> control;
  std::vector<std::string> events;
  std::map<IUnknown*, std::string> names;
  std::map<std::string, ComPtr<IDispatch>> objects;
};

}  // namespace kelto::test
