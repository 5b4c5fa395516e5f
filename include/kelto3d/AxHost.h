/* The ready-made container for hosts in C or C++: creating a control in
 * place inside an X11 window, pumping its display, events through a callback
 * and late-bound calls. It is part of the runtime (libkelto3d-runtime.so),
 * so its declarations live with the runtime; this is the name hosts include.
 */
#ifndef KELTO3D_AXHOST_H
#define KELTO3D_AXHOST_H

#include "platform/com/AxContainer.h"

#endif
