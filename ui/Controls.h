#pragma once
// Standard controls: each a few methods over the Win32 control, created from a create-arguments struct,
// with events as callback members.
#include <string>
#include <vector>

#include "Window.h"
#include <commctrl.h>

namespace ui {

class ImageList;

class Button : public Window {
 public:
  struct Args {
    Rect bounds;
    std::string caption;
    bool tabStop = true;
    bool isDefault = false;
    int glyph = 0;  // bitmap resource shown left of the caption, 0 for none
  };
  Button(Window& parent, const Args& args);
  ~Button() override;
  void Click() { Fire(onClick); }
  Event onClick;
  bool OnCommand(WORD code) override;

 private:
  HIMAGELIST glyphList_ = nullptr;  // beside a caption
  HICON glyphIcon_ = nullptr;       // alone
};

// A button that stays down after a click and comes up at the next one; shows a bitmap.
class SpeedButton : public Window {
 public:
  struct Args {
    Rect bounds;
    int glyph = 0;  // bitmap resource
    bool down = false;
  };
  SpeedButton(Window& parent, const Args& args);
  ~SpeedButton() override;
  bool Down() const;
  void SetDown(bool down);
  // As a user's click: toggles, then fires onClick.
  void Click();
  Event onClick;
  bool OnCommand(WORD code) override;

 private:
  HICON glyphIcon_ = nullptr;
};

class Edit : public Window {
 public:
  struct Args {
    Rect bounds;
    std::string text;
    bool readOnly = false;
    bool tabStop = true;
  };
  Edit(Window& parent, const Args& args);
  // The text, kept here between changes: asking the control is slow under some platforms.
  std::string Text() const;
  Event onClick;  // a mouse click into the box
  bool OnCommand(WORD code) override;

 protected:
  LRESULT HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  mutable std::string text_;
  mutable bool stale_ = true;
};

class CheckBox : public Window {
 public:
  struct Args {
    Rect bounds;
    std::string caption;
    bool checked = false;
  };
  CheckBox(Window& parent, const Args& args);
  bool Checked() const;
  void SetChecked(bool checked);
  // As a user's click: toggles, then fires onClick.
  void Click();
  Event onClick;
  bool OnCommand(WORD code) override;
};

class Label : public Window {
 public:
  struct Args {
    Rect bounds;  // a zero width or height sizes the label to its text
    std::string caption;
    bool bold = false;
    COLORREF color = CLR_INVALID;  // CLR_INVALID: the window text colour
    bool centered = false;
  };
  Label(Window& parent, const Args& args);
  void SetCaption(const std::string& caption) { SetText(caption); }
  std::string Caption() const { return Text(); }
  HBRUSH OnControlColor(HDC dc) override;

 private:
  COLORREF color_;
};

// A sunken frame or line.
class Bevel : public Window {
 public:
  enum class Shape { Box, TopLine };
  struct Args {
    Rect bounds;
    Shape shape = Shape::Box;
  };
  Bevel(Window& parent, const Args& args);
};

class GroupBox : public Window {
 public:
  struct Args {
    Rect bounds;
    std::string caption;
  };
  GroupBox(Window& parent, const Args& args);
};

// Draws a value that changes very often at most every few milliseconds: now when the last drawing is
// old enough, otherwise once the control's timer fires.
class RedrawThrottle {
 public:
  // True when the value is to be drawn now; otherwise the control gets a WM_TIMER that IsItsTimer names.
  bool DrawNow(HWND control);
  // To be called when the value is drawn.
  void Drawn(HWND control);
  static bool IsItsTimer(UINT message, WPARAM wparam) { return message == WM_TIMER && wparam == kTimerId; }

 private:
  static constexpr UINT_PTR kTimerId = 1;
  DWORD drawnAt_ = 0;
  bool pending_ = false;
};

class StatusBar : public Window {
 public:
  // One simple panel along the bottom of the parent.
  explicit StatusBar(Window& parent);
  // The text is at once what SimpleText() reads; the bar shows it within a few milliseconds, so a
  // text that changes for every archive does not cost a redraw each time.
  void SetSimpleText(const std::string& text);
  std::string SimpleText() const { return text_; }

 protected:
  LRESULT HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Show();
  std::string text_;
  RedrawThrottle throttle_;
};

class ProgressBar : public Window {
 public:
  struct Args {
    Rect bounds;
    bool smooth = true;
    bool visible = true;
  };
  ProgressBar(Window& parent, const Args& args);
  void SetMax(int max);
  int Max() const { return max_; }
  // As with the status bar, the position is at once what Position() reads and is drawn within a few
  // milliseconds.
  void SetPosition(int position);
  int Position() const { return position_; }
  void StepBy(int delta) { SetPosition(position_ + delta); }
  Event onChange;  // the position changed

 protected:
  LRESULT HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Show();
  int max_ = 100;
  int position_ = 0;
  RedrawThrottle throttle_;
};

// A horizontal or vertical pair of arrows.
class UpDown : public Window {
 public:
  enum class Button { Next, Previous };
  struct Args {
    Rect bounds;
    bool horizontal = true;
  };
  UpDown(Window& parent, const Args& args);
  std::function<void(Button)> onClick;
  void Click(Button which);
  bool OnNotify(NMHDR* header, LRESULT& result) override;
};

// A multi-line text box; its lines are kept here, so it works as a text buffer whether shown or not.
class Memo : public Window {
 public:
  struct Args {
    Rect bounds;
    bool readOnly = false;
    bool scrollBars = true;
    bool wordWrap = false;
  };
  Memo(Window& parent, const Args& args);
  const std::vector<std::string>& Lines() const { return lines_; }
  size_t Count() const { return lines_.size(); }
  // Line i, or an empty text beyond the end.
  std::string Line(size_t i) const { return i < lines_.size() ? lines_[i] : std::string(); }
  void Clear();
  void Add(const std::string& line);
  void SetLines(std::vector<std::string> lines);
  // The font, and the code page in which it shows bytes above 127 (an OEM font shows the DOS code page).
  void SetFont(HFONT font, UINT codePage = CP_ACP);
  // Pushes the lines into the control (done on every change while the memo is visible, and when shown).
  void Refresh();

 protected:
  LRESULT HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Changed();
  std::vector<std::string> lines_;
  bool stale_ = false;
  UINT codePage_ = CP_ACP;
};

class ListBox : public Window {
 public:
  struct Args {
    Rect bounds;
    bool typeAhead = true;  // typing a letter selects the next line that starts with it
  };
  ListBox(Window& parent, const Args& args);
  void Clear();
  void Add(const std::string& item);
  int Count() const;
  std::string Item(int index) const;
  void SetItem(int index, const std::string& item);
  int ItemIndex() const;
  void SetItemIndex(int index);
  Event onClick;
  Event onDblClick;
  bool OnCommand(WORD code) override;

 protected:
  LRESULT HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool typeAhead_;
};

class RadioGroup;

}  // namespace ui
