#include "moduleplayer.h"

#include <stdexcept>

namespace {

// key|#RRGGBB| when the value has six characters, which are passed on unexamined.
std::string ColourPart(const char* key, const std::string& value) {
  return value.size() == 6 ? std::string(key) + "|#" + value + "|" : std::string();
}

}  // namespace

std::string BuildParameterString(const PlayerParameters& p) {
  std::string bg = ColourPart("bgcolor", p.BackColor);
  if (bg.empty()) bg = "bgcolor|#000000|";
  return bg + ColourPart("vucolor", p.VUColor) + ColourPart("spcolor", p.SPColor) +
         ColourPart("spcolorhi", p.SPColorTop) + ColourPart("vucolorhi", p.VUColorTop) + "hidden|" +
         (p.SpectrumHide ? "true" : "false") + "|Title|" + p.Caption + "|width|" + std::to_string(p.Width) +
         "|height|" + std::to_string(p.Height) + "|loop|" + (p.LoopSong ? "true" : "false") +
         (p.SpectrumStereo ? "|controls|stereo" : "");
}

const ModPlugLibrary& ImportedModPlugLibrary() {
  static const ModPlugLibrary library{ModPlug_CreateEx, ModPlug_SetWindow, ModPlug_Load,    ModPlug_IsReady,
                                      ModPlug_Play,     ModPlug_Stop,      ModPlug_Destroy, ModPlug_GetVersion};
  return library;
}

TModulePlayer::TModulePlayer(HWND window, const ModPlugLibrary& library) : library_(library), window_(window) {}

TModulePlayer::~TModulePlayer() {
  try {
    Deinit();
  } catch (...) {
    // An OnDeinit handler's error cannot leave a destructor.
  }
}

void TModulePlayer::Init() {
  if (PlayerHandle != 0) Deinit();
  PlayerParameters parameters{SpectrumHide, LoopSong,   SpectrumStereo, BackColor, VUColor, SPColor,
                              SPColorTop,   VUColorTop, Caption,        Width,     Height};
  PlayerHandle = library_.CreateEx(BuildParameterString(parameters).c_str());
  library_.SetWindow(PlayerHandle, window_);
  Fire(OnInit);
}

bool TModulePlayer::Load() {
  if (PlayerHandle != 0 && !SongName.empty()) library_.Load(PlayerHandle, SongName.c_str());
  BOOL ready = library_.IsReady(PlayerHandle);
  Fire(OnLoad);
  return (ready & 0xFF) != 0;
}

void TModulePlayer::Play() {
  if (PlayerHandle != 0) library_.Play(PlayerHandle);
}

void TModulePlayer::Stop() {
  if (PlayerHandle == 0) return;
  library_.Stop(PlayerHandle);
  Fire(OnStop);
}

void TModulePlayer::Deinit() {
  if (PlayerHandle == 0) return;
  library_.Destroy(PlayerHandle);
  try {
    Fire(OnDeinit);
  } catch (...) {
    PlayerHandle = 0;  // the instance is gone whatever the handler did
    throw;
  }
  PlayerHandle = 0;
}

std::uint32_t TModulePlayer::DllVersion() const {
  std::int32_t version = library_.GetVersion();
  if (version < 0) throw std::range_error("Range check error");
  return static_cast<std::uint32_t>(version);
}
