# Installed programs find the project's libraries relative to themselves: every
# executable defined after this file is included runs with the run path from
# <bindir> to <libdir>, so a program added later (the viewer, another tool)
# needs nothing but its install() rule. Libraries and plugins, installed
# beside each other, override it with "$ORIGIN" (KeltoInstall.cmake).
include(GNUInstallDirs)
file(RELATIVE_PATH KELTO_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set(CMAKE_INSTALL_RPATH "$ORIGIN/${KELTO_BIN_TO_LIB}")
