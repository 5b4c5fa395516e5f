/* xlib-host: the whole pattern of embedding the 3D view in an X11 program.
 *
 *   xlib-host [--module-dir DIR] FILE.json...
 *
 * Opens a window, lets the runtime's ready-made container put the view
 * control in it (by ProgID), adds each piping file, and then pumps two
 * display connections from one poll loop: its own (to notice the window
 * being closed) and the control's. Every event the control sends is printed
 * on standard output, one line each. */
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>

#include "kelto3d/AxHost.h"

/* _IPipeline3DViewCtrlEvents {0D7EEE91-CDFC-4A8C-812B-1457EF545AED} */
static const IID kEvents = {0x0D7EEE91, 0xCDFC, 0x4A8C,
                            {0x81, 0x2B, 0x14, 0x57, 0xEF, 0x54, 0x5A, 0xED}};

/* The Id of a component (or "-" for none, "?" for an object without one). */
static void Describe(const VARIANT* v, char* out, UINT size) {
  VARIANT id;
  snprintf(out, size, "-");
  if (v->vt != VT_DISPATCH || !v->u.pdispVal) return;
  snprintf(out, size, "?");
  if (KeltoAxInvoke((IUnknown*)v->u.pdispVal, "Id", DISPATCH_PROPERTYGET, 0, NULL, &id) >= 0) {
    KeltoAxGetText(&id, out, size);
    KeltoAxClear(&id);
  }
}

/* Arguments come last first, as IDispatch::Invoke receives them. */
static void OnEvent(void* context, DISPID dispid, const DISPPARAMS* p) {
  char a[128], b[128];
  VARIANT count;
  (void)context;
  switch (dispid) {
    case 1:
      Describe(&p->rgvarg[1], a, sizeof a);
      Describe(&p->rgvarg[0], b, sizeof b);
      printf("SelectionChanged unselected=%s selected=%s\n", a, b);
      break;
    case 2:
      KeltoAxGetText(&p->rgvarg[0], a, sizeof a);
      printf("DropFile %s\n", a);
      break;
    case 3:
      snprintf(a, sizeof a, "?");
      if (KeltoAxInvoke((IUnknown*)p->rgvarg[0].u.pdispVal, "Count", DISPATCH_PROPERTYGET, 0,
                        NULL, &count) >= 0)
        KeltoAxGetText(&count, a, sizeof a);
      printf("PopupMenu x=%d y=%d items=%s\n", p->rgvarg[2].u.lVal, p->rgvarg[1].u.lVal, a);
      break;
    case 4: printf("ViewChanged\n"); break;
    default: printf("event %d\n", dispid);
  }
  fflush(stdout);
}

/* Shows one file: a Kelto.File loaded from path, added to the view. */
static int AddFile(IUnknown* view, const char* path) {
  IUnknown* file = NULL;
  VARIANT arg;
  HRESULT hr = KeltoAxCreateObject("Kelto.File", &file);
  if (hr >= 0) {
    KeltoAxSetText(&arg, path);
    hr = KeltoAxInvoke(file, "Load", DISPATCH_METHOD, 1, &arg, NULL);
    KeltoAxClear(&arg);
  }
  if (hr >= 0) {
    memset(&arg, 0, sizeof arg);
    arg.vt = VT_DISPATCH;
    arg.u.pdispVal = (IDispatch*)file;
    hr = KeltoAxInvoke(view, "AddKeltoFile", DISPATCH_METHOD, 1, &arg, NULL);
  }
  KeltoAxRelease(file);
  if (hr < 0) fprintf(stderr, "xlib-host: %s: cannot show (error 0x%08X)\n", path, (unsigned)hr);
  return hr >= 0;
}

static int Usage(FILE* to) {
  fprintf(to, "usage: xlib-host [--module-dir DIR] FILE.json...\n"
              "Shows piping files in a window and prints the view's events.\n");
  return to == stdout ? 0 : 2;
}

int main(int argc, char** argv) {
  const char* dir = KELTO_MODULE_DIR;
  const char* modules[] = {"libkelto3d.so", "libkelto.so"};
  char path[4096];
  int first = 1, i, fd = -1, running = 1;
  for (; first < argc && argv[first][0] == '-'; ++first) {
    if (!strcmp(argv[first], "--help")) return Usage(stdout);
    if (strcmp(argv[first], "--module-dir") || first + 1 == argc) return Usage(stderr);
    dir = argv[++first];
  }
  if (first == argc) return Usage(stderr);
  /* A module mapped into the process serves its classes by ProgID. */
  for (i = 0; i < 2; ++i) {
    snprintf(path, sizeof path, "%s/%s", dir, modules[i]);
    if (!dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
      fprintf(stderr, "xlib-host: %s (use --module-dir)\n", dlerror());
      return 1;
    }
  }
  Display* x = XOpenDisplay(NULL);
  if (!x) {
    fprintf(stderr, "xlib-host: cannot open display %s\n", XDisplayName(NULL));
    return 1;
  }
  Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 800, 600, 0, 0, 0);
  Atom close = XInternAtom(x, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(x, window, &close, 1);
  XStoreName(x, window, "xlib-host");
  XMapWindow(x, window);
  XSync(x, False);

  IUnknown* view = NULL;
  DWORD cookie = 0;
  HRESULT hr = KeltoAxCreateControl("Oxbay3Support.Pipeline3DViewCtrl", NULL, window, &view);
  if (hr < 0) {
    fprintf(stderr, "xlib-host: cannot create the view (error 0x%08X)\n", (unsigned)hr);
    return 1;
  }
  KeltoAxAdvise(view, &kEvents, OnEvent, NULL, &cookie);
  for (i = first; i < argc; ++i) AddFile(view, argv[i]);
  KeltoAxGetConnectionNumber(view, &fd);
  KeltoAxDispatchPending(view);

  while (running) {
    struct pollfd fds[2] = {{ConnectionNumber(x), POLLIN, 0}, {fd, POLLIN, 0}};
    poll(fds, 2, -1);
    while (XPending(x)) {
      XEvent e;
      XNextEvent(x, &e);
      if (e.type == ClientMessage && (Atom)e.xclient.data.l[0] == close) running = 0;
    }
    if (KeltoAxDispatchPending(view) < 0) running = 0;
  }
  KeltoAxUnadvise(view, &kEvents, cookie);
  KeltoAxDestroyControl(view);
  KeltoAxRelease(view);
  XDestroyWindow(x, window);
  XCloseDisplay(x);
  return 0;
}
