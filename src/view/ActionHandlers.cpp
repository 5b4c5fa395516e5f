#include "view/ActionHandlers.h"

#include <stdexcept>
#include <utility>

namespace {

using kelto3d::DragAction;
using kelto3d::PickAction;
using kelto3d::WheelAction;

constexpr std::pair<DragAction, C3DDisplay::DragHandler> kDrag[] = {
    {kelto3d::daZoom, &C3DDisplay::DragZoom},
    {kelto3d::daRotateUDLR, &C3DDisplay::DragRotateUDLR},
    {kelto3d::daRotateUDCA, &C3DDisplay::DragRotateUDCA},
    {kelto3d::daPan, &C3DDisplay::DragPan},
};
constexpr std::pair<PickAction, C3DDisplay::PickHandler> kPick[] = {
    {kelto3d::paCentre, &C3DDisplay::PickCentre},
    {kelto3d::paSelect, &C3DDisplay::PickSelect},
    {kelto3d::paToggleSelect, &C3DDisplay::PickToggleSelect},
    {kelto3d::paPopupMenu, &C3DDisplay::PickPopupMenu},
};
constexpr std::pair<WheelAction, C3DDisplay::WheelHandler> kWheel[] = {
    {kelto3d::waZoomInv, &C3DDisplay::WheelZoomInv},
};

template <class Table, class Action>
auto HandlerIn(const Table& table, Action action, const char* unknown) {
  for (const auto& [a, h] : table)
    if (a == action) return h;
  throw std::invalid_argument(unknown);
}

template <class Table, class Handler>
auto ActionIn(const Table& table, Handler handler, const char* unknown) {
  for (const auto& [a, h] : table)
    if (h == handler) return a;
  throw std::invalid_argument(unknown);
}

constexpr const char* kUnknownDrag = "Unknown drag action.";
constexpr const char* kUnknownPick = "Unknown pick action.";
constexpr const char* kUnknownWheel = "Unknown wheel action.";

}  // namespace

C3DDisplay::DragHandler DragHandlerOf(DragAction action) {
  return HandlerIn(kDrag, action, kUnknownDrag);
}
DragAction DragActionOf(C3DDisplay::DragHandler handler) {
  return ActionIn(kDrag, handler, kUnknownDrag);
}
C3DDisplay::PickHandler PickHandlerOf(PickAction action) {
  return HandlerIn(kPick, action, kUnknownPick);
}
PickAction PickActionOf(C3DDisplay::PickHandler handler) {
  return ActionIn(kPick, handler, kUnknownPick);
}
C3DDisplay::WheelHandler WheelHandlerOf(WheelAction action) {
  return HandlerIn(kWheel, action, kUnknownWheel);
}
WheelAction WheelActionOf(C3DDisplay::WheelHandler handler) {
  return ActionIn(kWheel, handler, kUnknownWheel);
}
