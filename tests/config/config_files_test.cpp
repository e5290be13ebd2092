#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "config/config_test_support.h"
#include "config/zrConfig.h"
#include "file/zrFileServer.h"
#include "system/bounded_text.h"
#include "system/folders.h"
#include "system/paths.h"
#include "system/startup.h"
#include "system/trace.h"

namespace {

using zrtest::Utf8;
using zrtest::XmlDocument;

std::string Folder(int kind) {
  char16_t folder[260] = {};
  GetSystemFolder(kind, folder);
  return Utf8(folder);
}

// The player's sections of the block, from the window settings to the reserve.
// Replaces a whole text field, as reading a value does.
template <size_t N>
void SetText(char16_t (&field)[N], const char16_t* text) {
  std::memset(field, 0, sizeof field);
  CopyWide(field, text);
}

bool SamePlayerSettings(const ConfigSettings& a, const ConfigSettings& b) {
  const size_t from = offsetof(ConfigSettings, window);
  const size_t to = offsetof(ConfigSettings, reserve);
  return std::memcmp(reinterpret_cast<const char*>(&a) + from,
                     reinterpret_cast<const char*>(&b) + from, to - from) == 0;
}

class ConfigFiles : public zrtest::ConfigFolderTest {
 protected:
  std::u16string SetupPath(const zrConfig& config) {
    char16_t path[260];
    return config.SetupPath(path, 260);
  }
  void InstallSetup(const zrConfig& config, const std::string& bytes) {
    ASSERT_TRUE(zrtest::WriteLibraryFile(SetupPath(config).c_str(), bytes));
  }
};

TEST_F(ConfigFiles, MissingFilesLeaveTheDefaults) {
  zrtest::TraceCapture traces;
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  ASSERT_EQ(zrConfig::Current(), &config);
  const ConfigSettings& s = *zrConfig::Settings();
  EXPECT_EQ(s.version.ini, 10);
  EXPECT_EQ(s.screen.v_width, 800);
  EXPECT_EQ(s.screen.v_height, 600);
  EXPECT_EQ(s.window.width, 800);
  EXPECT_EQ(s.window.height, 600);
  EXPECT_EQ(s.window.fps, 60);
  EXPECT_EQ(s.texture_definition.size_x, 256);
  EXPECT_EQ(s.texture_definition.size_y, 256);
  EXPECT_EQ(s.texture_definition.vt_x, 0);
  EXPECT_EQ(Utf8(s.folder.default_folder), ".");
  EXPECT_EQ(Utf8(s.info.file), "info.txt");
  EXPECT_EQ(Utf8(s.font.face), "ＭＳ ゴシック");
  for (int32_t volume :
       {s.voice.vol_master, s.voice.vol_bgm, s.voice.vol_se, s.voice.vol_voice, s.voice.vol_play}) {
    EXPECT_EQ(volume, 100);
  }
  EXPECT_EQ(s.etc.cache, 1);
  EXPECT_EQ(s.etc_definition.dragwnd, 1);
  EXPECT_EQ(Utf8(s.etc.picture), Folder(11));
  EXPECT_EQ(Utf8(s.etc.imgimport), Folder(11));
  EXPECT_EQ(Utf8(s.etc.export_folder), Folder(5));
  // No brand and no title: the roaming application data folder itself.
  EXPECT_EQ(Utf8(s.folder.save), Folder(9));
  EXPECT_EQ(Utf8(s.folder.imglib), Folder(9) + "\\imglib");
  // Everything else is zero or empty.
  EXPECT_EQ(s.version.major, 0);
  EXPECT_EQ(s.app.brand[0], 0);
  EXPECT_EQ(s.keys[0].keyboard[0], 0);
  const ConfigSettings zero{};
  EXPECT_EQ(std::memcmp(s.reserve, zero.reserve, sizeof zero.reserve), 0);
  EXPECT_TRUE(config.Languages().empty());

  EXPECT_EQ(std::memcmp(zrConfig::SavedSettings(), &s, sizeof s), 0);
  EXPECT_NE(zrConfig::SavedSettings(), &s);
  EXPECT_EQ(config.ReadSetup(kSetupDisplayPart | kSetupPlayPart), 0);
  EXPECT_EQ(config.ReadGameDefinition(), 0);  // no file server
  EXPECT_EQ(std::memcmp(zrConfig::SavedSettings(), &s, sizeof s), 0);
  EXPECT_TRUE(traces.Texts().empty()) << traces.Texts()[0];
}

TEST_F(ConfigFiles, TheProcessWidePointersFollowTheObject) {
  auto config = std::make_unique<zrConfig>(nullptr, nullptr, kConfigDdeNone);
  EXPECT_EQ(zrConfig::Current(), config.get());
  EXPECT_NE(zrConfig::Settings(), nullptr);
  config.reset();
  EXPECT_EQ(zrConfig::Current(), nullptr);
  EXPECT_EQ(zrConfig::Settings(), nullptr);
  EXPECT_EQ(zrConfig::SavedSettings(), nullptr);

  new zrConfig(nullptr, nullptr, kConfigDdeNone);
  LibraryShutdown();  // destroys the configuration the engine left behind
  SetTraceOutputEnabled(true);
  EXPECT_EQ(zrConfig::Current(), nullptr);
  EXPECT_EQ(zrConfig::Settings(), nullptr);
  ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);  // for the fixture, which shutdown emptied
}

TEST_F(ConfigFiles, ReadsTheGameDefinitionInThreePasses) {
  InstallStartup(zrtest::ConfigData("startup.xml"));
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  const ConfigSettings& s = *zrConfig::Settings();

  // Game definition.
  EXPECT_EQ(s.version.ini, 12);
  EXPECT_EQ(s.version.minor, 3);
  EXPECT_EQ(s.screen.v_width, 1280);
  EXPECT_EQ(s.screen.list[1].w, 1920);
  EXPECT_EQ(s.screen.list[4].h, 360);
  EXPECT_EQ(s.screen.list[2].w, 0);
  EXPECT_EQ(Utf8(s.screen.frameimg), "sys\\frame.hg3");
  EXPECT_EQ(Utf8(s.app.title), "星の記録");
  EXPECT_EQ(Utf8(s.app.mutex_cfg), "TESTGAME_CFG_MUTEX");
  EXPECT_EQ(s.app.iconno, 2);
  EXPECT_EQ(s.app.wndmenu, 1);
  EXPECT_EQ(s.etc_definition.heap, 32);
  EXPECT_EQ(s.etc_definition.dragwnd, 0);
  EXPECT_EQ(Utf8(s.script.replace[1].rep), "港町");
  EXPECT_EQ(Utf8(s.cursor.default_cursor), "arrow.cur");
  EXPECT_EQ(s.cursor.hy, 4);
  EXPECT_EQ(Utf8(s.folder.default_folder), "data");
  EXPECT_EQ(Utf8(s.info.comment), "テスト用の定義");
  EXPECT_EQ(s.texture_definition.size_x, 1024);
  EXPECT_EQ(s.texture_definition.vt_y, 16);
  EXPECT_EQ(s.texture_definition.area[0].bpp16y, 6);
  EXPECT_EQ(s.texture_definition.area[7].sx, 71);
  EXPECT_EQ(s.texture_definition.area[7].bpp16y, 76);
  EXPECT_EQ(s.shader.VERTEX_MI, 1);
  EXPECT_EQ(s.shader.PIXEL_MA, 2);
  EXPECT_EQ(s.shader.PIXEL_MI, 2) << "without PIXEL_MI the minimum is the maximum's value";
  EXPECT_EQ(s.int_archives.need[63], 7);
  EXPECT_EQ(Utf8(s.int_archives.archives[127].archive), "voice.int");
  EXPECT_EQ(Utf8(s.int_archives.archives[127].ext), "ogg");
  EXPECT_EQ(Utf8(s.manual.path), "manual\\index.html");
  EXPECT_EQ(s.config_b.wnd_alpha, 128);
  EXPECT_EQ(s.game_definition.autopriset_char, 11);
  EXPECT_EQ(Utf8(s.game_definition.log_nameformat_last), "】");
  EXPECT_EQ(s.game_definition.log_disp_mes, 1);
  EXPECT_EQ(s.game_definition.flag_max, 4096);
  EXPECT_EQ(s.game_definition.wndcolor_a, 200);
  EXPECT_EQ(s.game_definition.read_color, 0x808080);
  EXPECT_EQ(s.game_definition.readsel_enable, 1);
  EXPECT_EQ(Utf8(s.scene_list.convert_param), "-all");
  EXPECT_EQ(s.language_definition.default_index, 1);
  EXPECT_EQ(Utf8(s.language_definition.prefix), "lang_");
  // Display and device defaults, in the player's fields.
  EXPECT_EQ(s.window.width, 1280);
  EXPECT_EQ(s.window.full_height, 1080);
  EXPECT_EQ(s.window.fps, 30);
  EXPECT_EQ(s.window.camouflage, 1);
  EXPECT_EQ(s.full_screen.wall, 4);
  EXPECT_EQ(s.sound.ds3d, 1);
  EXPECT_EQ(s.texture.bpp, 32);
  EXPECT_EQ(s.texture.mag, 3);
  EXPECT_EQ(s.etc.cache, 0);
  EXPECT_EQ(s.etc.imgcache, 64);
  EXPECT_EQ(s.etc.dualcore, 1);
  // Fonts, keys and voices.
  EXPECT_EQ(Utf8(s.fonts[0].face), "ＭＳ 明朝");
  EXPECT_EQ(s.fonts[0].shadow_rightdown, 1);
  EXPECT_EQ(Utf8(s.fonts[15].face), "Last Face");
  EXPECT_EQ(s.fonts[15].shadow_around, 1);
  EXPECT_EQ(Utf8(s.keys[0].name), "決定");
  EXPECT_EQ(s.keys[0].keyboard[0], 13);
  EXPECT_EQ(s.keys[0].keyboard[3], 32);
  EXPECT_EQ(s.keys[0].joypad[1], 2);
  EXPECT_EQ(s.keys[0].rep_mouse[2], 1);
  EXPECT_EQ(s.keys[0].rep_joypad[3], 1);
  EXPECT_EQ(s.keys[0].rep_touch[1], 1);
  EXPECT_EQ(s.keys[63].hide, 1);
  EXPECT_EQ(Utf8(s.system_voices[0].archive), "sysvoice.int");
  EXPECT_EQ(Utf8(s.system_voices[31].name), "終了");
  // The player's own settings keep their defaults.
  EXPECT_EQ(Utf8(s.font.face), "ＭＳ ゴシック");
  EXPECT_EQ(s.voice.vol_bgm, 100);

  // The lists beside the block.
  ASSERT_EQ(config.Languages().size(), 3u);
  EXPECT_EQ(Utf8(config.Languages()[1].code), "en");
  EXPECT_EQ(Utf8(config.Languages()[2].name), "chinese");
  ASSERT_EQ(config.SoundGroups().size(), 2u);
  EXPECT_EQ(config.SoundGroups()[0].element, "bgm");  // file order
  EXPECT_EQ(Utf8(config.SoundGroups()[0].label), "音楽");
  EXPECT_EQ(config.SoundGroups()[1].min, 10);
  EXPECT_EQ(config.SoundGroups()[1].part, 1);
  ASSERT_EQ(config.Voices().size(), 2u);
  EXPECT_EQ(Utf8(config.Voices()[0].voice), "アリス");
  EXPECT_EQ(Utf8(config.Voices()[0].archive), "voice.int");
  EXPECT_EQ(config.Voices()[0].vol_master, 40);
  EXPECT_EQ(Utf8(config.Voices()[1].head), "bob");
  ASSERT_EQ(config.VoiceTable().size(), 1u);
  EXPECT_EQ(config.VoiceTable()[0].id, 5);
  EXPECT_EQ(config.VoiceTable()[0].is_default, 1);
  EXPECT_EQ(Utf8(config.VoiceTable()[0].dic), "guide.dic");

  EXPECT_EQ(std::memcmp(zrConfig::SavedSettings(), &s, sizeof s), 0);
}

TEST_F(ConfigFiles, SaveFolderIsExpandedAndCreated) {
  InstallStartup(zrtest::ConfigData("startup.xml"));
  {
    zrConfig config(nullptr, nullptr, kConfigDdeNone);
    const ConfigSettings& s = *zrConfig::Settings();
    const std::string save = Folder(9) + "\\TestBrand\\星の記録";
    EXPECT_EQ(Utf8(s.folder.save), save);
    EXPECT_EQ(Utf8(s.folder.imglib), save + "\\album");
    EXPECT_EQ(GetPathKind(s.folder.save), 2);
    EXPECT_EQ(Utf8(SetupPath(config)), save + "\\setup.xml");
  }
  // Without FOLDER keys the defaults follow the brand and the title the file names.
  InstallStartup(XmlDocument("<APP><brand>B2</brand><title>T2</title></APP>"));
  {
    zrConfig config(nullptr, nullptr, kConfigDdeNone);
    EXPECT_EQ(Utf8(zrConfig::Settings()->folder.save), Folder(9) + "\\B2\\T2");
    EXPECT_EQ(Utf8(zrConfig::Settings()->folder.imglib), Folder(9) + "\\B2\\T2\\imglib");
    EXPECT_EQ(GetPathKind(zrConfig::Settings()->folder.save), 2);
  }
  // A save folder the store manages is never made here.
  InstallStartup(XmlDocument("<FOLDER><save>%STEAMUSERDATA%</save></FOLDER>"));
  {
    zrConfig config(nullptr, nullptr, kConfigDdeNone);
    EXPECT_EQ(Utf8(zrConfig::Settings()->folder.save), "%STEAMUSERDATA%");
    EXPECT_EQ(GetPathKind(game_.WidePathOf("%STEAMUSERDATA%").c_str()), 0);
  }
}

TEST_F(ConfigFiles, PixelShaderMinimumHasAKeyOfItsOwn) {
  InstallStartup(XmlDocument("<SHADER><PIXEL_MA>3</PIXEL_MA><PIXEL_MI>1</PIXEL_MI></SHADER>"));
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  EXPECT_EQ(zrConfig::Settings()->shader.PIXEL_MA, 3);
  EXPECT_EQ(zrConfig::Settings()->shader.PIXEL_MI, 1);
}

TEST_F(ConfigFiles, OverlongValuesAreCutAtAWholeCharacter) {
  InstallStartup(XmlDocument("<APP><brand>" + std::string(500, 'b') + "</brand><title>" +
                             std::string(300, 't') + "</title></APP>"));
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  const ConfigSettings& s = *zrConfig::Settings();
  EXPECT_EQ(std::u16string(s.app.brand), std::u16string(127, u'b'));
  EXPECT_EQ(std::u16string(s.app.title), std::u16string(127, u't'));
  EXPECT_EQ(s.app.mutex[0], 0) << "the next field is untouched";
  // The save folder does not fit its field: it is left empty rather than cut into another
  // folder's name, and nothing is made or named from it.
  EXPECT_EQ(s.folder.save[0], 0);
  EXPECT_EQ(s.folder.imglib[0], 0);
  EXPECT_EQ(Utf8(SetupPath(config)), "");
  EXPECT_EQ(config.WriteSetup(kSetupDisplayPart), 0);
}

TEST_F(ConfigFiles, StartupAndGameDefinitionComeThroughTheFileServer) {
  zrtest::TempDir mapped;
  mapped.WriteFile("config/startup.xml", XmlDocument("<APP><brand>Served</brand></APP>"));
  mapped.WriteFile("gamedef/gamedef.xml",
                   XmlDocument("<VOICE><vol_bgm>33</vol_bgm><play02>1</play02></VOICE>"
                               "<MESSAGE><speed>9</speed></MESSAGE><EFFECT><help>1</help></EFFECT>"
                               "<GAME><drawwnd>1</drawwnd></GAME><SYSTEMVOICE><ch05>1</ch05>"
                               "</SYSTEMVOICE><WINDOW><width>1</width></WINDOW>"
                               "<FONT><bold>1</bold></FONT>"));
  InstallStartup(XmlDocument("<APP><brand>OnDisk</brand></APP>"));
  zrFileServer server;
  ASSERT_EQ(server.SetSlotFolder(0, u"game", mapped.WidePath().c_str(), 1), 1);
  ASSERT_EQ(server.SetSlotFolder(1, u"config.int", mapped.WidePathOf("gamedef").c_str(), 1), 1);

  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  ConfigSettings& s = *zrConfig::Settings();
  EXPECT_EQ(Utf8(s.app.brand), "Served");
  ASSERT_EQ(config.ReadGameDefinition(), 1);
  EXPECT_EQ(s.voice.vol_bgm, 33);
  EXPECT_EQ(s.voice.vol_se, 100);
  EXPECT_EQ(s.voice.play[2], 1);
  EXPECT_EQ(s.message.speed, 9);
  EXPECT_EQ(s.effect.help, 1);
  EXPECT_EQ(s.game.drawwnd, 1);
  EXPECT_EQ(s.system_voice.ch[5], 1);
  // Only its five sections apply.
  EXPECT_EQ(s.window.width, 800);
  EXPECT_EQ(s.font.bold, 0);
}

TEST_F(ConfigFiles, StartupFileNamedByTheEngineIsReadFromTheCurrentFolder) {
  game_.WriteFile("own/definition.xml", XmlDocument("<VERSION><major>4</major></VERSION>"));
  zrConfig config(u"own\\definition.xml", u"player.xml", kConfigDdeNone);
  EXPECT_EQ(zrConfig::Settings()->version.major, 4);
  EXPECT_EQ(Utf8(SetupPath(config)), Folder(9) + "\\player.xml");
}

TEST_F(ConfigFiles, SetupIsReadByParts) {
  InstallStartup(zrtest::ConfigData("startup.xml"));
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  InstallSetup(config, zrtest::ConfigData("setup.xml"));
  ConfigSettings& s = *zrConfig::Settings();

  ASSERT_EQ(config.ReadSetup(kSetupPlayPart), 1);
  EXPECT_EQ(s.window.width, 1280) << "part 1 is not read";
  EXPECT_EQ(Utf8(s.font.faceruby), "メイリオ");
  EXPECT_EQ(s.voice.vol_master, 80);
  EXPECT_EQ(s.voice.play[63], 1);
  EXPECT_EQ(s.message.CHAR, 8);
  EXPECT_EQ(s.message.read_color, 0xA0A0A0);
  EXPECT_EQ(s.effect.auto_cds, 3);
  EXPECT_EQ(static_cast<uint32_t>(s.game.wndcolor), 0x80102030u);
  EXPECT_EQ(s.system_voice.ch[31], 1);

  ASSERT_EQ(config.ReadSetup(kSetupDisplayPart), 1);
  EXPECT_EQ(s.window.width, 1600);
  EXPECT_EQ(s.window.topmost, 1);
  EXPECT_EQ(s.texture.bpp, 16);
  EXPECT_EQ(s.sound.stereo, 1);
  EXPECT_EQ(Utf8(s.etc.picture), "D:\\写真");
  EXPECT_EQ(s.d3d.tex_size, 2048);
  EXPECT_EQ(s.full_screen.full_size, 2);
  EXPECT_EQ(s.tts.tone, -2);
  EXPECT_EQ(s.config.type, 1);
  EXPECT_EQ(s.language.id_UI, 2);
  EXPECT_EQ(s.language.id_main, 0);
  EXPECT_EQ(s.language.id_sub, 1) << "index 9 is outside the table: the default index";
  // The saved copy is the block as loaded.
  EXPECT_EQ(zrConfig::SavedSettings()->window.width, 1280);
}

TEST_F(ConfigFiles, WriteSetupRoundTrips) {
  InstallStartup(zrtest::ConfigData("startup.xml"));
  auto config = std::make_unique<zrConfig>(nullptr, nullptr, kConfigDdeNone);
  InstallSetup(*config, zrtest::ConfigData("setup.xml"));
  ASSERT_EQ(config->ReadSetup(kSetupDisplayPart | kSetupPlayPart), 1);
  ConfigSettings& s = *zrConfig::Settings();
  s.window.height = 1000;
  s.voice.play[10] = 1;
  s.etc.export_folder[0] = u'E';
  SetText(s.font.face, u"游ゴシック");
  s.message.read_color = -1;
  ASSERT_EQ(config->WriteSetup(kSetupDisplayPart | kSetupPlayPart), 1);
  const ConfigSettings written = s;
  config.reset();

  zrConfig again(nullptr, nullptr, kConfigDdeNone);
  ASSERT_EQ(again.ReadSetup(kSetupDisplayPart | kSetupPlayPart), 1);
  EXPECT_TRUE(SamePlayerSettings(*zrConfig::Settings(), written));
  EXPECT_EQ(Utf8(zrConfig::Settings()->font.face), "游ゴシック");
  EXPECT_EQ(zrConfig::Settings()->message.read_color, -1);
}

TEST_F(ConfigFiles, WriteSetupKeepsThePartItDoesNotWrite) {
  InstallStartup(zrtest::ConfigData("startup.xml"));
  auto config = std::make_unique<zrConfig>(nullptr, nullptr, kConfigDdeNone);
  InstallSetup(*config, zrtest::ConfigData("setup.xml"));
  zrConfig::Settings()->window.width = 1024;  // the file's play part is not in the block
  ASSERT_EQ(config->WriteSetup(kSetupDisplayPart), 1);
  config.reset();

  zrConfig again(nullptr, nullptr, kConfigDdeNone);
  ASSERT_EQ(again.ReadSetup(kSetupDisplayPart | kSetupPlayPart), 1);
  EXPECT_EQ(zrConfig::Settings()->window.width, 1024);
  EXPECT_EQ(zrConfig::Settings()->message.log_limit, 500);
  EXPECT_EQ(Utf8(zrConfig::Settings()->font.faceruby), "メイリオ");
}

TEST_F(ConfigFiles, WriteSetupWithoutAFileMakesOneAndTellsAValueItCouldNotWrite) {
  InstallStartup(XmlDocument(SaveInGameFolder()));
  zrConfig config(nullptr, nullptr, kConfigDdeNone);
  EXPECT_EQ(GetPathKind(SetupPath(config).c_str()), 0);
  ASSERT_EQ(config.WriteSetup(kSetupPlayPart), 1);
  EXPECT_EQ(GetPathKind(SetupPath(config).c_str()), 1);
  // A tag character would break the file: that value is not written and the result says so.
  CopyWide(zrConfig::Settings()->font.face, u"a<b");
  zrConfig::Settings()->font.bold = 1;
  EXPECT_EQ(config.WriteSetup(kSetupPlayPart), 0);
  CopyWide(zrConfig::Settings()->font.face, u"");
  ASSERT_EQ(config.ReadSetup(kSetupPlayPart), 1);
  EXPECT_EQ(Utf8(zrConfig::Settings()->font.face), "ＭＳ ゴシック");
  EXPECT_EQ(zrConfig::Settings()->font.bold, 1);
}

}  // namespace
