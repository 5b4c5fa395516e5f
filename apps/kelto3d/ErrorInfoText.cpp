#include "ErrorInfoText.h"

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Strings.h"

namespace kelto::cli {

std::string ErrorInfoText(const std::string& fallback) {
  kelto::com::ComPtr<IErrorInfo> info;
  std::string text;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    BSTR description = nullptr;
    if (SUCCEEDED(info->GetDescription(&description))) text = kelto::com::BstrToUtf8(description);
    SysFreeString(description);
  }
  return text.empty() ? fallback : text;
}

}  // namespace kelto::cli
