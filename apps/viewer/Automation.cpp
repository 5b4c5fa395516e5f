#include "Automation.h"

#include <vector>

#include "platform/com/Api.h"

namespace viewer {
namespace {

// The arguments as VARIANTs, owning what they allocate.
class Args {
 public:
  explicit Args(std::initializer_list<Arg> args) {
    for (const Arg& a : args) Add(a);
  }
  Args(const Args&) = delete;
  Args& operator=(const Args&) = delete;
  ~Args() {
    for (VARIANT& v : values_)
      if (!(v.vt & VT_BYREF)) KeltoAxClear(&v);
  }
  void Add(const Arg& a) {
    VARIANT v;
    VariantInit(&v);
    switch (a.Kind) {
      case Arg::Int:
        v.vt = VT_I4;
        v.lVal = a.I;
        break;
      case Arg::Text: KeltoAxSetText(&v, a.S.toUtf8().constData()); break;
      case Arg::Object:
        // Objects travel as IDispatch where they have it, as scripts pass them.
        v.vt = VT_UNKNOWN;
        v.punkVal = a.O;
        if (a.O && a.O->QueryInterface(kelto::com::IidOf<IDispatch>(), reinterpret_cast<void**>(&v.pdispVal)) >= 0)
          v.vt = VT_DISPATCH;
        else if (a.O)
          a.O->AddRef();
        break;
      case Arg::OutDouble:
        v.vt = VT_BYREF | VT_R8;
        v.pdblVal = a.D;
        break;
    }
    values_.push_back(v);
  }
  UINT Count() const { return static_cast<UINT>(values_.size()); }
  const VARIANT* Data() const { return values_.empty() ? nullptr : values_.data(); }

 private:
  std::vector<VARIANT> values_;
};

// Invokes and leaves the result in *result (cleared by the caller).
CallResult Invoke(IUnknown* object, const char* name, WORD flags,
                  std::initializer_list<Arg> args, VARIANT* result) {
  CallResult r;
  if (!object) {
    r.Hr = E_POINTER;
    return r;
  }
  Args values(args);
  r.Hr = KeltoAxInvoke(object, name, flags, values.Count(), values.Data(), result);
  if (!r.Ok()) r.Error = TakeErrorDescription();
  return r;
}

constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

}  // namespace

QString TakeErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  QString text;
  BSTR description = nullptr;
  if (SUCCEEDED(info->GetDescription(&description)) && description) {
    text = QString::fromUtf16(description, SysStringLen(description));
    SysFreeString(description);
  }
  info->Release();
  return text;
}

QVariant Get(IUnknown* object, const char* name, std::initializer_list<Arg> args) {
  VARIANT v;
  VariantInit(&v);
  if (!Invoke(object, name, kGet, args, &v).Ok()) return {};
  QVariant out;
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL: break;
    case VT_BOOL: out = v.boolVal != 0; break;
    case VT_I2: out = static_cast<int>(v.iVal); break;
    case VT_I4: out = static_cast<int>(v.lVal); break;
    case VT_UI4: out = static_cast<uint>(v.ulVal); break;
    case VT_R4: out = static_cast<double>(v.fltVal); break;
    case VT_R8: out = v.dblVal; break;
    case VT_BSTR: out = QString::fromUtf16(v.bstrVal, SysStringLen(v.bstrVal)); break;
    default: {
      char buffer[1024];
      if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN && KeltoAxGetText(&v, buffer, sizeof buffer) >= 0)
        out = QString::fromUtf8(buffer);
    }
  }
  VariantClear(&v);
  return out;
}

QString GetText(IUnknown* object, const char* name, std::initializer_list<Arg> args) {
  const QVariant v = Get(object, name, args);
  return v.isValid() ? v.toString() : QString();
}

ComPtr<IUnknown> GetObject(IUnknown* object, const char* name, std::initializer_list<Arg> args) {
  VARIANT v;
  VariantInit(&v);
  ComPtr<IUnknown> out;
  if (Invoke(object, name, kGet, args, &v).Ok() && (v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN))
    out = v.punkVal;  // a new reference of our own; the VARIANT's goes below
  VariantClear(&v);
  return out;
}

CallResult Call(IUnknown* object, const char* name, std::initializer_list<Arg> args) {
  VARIANT v;
  VariantInit(&v);
  CallResult r = Invoke(object, name, DISPATCH_METHOD, args, &v);
  VariantClear(&v);
  return r;
}

CallResult Put(IUnknown* object, const char* name, const Arg& value) {
  return Invoke(object, name, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

ComPtr<IUnknown> Identity(IUnknown* object) { return kelto::com::Identity(object); }

ComPtr<IUnknown> Create(const char* progId) {
  IUnknown* object = nullptr;
  if (KeltoAxCreateObject(progId, &object) < 0) return {};
  return ComPtr<IUnknown>::Adopt(object);
}

}  // namespace viewer
