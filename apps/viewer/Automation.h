// Late binding on the module's objects from Qt: properties and methods called
// by name through IDispatch (the runtime's KeltoAxInvoke), with the values
// turned into Qt types. The viewer reads the piping objects this way only,
// so whatever members a file's objects expose show up without the viewer
// knowing their interfaces.
#pragma once

#include <QString>
#include <QVariant>

#include <initializer_list>

#include "kelto3d/AxHost.h"
#include "platform/com/ComPtr.h"

namespace viewer {

using kelto::com::ComPtr;

// One argument of a late-bound call.
struct Arg {
  Arg(int i) : Kind(Int), I(i) {}
  Arg(const QString& s) : Kind(Text), S(s) {}
  Arg(IUnknown* o) : Kind(Object), O(o) {}
  // An out-parameter (a method that returns numbers through its arguments).
  Arg(double* out) : Kind(OutDouble), D(out) {}
  enum { Int, Text, Object, OutDouble } Kind;
  int I = 0;
  QString S;
  IUnknown* O = nullptr;
  double* D = nullptr;
};

// The outcome of a call: the HRESULT and, on failure, the error description
// the object recorded (empty when it recorded none).
struct CallResult {
  HRESULT Hr = 0;
  QString Error;
  bool Ok() const { return Hr >= 0; }
};

// name(args) as a method or property get; the result as a Qt value: text,
// integers and floating point, booleans; objects come back through
// GetObject instead. Failures give an invalid QVariant.
QVariant Get(IUnknown* object, const char* name, std::initializer_list<Arg> args = {});
// Get as text ("" when it failed or has no text form).
QString GetText(IUnknown* object, const char* name, std::initializer_list<Arg> args = {});
// A property or method that returns an object; null when it failed.
ComPtr<IUnknown> GetObject(IUnknown* object, const char* name, std::initializer_list<Arg> args = {});
// A method call whose result is not wanted.
CallResult Call(IUnknown* object, const char* name, std::initializer_list<Arg> args = {});
// A property put.
CallResult Put(IUnknown* object, const char* name, const Arg& value);

// The identity of an object (its IUnknown), to compare objects by.
ComPtr<IUnknown> Identity(IUnknown* object);
// A new object of a ProgID; null when it cannot be made.
ComPtr<IUnknown> Create(const char* progId);

// The thread's recorded error description, taken (empty when none).
QString TakeErrorDescription();

}  // namespace viewer
