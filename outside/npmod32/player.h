#pragma once
// One player instance: a loaded module, rendered and fed to wave-out on a thread of its own.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "player_options.h"
#include "renderer.h"

namespace npmod32 {

class Player {
 public:
  explicit Player(const PlayerOptions& options);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void SetWindow(HWND window) { window_.store(window); }
  // Replaces the loaded module; false leaves none loaded.
  bool Load(const char* file_name);
  bool IsReady();
  // Starts from where playback stands; does nothing while playing or without a module.
  bool Play();
  // Stops and rewinds; returns when the playback thread has ended.
  void Stop();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Run();
  // Renders one block; false at the end of a song that does not loop.
  bool Render(std::int16_t* frames, std::size_t count, std::size_t* rendered);
  void PlayOnDevice(HWAVEOUT device, HANDLE block_done);
  void PlaySilently();
  void DrawMeter(const std::int16_t* frames, std::size_t count);
  void StopLocked();
  void JoinThread();

  const PlayerOptions options_;
  std::atomic<HWND> window_{nullptr};
  std::mutex mutex_;  // serialises the public operations
  // Touched by the playback thread only while it runs; the public operations join it first.
  ModuleRenderer renderer_;
  HANDLE thread_ = nullptr;
  HANDLE stop_event_ = nullptr;
};

}  // namespace npmod32
