// RAII wrappers for the scripting ABI's value types:
//   _bstr_t    owns one BSTR (value semantics: copying duplicates the string);
//   _variant_t IS a VARIANT (derives from it, so &v passes as VARIANT*) and
//              owns what it holds; it is cleared on destruction.
// Text goes in and out as UTF-8 (std::string, const char*) or UTF-16
// (char16_t). Conversions follow VariantChangeType and throw _com_error on
// failure (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW...). Use them inside the
// module only: scripting boundaries catch and return HRESULTs.
//
// Integer widths: the ABI's LONG is 32 bits, but C++ `long` is 64 bits on
// Linux, so `int` becomes VT_I4 and `long`/`long long` become VT_I8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/com/Api.h"
#include "platform/com/ComError.h"
#include "platform/com/Strings.h"

class _bstr_t {
 public:
  _bstr_t() noexcept = default;
  // A null pointer gives a null BSTR (the empty string).
  _bstr_t(const char* utf8) : b_(utf8 ? Alloc(kelto::com::AllocBstr(utf8)) : nullptr) {}
  _bstr_t(const std::string& utf8) : _bstr_t(std::string_view(utf8)) {}
  _bstr_t(std::string_view utf8) : b_(Alloc(kelto::com::AllocBstr(utf8))) {}
  _bstr_t(const char16_t* s) : b_(s ? Alloc(SysAllocString(s)) : nullptr) {}
  _bstr_t(std::u16string_view s) : b_(Alloc(kelto::com::AllocBstr(s))) {}
  // Copies b (fCopy) or takes ownership of it.
  _bstr_t(BSTR b, bool fCopy) : b_(fCopy ? Copy(b) : b) {}
  // The text form of a VARIANT (VariantChangeType to VT_BSTR); throws.
  explicit _bstr_t(const VARIANT& v);
  _bstr_t(const _bstr_t& o) : b_(Copy(o.b_)) {}
  _bstr_t(_bstr_t&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  ~_bstr_t() { SysFreeString(b_); }

  _bstr_t& operator=(_bstr_t o) noexcept {
    std::swap(b_, o.b_);
    return *this;
  }

  // The owned BSTR, still owned (valid until this changes). The implicit
  // conversion lets a _bstr_t be passed as an [in] BSTR.
  operator BSTR() const noexcept { return b_; }
  BSTR GetBSTR() const noexcept { return b_; }
  // A new BSTR the caller frees, e.g. for an [out, retval] parameter.
  BSTR copy() const { return Copy(b_); }
  // Gives up ownership.
  BSTR Detach() noexcept { return std::exchange(b_, nullptr); }
  // Takes ownership of b, freeing the current string.
  void Attach(BSTR b) noexcept { SysFreeString(std::exchange(b_, b)); }
  // For [out] BSTR parameters: frees the current string, returns the slot.
  BSTR* GetAddress() noexcept {
    Attach(nullptr);
    return &b_;
  }

  // Length in UTF-16 code units (embedded nulls included); 0 for null.
  unsigned length() const noexcept { return SysStringLen(b_); }
  bool empty() const noexcept { return length() == 0; }
  std::u16string_view view() const noexcept { return kelto::com::BstrView(b_); }
  std::string str() const { return kelto::com::BstrToUtf8(b_); }
  explicit operator std::string() const { return str(); }

  _bstr_t& operator+=(const _bstr_t& o) {
    std::u16string joined(view());
    joined += o.view();
    return *this = _bstr_t(std::u16string_view(joined));
  }
  friend _bstr_t operator+(_bstr_t a, const _bstr_t& b) { return a += b; }

  // Compare by content (UTF-16 code units, ordinal); null equals "".
  friend bool operator==(const _bstr_t& a, const _bstr_t& b) noexcept {
    return a.view() == b.view();
  }
  friend bool operator==(const _bstr_t& a, const char16_t* b) noexcept {
    return a.view() == kelto::com::OleView(b);
  }
  friend bool operator==(const _bstr_t& a, const char* utf8) {
    return a.str() == std::string_view(utf8 ? utf8 : "");
  }
  friend auto operator<=>(const _bstr_t& a, const _bstr_t& b) noexcept {
    return a.view() <=> b.view();
  }

 private:
  static BSTR Alloc(BSTR b) {
    if (!b) kelto::com::ThrowComError(E_OUTOFMEMORY);
    return b;
  }
  static BSTR Copy(BSTR b) {
    return b ? Alloc(SysAllocStringByteLen(reinterpret_cast<LPCSTR>(b), SysStringByteLen(b)))
             : nullptr;
  }

  BSTR b_ = nullptr;
};

class _variant_t : public VARIANT {
 public:
  _variant_t() noexcept { VariantInit(this); }
  // Deep copies (VariantCopy); throws on failure.
  _variant_t(const VARIANT& v) : _variant_t() { kelto::com::ThrowIfFailed(VariantCopy(this, &v)); }
  _variant_t(const _variant_t& v) : _variant_t(static_cast<const VARIANT&>(v)) {}
  _variant_t(_variant_t&& v) noexcept : VARIANT(v) { VariantInit(&v); }
  // Copies v, or (fCopy false) takes its content and leaves v VT_EMPTY.
  _variant_t(VARIANT& v, bool fCopy);

  _variant_t(bool b) noexcept : _variant_t() {
    vt = VT_BOOL;
    boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  }
  _variant_t(short i) noexcept : _variant_t() {
    vt = VT_I2;
    iVal = i;
  }
  _variant_t(unsigned short i) noexcept : _variant_t() {
    vt = VT_UI2;
    uiVal = i;
  }
  _variant_t(unsigned char i) noexcept : _variant_t() {
    vt = VT_UI1;
    bVal = i;
  }
  _variant_t(int i) noexcept : _variant_t() {
    vt = VT_I4;
    lVal = i;
  }
  _variant_t(unsigned int i) noexcept : _variant_t() {
    vt = VT_UI4;
    ulVal = i;
  }
  _variant_t(long i) noexcept : _variant_t() {
    vt = VT_I8;
    llVal = i;
  }
  _variant_t(long long i) noexcept : _variant_t() {
    vt = VT_I8;
    llVal = i;
  }
  _variant_t(unsigned long i) noexcept : _variant_t() {
    vt = VT_UI8;
    ullVal = i;
  }
  _variant_t(unsigned long long i) noexcept : _variant_t() {
    vt = VT_UI8;
    ullVal = i;
  }
  _variant_t(float f) noexcept : _variant_t() {
    vt = VT_R4;
    fltVal = f;
  }
  _variant_t(double d) noexcept : _variant_t() {
    vt = VT_R8;
    dblVal = d;
  }
  // A 32-bit value tagged VT_I4, VT_INT, VT_ERROR or VT_BOOL (-1/0 expected).
  _variant_t(std::int32_t i, VARTYPE tag);
  // A double tagged VT_R8 or VT_DATE.
  _variant_t(double d, VARTYPE tag);

  // Text: UTF-8 or UTF-16 in, VT_BSTR out. A null pointer gives a null BSTR.
  _variant_t(const char* utf8) : _variant_t(_bstr_t(utf8)) {}
  _variant_t(const std::string& utf8) : _variant_t(_bstr_t(utf8)) {}
  _variant_t(std::string_view utf8) : _variant_t(_bstr_t(utf8)) {}
  _variant_t(const char16_t* s) : _variant_t(_bstr_t(s)) {}
  _variant_t(std::u16string_view s) : _variant_t(_bstr_t(s)) {}
  _variant_t(const _bstr_t& b) : _variant_t(_bstr_t(b)) {}
  _variant_t(_bstr_t&& b) noexcept : _variant_t() {
    vt = VT_BSTR;
    bstrVal = b.Detach();
  }

  // Interfaces: adds a reference unless fAddRef is false (then adopts one).
  _variant_t(IDispatch* p, bool fAddRef = true) noexcept : _variant_t() {
    SetInterface(VT_DISPATCH, p, fAddRef);
  }
  _variant_t(IUnknown* p, bool fAddRef = true) noexcept : _variant_t() {
    SetInterface(VT_UNKNOWN, p, fAddRef);
  }
  // Any other pointer would silently become a bool.
  _variant_t(const void*) = delete;

  static _variant_t Null() noexcept {
    _variant_t v;
    v.vt = VT_NULL;
    return v;
  }
  // The value late-bound callers pass for an omitted optional argument.
  static _variant_t Missing() noexcept { return Error(DISP_E_PARAMNOTFOUND); }
  static _variant_t Error(SCODE sc) noexcept {
    _variant_t v;
    v.vt = VT_ERROR;
    v.scode = sc;
    return v;
  }
  static _variant_t Currency(CY cy) noexcept {
    _variant_t v;
    v.vt = VT_CY;
    v.cyVal = cy;
    return v;
  }
  // Adopts an array of element type elementVt (VT_ARRAY | elementVt).
  static _variant_t AdoptArray(SAFEARRAY* psa, VARTYPE elementVt) noexcept {
    _variant_t v;
    v.vt = static_cast<VARTYPE>(VT_ARRAY | elementVt);
    v.parray = psa;
    return v;
  }

  ~_variant_t() { VariantClear(this); }

  _variant_t& operator=(_variant_t o) noexcept {
    swap(o);
    return *this;
  }
  void swap(_variant_t& o) noexcept {
    std::swap(static_cast<VARIANT&>(*this), static_cast<VARIANT&>(o));
  }

  VARTYPE Type() const noexcept { return vt; }
  bool IsEmpty() const noexcept { return vt == VT_EMPTY; }
  bool IsNull() const noexcept { return vt == VT_NULL; }
  // VT_ERROR DISP_E_PARAMNOTFOUND: an omitted optional argument.
  bool IsMissing() const noexcept { return vt == VT_ERROR && scode == DISP_E_PARAMNOTFOUND; }

  void Clear() { kelto::com::ThrowIfFailed(VariantClear(this)); }
  // Takes v's content (v becomes VT_EMPTY) after clearing this.
  void Attach(VARIANT& v);
  // Hands the content over; this becomes VT_EMPTY.
  VARIANT Detach() noexcept {
    VARIANT out = *this;
    VariantInit(this);
    return out;
  }
  // For [out] VARIANT parameters: clears and returns this.
  VARIANT* GetAddress() {
    Clear();
    return this;
  }

  // Converts in place (or from src into this) with VariantChangeType; on
  // failure throws _com_error and leaves this unchanged.
  void ChangeType(VARTYPE type, const VARIANT* src = nullptr, USHORT flags = 0);

  // Converted copies of the value; throw _com_error when the conversion fails.
  std::int32_t ToInt32() const;
  double ToDouble() const;
  bool ToBool() const;
  _bstr_t ToBstr() const;
  std::string ToString() const { return ToBstr().str(); }  // UTF-8

  // Same type and same value: strings by content, interfaces by pointer,
  // arrays by pointer, numbers by value (so NaN differs from itself).
  friend bool operator==(const _variant_t& a, const _variant_t& b) noexcept;

 private:
  void SetInterface(VARTYPE type, IUnknown* p, bool fAddRef) noexcept {
    vt = type;
    punkVal = p;  // single inheritance: an IDispatch* has the same address
    if (p && fAddRef) p->AddRef();
  }
  _variant_t Converted(VARTYPE type) const;
};
