#include "failing_allocations.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::size_t fail_from = std::numeric_limits<std::size_t>::max();
std::size_t fail_to = 0;
int failed = 0;

bool Refused(std::size_t bytes) {
  if (bytes < fail_from || bytes > fail_to) return false;
  ++failed;
  errno = ENOMEM;
  return true;
}

void* __cdecl FailingMalloc(std::size_t bytes) { return Refused(bytes) ? nullptr : std::malloc(bytes); }

void* __cdecl FailingCalloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) return std::calloc(count, size);
  return Refused(count * size) ? nullptr : std::calloc(count, size);
}

void* __cdecl FailingRealloc(void* block, std::size_t bytes) {
  return Refused(bytes) ? nullptr : std::realloc(block, bytes);
}

ULONG_PTR StandIn(const char* name) {
  if (std::strcmp(name, "malloc") == 0) return reinterpret_cast<ULONG_PTR>(&FailingMalloc);
  if (std::strcmp(name, "calloc") == 0) return reinterpret_cast<ULONG_PTR>(&FailingCalloc);
  if (std::strcmp(name, "realloc") == 0) return reinterpret_cast<ULONG_PTR>(&FailingRealloc);
  return 0;
}

bool Patch(ULONG_PTR* address, ULONG_PTR value) {
  DWORD protection = 0;
  if (!VirtualProtect(address, sizeof *address, PAGE_READWRITE, &protection)) return false;
  *address = value;
  VirtualProtect(address, sizeof *address, protection, &protection);
  return true;
}

}  // namespace

FailingAllocations::FailingAllocations(HMODULE library) {
  failed = 0;
  if (!library) return;
  auto* base = reinterpret_cast<std::uint8_t*>(library);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
       ++module) {
    if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "msvcrt.dll") != 0) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base + (module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk));
    auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++addresses) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      const ULONG_PTR stand_in = StandIn(reinterpret_cast<const char*>(by_name->Name));
      auto* address = reinterpret_cast<ULONG_PTR*>(&addresses->u1.Function);
      const ULONG_PTR original = *address;
      if (stand_in && Patch(address, stand_in)) slots_.push_back({address, original});
    }
  }
}

FailingAllocations::~FailingAllocations() {
  for (const Slot& slot : slots_) Patch(slot.address, slot.original);
  Stop();
}

void FailingAllocations::Fail(std::size_t from, std::size_t to) {
  fail_from = from;
  fail_to = to;
}

void FailingAllocations::Stop() { Fail(std::numeric_limits<std::size_t>::max(), 0); }

int FailingAllocations::failures() const { return failed; }
