// Error information: the per-thread slot hands information over exactly
// once, and SetError records message, class and interface.
#include "platform/com/ErrorInfo.h"

#include <gtest/gtest.h>

#include <thread>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "support/ScriptHost.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::test::TakePending;

// Leaves the calling thread's slot empty, whatever earlier tests did.
void DrainSlot() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK) info->Release();
}

TEST(ErrorInfoTest, GetErrorInfoHandsOverOnceAndClears) {
  DrainSlot();
  IErrorInfo* got = nullptr;
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
  ComPtr<IErrorInfo> info = create.As<IErrorInfo>();
  // The slot holds a reference of its own: it keeps the object alive.
  IErrorInfo* raw = info.Get();
  SetErrorInfo(0, raw);
  create.Reset();
  info.Reset();
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  EXPECT_EQ(got, raw);
  EXPECT_EQ(got->Release(), 0u);
  EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);  // handed over once
}

TEST(ErrorInfoTest, EachThreadHasItsOwnSlot) {
  DrainSlot();
  kelto::com::SetError(GUID_NULL, GUID_NULL, "main thread");
  HRESULT seenByOther = S_OK;
  std::thread other([&] {
    IErrorInfo* info = nullptr;
    seenByOther = GetErrorInfo(0, &info);
    kelto::com::SetError(GUID_NULL, GUID_NULL, "other thread");  // released at thread exit
  });
  other.join();
  EXPECT_EQ(seenByOther, S_FALSE);
  EXPECT_EQ(TakePending().text, "main thread");
}

}  // namespace
