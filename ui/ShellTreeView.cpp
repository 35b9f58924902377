#include "ShellTreeView.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ui {

namespace {

struct PidlFree {
  void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComRelease>;

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// The text in the ANSI code page; lossy tells whether some character had no equivalent there.
std::string Narrow(const std::wstring& wide, bool* lossy) {
  BOOL usedDefault = FALSE;
  if (lossy) *lossy = false;
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, nullptr, &usedDefault);
  if (lossy) *lossy = usedDefault != FALSE;
  return text;
}

// A path the ANSI code page cannot spell would name another file; its short form still reaches the folder.
std::string AnsiPath(const std::wstring& path) {
  bool lossy = false;
  std::string text = Narrow(path, &lossy);
  if (!lossy) return text;
  wchar_t shortPath[MAX_PATH * 2];
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return text;
  std::string shortText = Narrow(std::wstring(shortPath, length), &lossy);
  return lossy ? text : shortText;
}

std::wstring TakeStrRet(STRRET& value, LPCITEMIDLIST pidl) {
  switch (value.uType) {
    case STRRET_WSTR: {
      std::wstring text = value.pOleStr ? value.pOleStr : L"";
      CoTaskMemFree(value.pOleStr);
      return text;
    }
    case STRRET_CSTR:
      return Widen(std::string(value.cStr, strnlen(value.cStr, sizeof value.cStr)));
    case STRRET_OFFSET:
      return Widen(reinterpret_cast<const char*>(pidl) + value.uOffset);
    default:
      return {};
  }
}

UINT IdCount(LPCITEMIDLIST pidl) {
  UINT count = 0;
  for (auto* id = reinterpret_cast<const BYTE*>(pidl); reinterpret_cast<const SHITEMID*>(id)->cb != 0;
       id += reinterpret_cast<const SHITEMID*>(id)->cb) {
    ++count;
  }
  return count;
}

LPCITEMIDLIST NthId(LPCITEMIDLIST pidl, UINT index) {
  auto* id = reinterpret_cast<const BYTE*>(pidl);
  for (UINT i = 0; i < index; ++i) id += reinterpret_cast<const SHITEMID*>(id)->cb;
  return reinterpret_cast<LPCITEMIDLIST>(id);
}

// A copy of the first count ids of pidl.
Pidl Prefix(LPCITEMIDLIST pidl, UINT count) {
  const auto* start = reinterpret_cast<const BYTE*>(pidl);
  const size_t size = reinterpret_cast<const BYTE*>(NthId(pidl, count)) - start;
  auto* copy = static_cast<BYTE*>(CoTaskMemAlloc(size + sizeof(USHORT)));
  if (!copy) throw std::bad_alloc();
  std::memcpy(copy, start, size);
  std::memset(copy + size, 0, sizeof(USHORT));
  return Pidl(reinterpret_cast<ITEMIDLIST*>(copy));
}

bool SameId(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  const HRESULT hr = folder->CompareIDs(0, a, b);
  return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

int CALLBACK CompareChildren(LPARAM a, LPARAM b, LPARAM folder) {
  const HRESULT hr = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(
      0, ILFindLastID(reinterpret_cast<LPCITEMIDLIST>(a)), ILFindLastID(reinterpret_cast<LPCITEMIDLIST>(b)));
  return SUCCEEDED(hr) ? static_cast<short>(HRESULT_CODE(hr)) : 0;
}

// Folders that are files too, such as archives the shell browses, do not belong in a folder tree.
bool IsPlainFolder(SFGAOF attributes) { return (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM); }

ComPtr<IShellFolder> BindFolder(IShellFolder* desktop, LPCITEMIDLIST pidl) {
  IShellFolder* folder = nullptr;
  if (FAILED(desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) return {};
  return ComPtr<IShellFolder>(folder);
}

HTREEITEM Child(HWND tree, HTREEITEM item) { return TreeView_GetChild(tree, item); }
HTREEITEM Next(HWND tree, HTREEITEM item) { return TreeView_GetNextSibling(tree, item); }

void SetHasChildren(HWND tree, HTREEITEM item, bool hasChildren) {
  TVITEMA data{};
  data.mask = TVIF_CHILDREN | TVIF_HANDLE;
  data.hItem = item;
  data.cChildren = hasChildren ? 1 : 0;
  TreeView_SetItem(tree, &data);
}

void SortChildren(HWND tree, HTREEITEM item, IShellFolder* folder) {
  TVSORTCB sort{item, CompareChildren, reinterpret_cast<LPARAM>(folder)};
  TreeView_SortChildrenCB(tree, &sort, FALSE);
}

}  // namespace

ShellTreeView::ShellTreeView(Window& parent, const Args& args) {
  if (FAILED(SHGetDesktopFolder(&desktop_)) || !desktop_) throw std::runtime_error("cannot open the shell namespace");
  LPITEMIDLIST drives = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) || !drives) {
    desktop_->Release();
    throw std::runtime_error("cannot open My Computer");
  }
  Pidl root(drives);
  try {
    CreateControl(parent, WC_TREEVIEWA, args.bounds,
                  WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE);
  } catch (...) {
    desktop_->Release();
    throw;
  }
  TreeView_SetIndent(hwnd_, args.indent);
  SHFILEINFOW info{};
  // The system image list is shared by the whole process; the tree never destroys it.
  auto images = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
      reinterpret_cast<LPCWSTR>(root.get()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) TreeView_SetImageList(hwnd_, images, TVSIL_NORMAL);

  root_ = InsertFolder(TVI_ROOT, root.release(), true);
  if (root_) {
    Expand(root_);
    TreeView_SelectItem(hwnd_, root_);
  }
}

ShellTreeView::~ShellTreeView() {
  if (hwnd_ && IsWindow(hwnd_)) {
    // The parent may no longer pass on TVN_DELETEITEM, so the items give up their PIDLs here.
    FreeAllItemData(TreeView_GetRoot(hwnd_));
    TreeView_DeleteAllItems(hwnd_);
  }
  if (desktop_) desktop_->Release();
}

void ShellTreeView::FreeAllItemData(HTREEITEM first) {
  for (HTREEITEM item = first; item; item = Next(hwnd_, item)) {
    FreeAllItemData(Child(hwnd_, item));
    TVITEMA data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (TreeView_GetItem(hwnd_, &data) && data.lParam) {
      CoTaskMemFree(reinterpret_cast<void*>(data.lParam));
      data.lParam = 0;
      TreeView_SetItem(hwnd_, &data);
    }
  }
}

LPITEMIDLIST ShellTreeView::ItemPidl(HWND tree, HTREEITEM item) {
  TVITEMA data{};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  if (!item || !TreeView_GetItem(tree, &data)) return nullptr;
  return reinterpret_cast<LPITEMIDLIST>(data.lParam);
}

HTREEITEM ShellTreeView::InsertFolder(HTREEITEM parent, LPITEMIDLIST absolute, bool hasChildren) {
  SHFILEINFOW info{}, open{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &open, sizeof open,
                      SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON)) {
    open.iIcon = info.iIcon;
  }
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = info.szDisplayName;
  insert.item.iImage = info.iIcon;
  insert.item.iSelectedImage = open.iIcon;
  insert.item.cChildren = hasChildren ? 1 : 0;
  insert.item.lParam = reinterpret_cast<LPARAM>(absolute);
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) CoTaskMemFree(absolute);
  return item;
}

bool ShellTreeView::FillChildren(HTREEITEM item) {
  LPITEMIDLIST pidl = ItemPidl(hwnd_, item);
  if (!pidl) return false;
  ComPtr<IShellFolder> folder = BindFolder(desktop_, pidl);
  if (!folder) return false;
  IEnumIDList* listing = nullptr;
  // No owner window: a drive without a disk must not stop the program with a question.
  const HRESULT hr = folder->EnumObjects(nullptr, SHCONTF_FOLDERS, &listing);
  ComPtr<IEnumIDList> list(listing);
  if (hr != S_OK || !list) return false;
  LPITEMIDLIST child = nullptr;
  ULONG fetched = 0;
  while (list->Next(1, &child, &fetched) == S_OK && fetched == 1 && child) {
    Pidl owned(child);
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_STREAM;
    LPCITEMIDLIST one = child;
    if (FAILED(folder->GetAttributesOf(1, &one, &attributes)) || !IsPlainFolder(attributes)) continue;
    if (LPITEMIDLIST absolute = ILCombine(pidl, child)) {
      InsertFolder(item, absolute, (attributes & SFGAO_HASSUBFOLDER) != 0);
    }
  }
  if (Child(hwnd_, item)) {
    SortChildren(hwnd_, item, folder.get());
  } else {
    SetHasChildren(hwnd_, item, false);
  }
  return true;
}

void ShellTreeView::Expand(HTREEITEM item) {
  if (!Child(hwnd_, item)) FillChildren(item);
  TreeView_Expand(hwnd_, item, TVE_EXPAND);
}

std::string ShellTreeView::SelectedPath() const {
  LPITEMIDLIST pidl = ItemPidl(hwnd_, TreeView_GetSelection(hwnd_));
  if (!pidl) return {};
  STRRET name{};
  if (FAILED(desktop_->GetDisplayNameOf(pidl, SHGDN_FORPARSING, &name))) return {};
  return AnsiPath(TakeStrRet(name, pidl));
}

void ShellTreeView::SetPath(const std::string& path) {
  const auto fail = [&path] { throw std::runtime_error("Error setting path: \"" + path + "\""); };
  if (!root_ || path.find('\0') != std::string::npos) fail();

  std::string clean = path;
  while (clean.size() > 1 && clean.back() == '\\' && !(clean.size() == 3 && clean[1] == ':')) clean.pop_back();
  if (clean.size() == 2 && clean[1] == ':') clean += '\\';
  std::wstring wide = Widen(clean);
  if (wide.empty()) fail();

  LPITEMIDLIST parsed = nullptr;
  ULONG eaten = 0;
  if (FAILED(desktop_->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &parsed, nullptr)) || !parsed) fail();
  Pidl target(parsed);

  // Only folders: a file, or a name the shell made up for something absent, does not count.
  SHFILEINFOW info{};
  info.dwAttributes = 0;
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(target.get()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_ATTRIBUTES) ||
      !IsPlainFolder(info.dwAttributes)) {
    fail();
  }
  if (info.dwAttributes & SFGAO_FILESYSTEM) {
    wchar_t onDisk[MAX_PATH];
    if (!SHGetPathFromIDListW(target.get(), onDisk)) fail();
    const DWORD attributes = GetFileAttributesW(onDisk);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) fail();
  }

  // The folder must lie under My Computer, and every folder on the way must open, before the tree changes.
  LPITEMIDLIST rootPidl = ItemPidl(hwnd_, root_);
  const UINT rootDepth = IdCount(rootPidl), depth = IdCount(target.get());
  if (depth < rootDepth || !SameId(desktop_, rootPidl, Prefix(target.get(), rootDepth).get())) fail();
  std::vector<ComPtr<IShellFolder>> way;
  for (UINT level = rootDepth; level < depth; ++level) {
    way.push_back(BindFolder(desktop_, Prefix(target.get(), level).get()));
    if (!way.back()) fail();
  }

  HTREEITEM node = root_;
  for (UINT level = rootDepth; level < depth; ++level) {
    IShellFolder* folder = way[level - rootDepth].get();
    Pidl id = Prefix(NthId(target.get(), level), 1);
    if (!Child(hwnd_, node)) FillChildren(node);
    HTREEITEM found = nullptr;
    for (HTREEITEM child = Child(hwnd_, node); child && !found; child = Next(hwnd_, child)) {
      LPITEMIDLIST pidl = ItemPidl(hwnd_, child);
      if (pidl && SameId(folder, ILFindLastID(pidl), id.get())) found = child;
    }
    if (!found) {
      // Hidden folders are not listed, but a path may still lead through them.
      SFGAOF attributes = SFGAO_HASSUBFOLDER;
      LPCITEMIDLIST one = id.get();
      if (FAILED(folder->GetAttributesOf(1, &one, &attributes))) attributes = SFGAO_HASSUBFOLDER;
      found = InsertFolder(node, Prefix(target.get(), level + 1).release(), (attributes & SFGAO_HASSUBFOLDER) != 0);
      if (!found) fail();
      SetHasChildren(hwnd_, node, true);
      SortChildren(hwnd_, node, folder);
    }
    TreeView_Expand(hwnd_, node, TVE_EXPAND);
    node = found;
  }
  TreeView_SelectItem(hwnd_, node);
  TreeView_EnsureVisible(hwnd_, node);
}

void ShellTreeView::SelectUnderMouse() {
  const DWORD position = GetMessagePos();
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(hwnd_, &hit.pt);
  if (HTREEITEM item = TreeView_HitTest(hwnd_, &hit); item && (hit.flags & TVHT_ONITEM)) {
    TreeView_SelectItem(hwnd_, item);
  }
}

bool ShellTreeView::OnNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      // Both layouts agree on action and item handle.
      auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
      result = FALSE;
      if ((change->action & TVE_EXPAND) && !Child(hwnd_, change->itemNew.hItem)) {
        if (!FillChildren(change->itemNew.hItem)) result = TRUE;
      }
      return true;
    }
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: {
      auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
      CoTaskMemFree(reinterpret_cast<void*>(change->itemOld.lParam));
      result = 0;
      return true;
    }
    case NM_RCLICK:
      SelectUnderMouse();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace ui
