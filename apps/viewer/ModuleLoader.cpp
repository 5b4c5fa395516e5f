#include "ModuleLoader.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#ifndef KELTO_VIEWER_BIN_TO_LIB
#define KELTO_VIEWER_BIN_TO_LIB "../lib"
#endif

namespace viewer {

bool LoadModules(QString* error) {
  QStringList dirs;
  if (const QByteArray env = qgetenv("KELTO_MODULE_DIR"); !env.isEmpty())
    dirs << QString::fromLocal8Bit(env);
  if (QCoreApplication::instance()) {
    const QDir here(QCoreApplication::applicationDirPath());
    dirs << here.filePath(QStringLiteral(KELTO_VIEWER_BIN_TO_LIB)) << here.filePath(QStringLiteral("../lib"));
  }
  dirs << QString();  // the loader's own search path
  QStringList tried;
  for (const char* module : {"libkelto3d.so", "libkelto.so"}) {
    bool loaded = false;
    for (const QString& dir : dirs) {
      const QString name = QString::fromLatin1(module) + (dir.isEmpty() ? QStringLiteral(".0") : QString());
      const QString path = dir.isEmpty() ? name : QDir(dir).filePath(name);
      if (!dir.isEmpty() && !QFileInfo::exists(path)) continue;
      // Mapped for the life of the process, as a host keeps its modules.
      if (dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL)) {
        loaded = true;
        break;
      }
      tried << QString::fromLocal8Bit(dlerror());
    }
    if (!loaded) {
      if (error)
        *error = QObject::tr("%1 was not found (looked in %2; set KELTO_MODULE_DIR). %3")
                     .arg(QString::fromLatin1(module), dirs.filter(QRegularExpression(".+")).join(QStringLiteral(", ")),
                          tried.join(QStringLiteral("; ")));
      return false;
    }
  }
  return true;
}

}  // namespace viewer
