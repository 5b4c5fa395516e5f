// The actions of the mouse tables and the C3DDisplay handlers they stand
// for, one to one. The none actions stand for no handler and are never
// stored; anything else outside the enumerations, and a handler no action
// names, fails with "Unknown drag action." (pick, wheel likewise) as
// std::invalid_argument.
#pragma once

#include "kelto3d/ActionTables.h"
#include "view/Display.h"

C3DDisplay::DragHandler DragHandlerOf(kelto3d::DragAction action);
kelto3d::DragAction DragActionOf(C3DDisplay::DragHandler handler);

C3DDisplay::PickHandler PickHandlerOf(kelto3d::PickAction action);
kelto3d::PickAction PickActionOf(C3DDisplay::PickHandler handler);

C3DDisplay::WheelHandler WheelHandlerOf(kelto3d::WheelAction action);
kelto3d::WheelAction WheelActionOf(C3DDisplay::WheelHandler handler);
