// What the viewer tests share: the modules loaded as the viewer loads them,
// a private X server with a Qt application on it, a settings folder of the
// test's own, pictures of the screen and the mouse through xdotool.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "support/TempDir.h"
#include "support/XvfbServer.h"

namespace viewer::test {

// Maps libkelto3d.so and libkelto.so from the build's library folder.
void LoadModulesOrFail();
// A piping file of the examples folder.
QString Example(const char* name);

// Runs Qt's events until done() or the time is up; done()'s last answer.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 15000);
// Runs a shell command, returns what it printed.
std::string Shell(const std::string& command);

// A private X server, a QApplication on it, XDG_CONFIG_HOME in a fresh
// folder (settings and the registry of the test alone).
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The screen's pixels in rect (global coordinates).
  QImage Grab(const QRect& rect) const;
  // xdotool clicks at a global position.
  void Click(const QPoint& global, int button = 1, int times = 1) const;

  std::unique_ptr<kelto::test::ScopedConfigHome> config_;
};

// Pixels that are not the background (black) in image, outside the axes
// indicator's corner.
int PlantPixels(const QImage& image);
// A plant pixel at the middle of a run of plant pixels (a pipe's centre),
// nearest the image's centre; (-1, -1) when there is none.
QPoint PlantPoint(const QImage& image);

}  // namespace viewer::test
