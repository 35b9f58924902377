#pragma once
// One loaded module and its rendering to 16-bit stereo samples, apart from any sound device.
#include <cstddef>
#include <cstdint>

struct openmpt_module;

namespace npmod32 {

class ModuleRenderer {
 public:
  static constexpr int kRate = 44100;

  ModuleRenderer() = default;
  ~ModuleRenderer();
  ModuleRenderer(const ModuleRenderer&) = delete;
  ModuleRenderer& operator=(const ModuleRenderer&) = delete;

  // Replaces the loaded module; false leaves none loaded. A looping song starts over at its end, for ever.
  bool LoadFile(const char* file_name, bool loop);
  bool Load(const void* bytes, std::size_t size, bool loop);
  void Unload();
  bool IsLoaded() const { return module_ != nullptr; }
  // Fills count frames (left, right), zero past the song's end, and returns how many the song gave;
  // 0 once a song that does not loop has ended, or without a module.
  std::size_t Render(std::int16_t* frames, std::size_t count);
  void Rewind();

 private:
  openmpt_module* module_ = nullptr;
};

}  // namespace npmod32
