#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Application.h"
#include "Form.h"
#include "ShellTreeView.h"
#include "test_support.h"

namespace {

using testing_support::MakeFolder;
using testing_support::TempFolder;
using testing_support::WriteText;

const char kMyComputer[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

class Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

// A hidden form holding the tree where the folder picker has it.
class TreeForm : public ui::Form {
 public:
  TreeForm()
      : ui::Form({.caption = "tree", .clientWidth = 316, .clientHeight = 368}), tree(*this, {{8, 8, 297, 321}}) {}
  ui::ShellTreeView tree;
};

class ShellTreeViewTest : public ::testing::Test {
 protected:
  HWND Tree() const { return form_->tree.hwnd(); }

  std::string ItemText(HTREEITEM item) const {
    char text[MAX_PATH] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    TreeView_GetItem(Tree(), &data);
    return text;
  }

  std::vector<std::string> ChildTexts(HTREEITEM item) const {
    std::vector<std::string> texts;
    for (HTREEITEM child = TreeView_GetChild(Tree(), item); child; child = TreeView_GetNextSibling(Tree(), child)) {
      texts.push_back(ItemText(child));
    }
    return texts;
  }

  bool Expanded(HTREEITEM item) const { return TreeView_GetItemState(Tree(), item, TVIS_EXPANDED) & TVIS_EXPANDED; }

  std::unique_ptr<TreeForm> form_ = std::make_unique<TreeForm>();
};

TEST_F(ShellTreeViewTest, StartsAtMyComputerExpandedAndSelected) {
  HTREEITEM root = TreeView_GetRoot(Tree());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(TreeView_GetNextSibling(Tree(), root), nullptr);
  EXPECT_EQ(TreeView_GetSelection(Tree()), root);
  EXPECT_TRUE(Expanded(root));
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, form_->tree.SelectedPath().c_str(), -1, kMyComputer, -1),
            CSTR_EQUAL)
      << form_->tree.SelectedPath();

  // One level: the drives are there, none of them opened yet.
  bool driveC = false;
  for (HTREEITEM child = TreeView_GetChild(Tree(), root); child; child = TreeView_GetNextSibling(Tree(), child)) {
    if (ItemText(child).find("C:") != std::string::npos) driveC = true;
    EXPECT_FALSE(Expanded(child));
  }
  EXPECT_TRUE(driveC);
}

TEST_F(ShellTreeViewTest, SetPathSelectsTheFolderAndReportsItsExactPath) {
  TempFolder temp;
  const std::string first = temp / "First Folder";
  const std::string second = temp / "second";
  MakeFolder(first);
  MakeFolder(second);

  form_->tree.SetPath(first);
  EXPECT_EQ(form_->tree.SelectedPath(), first);
  HTREEITEM selected = TreeView_GetSelection(Tree());
  EXPECT_EQ(ItemText(selected), "First Folder");
  // Every node above it is open; the folder itself is not.
  for (HTREEITEM up = TreeView_GetParent(Tree(), selected); up; up = TreeView_GetParent(Tree(), up)) {
    EXPECT_TRUE(Expanded(up)) << ItemText(up);
  }
  EXPECT_FALSE(Expanded(selected));
  // The way down reuses the listed nodes instead of adding its own.
  EXPECT_EQ(ChildTexts(TreeView_GetParent(Tree(), selected)), (std::vector<std::string>{"First Folder", "second"}));

  form_->tree.SetPath(second + "\\");
  EXPECT_EQ(form_->tree.SelectedPath(), second);
  form_->tree.SetPath(first);
  EXPECT_EQ(form_->tree.SelectedPath(), first);
  EXPECT_EQ(TreeView_GetSelection(Tree()), selected);
}

TEST_F(ShellTreeViewTest, DriveRootKeepsItsSeparator) {
  const size_t drives = ChildTexts(TreeView_GetRoot(Tree())).size();
  form_->tree.SetPath("C:\\");
  EXPECT_EQ(ChildTexts(TreeView_GetRoot(Tree())).size(), drives);
  EXPECT_EQ(form_->tree.SelectedPath(), "C:\\");
  form_->tree.SetPath("Z:\\");
  form_->tree.SetPath("C:");
  EXPECT_EQ(form_->tree.SelectedPath(), "C:\\");

  form_->tree.SetPath(kMyComputer);
  EXPECT_EQ(TreeView_GetSelection(Tree()), TreeView_GetRoot(Tree()));
}

TEST_F(ShellTreeViewTest, ReachesTheSourceTreeOnDriveZ) {
  const std::string source = testing_support::SourceDir();
  form_->tree.SetPath(source);
  EXPECT_EQ(
      CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, form_->tree.SelectedPath().c_str(), -1, source.c_str(), -1),
      CSTR_EQUAL)
      << form_->tree.SelectedPath() << " vs " << source;
}

TEST_F(ShellTreeViewTest, PathThatCannotBeSetThrowsAndChangesNothing) {
  TempFolder temp;
  const std::string folder = temp / "kept";
  MakeFolder(folder);
  WriteText(temp / "file.txt", "x");
  form_->tree.SetPath(folder);
  const UINT count = TreeView_GetCount(Tree());

  const std::vector<std::string> bad = {
      temp / "missing",      temp / "missing\\deeper", temp / "file.txt", "", std::string("C:\\") + '\0' + "x",
      "Q:\\nowhere\\at\\all"};
  for (const std::string& path : bad) {
    try {
      form_->tree.SetPath(path);
      ADD_FAILURE() << "no error for " << path;
    } catch (const std::runtime_error& error) {
      // what() ends at a NUL inside the path.
      EXPECT_STREQ(error.what(), ("Error setting path: \"" + path + "\"").c_str());
    }
    EXPECT_EQ(form_->tree.SelectedPath(), folder) << path;
    EXPECT_EQ(TreeView_GetCount(Tree()), count) << path;
  }
}

TEST_F(ShellTreeViewTest, ExpandingListsSortedSubFoldersOnly) {
  TempFolder temp;
  const std::string top = temp / "top";
  MakeFolder(top);
  MakeFolder(top + "\\beta");
  MakeFolder(top + "\\Alpha");
  MakeFolder(top + "\\gamma");
  MakeFolder(top + "\\gamma\\inner");
  WriteText(top + "\\readme.txt", "text");
  WriteText(top + "\\archive.zip", "PK\x05\x06" + std::string(18, '\0'));

  form_->tree.SetPath(top);
  HTREEITEM node = TreeView_GetSelection(Tree());
  EXPECT_EQ(TreeView_GetChild(Tree(), node), nullptr);  // not read before it opens
  // Opened as by the user, through the parent's notification.
  TreeView_Expand(Tree(), node, TVE_EXPAND);
  EXPECT_EQ(ChildTexts(node), (std::vector<std::string>{"Alpha", "beta", "gamma"}));

  // A folder found empty loses its button.
  HTREEITEM alpha = TreeView_GetChild(Tree(), node);
  TreeView_Expand(Tree(), alpha, TVE_EXPAND);
  TVITEMA data{};
  data.mask = TVIF_CHILDREN | TVIF_HANDLE;
  data.hItem = alpha;
  TreeView_GetItem(Tree(), &data);
  EXPECT_EQ(data.cChildren, 0);

  // Collapsing and opening again does not list twice.
  TreeView_Expand(Tree(), node, TVE_COLLAPSE);
  TreeView_Expand(Tree(), node, TVE_EXPAND);
  EXPECT_EQ(ChildTexts(node).size(), 3u);
}

TEST_F(ShellTreeViewTest, HiddenFolderOnThePathIsStillReached) {
  TempFolder temp;
  const std::string hidden = temp / "hidden";
  const std::string inside = hidden + "\\inside";
  MakeFolder(hidden);
  MakeFolder(inside);
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);

  form_->tree.SetPath(inside);
  EXPECT_EQ(form_->tree.SelectedPath(), inside);
}

TEST_F(ShellTreeViewTest, NameOutsideTheCodePageYieldsAPathThatStillWorks) {
  TempFolder temp;
  const std::wstring wide = std::wstring(temp.path().begin(), temp.path().end()) + L"\\\u03a9mega";
  ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
  char shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA((temp.path() + "\\").c_str(), shortPath, MAX_PATH), 0u);
  wchar_t shortWide[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(wide.c_str(), shortWide, MAX_PATH), 0u);
  const std::wstring leaf = std::wstring(shortWide).substr(std::wstring(shortWide).rfind(L'\\') + 1);

  form_->tree.SetPath(std::string(shortPath) + std::string(leaf.begin(), leaf.end()));
  const std::string selected = form_->tree.SelectedPath();
  EXPECT_EQ(selected.find('?'), std::string::npos) << selected;
  const DWORD attributes = GetFileAttributesA(selected.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << selected;
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << selected;
}

TEST_F(ShellTreeViewTest, RightClickSelectsTheNodeUnderTheMouse) {
  TempFolder temp;
  MakeFolder(temp / "one");
  MakeFolder(temp / "two");
  form_->tree.SetPath(temp / "one");
  HTREEITEM one = TreeView_GetSelection(Tree());
  HTREEITEM two = TreeView_GetNextSibling(Tree(), one);
  ASSERT_NE(two, nullptr);

  RECT rect{};
  TreeView_GetItemRect(Tree(), two, &rect, TRUE);
  POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const LPARAM client = MAKELPARAM(point.x, point.y);
  ClientToScreen(Tree(), &point);
  // The X server may still report an older pointer position for a moment after the warp.
  POINT cursor{};
  for (int tries = 0; tries < 100; ++tries) {
    SetCursorPos(point.x, point.y);
    Sleep(10);
    ui::Application::ProcessMessages();
    if (GetCursorPos(&cursor) && cursor.x == point.x && cursor.y == point.y) break;
  }
  PostMessageA(Tree(), WM_RBUTTONUP, 0, client);
  SendMessageA(Tree(), WM_RBUTTONDOWN, MK_RBUTTON, client);
  ui::Application::ProcessMessages();

  EXPECT_EQ(TreeView_GetSelection(Tree()), two);
  EXPECT_EQ(form_->tree.SelectedPath(), temp / "two");
}

}  // namespace
