#include "platform/com/ComError.h"

#include <cstdio>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"

namespace {

std::string TakeText(IErrorInfo* info, HRESULT (IErrorInfo::*getter)(BSTR*)) {
  if (!info) return {};
  BSTR text = nullptr;
  std::string out;
  if (SUCCEEDED((info->*getter)(&text))) out = kelto::com::BstrToUtf8(text);
  SysFreeString(text);
  return out;
}

}  // namespace

_com_error::_com_error(HRESULT hr, IErrorInfo* perrinfo, const IID& iid)
    : hr_(hr), iid_(iid), info_(perrinfo) {
  std::string text = Description();
  if (text.empty()) text = ErrorMessage();
  char code[32];
  std::snprintf(code, sizeof code, " (0x%08X)", static_cast<unsigned>(hr));
  what_ = text + code;
}

std::string _com_error::Description() const {
  return TakeText(info_.Get(), &IErrorInfo::GetDescription);
}

std::string _com_error::Source() const { return TakeText(info_.Get(), &IErrorInfo::GetSource); }

std::string _com_error::ErrorMessage() const { return kelto::com::DescribeHResult(hr_); }

namespace kelto::com {

std::string DescribeHResult(HRESULT hr) {
  struct Entry {
    HRESULT hr;
    const char* text;
  };
  // The messages the platform's system message table gives for these codes.
  static constexpr Entry kMessages[] = {
      {S_OK, "The operation completed successfully."},
      {S_FALSE, "Incorrect function."},
      {E_NOTIMPL, "Not implemented."},
      {E_NOINTERFACE, "No such interface supported."},
      {E_POINTER, "Invalid pointer."},
      {E_ABORT, "Operation aborted."},
      {E_FAIL, "Unspecified error."},
      {E_UNEXPECTED, "Catastrophic failure."},
      {E_ACCESSDENIED, "Access is denied."},
      {E_HANDLE, "The handle is invalid."},
      {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
      {E_INVALIDARG, "The parameter is incorrect."},
      {CLASS_E_NOAGGREGATION, "Class does not support aggregation (or class object is remote)."},
      {CLASS_E_CLASSNOTAVAILABLE, "ClassFactory cannot supply requested class."},
      {REGDB_E_CLASSNOTREG, "Class not registered."},
      {REGDB_E_READREGDB, "Could not read key from registry."},
      {REGDB_E_WRITEREGDB, "Could not write key to registry."},
      {CO_E_CLASSSTRING, "Invalid class string."},
      {CO_E_NOTINITIALIZED, "CoInitialize has not been called."},
      {CO_E_DLLNOTFOUND, "DLL for class not found."},
      {CO_E_ERRORINDLL, "Error in the DLL."},
      {CONNECT_E_NOCONNECTION, "The connection does not exist."},
      {CONNECT_E_ADVISELIMIT, "The connection limit has been reached."},
      {CONNECT_E_CANNOTCONNECT, "The connection cannot be made."},
      {DISP_E_UNKNOWNINTERFACE, "Unknown interface."},
      {DISP_E_MEMBERNOTFOUND, "Member not found."},
      {DISP_E_PARAMNOTFOUND, "Parameter not found."},
      {DISP_E_TYPEMISMATCH, "Type mismatch."},
      {DISP_E_UNKNOWNNAME, "Unknown name."},
      {DISP_E_NONAMEDARGS, "No named arguments."},
      {DISP_E_BADVARTYPE, "Bad variable type."},
      {DISP_E_EXCEPTION, "Exception occurred."},
      {DISP_E_OVERFLOW, "Out of present range."},
      {DISP_E_BADINDEX, "Invalid index."},
      {DISP_E_UNKNOWNLCID, "Unknown language."},
      {DISP_E_ARRAYISLOCKED, "Memory is locked."},
      {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
      {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
      {DISP_E_NOTACOLLECTION, "Does not support a collection."},
      {DISP_E_DIVBYZERO, "Division by zero."},
      {TYPE_E_ELEMENTNOTFOUND, "Element not found."},
      {STG_E_FILENOTFOUND, "The file could not be found."},
      {STG_E_ACCESSDENIED, "Access Denied."},
      {STG_E_INVALIDPOINTER, "Invalid pointer error."},
      {STG_E_INSUFFICIENTMEMORY, "There is insufficient memory available to complete operation."},
      {STG_E_INVALIDPARAMETER, "Invalid parameter error."},
      {STG_E_FILEALREADYEXISTS, "The file already exists."},
      {STG_E_READFAULT, "A disk error occurred during a read operation."},
      {STG_E_WRITEFAULT, "A disk error occurred during a write operation."},
  };
  for (const Entry& e : kMessages)
    if (e.hr == hr) return e.text;
  char buf[40];
  std::snprintf(buf, sizeof buf, "Unknown error 0x%08X", static_cast<unsigned>(hr));
  return buf;
}

void ThrowComError(HRESULT hr, const IID& iid) {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK) info.Reset();
  throw _com_error(hr, info.Get(), iid);
}

HRESULT ThrowIfFailed(HRESULT hr, IUnknown* object, const IID& iid) {
  if (SUCCEEDED(hr)) return hr;
  ComPtr<IErrorInfo> info;
  ComPtr<ISupportErrorInfo> support;
  if (object && SUCCEEDED(object->QueryInterface(IidOf<ISupportErrorInfo>(), support.PutVoid())) &&
      support && support->InterfaceSupportsErrorInfo(iid) == S_OK) {
    if (GetErrorInfo(0, info.Put()) != S_OK) info.Reset();
  }
  throw _com_error(hr, info.Get(), iid);
}

}  // namespace kelto::com
