// kelto3d-viewer: opens piping files in a 3D view.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

#include "MainWindow.h"
#include "ModuleLoader.h"

namespace {

// The options, for the application and for --help alone.
struct Options {
  QCommandLineParser Parser;
  QCommandLineOption Symbolic{QStringList{"s", "symbolic"},
                              QStringLiteral("Show the files as symbols (line art) instead of solids.")};
  Options() {
    Parser.setApplicationDescription(QStringLiteral("Shows piping files (JSON, PCF) as 3D models."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    Parser.addOption(Symbolic);
    Parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Piping files to open."),
                                 QStringLiteral("[FILE...]"));
  }
};

void Name(QCoreApplication&) {
  QCoreApplication::setOrganizationName(QStringLiteral("Kelto3D"));
  QCoreApplication::setApplicationName(QStringLiteral("kelto3d-viewer"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KELTO_VIEWER_VERSION));
}

}  // namespace

int main(int argc, char** argv) {
  // --help and --version answer without a display.
  for (int i = 1; i < argc; ++i) {
    const QByteArray a(argv[i]);
    if (a == "-h" || a == "--help" || a == "--help-all" || a == "-v" || a == "--version") {
      QCoreApplication app(argc, argv);
      Name(app);
      Options options;
      options.Parser.process(app);  // prints and exits
    }
  }
  // The view is an X11 window inside ours: on a Wayland desktop the viewer
  // runs through XWayland.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  Name(app);
  QApplication::setApplicationDisplayName(QStringLiteral("Kelto3D Viewer"));
  Options options;
  QCommandLineParser& parser = options.Parser;
  const QCommandLineOption& symbolic = options.Symbolic;
  parser.process(app);

  QString error;
  if (!viewer::LoadModules(&error)) {
    std::fprintf(stderr, "kelto3d-viewer: %s\n", qPrintable(error));
    QMessageBox::critical(nullptr, QStringLiteral("Kelto3D Viewer"), error);
    return 1;
  }
  MainWindow window;
  window.show();
  if (!window.viewWidget()->hasControl()) {
    QMessageBox::critical(&window, QStringLiteral("Kelto3D Viewer"), window.viewWidget()->errorText());
    return 1;
  }
  // Once the window is on the screen, so a big plant opens behind its
  // progress dialog rather than before any window shows.
  const QStringList files = parser.positionalArguments();
  const auto representation = parser.isSet(symbolic) ? MainWindow::Representation::Symbolic
                                                     : MainWindow::Representation::Solid;
  if (!files.isEmpty())
    QTimer::singleShot(50, &window, [&window, files, representation] { window.openFiles(files, representation); });
  return app.exec();
}
