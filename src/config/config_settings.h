// The engine's settings block: the game definition (config\startup.xml) and the player's settings
// (setup.xml) as one flat record of 82,328 bytes. The block is exchanged byte for byte between
// processes of the same program, so its layout is fixed: 32-bit integers and UTF-16 texts in
// fixed arrays only (no pointers), little-endian, with a named reserve that keeps the size.
//
// Each field is named after its key. Sections of the game definition and of the player's settings
// are separate structs. The game definition's display and device keys (SCREEN width ... fps,
// full_size ... no_full_res, GENERAL, SOUND, TEXTURE bpp / filter_min / filter_mag / dither,
// ETC cache, APP imgcache / dualcore) have no field of their own: they are read into the
// player's fields as the defaults that setup.xml may override.
//
// Indexed keys: SCREEN list/type0..4; TEXTURE area00..07; INT need00..63 and int00..127; SCRIPT
// replace/r00..31; FONT f00..15; KEYCUSTOMIZE key00..63 with keyboard0..3 and the like; SYSTEMVOICE
// ch00..31; the player's VOICE play00..63 and SYSTEMVOICE ch00..31 (a play switch per channel).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr size_t kConfigSettingsBytes = 82328;
constexpr size_t kConfigPathUnits = 260;
constexpr size_t kConfigNameUnits = 32;

// ---- Game definition (config\startup.xml) ----

struct ConfigVersion {
  int32_t ini;  // default 10
  int32_t major;
  int32_t minor;
};

struct ConfigScreenType {
  int32_t w;
  int32_t h;
};

struct ConfigScreen {
  int32_t v_width;   // default 800
  int32_t v_height;  // default 600
  ConfigScreenType list[5];
  int32_t no_skip;
  char16_t frameimg[kConfigPathUnits];
};

struct ConfigApp {
  char16_t brand[128];
  char16_t title[128];
  char16_t mutex[64];
  char16_t mutex_cfg[64];
  char16_t icon[kConfigPathUnits];
  int32_t iconno;
  char16_t banner[kConfigPathUnits];
  int32_t touch;
  int32_t render_always;
  int32_t utfmode;
  int32_t ttstable;
  int32_t dontsave;
  int32_t wndmenu;
};

struct ConfigEtcDefinition {
  int32_t heap;
  int32_t dragwnd;  // default 1
};

struct ConfigScriptReplace {
  char16_t find[64];
  char16_t rep[64];
};

struct ConfigScript {
  char16_t start[kConfigPathUnits];
  ConfigScriptReplace replace[32];
};

struct ConfigCursor {
  int32_t type;
  int32_t change;
  char16_t default_cursor[64];  // key "default"
  int32_t hx;
  int32_t hy;
  int32_t mode;
};

struct ConfigFolder {
  char16_t save[kConfigPathUnits];            // placeholders expanded
  char16_t imglib[kConfigPathUnits];          // placeholders expanded
  char16_t default_folder[kConfigPathUnits];  // key "default", default "."
};

struct ConfigInfo {
  char16_t file[kConfigPathUnits];  // default "info.txt"
  char16_t comment[256];
};

struct ConfigTextureArea {
  int32_t sx;
  int32_t sy;
  int32_t dx;
  int32_t dy;
  int32_t bpp32y;
  int32_t bpp16y;
};

struct ConfigTextureDefinition {
  int32_t size_x;  // default 256
  int32_t size_y;  // default 256
  int32_t vt_x;
  int32_t vt_y;
  ConfigTextureArea area[8];
};

struct ConfigShader {
  int32_t VERTEX_MA;
  int32_t VERTEX_MI;
  int32_t PIXEL_MA;
  int32_t PIXEL_MI;  // from PIXEL_MI when the file has it, else PIXEL_MA
};

struct ConfigArchive {
  char16_t archive[kConfigNameUnits];  // key "int"
  char16_t ext[8];
  char16_t dir[kConfigNameUnits];
  char16_t name[kConfigNameUnits];
};

struct ConfigInt {
  int32_t need[64];
  ConfigArchive archives[128];
};

struct ConfigManual {
  char16_t path[kConfigPathUnits];
};

struct ConfigConfigB {
  int32_t font;
  int32_t sysv;
  int32_t sysconfig;
  int32_t autoselect;
  int32_t smp_wndalpha;
  int32_t wnd_alpha;
  int32_t view3d;
};

struct ConfigGameDefinition {
  int32_t strframe_count;
  int32_t strframe_frame;
  int32_t autoframe_count;
  int32_t disp_frame;
  int32_t enablefullskip;
  int32_t autopriset_base;
  int32_t autopriset_char;
  int32_t log_col;
  int32_t log_prof;
  int32_t log_nameline;
  char16_t log_nameformat_first[16];
  char16_t log_nameformat_last[16];
  int32_t log_nameindent;
  int32_t log_disp_mes;
  int32_t log_space;
  int32_t log_escape;
  int32_t log_cr_next;
  int32_t log_limit;
  int32_t flag_max;
  int32_t flag_start;
  int32_t flag_count;
  int32_t wndcolor_r;
  int32_t wndcolor_g;
  int32_t wndcolor_b;
  int32_t wndcolor_a;
  int32_t read_color;
  int32_t read_enable;
  int32_t skipspeed;
  int32_t string_wipe;
  int32_t ctrlmode;
  int32_t autoleft;
  int32_t readsel_enable;
  int32_t autoselect;
  int32_t enabledrag;
};

struct ConfigSceneList {
  int32_t convert_current;
  char16_t convert_command[64];
  char16_t convert_param[64];
};

struct ConfigLanguageDefinition {
  int32_t default_index;  // key "default": the language used for an index outside the table
  char16_t code[16];
  int32_t enable_sub;
  int32_t OPTTABLE;
  char16_t prefix[kConfigNameUnits];
  char16_t lang[kConfigNameUnits];
  int32_t accel;
  int32_t accelsub;
};

struct ConfigFontDefinition {
  char16_t face[kConfigNameUnits];
  char16_t faceruby[kConfigNameUnits];
  int32_t shadow_rightdown;
  int32_t shadow_around;
};

struct ConfigKeyDefinition {
  char16_t name[kConfigNameUnits];
  int32_t keyboard[4];
  int32_t mouse[4];
  int32_t joypad[4];
  int32_t touch[4];
  int32_t rep_keyboard[4];
  int32_t rep_mouse[4];
  int32_t rep_joypad[4];
  int32_t rep_touch[4];
  int32_t hide;
};

struct ConfigSystemVoiceChannel {
  char16_t name[kConfigNameUnits];
  int32_t play;
  char16_t archive[kConfigNameUnits];  // key "int"
};

// ---- Player settings (setup.xml), part 1: display, sound device and language ----

struct ConfigWindow {
  int32_t width;   // default 800
  int32_t height;  // default 600
  int32_t full_width;
  int32_t full_height;
  int32_t full_wide;
  int32_t fps;  // default 60
  int32_t mode;
  int32_t bpp;
  int32_t limit;
  int32_t fullscreen;
  int32_t setmode;
  int32_t cursor_mode;
  int32_t screensaver;
  int32_t camouflage;
  int32_t out_info;
  int32_t topmost;
};

struct ConfigTexture {
  int32_t bpp;
  int32_t min;
  int32_t mag;
  int32_t dither;
};

struct ConfigSound {
  int32_t ds3d;
  int32_t sticky;
  int32_t stereo;
};

struct ConfigEtc {
  int32_t cache;  // default 1
  int32_t imgcache;
  int32_t dualcore;
  int32_t disablemovie;
  int32_t disablepixelshader;
  int32_t waitd3dcommand;
  char16_t picture[kConfigPathUnits];        // default: the user's pictures folder
  char16_t export_folder[kConfigPathUnits];  // key "export"; default: the user's documents
  char16_t imgimport[kConfigPathUnits];      // default: the user's pictures folder
};

struct ConfigDepend {
  int32_t gdi_cap;
  int32_t z32;
  int32_t use_z;
};

struct ConfigD3D {
  int32_t backbuffer;
  int32_t hardTnL;
  int32_t light;
  int32_t vsync;
  int32_t antialias;
  int32_t fogtype;
  int32_t tex_size;
  int32_t tex_comp;
};

struct ConfigFullScreen {
  int32_t full_size;
  int32_t full_pos;
  int32_t mw_pos;
  int32_t wall;
  int32_t no_full_res;
};

struct ConfigLanguage {
  int32_t id_UI;
  int32_t id_main;
  int32_t id_sub;
};

struct ConfigTts {
  int32_t id;
  int32_t speed;
  int32_t tone;
};

struct ConfigConfig {
  int32_t type;
};

// ---- Player settings, part 2: font, key, voice, message, effect and game ----

struct ConfigFont {
  char16_t face[kConfigNameUnits];  // default "ＭＳ ゴシック"
  char16_t faceruby[kConfigNameUnits];
  int32_t shadow_rightdown;
  int32_t shadow_around;
  int32_t bold;
  int32_t proportional;
  int32_t fixed;
};

struct ConfigKey {
  int32_t enable_joypad;
};

struct ConfigVoice {
  int32_t vol_bgm;     // default 100
  int32_t vol_se;      // default 100
  int32_t vol_voice;   // default 100
  int32_t vol_play;    // default 100
  int32_t vol_master;  // default 100
  int32_t play[64];
  int32_t cont_voice;
  int32_t mute_master;
  int32_t mute_bgm;
  int32_t mute_se;
  int32_t mute_voice;
  int32_t mute_play;
};

struct ConfigMessage {
  int32_t speed;
  int32_t auto_p;
  int32_t base;
  int32_t CHAR;
  int32_t ind;
  int32_t cont;
  int32_t still;
  int32_t waitpcm;
  int32_t skip_full;
  int32_t log_limit;
  int32_t enable_read;
  int32_t read_color;
  int32_t skipspeed;
  int32_t contskip;
  int32_t wipe;
  int32_t ctrlmode;
  int32_t autoleft;
  int32_t enable_read_sel;
};

struct ConfigEffect {
  int32_t speed;
  int32_t help;
  int32_t auto_c;
  int32_t auto_cd;
  int32_t auto_cds;
  int32_t dramatic;
  int32_t skipdraw;
  int32_t skipmot;
};

struct ConfigGame {
  int32_t wndcolor;
  int32_t enabledrag;
  int32_t drawwnd;
  int32_t autoselect;
  int32_t always_active;
  int32_t enable_scene_anm;
  int32_t use_scene_skip;
  int32_t use_jtalk;
};

struct ConfigSystemVoice {
  int32_t ch[32];  // play switch of each system-voice channel
};

struct ConfigSettings {
  // Game definition.
  ConfigVersion version;
  ConfigScreen screen;
  ConfigApp app;
  ConfigEtcDefinition etc_definition;
  ConfigScript script;
  ConfigCursor cursor;
  ConfigFolder folder;
  ConfigInfo info;
  ConfigTextureDefinition texture_definition;
  ConfigShader shader;
  ConfigInt int_archives;
  ConfigManual manual;
  ConfigConfigB config_b;
  ConfigGameDefinition game_definition;
  ConfigSceneList scene_list;
  ConfigLanguageDefinition language_definition;
  ConfigFontDefinition fonts[16];
  ConfigKeyDefinition keys[64];
  ConfigSystemVoiceChannel system_voices[32];
  // Player settings, part 1.
  ConfigWindow window;
  ConfigTexture texture;
  ConfigSound sound;
  ConfigEtc etc;
  ConfigDepend depend;
  ConfigD3D d3d;
  ConfigFullScreen full_screen;
  ConfigLanguage language;
  ConfigTts tts;
  ConfigConfig config;
  // Player settings, part 2.
  ConfigFont font;
  ConfigKey key;
  ConfigVoice voice;
  ConfigMessage message;
  ConfigEffect effect;
  ConfigGame game;
  ConfigSystemVoice system_voice;
  // Zero; room for later keys without changing the block's size.
  uint8_t reserve[18736];
};

static_assert(sizeof(ConfigSettings) == kConfigSettingsBytes, "the block's size is fixed");
static_assert(std::is_trivially_copyable<ConfigSettings>::value, "copied byte for byte");
static_assert(std::is_standard_layout<ConfigSettings>::value, "fields are found by offset");
#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the block is little-endian");
#endif
