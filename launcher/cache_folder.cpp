#include "cache_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "failure.h"
#include "handle.h"

namespace {

[[noreturn]] __attribute__((noinline)) void RaiseOleError(HRESULT code) {
  const void* address = __builtin_return_address(0);
  char text[256];
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  std::string message = n ? TrimSystemMessage(std::string(text, n)) : "";
  if (message.empty()) message = OleErrorFallbackMessage(static_cast<uint32_t>(code));
  RaiseFailureAt(address, "EOleSysError", message, static_cast<uint32_t>(code));
}

// Frees an item list through the task allocator.
class ItemList {
 public:
  ItemList(IMalloc* allocator, LPITEMIDLIST list) : allocator_(allocator), list_(list) {}
  ~ItemList() { allocator_->Free(list_); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;

 private:
  IMalloc* allocator_;
  LPITEMIDLIST list_;
};

// Line given in the assertion message, fixed so the text stays the same
// from one build to the next.
constexpr int kAssertionLine = 121;

}  // namespace

std::string InternetCacheFolder() {
  ComPtr<IMalloc> allocator;
  HRESULT result = CoGetMalloc(MEMCTX_TASK, allocator.Receive());
  if (FAILED(result)) RaiseOleError(result);
  LPITEMIDLIST items = nullptr;
  result = SHGetSpecialFolderLocation(nullptr, CSIDL_INTERNET_CACHE, &items);
  if (FAILED(result)) RaiseOleError(result);
  ItemList free_items(allocator.get(), items);
  char path[MAX_PATH + 1];
  if (!SHGetPathFromIDListA(items, path))
    RaiseFailure("EAssertionFailed",
                 AssertionFailureMessage("launcher\\main.cpp", kAssertionLine));
  return std::string(path, strnlen(path, sizeof path));
}
