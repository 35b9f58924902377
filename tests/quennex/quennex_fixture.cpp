#include "quennex_fixture.h"

#include "Application.h"
#include "UnAceV2.h"
#include "program.h"

namespace {
StartState startState;

class QuennexEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    UnAceV2Initialize();  // as the program's start does: UnAceV2.Dll lies beside the test program
    ui::Application::Initialize();
    ui::Application::SetTitle("Vellmark Quennick Extractor");
    CreateQuennexForms();
    // A message box or modal window that no test answers fails that test instead of waiting for a user.
    ui::SetMessageResponder([](const ui::MessageRequest& request) {
      ADD_FAILURE() << "unexpected message box: " << request.text;
      return static_cast<int>(IDOK);
    });
    ui::SetModalResponder([](ui::Form& form) {
      ADD_FAILURE() << "unexpected modal window: " << form.Caption();
      return static_cast<int>(ui::mrCancel);
    });
    startState = {Form1->Caption(), Form1->StatusBar1.SimpleText()};
  }
  void TearDown() override {
    DestroyQuennexForms();
    ui::Application::Finalize();
    UnAceV2Finalize();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new QuennexEnvironment);
}  // namespace

const StartState& MainWindowAtStart() { return startState; }

ScriptedMessages::ScriptedMessages() {
  previous_ = ui::SetMessageResponder([this](const ui::MessageRequest& request) {
    shown_.push_back(request);
    if (!throwText_.empty()) {
      const std::string text = std::move(throwText_);
      throwText_.clear();
      throw std::runtime_error(text);
    }
    if (answers_.empty()) return static_cast<int>(IDOK);
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

ScriptedMessages::~ScriptedMessages() { ui::SetMessageResponder(std::move(previous_)); }

std::vector<std::string> ScriptedMessages::Texts() const {
  std::vector<std::string> texts;
  for (const auto& request : shown_) texts.push_back(request.text);
  return texts;
}

ScriptedModals::ScriptedModals(std::function<int(ui::Form&)> answer) {
  previous_ = ui::SetModalResponder([this, answer](ui::Form& form) {
    captions_.push_back(form.Caption());
    return answer(form);
  });
}

ScriptedModals::~ScriptedModals() { ui::SetModalResponder(std::move(previous_)); }

int PickFolder(ui::Form& form, const std::string& folder) {
  EXPECT_EQ(&form, Form4);
  if (folder.empty()) {
    Form4->Button2Click();
  } else {
    Form4->ShellTreeView1.SetPath(folder);
    Form4->Button1Click();
  }
  return Form4->ModalResult();
}

void ResetMainWindow() {
  TForm1& f = *Form1;
  f.Edit1.SetText("");
  f.Edit3.SetText("");
  f.Edit2.SetText("");
  f.CheckBox1.SetChecked(true);
  f.CheckBox2.SetChecked(false);
  f.CheckBox3.SetChecked(false);
  f.CheckBox9.SetChecked(false);
  f.CheckBox7.SetChecked(true);
  f.CheckBox4.SetChecked(true);
  f.CheckBox5.SetChecked(false);
  f.CheckBox6.SetChecked(false);
  f.CheckBox8.SetChecked(true);
  f.RadioGroup1.SetItemIndex(2);
  f.RadioGroup2.SetItemIndex(0);
  f.Label12.SetCaption("6");
  f.SpeedButton1.SetDown(true);
  f.ListView1.Clear();
  f.BitBtn2.SetEnabled(false);
  f.Run.SortColumn = 0;
  f.Run.ListReady = false;
}

void ChooseSource(const std::string& folder) {
  ScriptedModals picker([&](ui::Form& form) { return PickFolder(form, folder); });
  Form1->BitBtn1Click();
}

void ChooseTarget(const std::string& folder) {
  ScriptedModals picker([&](ui::Form& form) { return PickFolder(form, folder); });
  Form1->BitBtn5Click();
}

std::vector<std::string> RunGo() {
  ScriptedMessages messages;
  Form1->BitBtn2Click();
  return messages.Texts();
}

void Pump(int milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
    ui::Application::ProcessMessages();
    Sleep(5);
  }
}
