#include "player.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace npmod32 {
namespace {

constexpr int kRate = ModuleRenderer::kRate;
constexpr std::size_t kBlockFrames = kRate / 20;  // 50 ms
constexpr std::size_t kBlockCount = 4;
constexpr DWORD kBlockMillis = 50;

COLORREF ToColorRef(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace

Player::Player(const PlayerOptions& options) : options_(options) {}

Player::~Player() { Stop(); }

bool Player::Load(const char* file_name) {
  std::lock_guard lock(mutex_);
  StopLocked();
  return renderer_.LoadFile(file_name, options_.loop);
}

bool Player::IsReady() {
  std::lock_guard lock(mutex_);
  return renderer_.IsLoaded();
}

bool Player::Play() {
  std::lock_guard lock(mutex_);
  if (!renderer_.IsLoaded()) return false;
  if (thread_) {
    if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) return true;
    // The song ran to its end: start it over.
    JoinThread();
    renderer_.Rewind();
  }
  stop_event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!stop_event_) return false;
  // The thread holds its own reference to this library, so it can finish even if the library is freed meanwhile.
  HMODULE self = nullptr;
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&Player::ThreadMain),
                         &self)) {
    thread_ = CreateThread(nullptr, 0, &Player::ThreadMain, this, 0, nullptr);
    if (!thread_) FreeLibrary(self);
  }
  if (!thread_) {
    CloseHandle(stop_event_);
    stop_event_ = nullptr;
    return false;
  }
  return true;
}

void Player::Stop() {
  std::lock_guard lock(mutex_);
  StopLocked();
}

void Player::StopLocked() {
  if (!thread_) return;
  SetEvent(stop_event_);
  JoinThread();
  renderer_.Rewind();
}

void Player::JoinThread() {
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(stop_event_);
  thread_ = nullptr;
  stop_event_ = nullptr;
}

DWORD WINAPI Player::ThreadMain(void* self) {
  static_cast<Player*>(self)->Run();
  // Drops the reference that Play took.
  HMODULE library = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&Player::ThreadMain), &library);
  FreeLibraryAndExitThread(library, 0);
}

void Player::Run() {
  HANDLE block_done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = kRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = kRate * 4;
  HWAVEOUT device = nullptr;
  if (block_done && waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(block_done), 0,
                                CALLBACK_EVENT) == MMSYSERR_NOERROR) {
    PlayOnDevice(device, block_done);
    waveOutClose(device);
  } else {
    // No sound device: the song still runs, in real time and unheard.
    PlaySilently();
  }
  if (block_done) CloseHandle(block_done);
  DrawMeter(nullptr, 0);
}

bool Player::Render(std::int16_t* frames, std::size_t count, std::size_t* rendered) {
  *rendered = renderer_.Render(frames, count);
  DrawMeter(frames, *rendered);
  return *rendered > 0;
}

void Player::PlayOnDevice(HWAVEOUT device, HANDLE block_done) {
  std::array<std::vector<std::int16_t>, kBlockCount> samples;
  std::array<WAVEHDR, kBlockCount> headers{};
  std::array<bool, kBlockCount> queued{};
  bool ended = false;
  auto queue = [&](std::size_t i) {
    std::size_t rendered = 0;
    if (ended || !Render(samples[i].data(), kBlockFrames, &rendered)) {
      ended = true;
      return;
    }
    headers[i].dwBufferLength = static_cast<DWORD>(rendered * 4);
    queued[i] = waveOutWrite(device, &headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  };
  bool prepared = true;
  for (std::size_t i = 0; i < kBlockCount; ++i) {
    samples[i].resize(kBlockFrames * 2);
    headers[i].lpData = reinterpret_cast<LPSTR>(samples[i].data());
    headers[i].dwBufferLength = static_cast<DWORD>(kBlockFrames * 4);
    if (waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) prepared = false;
  }
  if (prepared) {
    for (std::size_t i = 0; i < kBlockCount; ++i) queue(i);
    HANDLE waits[2] = {stop_event_, block_done};
    while (true) {
      bool any_queued = false;
      for (std::size_t i = 0; i < kBlockCount; ++i) {
        if (queued[i] && (headers[i].dwFlags & WHDR_DONE)) {
          queued[i] = false;
          queue(i);
        }
        any_queued = any_queued || queued[i];
      }
      if (!any_queued) break;  // the song ended and its last block has sounded
      // The timeout guards against a driver that fails to signal.
      if (WaitForMultipleObjects(2, waits, FALSE, 4 * kBlockMillis * kBlockCount) == WAIT_OBJECT_0) break;
    }
  }
  waveOutReset(device);
  for (auto& header : headers) {
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
  }
}

void Player::PlaySilently() {
  std::vector<std::int16_t> samples(kBlockFrames * 2);
  std::size_t rendered = 0;
  while (WaitForSingleObject(stop_event_, kBlockMillis) == WAIT_TIMEOUT) {
    if (!Render(samples.data(), kBlockFrames, &rendered)) break;
  }
}

void Player::DrawMeter(const std::int16_t* frames, std::size_t count) {
  HWND window = window_.load();
  if (options_.hidden || !window || !IsWindow(window) || !IsWindowVisible(window)) return;
  std::array<int, 2> peak{};
  for (std::size_t i = 0; i < count * 2; ++i) {
    peak[i % 2] = std::max(peak[i % 2], std::abs(static_cast<int>(frames[i])));
  }
  RECT client;
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return;
  HDC dc = GetDC(window);
  if (!dc) return;
  FillSolid(dc, client, ToColorRef(options_.background));
  // One horizontal bar per channel; the loudest quarter in the top colour.
  const int width = static_cast<int>(client.right);
  const int bar_height = std::max(1, static_cast<int>(client.bottom / 2 - 1));
  for (int channel = 0; channel < 2; ++channel) {
    const int length = static_cast<int>(static_cast<long long>(peak[channel]) * width / 32768);
    const int split = width * 3 / 4;
    const int top = channel * static_cast<int>(client.bottom / 2);
    FillSolid(dc, RECT{0, top, std::min(length, split), top + bar_height}, ToColorRef(options_.meter));
    FillSolid(dc, RECT{split, top, length, top + bar_height}, ToColorRef(options_.meter_top));
  }
  ReleaseDC(window, dc);
}

}  // namespace npmod32
