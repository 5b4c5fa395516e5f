// IFRenderer: what the view control and its camera handlers need of a
// renderer. The first nineteen operations are in the interface's fixed slot
// order; the ones after them complete the camera (copying another view,
// reading the view state, the depth query).
//
// Screen points (CPoint2) are pixels with y measured upwards from the bottom
// of the viewport. Every operation that returns a bool returns true when the
// view after it differs from the view before it (CViewState's equality).
//
// No virtual destructor: the owner holds and destroys the concrete renderer;
// the protected destructor keeps anyone from deleting through this interface.
#pragma once

#include <vector>

#include "core/BoundBox.h"
#include "core/Point2.h"
#include "core/Point3.h"
#include "core/Vector3.h"
#include "render/Picking.h"
#include "render/ViewState.h"

class CInteractionController;
class CModelNode;
class COptions;

class IFRenderer {
 public:
  // 1. saved view := current view.
  virtual void SaveView() = 0;
  // 2. current view := saved view.
  virtual bool RestoreView() = 0;
  // 3. Fits the view to a box (nothing for an empty box).
  virtual bool FitView(const CBoundBox& box) = 0;
  // 4. Turns the view about an axis in eye coordinates, angle in degrees.
  virtual bool Rotate(const CVector3& axis, double angle) = 0;
  // 5. Zooms keeping the model point under the screen point where it is.
  virtual bool ZoomAt(double factor, const CPoint2& point) = 0;
  // 6. Divides the camera distance by the factor.
  virtual bool Zoom(double factor) = 0;
  // 7. Moves the centre of rotation.
  virtual bool SetCentre(const CPoint3& centre) = 0;
  // 8. Records the pan anchor (the point and the model depth under it).
  virtual void BeginPan(const CPoint2& point) = 0;
  // 9. Pans so that the anchor lies under the point.
  virtual bool PanTo(const CPoint2& point) = 0;
  // 10. Moves the centre along the line of sight to the visible depth,
  // keeping the eye where it is.
  virtual bool AdjustCentreDepth() = 0;
  // 11. Looks along `view` with `up` pointing up the screen.
  virtual bool SetViewDir(const CVector3& view, const CVector3& up) = 0;
  // 12–15. Selection: a selected node and its whole subtree draw highlighted.
  virtual void Select(CModelNode* node) = 0;
  virtual void Unselect(CModelNode* node) = 0;
  virtual bool IsSelected(CModelNode* node) = 0;
  // Clears every selection; `selected` receives the explicitly selected
  // nodes, parents before their children.
  virtual void UnselectAll(std::vector<CModelNode*>& selected) = 0;
  // 16. The nodes under the point, nearest first.
  virtual void Pick(const CPoint2& point, CHitList& hits) = 0;
  // 17. The viewport is (0, 0, width, height); the projection follows.
  virtual void Resize(int width, int height) = 0;
  // 18. Draws one frame.
  virtual void Render() = 0;
  // 19. The renderer's options registry.
  virtual COptions& GetOptions() = 0;

  // current := other's current and saved := other's saved.
  virtual bool CopyViewFrom(const IFRenderer& other) = 0;
  virtual const CViewState& GetView() const = 0;
  virtual const CViewState& GetSavedView() const = 0;
  // Window depth in [0, 1] of the visible model at the point (see
  // docs/rendering.md, "Camera"); `nearest` takes the front of the nearest
  // hit rather than its middle.
  virtual double GetDepth(const CPoint2& point, bool nearest) = 0;
  // What keeps the frames drawn during motion within their time budget;
  // null for a renderer that draws every frame alike.
  virtual CInteractionController* GetInteraction() { return nullptr; }

 protected:
  IFRenderer() = default;
  IFRenderer(const IFRenderer&) = default;
  IFRenderer& operator=(const IFRenderer&) = default;
  ~IFRenderer() = default;
};
