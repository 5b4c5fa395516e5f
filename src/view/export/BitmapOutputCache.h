// CBitmapOutputCache: the off-screen picture of a view, for printing and
// exporting it (DrawToDC). It is a bitmap surface with a renderer of its own
// drawing the view's model tree, so the picture can have any resolution
// whatever the window's size, and another background or axes size, without
// touching the view on the screen.
//
// Contract:
// - The renderer attaches its data to every node of the tree under its own
//   key, so the tree carries a second set of display lists for as long as the
//   cache lives; destroying the cache removes them again (the renderer goes
//   before the surface, whose context deletes the lists).
// - The tree must outlive the cache.
// - Keeping the cache between drawings saves the context, the bitmap and the
//   glyph lists; Draw rebuilds the model's lists each time (the option copy
//   always announces changes), so a drawing always shows the current model.
// - The renderer builds its lists once the first drawing's options are in:
//   building them before would only have them thrown away by the copy, which
//   for a large plant doubles the time of an export.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>

#include "platform/gl/GLDIBSurface.h"
#include "render/GLRenderer.h"

class CModelNode;
class IFRenderer;

// What the host asks DrawToDC for: the target rectangle in the device
// context's units, the background (0x00BBGGRR), the factor for the axes
// indicator, the bitmap's resolution in pixels, and whether to keep the cache.
struct CDrawToDCRequest {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  std::int32_t BGCol = 0;
  double AxesScale = 1.0;
  int BitmapXRes = 0;
  int BitmapYRes = 0;
  bool Cache = false;
  // Told how the display lists' build goes (a long one for a large plant);
  // none for scripts.
  CGLRenderer::BuildProgressCallback BuildProgress;
};

class CBitmapOutputCache : public kelto::gl::CGLDIBSurface {
 public:
  // Largest side of a bitmap: the renderbuffer size Mesa's software driver
  // allows, and already a 1 GB picture.
  static constexpr int kMaxResolution = 16384;

  // A bitmap of width × height pixels and a renderer for root (which builds
  // its lists in the first Draw).
  CBitmapOutputCache(CModelNode* root, int width, int height);
  ~CBitmapOutputCache() override = default;

  CGLRenderer& GetRenderer() { return m_renderer; }

  // Brings the bitmap to the request's resolution, takes the options of the
  // view's renderer (with the request's background and the axes size scaled
  // by AxesScale, announced to this renderer as one change) and its current
  // and saved views, renders, and stretches the picture into the rectangle
  // of dc. The view's renderer is only read. showSelection, when given, sets
  // this renderer's selection (after the option copy, which clears it).
  using ShowSelection = std::function<void(CGLRenderer&)>;
  void Draw(IFRenderer& view, cairo_t* dc, const CDrawToDCRequest& request,
            const ShowSelection& showSelection = {});

 private:
  CModelNode* m_root;
  CGLRenderer m_renderer;
};

// DrawToDC over the cache a view keeps: makes the cache if there is none,
// draws, and releases the cache unless the request keeps it. Throws
// std::invalid_argument, changing nothing, for a null root or device context
// or a resolution outside 1..kMaxResolution. hidden: the nodes the view
// hides, left out of the picture as well.
void DrawViewToDC(cptr::counted_ptr<CBitmapOutputCache>& cache, CModelNode* root,
                  IFRenderer& view, cairo_t* dc, const CDrawToDCRequest& request,
                  const CBitmapOutputCache::ShowSelection& showSelection = {},
                  const CGLRenderer::HiddenTest& hidden = {});
