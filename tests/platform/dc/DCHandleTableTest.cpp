#include "platform/dc/DCHandleTable.h"

#include <gtest/gtest.h>

namespace kelto::dc {
namespace {

// A table's handles are new on every add, fit a signed int (hosts keep them
// as one), and hold their own reference to the context.
TEST(DCHandleTable, HandlesAreNewOnEveryAddAndKeepTheirContextAlive) {
  CDCHandleTable table;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);
  const std::uint32_t h = table.Add(cr);
  const std::uint32_t h2 = table.Add(cr);
  EXPECT_NE(h, h2);
  EXPECT_LE(h, 0x7FFFFFFFu);
  EXPECT_EQ(table.Add(nullptr), 0u);
  EXPECT_TRUE(table.Remove(h2));
  EXPECT_NE(table.Add(cr), h2) << "a freed handle is not handed out again at once";
  cairo_destroy(cr);  // the caller lets go first
  ASSERT_EQ(table.Find(h), cr);
  cairo_paint(table.Find(h));  // still a usable context
  EXPECT_EQ(cairo_status(table.Find(h)), CAIRO_STATUS_SUCCESS);
  EXPECT_TRUE(table.Remove(h));
}

}  // namespace
}  // namespace kelto::dc
