#include "config/config_keys.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "system/whole_text.h"
#include "config/xml_key_path.h"

namespace {

constexpr size_t kValueUnits = 4096;  // the longest value a query gives

struct Index {
  int count = 1;
  size_t stride = 0;
};

// A field that is not 32 bits wide cannot hold an integer key: the table would not compile.
constexpr SettingKey Int(const char* path, size_t offset, size_t bytes, Index first = {},
                         Index second = {}) {
  return bytes == sizeof(int32_t)
             ? SettingKey{path,        SettingKind::kInt, offset,       0,
                          first.count, first.stride,      second.count, second.stride}
             : throw "an integer key needs a 32-bit field";
}

constexpr SettingKey Text(const char* path, size_t offset, size_t bytes, Index first = {}) {
  return SettingKey{path,        SettingKind::kText, offset, bytes / sizeof(char16_t),
                    first.count, first.stride,       1,      0};
}

}  // namespace

// The field of the block a row names, with its size; and the run over an array's elements.
#define FIELD(member) \
  offsetof(ConfigSettings, member), sizeof(std::declval<ConfigSettings&>().member)
#define EACH(array)                                                     \
  Index {                                                               \
    static_cast<int>(sizeof(std::declval<ConfigSettings&>().array) /    \
                     sizeof(std::declval<ConfigSettings&>().array[0])), \
        sizeof(std::declval<ConfigSettings&>().array[0])                \
  }

namespace {

constexpr SettingKey kGameDefinition[] = {
    Int("VERSION/ini", FIELD(version.ini)),
    Int("VERSION/major", FIELD(version.major)),
    Int("VERSION/minor", FIELD(version.minor)),
    Int("SCREEN/v_width", FIELD(screen.v_width)),
    Int("SCREEN/v_height", FIELD(screen.v_height)),
    Int("SCREEN/list/type%d/w", FIELD(screen.list[0].w), EACH(screen.list)),
    Int("SCREEN/list/type%d/h", FIELD(screen.list[0].h), EACH(screen.list)),
    Int("SCREEN/no_skip", FIELD(screen.no_skip)),
    Text("SCREEN/frameimg", FIELD(screen.frameimg)),
    Text("APP/brand", FIELD(app.brand)),
    Text("APP/title", FIELD(app.title)),
    Text("APP/mutex", FIELD(app.mutex)),
    Text("APP/mutex_cfg", FIELD(app.mutex_cfg)),
    Text("APP/icon", FIELD(app.icon)),
    Int("APP/iconno", FIELD(app.iconno)),
    Text("APP/banner", FIELD(app.banner)),
    Int("APP/touch", FIELD(app.touch)),
    Int("APP/render_always", FIELD(app.render_always)),
    Int("APP/utfmode", FIELD(app.utfmode)),
    Int("APP/ttstable", FIELD(app.ttstable)),
    Int("APP/dontsave", FIELD(app.dontsave)),
    Int("APP/wndmenu", FIELD(app.wndmenu)),
    Int("ETC/heap", FIELD(etc_definition.heap)),
    Int("ETC/dragwnd", FIELD(etc_definition.dragwnd)),
    Text("SCRIPT/start", FIELD(script.start)),
    Text("SCRIPT/replace/r%02d/find", FIELD(script.replace[0].find), EACH(script.replace)),
    Text("SCRIPT/replace/r%02d/rep", FIELD(script.replace[0].rep), EACH(script.replace)),
    Int("CURSOR/type", FIELD(cursor.type)),
    Int("CURSOR/change", FIELD(cursor.change)),
    Text("CURSOR/default", FIELD(cursor.default_cursor)),
    Int("CURSOR/hx", FIELD(cursor.hx)),
    Int("CURSOR/hy", FIELD(cursor.hy)),
    Int("CURSOR/mode", FIELD(cursor.mode)),
    Text("FOLDER/default", FIELD(folder.default_folder)),
    Text("INFO/file", FIELD(info.file)),
    Text("INFO/comment", FIELD(info.comment)),
    Int("TEXTURE/size/x", FIELD(texture_definition.size_x)),
    Int("TEXTURE/size/y", FIELD(texture_definition.size_y)),
    Int("TEXTURE/vt/x", FIELD(texture_definition.vt_x)),
    Int("TEXTURE/vt/y", FIELD(texture_definition.vt_y)),
    Int("TEXTURE/area%02d/sx", FIELD(texture_definition.area[0].sx), EACH(texture_definition.area)),
    Int("TEXTURE/area%02d/sy", FIELD(texture_definition.area[0].sy), EACH(texture_definition.area)),
    Int("TEXTURE/area%02d/dx", FIELD(texture_definition.area[0].dx), EACH(texture_definition.area)),
    Int("TEXTURE/area%02d/dy", FIELD(texture_definition.area[0].dy), EACH(texture_definition.area)),
    Int("TEXTURE/area%02d/bpp32y", FIELD(texture_definition.area[0].bpp32y),
        EACH(texture_definition.area)),
    Int("TEXTURE/area%02d/bpp16y", FIELD(texture_definition.area[0].bpp16y),
        EACH(texture_definition.area)),
    Int("SHADER/VERTEX_MA", FIELD(shader.VERTEX_MA)),
    Int("SHADER/VERTEX_MI", FIELD(shader.VERTEX_MI)),
    Int("SHADER/PIXEL_MA", FIELD(shader.PIXEL_MA)),
    // The pixel-shader minimum is PIXEL_MI when the file names one, else the maximum's value.
    Int("SHADER/PIXEL_MA", FIELD(shader.PIXEL_MI)),
    Int("SHADER/PIXEL_MI", FIELD(shader.PIXEL_MI)),
    Int("INT/need%02d", FIELD(int_archives.need[0]), EACH(int_archives.need)),
    Text("INT/int%02d/int", FIELD(int_archives.archives[0].archive), EACH(int_archives.archives)),
    Text("INT/int%02d/ext", FIELD(int_archives.archives[0].ext), EACH(int_archives.archives)),
    Text("INT/int%02d/dir", FIELD(int_archives.archives[0].dir), EACH(int_archives.archives)),
    Text("INT/int%02d/name", FIELD(int_archives.archives[0].name), EACH(int_archives.archives)),
    Text("MANUAL/path", FIELD(manual.path)),
    Int("CONFIG_B/font", FIELD(config_b.font)),
    Int("CONFIG_B/sysv", FIELD(config_b.sysv)),
    Int("CONFIG_B/sysconfig", FIELD(config_b.sysconfig)),
    Int("CONFIG_B/autoselect", FIELD(config_b.autoselect)),
    Int("CONFIG_B/smp_wndalpha", FIELD(config_b.smp_wndalpha)),
    Int("CONFIG_B/wnd_alpha", FIELD(config_b.wnd_alpha)),
    Int("CONFIG_B/view3d", FIELD(config_b.view3d)),
    Int("GAME/enabledrag", FIELD(game_definition.enabledrag)),
    Int("GAME/strframe_count", FIELD(game_definition.strframe_count)),
    Int("GAME/strframe_frame", FIELD(game_definition.strframe_frame)),
    Int("GAME/autoframe_count", FIELD(game_definition.autoframe_count)),
    Int("GAME/disp_frame", FIELD(game_definition.disp_frame)),
    Int("GAME/enablefullskip", FIELD(game_definition.enablefullskip)),
    Int("GAME/autopriset/base", FIELD(game_definition.autopriset_base)),
    Int("GAME/autopriset/char", FIELD(game_definition.autopriset_char)),
    Int("GAME/log/col", FIELD(game_definition.log_col)),
    Int("GAME/log/prof", FIELD(game_definition.log_prof)),
    Int("GAME/log/nameline", FIELD(game_definition.log_nameline)),
    Text("GAME/log/nameformat/first", FIELD(game_definition.log_nameformat_first)),
    Text("GAME/log/nameformat/last", FIELD(game_definition.log_nameformat_last)),
    Int("GAME/log/nameindent", FIELD(game_definition.log_nameindent)),
    Int("GAME/log/disp/mes", FIELD(game_definition.log_disp_mes)),
    Int("GAME/log/space", FIELD(game_definition.log_space)),
    Int("GAME/log/escape", FIELD(game_definition.log_escape)),
    Int("GAME/log/cr_next", FIELD(game_definition.log_cr_next)),
    Int("GAME/log/limit", FIELD(game_definition.log_limit)),
    Int("GAME/flag/max", FIELD(game_definition.flag_max)),
    Int("GAME/flag/start", FIELD(game_definition.flag_start)),
    Int("GAME/flag/count", FIELD(game_definition.flag_count)),
    Int("GAME/wndcolor/r", FIELD(game_definition.wndcolor_r)),
    Int("GAME/wndcolor/g", FIELD(game_definition.wndcolor_g)),
    Int("GAME/wndcolor/b", FIELD(game_definition.wndcolor_b)),
    Int("GAME/wndcolor/a", FIELD(game_definition.wndcolor_a)),
    Int("GAME/read/color", FIELD(game_definition.read_color)),
    Int("GAME/read/enable", FIELD(game_definition.read_enable)),
    Int("GAME/skipspeed", FIELD(game_definition.skipspeed)),
    Int("GAME/string/wipe", FIELD(game_definition.string_wipe)),
    Int("GAME/ctrlmode", FIELD(game_definition.ctrlmode)),
    Int("GAME/autoleft", FIELD(game_definition.autoleft)),
    Int("GAME/readsel/enable", FIELD(game_definition.readsel_enable)),
    Int("GAME/autoselect", FIELD(game_definition.autoselect)),
    Int("SCENELIST/convert/current", FIELD(scene_list.convert_current)),
    Text("SCENELIST/convert/command", FIELD(scene_list.convert_command)),
    Text("SCENELIST/convert/param", FIELD(scene_list.convert_param)),
    Int("language/default", FIELD(language_definition.default_index)),
    Text("language/code", FIELD(language_definition.code)),
    Int("language/enable_sub", FIELD(language_definition.enable_sub)),
    Int("language/OPTTABLE", FIELD(language_definition.OPTTABLE)),
    Text("language/prefix", FIELD(language_definition.prefix)),
    Text("language/lang", FIELD(language_definition.lang)),
    Int("language/accel", FIELD(language_definition.accel)),
    Int("language/accelsub", FIELD(language_definition.accelsub)),
};

constexpr SettingKey kDisplayDefaults[] = {
    Int("SCREEN/width", FIELD(window.width)),
    Int("SCREEN/height", FIELD(window.height)),
    Int("SCREEN/full_width", FIELD(window.full_width)),
    Int("SCREEN/full_height", FIELD(window.full_height)),
    Int("SCREEN/limit", FIELD(window.limit)),
    Int("SCREEN/fps", FIELD(window.fps)),
    Int("SCREEN/full_size", FIELD(full_screen.full_size)),
    Int("SCREEN/full_pos", FIELD(full_screen.full_pos)),
    Int("SCREEN/mw_pos", FIELD(full_screen.mw_pos)),
    Int("SCREEN/wall", FIELD(full_screen.wall)),
    Int("SCREEN/no_full_res", FIELD(full_screen.no_full_res)),
    Int("GENERAL/screensaver", FIELD(window.screensaver)),
    Int("GENERAL/camouflage", FIELD(window.camouflage)),
    Int("SOUND/use3d", FIELD(sound.ds3d)),
    Int("SOUND/sticky", FIELD(sound.sticky)),
    Int("TEXTURE/bpp", FIELD(texture.bpp)),
    Int("TEXTURE/filter_min", FIELD(texture.min)),
    Int("TEXTURE/filter_mag", FIELD(texture.mag)),
    Int("TEXTURE/dither", FIELD(texture.dither)),
    Int("ETC/cache", FIELD(etc.cache)),
    Int("APP/imgcache", FIELD(etc.imgcache)),
    Int("APP/dualcore", FIELD(etc.dualcore)),
};

constexpr SettingKey kFontKeyVoice[] = {
    Text("FONT/f%02d/face", FIELD(fonts[0].face), EACH(fonts)),
    Text("FONT/f%02d/faceruby", FIELD(fonts[0].faceruby), EACH(fonts)),
    Int("FONT/f%02d/shadow/rightdown", FIELD(fonts[0].shadow_rightdown), EACH(fonts)),
    Int("FONT/f%02d/shadow/around", FIELD(fonts[0].shadow_around), EACH(fonts)),
    Text("KEYCUSTOMIZE/key%02d/name", FIELD(keys[0].name), EACH(keys)),
    Int("KEYCUSTOMIZE/key%02d/keyboard%d", FIELD(keys[0].keyboard[0]), EACH(keys),
        EACH(keys[0].keyboard)),
    Int("KEYCUSTOMIZE/key%02d/mouse%d", FIELD(keys[0].mouse[0]), EACH(keys), EACH(keys[0].mouse)),
    Int("KEYCUSTOMIZE/key%02d/joypad%d", FIELD(keys[0].joypad[0]), EACH(keys),
        EACH(keys[0].joypad)),
    Int("KEYCUSTOMIZE/key%02d/touch%d", FIELD(keys[0].touch[0]), EACH(keys), EACH(keys[0].touch)),
    Int("KEYCUSTOMIZE/key%02d/rep_keyboard%d", FIELD(keys[0].rep_keyboard[0]), EACH(keys),
        EACH(keys[0].rep_keyboard)),
    Int("KEYCUSTOMIZE/key%02d/rep_mouse%d", FIELD(keys[0].rep_mouse[0]), EACH(keys),
        EACH(keys[0].rep_mouse)),
    Int("KEYCUSTOMIZE/key%02d/rep_joypad%d", FIELD(keys[0].rep_joypad[0]), EACH(keys),
        EACH(keys[0].rep_joypad)),
    Int("KEYCUSTOMIZE/key%02d/rep_touch%d", FIELD(keys[0].rep_touch[0]), EACH(keys),
        EACH(keys[0].rep_touch)),
    Int("KEYCUSTOMIZE/key%02d/hide", FIELD(keys[0].hide), EACH(keys)),
    Text("SYSTEMVOICE/ch%02d/name", FIELD(system_voices[0].name), EACH(system_voices)),
    Int("SYSTEMVOICE/ch%02d/play", FIELD(system_voices[0].play), EACH(system_voices)),
    Text("SYSTEMVOICE/ch%02d/int", FIELD(system_voices[0].archive), EACH(system_voices)),
};

constexpr SettingKey kSetupDisplay[] = {
    Int("WINDOW/width", FIELD(window.width)),
    Int("WINDOW/height", FIELD(window.height)),
    Int("WINDOW/full_width", FIELD(window.full_width)),
    Int("WINDOW/full_height", FIELD(window.full_height)),
    Int("WINDOW/full_wide", FIELD(window.full_wide)),
    Int("WINDOW/fps", FIELD(window.fps)),
    Int("WINDOW/mode", FIELD(window.mode)),
    Int("WINDOW/bpp", FIELD(window.bpp)),
    Int("WINDOW/limit", FIELD(window.limit)),
    Int("WINDOW/fullscreen", FIELD(window.fullscreen)),
    Int("WINDOW/setmode", FIELD(window.setmode)),
    Int("WINDOW/cursor_mode", FIELD(window.cursor_mode)),
    Int("WINDOW/screensaver", FIELD(window.screensaver)),
    Int("WINDOW/camouflage", FIELD(window.camouflage)),
    Int("WINDOW/out_info", FIELD(window.out_info)),
    Int("WINDOW/topmost", FIELD(window.topmost)),
    Int("TEXTURE/bpp", FIELD(texture.bpp)),
    Int("TEXTURE/min", FIELD(texture.min)),
    Int("TEXTURE/mag", FIELD(texture.mag)),
    Int("TEXTURE/dither", FIELD(texture.dither)),
    Int("SOUND/ds3d", FIELD(sound.ds3d)),
    Int("SOUND/sticky", FIELD(sound.sticky)),
    Int("SOUND/stereo", FIELD(sound.stereo)),
    Int("ETC/cache", FIELD(etc.cache)),
    Int("ETC/imgcache", FIELD(etc.imgcache)),
    Int("ETC/dualcore", FIELD(etc.dualcore)),
    Int("ETC/disablemovie", FIELD(etc.disablemovie)),
    Int("ETC/disablepixelshader", FIELD(etc.disablepixelshader)),
    Int("ETC/waitd3dcommand", FIELD(etc.waitd3dcommand)),
    Text("ETC/picture", FIELD(etc.picture)),
    Text("ETC/export", FIELD(etc.export_folder)),
    Text("ETC/imgimport", FIELD(etc.imgimport)),
    Int("DEPEND/gdi_cap", FIELD(depend.gdi_cap)),
    Int("DEPEND/z32", FIELD(depend.z32)),
    Int("DEPEND/use_z", FIELD(depend.use_z)),
    Int("D3D/backbuffer", FIELD(d3d.backbuffer)),
    Int("D3D/hardTnL", FIELD(d3d.hardTnL)),
    Int("D3D/light", FIELD(d3d.light)),
    Int("D3D/vsync", FIELD(d3d.vsync)),
    Int("D3D/antialias", FIELD(d3d.antialias)),
    Int("D3D/fogtype", FIELD(d3d.fogtype)),
    Int("D3D/tex_size", FIELD(d3d.tex_size)),
    Int("D3D/tex_comp", FIELD(d3d.tex_comp)),
    Int("FULL_SCREEN/full_size", FIELD(full_screen.full_size)),
    Int("FULL_SCREEN/full_pos", FIELD(full_screen.full_pos)),
    Int("FULL_SCREEN/mw_pos", FIELD(full_screen.mw_pos)),
    Int("FULL_SCREEN/wall", FIELD(full_screen.wall)),
    Int("FULL_SCREEN/no_full_res", FIELD(full_screen.no_full_res)),
    Int("language/id/UI", FIELD(language.id_UI)),
    Int("language/id/main", FIELD(language.id_main)),
    Int("language/id/sub", FIELD(language.id_sub)),
    Int("TTS/id", FIELD(tts.id)),
    Int("TTS/speed", FIELD(tts.speed)),
    Int("TTS/tone", FIELD(tts.tone)),
    Int("CONFIG/type", FIELD(config.type)),
};

constexpr SettingKey kSetupPlay[] = {
    Text("FONT/face", FIELD(font.face)),
    Text("FONT/faceruby", FIELD(font.faceruby)),
    Int("FONT/shadow/rightdown", FIELD(font.shadow_rightdown)),
    Int("FONT/shadow/around", FIELD(font.shadow_around)),
    Int("FONT/bold", FIELD(font.bold)),
    Int("FONT/proportional", FIELD(font.proportional)),
    Int("FONT/fixed", FIELD(font.fixed)),
    Int("KEY/enable_joypad", FIELD(key.enable_joypad)),
    Int("VOICE/vol_bgm", FIELD(voice.vol_bgm)),
    Int("VOICE/vol_se", FIELD(voice.vol_se)),
    Int("VOICE/vol_voice", FIELD(voice.vol_voice)),
    Int("VOICE/vol_play", FIELD(voice.vol_play)),
    Int("VOICE/vol_master", FIELD(voice.vol_master)),
    Int("VOICE/play%02d", FIELD(voice.play[0]), EACH(voice.play)),
    Int("VOICE/cont_voice", FIELD(voice.cont_voice)),
    Int("VOICE/mute_master", FIELD(voice.mute_master)),
    Int("VOICE/mute_bgm", FIELD(voice.mute_bgm)),
    Int("VOICE/mute_se", FIELD(voice.mute_se)),
    Int("VOICE/mute_voice", FIELD(voice.mute_voice)),
    Int("VOICE/mute_play", FIELD(voice.mute_play)),
    Int("MESSAGE/speed", FIELD(message.speed)),
    Int("MESSAGE/auto_p", FIELD(message.auto_p)),
    Int("MESSAGE/base", FIELD(message.base)),
    Int("MESSAGE/CHAR", FIELD(message.CHAR)),
    Int("MESSAGE/ind", FIELD(message.ind)),
    Int("MESSAGE/cont", FIELD(message.cont)),
    Int("MESSAGE/still", FIELD(message.still)),
    Int("MESSAGE/waitpcm", FIELD(message.waitpcm)),
    Int("MESSAGE/skip_full", FIELD(message.skip_full)),
    Int("MESSAGE/log_limit", FIELD(message.log_limit)),
    Int("MESSAGE/enable_read", FIELD(message.enable_read)),
    Int("MESSAGE/read_color", FIELD(message.read_color)),
    Int("MESSAGE/skipspeed", FIELD(message.skipspeed)),
    Int("MESSAGE/contskip", FIELD(message.contskip)),
    Int("MESSAGE/wipe", FIELD(message.wipe)),
    Int("MESSAGE/ctrlmode", FIELD(message.ctrlmode)),
    Int("MESSAGE/autoleft", FIELD(message.autoleft)),
    Int("MESSAGE/enable_read_sel", FIELD(message.enable_read_sel)),
    Int("EFFECT/speed", FIELD(effect.speed)),
    Int("EFFECT/help", FIELD(effect.help)),
    Int("EFFECT/auto_c", FIELD(effect.auto_c)),
    Int("EFFECT/auto_cd", FIELD(effect.auto_cd)),
    Int("EFFECT/auto_cds", FIELD(effect.auto_cds)),
    Int("EFFECT/dramatic", FIELD(effect.dramatic)),
    Int("EFFECT/skipdraw", FIELD(effect.skipdraw)),
    Int("EFFECT/skipmot", FIELD(effect.skipmot)),
    Int("GAME/wndcolor", FIELD(game.wndcolor)),
    Int("GAME/enabledrag", FIELD(game.enabledrag)),
    Int("GAME/drawwnd", FIELD(game.drawwnd)),
    Int("GAME/autoselect", FIELD(game.autoselect)),
    Int("GAME/always_active", FIELD(game.always_active)),
    Int("GAME/enable_scene_anm", FIELD(game.enable_scene_anm)),
    Int("GAME/use_scene_skip", FIELD(game.use_scene_skip)),
    Int("GAME/use_jtalk", FIELD(game.use_jtalk)),
    Int("SYSTEMVOICE/ch%02d", FIELD(system_voice.ch[0]), EACH(system_voice.ch)),
};

#undef FIELD
#undef EACH

template <size_t N>
SettingKeyList ListOf(const SettingKey (&keys)[N]) {
  return SettingKeyList{keys, N};
}

bool InSection(const SettingKey& key, const char* section) {
  const size_t length = std::strlen(section);
  return std::strncmp(key.path, section, length) == 0 && key.path[length] == '/';
}

}  // namespace

SettingKeyList GameDefinitionKeys() {
  return ListOf(kGameDefinition);
}
SettingKeyList DisplayDefaultKeys() {
  return ListOf(kDisplayDefaults);
}
SettingKeyList FontKeyVoiceKeys() {
  return ListOf(kFontKeyVoice);
}
SettingKeyList SetupDisplayKeys() {
  return ListOf(kSetupDisplay);
}
SettingKeyList SetupPlayKeys() {
  return ListOf(kSetupPlay);
}

void ReadSettingKeys(const zrXml& xml, SettingKeyList keys, ConfigSettings& settings,
                     const char* section) {
  auto* block = reinterpret_cast<uint8_t*>(&settings);
  for (const SettingKey& key : keys) {
    if (section && !InSection(key, section)) continue;
    ForEachSettingField(key, block, [&xml, &key](const std::string& path, uint8_t* field) {
      if (key.kind == SettingKind::kInt) {
        int32_t value;
        std::memcpy(&value, field, sizeof value);
        value = WithKeyPath(path, [&](zrXml::Keys names) { return xml.ReadInt(value, names); });
        std::memcpy(field, &value, sizeof value);
      } else {
        // A value found replaces the whole field, so that no byte of the old text stays behind
        // its end; a missing one keeps the field.
        std::u16string value(kValueUnits, u'\0');
        const int found = WithKeyPath(path, [&](zrXml::Keys names) {
          return xml.ReadString(value.data(), value.size(), u"", names);
        });
        if (found) {
          std::memset(field, 0, key.units * sizeof(char16_t));
          CopyWholeWide(reinterpret_cast<char16_t*>(field), key.units, value.c_str());
        }
      }
    });
  }
}

int WriteSettingKeys(zrXml& xml, SettingKeyList keys, const ConfigSettings& settings) {
  const auto* block = reinterpret_cast<const uint8_t*>(&settings);
  int all = 1;
  for (const SettingKey& key : keys) {
    ForEachSettingField(
        key, block, [&xml, &key, &all](const std::string& path, const uint8_t* field) {
          const int taken = WithKeyPath(path, [&](zrXml::Keys names) {
            if (key.kind == SettingKind::kText) {
              return xml.WriteString(reinterpret_cast<const char16_t*>(field), names);
            }
            int32_t value;
            std::memcpy(&value, field, sizeof value);
            return xml.WriteInt(value, names);
          });
          if (!taken) all = 0;
        });
  }
  return all;
}

void TerminateSettingTexts(ConfigSettings& settings) {
  auto* block = reinterpret_cast<uint8_t*>(&settings);
  for (SettingKeyList keys :
       {GameDefinitionKeys(), FontKeyVoiceKeys(), SetupDisplayKeys(), SetupPlayKeys()}) {
    for (const SettingKey& key : keys) {
      if (key.kind != SettingKind::kText) continue;
      ForEachSettingField(key, block, [&key](const std::string&, uint8_t* field) {
        reinterpret_cast<char16_t*>(field)[key.units - 1] = 0;
      });
    }
  }
  settings.folder.save[kConfigPathUnits - 1] = 0;
  settings.folder.imglib[kConfigPathUnits - 1] = 0;
}
