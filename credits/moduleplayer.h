#pragma once
// TModulePlayer: a panel that wraps one player instance of npmod32.dll and plays a tracker module.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "npmod32.h"

// The values that go into the player library's parameter string.
struct PlayerParameters {
  bool SpectrumHide = false;
  bool LoopSong = false;
  bool SpectrumStereo = false;
  std::string BackColor, VUColor, SPColor, SPColorTop, VUColorTop;
  std::string Caption;
  int Width = 0;
  int Height = 0;
};

// "bgcolor|#000000|vucolor|#00FF00|...|loop|true": keys and values separated by "|", none at the end.
std::string BuildParameterString(const PlayerParameters& parameters);

// The library's entry points; tests put their own in place of the imported ones.
struct ModPlugLibrary {
  ModPlugHandle(WINAPI* CreateEx)(const char* params);
  BOOL(WINAPI* SetWindow)(ModPlugHandle handle, HWND window);
  BOOL(WINAPI* Load)(ModPlugHandle handle, const char* file_name);
  BOOL(WINAPI* IsReady)(ModPlugHandle handle);
  BOOL(WINAPI* Play)(ModPlugHandle handle);
  BOOL(WINAPI* Stop)(ModPlugHandle handle);
  BOOL(WINAPI* Destroy)(ModPlugHandle handle);
  std::int32_t(WINAPI* GetVersion)();
};

// npmod32.dll as imported when the program loads.
const ModPlugLibrary& ImportedModPlugLibrary();

class TModulePlayer {
 public:
  using TNotifyEvent = std::function<void(TModulePlayer& Sender)>;

  // window: the panel's window, which the library instance is bound to; the player creates none itself.
  // library must outlive the player.
  explicit TModulePlayer(HWND window = nullptr, const ModPlugLibrary& library = ImportedModPlugLibrary());
  ~TModulePlayer();
  TModulePlayer(const TModulePlayer&) = delete;
  TModulePlayer& operator=(const TModulePlayer&) = delete;

  void SetWindowHandle(HWND window) { window_ = window; }

  // Creates a fresh library instance from the current property values.
  void Init();
  // Loads SongName; true when the instance reports ready.
  bool Load();
  void Play();
  void Stop();
  void Deinit();

  // The library's version, asked anew each time; std::range_error when the library reports a negative one.
  std::uint32_t DllVersion() const;
  void SetDllVersion(std::uint32_t) {}

  // Published properties, read by Init and Load only.
  bool SpectrumHide = false;
  bool LoopSong = false;
  bool SpectrumStereo = false;
  std::string SongName;
  bool Seek = false;
  TNotifyEvent OnLoad;
  TNotifyEvent OnDeinit;
  TNotifyEvent OnInit;
  TNotifyEvent OnStop;
  std::string BackColor = "000000";
  std::string VUColor = "00FF00";
  std::string SPColor = "FF0000";
  std::string VUColorTop = "FF0000";
  std::string SPColorTop = "FFFF00";

  // The panel's own properties, until the player is a panel of the toolkit.
  std::string Caption;
  int Width = 169;
  int Height = 49;

 private:
  void Fire(const TNotifyEvent& event) {
    if (event) event(*this);
  }

  const ModPlugLibrary& library_;
  HWND window_;
  ModPlugHandle PlayerHandle = 0;
};
