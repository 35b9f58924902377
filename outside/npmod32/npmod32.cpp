// The library's entry points: a table of player instances by handle.
#include "npmod32.h"

#include <map>
#include <memory>
#include <mutex>
#include <string_view>

#include "player.h"

namespace {

using npmod32::Player;

constexpr std::int32_t kVersion = 0x00010000;  // 1.0

class Registry {
 public:
  ModPlugHandle Add(std::shared_ptr<Player> player) {
    std::lock_guard lock(mutex_);
    // Handles are not reused while the counter lasts, so a stale handle stays unknown.
    while (next_ == 0 || players_.count(next_)) ++next_;
    ModPlugHandle handle = next_++;
    players_[handle] = std::move(player);
    return handle;
  }

  std::shared_ptr<Player> Find(ModPlugHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = players_.find(handle);
    return it == players_.end() ? nullptr : it->second;
  }

  std::shared_ptr<Player> Remove(ModPlugHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = players_.find(handle);
    if (it == players_.end()) return nullptr;
    std::shared_ptr<Player> player = std::move(it->second);
    players_.erase(it);
    return player;
  }

 private:
  std::mutex mutex_;
  std::map<ModPlugHandle, std::shared_ptr<Player>> players_;
  ModPlugHandle next_ = 1;
};

// Never destroyed: at process end the playback threads are already gone and must not be joined.
Registry& Players() {
  static Registry* registry = new Registry;
  return *registry;
}

// No exception may leave the library.
template <typename Action>
BOOL WithPlayer(ModPlugHandle handle, Action action) {
  try {
    std::shared_ptr<Player> player = Players().Find(handle);
    return player && action(*player) ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

ModPlugHandle WINAPI ModPlug_CreateEx(const char* params) {
  try {
    npmod32::PlayerOptions options = npmod32::ParsePlayerOptions(params ? std::string_view(params) : "");
    return Players().Add(std::make_shared<Player>(options));
  } catch (...) {
    return 0;
  }
}

BOOL WINAPI ModPlug_SetWindow(ModPlugHandle handle, HWND window) {
  return WithPlayer(handle, [window](Player& player) {
    player.SetWindow(window);
    return true;
  });
}

BOOL WINAPI ModPlug_Load(ModPlugHandle handle, const char* file_name) {
  return WithPlayer(handle, [file_name](Player& player) { return player.Load(file_name); });
}

BOOL WINAPI ModPlug_IsReady(ModPlugHandle handle) {
  return WithPlayer(handle, [](Player& player) { return player.IsReady(); });
}

BOOL WINAPI ModPlug_Play(ModPlugHandle handle) {
  return WithPlayer(handle, [](Player& player) { return player.Play(); });
}

BOOL WINAPI ModPlug_Stop(ModPlugHandle handle) {
  return WithPlayer(handle, [](Player& player) {
    player.Stop();
    return true;
  });
}

BOOL WINAPI ModPlug_Destroy(ModPlugHandle handle) {
  try {
    std::shared_ptr<Player> player = Players().Remove(handle);
    if (!player) return FALSE;
    player->Stop();
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

std::int32_t WINAPI ModPlug_GetVersion() { return kVersion; }
