#include "quillex.h"

#include <cstring>

#include "shared_block.h"

namespace {

const char kEditorClass[] = "TQuillexMainForm";

class MappingHandle {
 public:
  explicit MappingHandle(HANDLE h) : h_(h) {}
  ~MappingHandle() { if (h_) CloseHandle(h_); }
  MappingHandle(const MappingHandle&) = delete;
  MappingHandle& operator=(const MappingHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

class MappedView {
 public:
  explicit MappedView(void* p) : p_(p) {}
  ~MappedView() { Unmap(); }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  char* get() const { return static_cast<char*>(p_); }
  void Unmap() {
    if (p_) UnmapViewOfFile(p_);
    p_ = nullptr;
  }

 private:
  void* p_;
};

// Bytes from `view` to the end of its mapped region.
SIZE_T ViewSize(const void* view) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(view, &info, sizeof info) != sizeof info) return 0;
  return info.RegionSize - (static_cast<const char*>(view) -
                            static_cast<const char*>(info.BaseAddress));
}

}  // namespace

bool IsEditorMainWindow(HWND window) {
  if (!window) return false;
  char name[256];
  int length = GetClassNameA(window, name, 255);
  if (length <= 0) return false;
  name[length] = '\0';
  return strlen(name) == sizeof kEditorClass - 1 && strcmp(name, kEditorClass) == 0;
}

HWND GetEditorEditControl(HWND window) {
  if (!IsEditorMainWindow(window)) return nullptr;
  return reinterpret_cast<HWND>(SendMessageA(window, WM_EDITOR_GETEDIT, 0, 0));
}

void SendTextToEditor(HWND window, const std::vector<std::string_view>& text,
                      WPARAM wparam) {
  if (!IsEditorMainWindow(window)) return;
  uint64_t size = SharedBlockSize(text);
  if (size > 0xFFFFFFFFu) return;  // no block of that size can be named
  uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
  MappingHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr,
                                           PAGE_READWRITE, 0,
                                           static_cast<DWORD>(size),
                                           SharedBlockName(handle).c_str()));
  if (!mapping.get()) return;
  MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!view.get()) return;
  // A block of this name may exist already (an editor still holding an
  // earlier one, or another process first) and be smaller than this text:
  // then nothing is written past the view and nothing is sent.
  if (ViewSize(view.get()) < size) return;
  FillSharedBlock(view.get(), size, text);
  view.Unmap();
  SendMessageA(window, WM_EDITOR_LOADTEXT, wparam, static_cast<LPARAM>(size));
}

void SendTextToEditor(HWND window, std::string_view text, WPARAM wparam) {
  SendTextToEditor(window, std::vector<std::string_view>{text}, wparam);
}
