// libFuzzer harness for the persisted forms of an options registry. The first
// byte chooses the door, the rest is the data:
//   0  a VARIANT stream (ReadVariant); what reads back is written again and
//      must read back to the same bytes;
//   1  a property bag whose properties are the VARIANTs of the stream, in
//      name/value pairs ("Length", "0.Name", …: any names the data gives),
//      loaded with LoadContentsFromBag;
//   2  a storage whose "Contents" stream holds the data (LoadContentsFromStorage).
// Every door must answer with an HRESULT and leave nothing on failure;
// contents a bag gives are a valid contents array.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "options/OptionsPersistence.h"
#include "options/VariantStream.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/PropertyBag.h"
#include "platform/com/Stream.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::ComPtr;

void Check(bool condition) {
  if (!condition) std::abort();
}

// A bag's pairs always make an array; a storage gives back whatever VARIANT
// its stream holds (the options object checks that it is an array).
void CheckContents(HRESULT hr, const VARIANT& contents, bool array) {
  if (FAILED(hr)) {
    Check(contents.vt == VT_EMPTY);
    return;
  }
  if (array) Check(kelto::options::ContentsArrayOf(contents) != nullptr);
}

void RoundTrip(IStream* stream) {
  _variant_t value;
  if (FAILED(kelto::options::ReadVariant(stream, value.GetAddress()))) return;
  auto first = kelto::com::MakeMemoryStream();
  Check(SUCCEEDED(kelto::options::WriteVariant(first.Get(), value)));
  const std::vector<BYTE> bytes = kelto::com::MemoryStreamBytes(first.Get());
  auto again = kelto::com::MakeMemoryStream(std::span<const BYTE>(bytes));
  _variant_t reread;
  Check(SUCCEEDED(kelto::options::ReadVariant(again.Get(), reread.GetAddress())));
  auto second = kelto::com::MakeMemoryStream();
  Check(SUCCEEDED(kelto::options::WriteVariant(second.Get(), reread)));
  Check(kelto::com::MemoryStreamBytes(second.Get()) == bytes);
}

void Bag(IStream* stream) {
  auto bag = kelto::com::MakePropertyBag();
  for (int i = 0; i < 64; ++i) {
    _variant_t name, value;
    if (FAILED(kelto::options::ReadVariant(stream, name.GetAddress())) ||
        FAILED(kelto::options::ReadVariant(stream, value.GetAddress())) || name.vt != VT_BSTR ||
        !name.bstrVal)
      break;
    bag->Write(name.bstrVal, &value);
  }
  _variant_t contents;
  CheckContents(kelto::options::LoadContentsFromBag(bag.Get(), nullptr, contents.GetAddress()),
                contents, true);
}

void Storage(std::span<const BYTE> data) {
  ComPtr<IStorage> storage;
  Check(SUCCEEDED(StgCreateMemoryStorage(storage.Put())));
  ComPtr<IStream> stream;
  Check(SUCCEEDED(storage->CreateStream(kelto::options::kContentsStreamName,
                                        STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                        stream.Put())));
  ULONG written = 0;
  if (!data.empty())
    Check(SUCCEEDED(stream->Write(data.data(), static_cast<ULONG>(data.size()), &written)));
  stream.Reset();
  _variant_t contents;
  CheckContents(kelto::options::LoadContentsFromStorage(storage.Get(), contents.GetAddress()),
                contents, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const BYTE> rest(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      RoundTrip(kelto::com::MakeMemoryStream(rest).Get());
      break;
    case 1:
      Bag(kelto::com::MakeMemoryStream(rest).Get());
      break;
    default:
      Storage(rest);
      break;
  }
  return 0;
}
