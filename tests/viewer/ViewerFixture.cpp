#include "ViewerFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "ModuleLoader.h"

namespace viewer::test {
namespace {

// One X server and one QApplication per test process, made by the first
// window test and taken down, application first, after the last test.
class GuiEnvironment : public ::testing::Environment {
 public:
  static GuiEnvironment& Instance() {  // gtest owns it
    static auto* instance = static_cast<GuiEnvironment*>(
        ::testing::AddGlobalTestEnvironment(new GuiEnvironment));
    return *instance;
  }
  void Start() {
    if (app_) return;
    xvfb_ = std::make_unique<kelto::test::XvfbServer>();
    setenv("DISPLAY", xvfb_->DisplayName().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    static int argc = 1;
    static char name[] = "test-viewer";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelto3D"));
    QApplication::setApplicationName(QStringLiteral("kelto3d-viewer-test"));
  }
  void TearDown() override {
    app_.reset();
    xvfb_.reset();
  }

 private:
  std::unique_ptr<kelto::test::XvfbServer> xvfb_;
  std::unique_ptr<QApplication> app_;
};

}  // namespace

void LoadModulesOrFail() {
  const char* build = std::getenv("KELTO_TEST_BINARY_DIR");
  ASSERT_TRUE(build) << "KELTO_TEST_BINARY_DIR is not set (run through ctest)";
  setenv("KELTO_MODULE_DIR", (std::string(build) + "/lib").c_str(), 1);
  QString error;
  ASSERT_TRUE(viewer::LoadModules(&error)) << error.toStdString();
}

QString Example(const char* name) {
  return QStringLiteral(KELTO_SOURCE_DIR "/examples/") + QString::fromLatin1(name);
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

void GuiTest::SetUp() {
  if (kelto::test::XvfbServer::BinaryPath().empty()) GTEST_SKIP() << kelto::test::XvfbServer::kMissing;
  if (Shell("command -v xdotool").empty() || Shell("command -v import").empty())
    GTEST_SKIP() << "xdotool and ImageMagick's import are needed";
  config_ = std::make_unique<kelto::test::ScopedConfigHome>();
  GuiEnvironment::Instance().Start();
  LoadModulesOrFail();
}

void GuiTest::TearDown() {
  // Windows the test left open close before its settings folder goes.
  for (QWidget* w : QApplication::topLevelWidgets()) w->close();
  QCoreApplication::processEvents();
  config_.reset();
}

QImage GuiTest::Grab(const QRect& rect) const {
  // The view is another client's GL window: the server's picture of the
  // screen holds it, Qt's own grab would not.
  const kelto::test::TempDir dir;
  const std::string file = (dir.path() / "screen.png").string();
  Shell("import -window root '" + file + "' 2>/dev/null");
  QImage screen(QString::fromStdString(file));
  return screen.isNull() ? QImage() : screen.copy(rect).convertToFormat(QImage::Format_RGB32);
}

void GuiTest::Click(const QPoint& p, int button, int times) const {
  Shell("xdotool mousemove " + std::to_string(p.x()) + " " + std::to_string(p.y()) +
        " click --repeat " + std::to_string(times) + " --delay 60 " + std::to_string(button));
}

namespace {
bool IsPlant(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c) > 60; }
constexpr int kAxesCorner = 70;  // the axes indicator's square, top left
}  // namespace

int PlantPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((x >= kAxesCorner || y >= kAxesCorner) && IsPlant(image.pixel(x, y))) ++n;
  return n;
}

QPoint PlantPoint(const QImage& image) {
  QPoint best(-1, -1);
  const QPoint centre(image.width() / 2, image.height() / 2);
  for (int y = kAxesCorner; y < image.height() - 3; ++y)
    for (int x = 3; x < image.width() - 3; ++x)
      if (IsPlant(image.pixel(x, y - 1)) && IsPlant(image.pixel(x, y)) &&
          IsPlant(image.pixel(x, y + 1)) &&
          (best.x() < 0 || (QPoint(x, y) - centre).manhattanLength() <
                               (best - centre).manhattanLength()))
        best = QPoint(x, y);
  return best;
}

}  // namespace viewer::test
