#include "platform/com/Guid.h"

#include <gtest/gtest.h>

#include "platform/com/Interfaces.h"

using kelto::com::FormatGuid;
using kelto::com::ParseGuid;

TEST(Guid, ParsesWithAndWithoutBracesFormatsUpperCaseAndRejectsMalformedText) {
  constexpr auto g = kelto::com::MakeGuid("53208990-d5ba-46b7-a7e6-3fee129f3474");
  static_assert(g.Data1 == 0x53208990 && g.Data2 == 0xD5BA && g.Data4[7] == 0x74);
  EXPECT_EQ(FormatGuid(g), "{53208990-D5BA-46B7-A7E6-3FEE129F3474}");
  EXPECT_EQ(ParseGuid("{53208990-D5BA-46B7-A7E6-3FEE129F3474}"), g);
  for (const char* bad :
       {"", "{}", "53208990-D5BA-46B7-A7E6-3FEE129F347", "53208990-D5BA-46B7-A7E6-3FEE129F347G",
        "53208990D5BA-46B7-A7E6-3FEE129F34745", "{53208990-D5BA-46B7-A7E6-3FEE129F3474",
        "(53208990-D5BA-46B7-A7E6-3FEE129F3474)"})
    EXPECT_FALSE(ParseGuid(bad)) << bad;
}

TEST(Guid, InterfaceIdsAreTheStandardOnes) {
  EXPECT_EQ(FormatGuid(kelto::com::IidOf<IDispatch>()), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_TRUE(kelto::com::IidOf<IUnknown>() < kelto::com::IidOf<IDispatch>());
}
