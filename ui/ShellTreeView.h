#pragma once
// A folder tree over the shell namespace, rooted at My Computer: folders only, the shell's own small icons,
// children read when a node is first expanded. It does not watch the file system.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "Window.h"

namespace ui {

class ShellTreeView : public Window {
 public:
  struct Args {
    Rect bounds;
    int indent = 19;
  };

  ShellTreeView(Window& parent, const Args& args);
  ~ShellTreeView() override;

  // The shell's parsing name of the selected node: the full path of a folder on disk ("C:\" for a drive
  // root), the parsing name of a virtual node such as My Computer; "" when nothing is selected.
  std::string SelectedPath() const;
  // Expands the nodes from My Computer down to the folder and selects it. A path that is no folder under
  // My Computer throws std::runtime_error("Error setting path: \"<path>\"") and leaves the tree as it was.
  void SetPath(const std::string& path);

  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  // Each item's lParam is the absolute PIDL of its folder, owned by the item.
  static LPITEMIDLIST ItemPidl(HWND tree, HTREEITEM item);
  HTREEITEM InsertFolder(HTREEITEM parent, LPITEMIDLIST absolute, bool hasChildren);
  // Reads the sub-folders of a node once; false when the folder cannot be listed.
  bool FillChildren(HTREEITEM item);
  void Expand(HTREEITEM item);
  void SelectUnderMouse();
  void FreeAllItemData(HTREEITEM first);

  IShellFolder* desktop_ = nullptr;
  HTREEITEM root_ = nullptr;
};

}  // namespace ui
