#pragma once
// The windows of quennex, created once for the whole test program, and the seam answers.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "about.h"
#include "dirs.h"
#include "quenbbs.h"
#include "raten.h"
#include "test_support.h"
#include "viewer.h"
#include "window_pictures.h"

// What the main window showed right after it was created, before any test touched it.
struct StartState {
  std::string caption, status;
};
const StartState& MainWindowAtStart();

// Records every message box and answers it from a queue (OK when the queue is empty).
class ScriptedMessages {
 public:
  ScriptedMessages();
  ~ScriptedMessages();
  void Answer(int result) { answers_.push_back(result); }
  // Throws this error from the next message box instead of answering.
  void ThrowAtNext(std::string text) { throwText_ = std::move(text); }
  const std::vector<ui::MessageRequest>& Shown() const { return shown_; }
  std::vector<std::string> Texts() const;

 private:
  std::vector<ui::MessageRequest> shown_;
  std::deque<int> answers_;
  std::string throwText_;
  ui::MessageResponder previous_;
};

// Answers modal showings through a function; records the captions shown.
class ScriptedModals {
 public:
  explicit ScriptedModals(std::function<int(ui::Form&)> answer);
  ~ScriptedModals();
  const std::vector<std::string>& Captions() const { return captions_; }

 private:
  std::vector<std::string> captions_;
  ui::ModalResponder previous_;
};

// The folder picker answered with a folder ("" for Cancel).
int PickFolder(ui::Form& form, const std::string& folder);

// Puts the main window back to its state after start: folders empty, options at defaults, list empty.
void ResetMainWindow();

// Sets the source (and so, with the toggle down, the target) through the picker.
void ChooseSource(const std::string& folder);
void ChooseTarget(const std::string& folder);

// Runs Go with every message box answered OK; returns the texts shown.
std::vector<std::string> RunGo();

// Lets the windows handle their messages for about this long.
void Pump(int milliseconds);

// Modal windows shown for real while the object lives: their own message loop, keys and focus.
class RealModals {
 public:
  RealModals() : previous_(ui::SetModalResponder({})) {}
  ~RealModals() { ui::SetModalResponder(std::move(previous_)); }
  RealModals(const RealModals&) = delete;
  RealModals& operator=(const RealModals&) = delete;

 private:
  ui::ModalResponder previous_;
};
