#pragma once
// A top-level window: created hidden, shown plain or modal, laid out in client pixels.
#include "Window.h"

namespace ui {

enum class BorderStyle { Single, Sizeable, Dialog };
enum class Position { ScreenCenter, MainFormCenter, Designed };

struct FormArgs {
  std::string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  BorderStyle border = BorderStyle::Single;
  bool systemMenu = true;
  bool minimizeBox = true;
  bool maximizeBox = true;
  Position position = Position::ScreenCenter;
  int left = 0, top = 0;  // with Position::Designed
};

class Form : public Container {
 public:
  explicit Form(const FormArgs& args);
  ~Form() override;

  void Show();
  void Hide();
  // Close as by the close box: asks CanClose, then hides (the main form ends the program).
  void Close();
  // Shows the form modally and returns its modal result; through the modal seam when one is set.
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  // Setting a result other than mrNone ends a modal showing.
  void SetModalResult(int result);
  bool Modal() const { return modal_; }

  void SetCaption(const std::string& caption) { SetText(caption); }
  std::string Caption() const { return Text(); }
  void SetClientSize(int width, int height);
  SIZE ClientSize() const;
  void SetMinTrackSize(int width, int height) { minTrack_ = {width, height}; }
  // A key pressed while the form is active, offered before the focused control sees it; true when the
  // form took it.
  bool ShortCut(WPARAM key);

 protected:
  // The close box or Close(): return false to refuse.
  virtual bool CanClose() { return true; }
  // After a showing ended, by any way (modal or not).
  virtual void FormClosed() {}
  // Just before the form becomes visible.
  virtual void FormShow() {}
  // When the client area changed size.
  virtual void FormResize() {}
  // After the form became the active window (run from the message loop, once activation has settled).
  virtual void FormActivate() {}
  // Every key press in the form, before the focused control gets it: return true when handled.
  virtual bool FormShortCut(WPARAM /*key*/) { return false; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void PlaceOnScreen();
  // Gives the focus back to the control that had it last, or to the first control of the tab order.
  void RestoreFocus();
  Position position_;
  int modalResult_ = 0;
  bool modal_ = false;
  bool placed_ = false;
  SIZE minTrack_{0, 0};
  HWND focus_ = nullptr;  // the control that had the focus when the form was last deactivated
};

}  // namespace ui
