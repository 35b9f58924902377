#include "renderer.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include <libopenmpt/libopenmpt.h>

namespace npmod32 {
namespace {

// Tracker modules are small; anything larger is not one we want to hold in memory.
constexpr LONGLONG kMaxFileSize = 64 << 20;
constexpr int kStereoSeparationPercent = 60;

bool ReadWholeFile(const char* file_name, std::vector<unsigned char>* bytes) {
  HANDLE file =
      CreateFileA(file_name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxFileSize) {
    bytes->resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) && read == bytes->size();
  }
  CloseHandle(file);
  return ok;
}

}  // namespace

ModuleRenderer::~ModuleRenderer() { Unload(); }

bool ModuleRenderer::LoadFile(const char* file_name, bool loop) {
  Unload();
  std::vector<unsigned char> bytes;
  if (file_name == nullptr || *file_name == '\0' || !ReadWholeFile(file_name, &bytes)) return false;
  return Load(bytes.data(), bytes.size(), loop);
}

bool ModuleRenderer::Load(const void* bytes, std::size_t size, bool loop) {
  Unload();
  if (bytes == nullptr || size == 0) return false;
  module_ = openmpt_module_create_from_memory2(bytes, size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                               nullptr, nullptr, nullptr, nullptr);
  if (!module_) return false;
  openmpt_module_set_repeat_count(module_, loop ? -1 : 0);
  openmpt_module_set_render_param(module_, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT, kStereoSeparationPercent);
  return true;
}

void ModuleRenderer::Unload() {
  if (module_) openmpt_module_destroy(module_);
  module_ = nullptr;
}

std::size_t ModuleRenderer::Render(std::int16_t* frames, std::size_t count) {
  const std::size_t rendered =
      module_ ? std::min(openmpt_module_read_interleaved_stereo(module_, kRate, count, frames), count) : 0;
  std::fill(frames + rendered * 2, frames + count * 2, std::int16_t{0});
  return rendered;
}

void ModuleRenderer::Rewind() {
  if (module_) openmpt_module_set_position_seconds(module_, 0.0);
}

}  // namespace npmod32
