#pragma once
// A group box that holds controls: a panel that paints its face, with the framed caption drawn inside it.
// Controls placed in it take positions relative to the box, as designed.
#include <string>

#include "Containers.h"
#include "Controls.h"

class FramedGroup : public ui::Panel {
 public:
  FramedGroup(ui::Window& parent, const ui::Rect& bounds, const std::string& caption)
      : ui::Panel(parent, {bounds}), frame_(*this, {{0, 0, bounds.width, bounds.height}, caption}) {}
  std::string Caption() const { return frame_.Text(); }

 private:
  ui::GroupBox frame_;
};
