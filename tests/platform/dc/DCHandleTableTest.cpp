#include "platform/dc/DCHandleTable.h"

#include <gtest/gtest.h>

namespace kelto::dc {
namespace {

struct Context {
  Context()
      : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1)), cr(cairo_create(surface)) {}
  ~Context() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  cairo_surface_t* surface;
  cairo_t* cr;
};

TEST(DCHandleTable, HandlesAreNewOnEveryAddAndFitASignedInt) {
  CDCHandleTable table;
  Context a;
  const std::uint32_t ha = table.Add(a.cr);
  const std::uint32_t ha2 = table.Add(a.cr);
  EXPECT_NE(ha, ha2);
  EXPECT_LE(ha, 0x7FFFFFFFu);
  EXPECT_TRUE(table.Remove(ha));
  EXPECT_EQ(table.Find(ha2), a.cr) << "the other handle of the same context stays";
  EXPECT_EQ(table.Add(nullptr), 0u);
  EXPECT_NE(table.Add(a.cr), ha) << "a freed handle is not handed out again at once";
}

TEST(DCHandleTable, KeepsRegisteredContextsAlive) {
  CDCHandleTable table;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_surface_destroy(surface);
  const std::uint32_t h = table.Add(cr);
  cairo_destroy(cr);  // the caller lets go first
  ASSERT_EQ(table.Find(h), cr);
  EXPECT_EQ(cairo_get_reference_count(table.Find(h)), 1u);
  cairo_paint(table.Find(h));  // still a usable context
  EXPECT_EQ(cairo_status(table.Find(h)), CAIRO_STATUS_SUCCESS);
  EXPECT_TRUE(table.Remove(h));  // and the last reference goes here
}

}  // namespace
}  // namespace kelto::dc
