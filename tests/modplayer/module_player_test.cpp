#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "credits_player.h"
#include "moduleplayer.h"
#include "test_support.h"

namespace {

// A stand-in library that writes down every call.
struct FakeState {
  std::vector<std::string> calls;
  ModPlugHandle next_handle = 7;
  BOOL ready = TRUE;
  std::int32_t version = 0x10000;
};
FakeState fake;

template <typename Result>
Result Record(const std::string& call, Result result) {
  fake.calls.push_back(call);
  return result;
}
void Record(const std::string& call) { fake.calls.push_back(call); }
std::string Text(ModPlugHandle h) { return std::to_string(h); }
std::string PointerText(const void* p) { return std::to_string(reinterpret_cast<std::uintptr_t>(p)); }

ModPlugHandle WINAPI FakeCreateEx(const char* params) {
  return Record("CreateEx " + std::string(params), fake.next_handle);
}
BOOL WINAPI FakeSetWindow(ModPlugHandle h, HWND w) { return Record("SetWindow " + Text(h) + " " + PointerText(w), 1); }
BOOL WINAPI FakeLoad(ModPlugHandle h, const char* name) { return Record("Load " + Text(h) + " " + name, 1); }
BOOL WINAPI FakeIsReady(ModPlugHandle h) { return Record("IsReady " + Text(h), fake.ready); }
BOOL WINAPI FakePlay(ModPlugHandle h) { return Record("Play " + Text(h), 1); }
BOOL WINAPI FakeStop(ModPlugHandle h) { return Record("Stop " + Text(h), 1); }
BOOL WINAPI FakeDestroy(ModPlugHandle h) { return Record("Destroy " + Text(h), 1); }
std::int32_t WINAPI FakeGetVersion() { return Record("GetVersion", fake.version); }

const ModPlugLibrary kFake{FakeCreateEx, FakeSetWindow, FakeLoad,    FakeIsReady,
                           FakePlay,     FakeStop,      FakeDestroy, FakeGetVersion};

const HWND kWindow = reinterpret_cast<HWND>(0x1234);

class ModulePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { fake = FakeState(); }

  // Events go into the same list as the library calls, so their order shows.
  void WatchEvents(TModulePlayer& player) {
    player.OnInit = [this](TModulePlayer& sender) { Event(sender, "OnInit"); };
    player.OnLoad = [this](TModulePlayer& sender) { Event(sender, "OnLoad"); };
    player.OnStop = [this](TModulePlayer& sender) { Event(sender, "OnStop"); };
    player.OnDeinit = [this](TModulePlayer& sender) { Event(sender, "OnDeinit"); };
    watched_ = &player;
  }
  void Event(TModulePlayer& sender, const char* name) {
    EXPECT_EQ(&sender, watched_);
    Record(name);
  }

  TModulePlayer* watched_ = nullptr;
};

TEST_F(ModulePlayerTest, StartsWithThePanelDefaultsAndCallsNothing) {
  {
    TModulePlayer player(kWindow, kFake);
    player.Init();
  }
  PlayerParameters panel = CreditsPlayer();  // the same colours
  panel.Caption = "";
  panel.Width = 169;
  panel.Height = 49;
  panel.LoopSong = false;
  EXPECT_EQ(fake.calls[0], "CreateEx " + BuildParameterString(panel));
}

TEST_F(ModulePlayerTest, CreditsWindowLifecycle) {
  {
    TModulePlayer player(kWindow, kFake);
    WatchEvents(player);
    player.Caption = "MOD";
    player.Width = 25;
    player.Height = 25;
    player.LoopSong = true;
    player.SongName = "credits.mod";
    player.Init();
    EXPECT_TRUE(player.Load());
    player.Play();
    player.Stop();
    player.Play();
    player.Stop();
    player.Deinit();
  }
  std::vector<std::string> expected{"CreateEx " + BuildParameterString(CreditsPlayer()),
                                    "SetWindow 7 " + PointerText(kWindow),
                                    "OnInit",
                                    "Load 7 credits.mod",
                                    "IsReady 7",
                                    "OnLoad",
                                    "Play 7",
                                    "Stop 7",
                                    "OnStop",
                                    "Play 7",
                                    "Stop 7",
                                    "OnStop",
                                    "Destroy 7",
                                    "OnDeinit"};  // and nothing more from the destructor
  EXPECT_EQ(fake.calls, expected);
}

TEST_F(ModulePlayerTest, InitTwiceDestroysTheFirstInstance) {
  TModulePlayer player(kWindow, kFake);
  WatchEvents(player);
  player.Init();
  fake.next_handle = 8;
  player.LoopSong = true;  // read anew by the second Init
  fake.calls.clear();
  player.Init();
  ASSERT_EQ(fake.calls.size(), 5u);
  EXPECT_EQ(fake.calls[0], "Destroy 7");
  EXPECT_EQ(fake.calls[1], "OnDeinit");
  EXPECT_NE(fake.calls[2].find("|loop|true"), std::string::npos);
  EXPECT_EQ(fake.calls[3], "SetWindow 8 " + PointerText(kWindow));
  EXPECT_EQ(fake.calls[4], "OnInit");
  fake.calls.clear();
  player.Deinit();
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"Destroy 8", "OnDeinit"}));
}

TEST_F(ModulePlayerTest, NothingHappensWithoutAnInstance) {
  {
    TModulePlayer player(kWindow, kFake);
    WatchEvents(player);
    player.Play();
    player.Stop();
    player.Deinit();
    EXPECT_TRUE(fake.calls.empty());
    player.Init();
    player.Deinit();
    fake.calls.clear();
    player.Deinit();  // the second does nothing
    player.Stop();
    player.Play();
  }
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(ModulePlayerTest, RefusedInstanceStillBindsAndAsksReady) {
  fake.next_handle = 0;
  fake.ready = FALSE;
  {
    TModulePlayer player(nullptr, kFake);
    WatchEvents(player);
    player.SongName = "credits.mod";
    player.Init();
    EXPECT_FALSE(player.Load());
    player.Play();
    player.Stop();
    player.Deinit();
  }
  EXPECT_EQ(fake.calls[1], "SetWindow 0 0");
  EXPECT_EQ(std::vector<std::string>(fake.calls.begin() + 2, fake.calls.end()),
            (std::vector<std::string>{"OnInit", "IsReady 0", "OnLoad"}));
}

TEST_F(ModulePlayerTest, LoadWithoutSongNameStillAsksAndFires) {
  TModulePlayer player(kWindow, kFake);
  WatchEvents(player);
  player.Init();
  fake.calls.clear();
  EXPECT_TRUE(player.Load());
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"IsReady 7", "OnLoad"}));
}

TEST_F(ModulePlayerTest, ReadyIsTestedInItsLowByteOnly) {
  TModulePlayer player(kWindow, kFake);
  player.Init();
  fake.ready = 0x100;
  EXPECT_FALSE(player.Load());
  fake.ready = 0x101;
  EXPECT_TRUE(player.Load());
  fake.ready = -1;
  EXPECT_TRUE(player.Load());
}

TEST_F(ModulePlayerTest, HandleIsClearedEvenWhenOnDeinitFails) {
  TModulePlayer player(kWindow, kFake);
  player.Init();
  player.OnDeinit = [](TModulePlayer&) { throw std::runtime_error("handler"); };
  EXPECT_THROW(player.Deinit(), std::runtime_error);
  fake.calls.clear();
  player.Play();
  player.Deinit();
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(ModulePlayerTest, DllVersionIsAskedAtEveryReadAndRangeChecked) {
  TModulePlayer player(kWindow, kFake);
  fake.version = 0x7FFFFFFF;
  EXPECT_EQ(player.DllVersion(), 0x7FFFFFFFu);
  fake.version = 0;
  EXPECT_EQ(player.DllVersion(), 0u);
  player.SetDllVersion(99);
  EXPECT_EQ(player.DllVersion(), 0u);
  fake.version = -1;
  EXPECT_THROW(player.DllVersion(), std::range_error);
  EXPECT_EQ(fake.calls.size(), 4u);
}

// The component over the real library, with the tune beside the test program.
TEST(ModulePlayerOnLibrary, PlaysTheCreditsTune) {
  std::vector<std::string> events;
  {
    TModulePlayer player;
    player.OnInit = [&](TModulePlayer&) { events.push_back("init"); };
    player.OnLoad = [&](TModulePlayer&) { events.push_back("load"); };
    player.OnStop = [&](TModulePlayer&) { events.push_back("stop"); };
    player.OnDeinit = [&](TModulePlayer&) { events.push_back("deinit"); };
    player.Caption = "MOD";
    player.LoopSong = true;
    player.SongName = "credits.mod";
    player.Init();
    EXPECT_TRUE(player.Load());
    player.Play();
    Sleep(150);
    player.Stop();
    EXPECT_EQ(player.DllVersion(), static_cast<std::uint32_t>(ModPlug_GetVersion()));
    player.SongName = "no such tune.mod";
    EXPECT_FALSE(player.Load());
  }
  EXPECT_EQ(events, (std::vector<std::string>{"init", "load", "stop", "load", "deinit"}));
}

}  // namespace
