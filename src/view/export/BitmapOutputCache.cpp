#include "view/export/BitmapOutputCache.h"

#include <stdexcept>
#include <string>

#include "core/ModelNode.h"
#include "options/Options.h"
#include "platform/com/Variant.h"
#include "render/Renderer.h"

CBitmapOutputCache::CBitmapOutputCache(CModelNode* root, int width, int height)
    : CGLDIBSurface(width, height), m_root(root) {}

void CBitmapOutputCache::Draw(IFRenderer& view, cairo_t* dc, const CDrawToDCRequest& request,
                              const ShowSelection& showSelection) {
  SetSize(request.BitmapXRes, request.BitmapYRes);
  m_renderer.Resize(request.BitmapXRes, request.BitmapYRes);
  m_renderer.SetBuildProgress(request.BuildProgress);
  struct ProgressOff {
    CGLRenderer& renderer;
    ~ProgressOff() { renderer.SetBuildProgress(nullptr); }
  } progressOff{m_renderer};

  // One notice for the whole copy: it rebuilds the lists and renders once.
  COptions& options = m_renderer.GetOptions();
  const _variant_t axesSize = view.GetOptions().Get("AxesSize");
  options.SetDeferred(true);
  try {
    options.SetContents(view.GetOptions().GetContents());
    options.Set("BackgroundColour", _variant_t(static_cast<int>(request.BGCol)));
    // As a double, so that the option's own conversion rounds it (and leaves
    // the copied size where the product does not fit).
    options.Set("AxesSize", _variant_t(double(axesSize.lVal) * request.AxesScale));
  } catch (...) {
    options.SetDeferred(false);
    throw;
  }
  options.SetDeferred(false);
  // The first drawing builds the lists here, with its options already in.
  if (!m_renderer.IsReady()) {
    m_renderer.Init(m_root, this);
    m_renderer.Resize(request.BitmapXRes, request.BitmapYRes);
  }

  m_renderer.CopyViewFrom(view);
  // Only the selected nodes' lists are compiled again.
  if (showSelection) showSelection(m_renderer);
  m_renderer.Render();
  Blit(dc, request.Left, request.Top, request.Width, request.Height);
}

void DrawViewToDC(cptr::counted_ptr<CBitmapOutputCache>& cache, CModelNode* root,
                  IFRenderer& view, cairo_t* dc, const CDrawToDCRequest& request,
                  const CBitmapOutputCache::ShowSelection& showSelection,
                  const CGLRenderer::HiddenTest& hidden) {
  if (!root) throw std::invalid_argument("No model to draw.");
  if (!dc) throw std::invalid_argument("Invalid device context handle.");
  const auto inRange = [](int side) {
    return side >= 1 && side <= CBitmapOutputCache::kMaxResolution;
  };
  if (!inRange(request.BitmapXRes) || !inRange(request.BitmapYRes))
    throw std::invalid_argument("Bitmap resolution " + std::to_string(request.BitmapXRes) + " x " +
                                std::to_string(request.BitmapYRes) + " is outside 1 to " +
                                std::to_string(CBitmapOutputCache::kMaxResolution) +
                                " pixels a side.");
  if (!cache)
    cache = cptr::counted_ptr<CBitmapOutputCache>(
        new CBitmapOutputCache(root, request.BitmapXRes, request.BitmapYRes));
  if (!cache->Initialised()) {
    const std::string why = cache->Error();
    cache = {};
    throw std::runtime_error("Cannot draw off-screen: " + why);
  }
  cache->GetRenderer().SetHiddenTest(hidden);  // before Draw compiles the lists
  try {
    cache->Draw(view, dc, request, showSelection);
  } catch (...) {
    if (!request.Cache) cache = {};
    throw;
  }
  if (!request.Cache) cache = {};
}
