// The screens' shared drawing utilities: the mission clock in digit cells
// read back against the glyphs, the ammunition and item counters over the
// weapon classes, a portrait as the face texture's quad, the backdrop's
// fade, the interface scale at two screen sizes, and the soldier cache and
// pairing table.
#include <fstream>
#include <sstream>

#include "make_sprites/sprite_sheet.h"
#include "menus/drawing/indexed_text.h"
#include "menus/drawing/item_counts.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/drawing/paused_banner.h"
#include "menus/drawing/soldier_portrait.h"
#include "menus/drawing/sprite_digits.h"
#include "menus/drawing/squad_cache.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screens/interface_scale.h"
#include "menus/screens/menu_text_ids.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "shell/program/game_objects.h"

namespace {

// The large digits of the glyph list (the digit cells are drawn from it, at scale 3).
std::vector<SheetCell> LargeDigits() {
  std::ifstream in(std::string(SHEET_RECIPES).substr(0, std::string(SHEET_RECIPES).rfind('/')) + "/glyphs.txt");
  std::ostringstream s;
  s << in.rdbuf();
  std::vector<SheetCell> cells, digits(10);
  std::string error;
  EXPECT_TRUE(ReadGlyphList(s.str(), 3, &cells, &error)) << error;
  for (const SheetCell& c : cells)
    if (c.value >= '0' && c.value <= '9') digits[c.value - '0'] = c;
  return digits;
}

using DrawingUtilities = MenuFrameTest;

TEST_F(DrawingUtilities, TheMissionClockShowsItsDigitsInBlack) {
  // Drawn on white so that the black digits show.
  const auto digits = LargeDigits();
  struct Case {
    std::uint32_t ms;
    int shown[5];
  } cases[] = {{(2 * 3600 + 7 * 60 + 45) * 1000 + 999, {2, 0, 7, 4, 5}},
               {0, {0, 0, 0, 0, 0}},
               {11u * 3600u * 1000u, {9, 5, 9, 5, 9}}};  // ten hours and more stay at 9:59:59
  for (const Case& c : cases) {
    BeginFrame();
    g_Render->SetClearColour(0xFFFFFFFF);
    g_Render->Clear(1);
    DrawMissionClock(c.ms, 100, 100);
    EndFrame();
    // Digits advance by 15 + 2; colons by 15 + 2.
    const int starts[5] = {100, 100 + 2 * 17, 100 + 3 * 17, 100 + 5 * 17, 100 + 6 * 17};
    for (int i = 0; i < 5; ++i) {
      const SheetCell& glyph = digits[c.shown[i]];
      int mismatches = 0;
      for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x) {
          const bool ink = glyph.pixels[static_cast<std::size_t>(y * glyph.width + x)] != 0;
          const bool black = Near(At(starts[i] + x, 100 + y), 0xFF000000, 40);
          mismatches += ink != black;
        }
      EXPECT_LE(mismatches, 3) << c.ms << " digit " << i;
    }
    // The colons stand a quarter of a digit lower.
    EXPECT_GT(CountOf(0xFF000000, 40, {100 + 17, 100 + 21 / 4, 100 + 17 + 14, 100 + 21 + 21 / 4}), 10);
    EXPECT_EQ(g_InterfaceSprites->DrawColour, 0xFFFFFFFFu) << "white again";
    EXPECT_EQ(g_Render->GetBlendMode(), 3);
  }
}

TEST(AmmoCount, RoundsAndClipsByWeaponClass) {
  struct Case {
    int weaponClass, clip, total, spare;
    bool reloading, loadedOnly;
    const char* text;
  } cases[] = {
      {1, 30, 95, 0, false, false, "  5/3"},  // 95 = 3 clips of 30 + 5
      {1, 30, 90, 0, false, false, " 30/2"},  // an exact multiple: a full clip loaded
      {1, 30, 0, 0, false, false, "  0/0"},   // empty
      {1, 30, 95, 0, true, false, "  0/3"},   // reloading: nothing loaded
      {1, 30, 95, 0, true, true, "  5"},      // loaded only: no clips
      {1, 100, 250, 0, false, false, " 50/2"},
      {1, 200, 150, 0, false, false, "150/0"},
      {1, 1, 4, 0, false, false, "  4"},      // single shots: the rounds, no clips
      {5, 1, 3, 0, false, false, "  1/2"},    // class 5: one loaded, the rest as clips
      {8, 1, 3, 0, false, false, "  1"},      // class 8 of clip 1: one loaded, no clips shown
      {8, 2, 3, 0, false, false, "  1/2"},    // class 8: every round a clip, one loaded
      {10, 10, 25, 7, false, false, "  5/27"},  // class 10: spare + total - loaded
      {1, 30, 3030, 0, false, false, " 30/0"},  // clips shown modulo 100
  };
  for (const Case& c : cases) {
    ItemReading item;
    item.statsKind = 5;
    item.weaponClass = c.weaponClass;
    item.clipSize = c.clip;
    item.totalRounds = c.total;
    item.spareRounds = c.spare;
    item.reloading = c.reloading;
    EXPECT_EQ(AmmoCountText(item, c.loadedOnly), c.text) << c.weaponClass << " " << c.total;
  }
  ItemReading notWeapon;
  notWeapon.statsKind = 8;
  notWeapon.clipSize = 30;
  EXPECT_EQ(AmmoCountText(notWeapon, false), "");
  ItemReading noClip;
  noClip.statsKind = 5;
  EXPECT_EQ(AmmoCountText(noClip, false), "");
}

TEST(ItemIcons, ByKindAndWeaponClassAndMode) {
  ItemReading item;
  item.iconCell = 42;
  item.modeIconCell = 43;
  struct Case {
    std::uint32_t kind;
    int weaponClass;
    std::uint32_t mode;
    std::uint16_t cell;
  } cases[] = {{5, 1, 0, 42}, {5, 14, 0, 0xFFFF}, {5, 8, 256, 43}, {5, 8, 0, 42}, {13, 0, 0, 0xFFFF},
               {26, 0, 0, 42}, {4, 0, 0, 0xFFFF},  {16, 0, 0, 42}};
  for (const Case& c : cases) {
    item.statsKind = c.kind;
    item.weaponClass = c.weaponClass;
    item.modeWord = c.mode;
    EXPECT_EQ(GetItemIconCell(&item), c.cell) << c.kind;
  }
  EXPECT_EQ(GetItemIconCell(nullptr), 0xFFFF);
}

TEST_F(DrawingUtilities, CountersAsSpritesAdvanceByTheDigitWidth) {
  ItemReading item;
  item.statsKind = 8;
  item.quantity = 7;
  BeginFrame();
  DrawItemCount(item, 300, 200, true);
  ItemReading weapon;
  weapon.statsKind = 5;
  weapon.weaponClass = 1;
  weapon.clipSize = 30;
  weapon.totalRounds = 0;
  DrawAmmoCount(weapon, 300, 300, true, true);  // "  0"
  EndFrame();
  // "  7": two blanks, then the 7 in the third place.
  const PixelBox seven = InkBounds({250, 190, 500, 230});
  EXPECT_GE(seven.x1, 300 + 2 * 10);
  EXPECT_LT(seven.x2, 300 + 3 * 10 + 1);
  const PixelBox zero = InkBounds({250, 290, 500, 330});
  EXPECT_GE(zero.x1, 300 + 2 * 10);
  EXPECT_LT(zero.x2, 300 + 3 * 10 + 1);
}

TEST_F(DrawingUtilities, APortraitIsTheFaceTexturesQuadOrThePortraitCell) {
  // A 16 x 16 face: red left part (u < 0.625), blue beyond.
  CTextureManager library;
  CTexture* face = library.GetTexture("face", TEXF_32BIT);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_TRUE(SUCCEEDED(g_Device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture)));
  D3DLOCKED_RECT locked;
  ASSERT_TRUE(SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0)));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
          x < 10 && y < 10 ? 0xFFFF0000 : 0xFF0000FF;
  texture->UnlockRect(0);
  face->DeviceTexture = texture;
  SoldierLook look;
  look.faceTexture = face;
  BeginFrame();
  const DWORD filter = g_Render->SetBilinearFilter(0);  // texel for texel
  DrawSoldierPortrait(look, 100, 100, 255);
  g_Render->SetBilinearFilter(filter);
  look.faceTexture = nullptr;
  look.portraitCell = 22;
  DrawSoldierPortrait(look, 400, 100, 255);
  EndFrame();
  // The quad from (105, 105), 40 x 40, shows the face's red part (the
  // texture rectangle stops at 0.625, before the blue).
  const PixelBox quad = InkBounds({0, 0, 299, 599});
  EXPECT_EQ(quad.x1, 105);
  EXPECT_EQ(quad.y1, 105);
  EXPECT_EQ(quad.Width(), 40);
  EXPECT_EQ(quad.Height(), 40);
  EXPECT_GT(CountOf(0xFFFF0000, 8, quad), 38 * 38);
  // Without a face: the portrait cell at (405, 105).
  const PixelBox cell = InkBounds({300, 0, 799, 599});
  EXPECT_EQ(cell.x1, 405);
  EXPECT_EQ(cell.y1, 105);
  EXPECT_EQ(cell.Width(), g_InterfaceSprites->GetWidth(22));
}

TEST_F(DrawingUtilities, TheBackdropFadesInAndOut) {
  g_BackdropSprites = new CSpriteRender(g_Render, nullptr, s_Textures.get());
  ASSERT_EQ(g_BackdropSprites->Load("startup/Backdrop.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0), 1);
  s_Textures->LoadTextures(nullptr);
  ResetMenuBackdrop();
  ShowMenuBackdrop(1);
  const std::uint32_t band = CellColour("Backdrop.img", 0);
  int previous = 0;
  for (int frame = 0; frame < 4; ++frame) {
    BeginFrame(110);  // a third of 330 ms a frame: 85 alpha
    DrawMenuBackdrop();
    EndFrame();
    EXPECT_EQ(MenuBackdropAlpha(), std::min(255, previous + 110 * 255 / 330));
    previous = MenuBackdropAlpha();
    EXPECT_TRUE(Near(At(400, 12), Blend(band, previous, kBackground), 4)) << frame;
  }
  // The bands along the top and the bottom edge, across the whole width.
  EXPECT_GE(BoundsOf(band, 4, {0, 0, 799, 40}).Width(), 799);
  EXPECT_EQ(BoundsOf(band, 4, {0, 560, 799, 599}).y2, 599);
  ShowMenuBackdrop(0);
  for (int frame = 0; frame < 4; ++frame) {
    BeginFrame(110);
    DrawMenuBackdrop();
    EndFrame();
  }
  EXPECT_EQ(MenuBackdropAlpha(), 0);
  EXPECT_TRUE(InkBounds().Empty());
  delete g_BackdropSprites;
  g_BackdropSprites = nullptr;
}

TEST_F(DrawingUtilities, ThePausedBannerAndTheIndexedTexts) {
  BeginFrame();
  DrawPausedBanner(0);
  EndFrame();
  // "Paused" at 200 percent, centred across and in the band 150 .. 450.
  const PixelBox banner = InkBounds();
  ASSERT_FALSE(banner.Empty());
  EXPECT_NEAR((banner.x1 + banner.x2) / 2, 400, 3);
  EXPECT_GT(banner.y1, 150);
  EXPECT_LT(banner.y2, 450);
  EXPECT_NEAR(banner.Width(), 2 * g_LargeFont->GetStringWidth("Paused"), 6);
  EXPECT_EQ(g_FontSprites->XScale, 1.0f);
  EXPECT_STREQ(GetIndexedText(0), "1st");
  EXPECT_STREQ(GetIndexedText(9), "10th");
  EXPECT_EQ(GetIndexedText(10), nullptr);
  EXPECT_EQ(GetIndexedText(-1), nullptr);
}

TEST_F(DrawingUtilities, ASheetWithTooFewCellsOrAMissingFontDrawsNothingOfThem) {
  // A three-cell set in place of the interface set: the digits (cells 73 up)
  // and the clock's frame (22) are missing.
  CSpriteRender small(g_Render, nullptr, s_Textures.get());
  ASSERT_EQ(small.Load("startup/Backdrop.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0), 1);
  s_Textures->LoadTextures(nullptr);
  CSpriteRender* interface = g_InterfaceSprites;
  CFont* large = g_LargeFont;
  g_InterfaceSprites = &small;
  g_LargeFont = nullptr;
  BeginFrame();
  DrawMissionClock(3723000, 300, 300);
  ItemReading weapon;
  weapon.statsKind = 5;
  weapon.clipSize = 30;
  weapon.totalRounds = 45;
  DrawAmmoCount(weapon, 300, 400, true, false);  // digits 0-2 exist in this set as other pictures
  DrawPausedBanner(0);
  EndFrame();
  g_InterfaceSprites = interface;
  g_LargeFont = large;
  EXPECT_TRUE(InkBounds({0, 250, 799, 350}).Empty()) << "no clock digits";
  EXPECT_TRUE(InkBounds({0, 0, 799, 249}).Empty()) << "no banner";
}

TEST(SquadCache, FourSoldiersAtMostAndTheResetValues) {
  ResetSquadCache();
  EXPECT_EQ(GetSquadCache().byteField[0], 12);
  EXPECT_EQ(GetSquadCache().experience[3], 15);
  for (std::uint32_t id = 1; id <= 4; ++id) CacheSoldierLevel(id, static_cast<std::uint8_t>(id));
  CacheSoldierLevel(5, 9);  // a fifth: nothing
  EXPECT_EQ(FindSquadCacheSlot(5), -1);
  CacheSoldierCounter(3, 77);
  const std::uint8_t skills[kSquadCacheSkills] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  CacheSoldierSkills(2, skills);
  EXPECT_EQ(GetSquadCache().counter[FindSquadCacheSlot(3)], 77u);
  EXPECT_EQ(GetSquadCache().skills[FindSquadCacheSlot(2)][10], 11);
  EXPECT_EQ(GetSquadCache().experience[FindSquadCacheSlot(4)], 4);
  // The pairing table: an object present keeps its value; a fifth is refused.
  PairClear();
  int objects[5];
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(PairAdd(&objects[i], static_cast<std::uint32_t>(10 + i)));
  EXPECT_TRUE(PairAdd(&objects[1], 99));
  EXPECT_EQ(PairGetValue(&objects[1]), 11u);
  EXPECT_FALSE(PairAdd(&objects[4], 5));
  PairRemove(&objects[0]);
  EXPECT_FALSE(PairContains(&objects[0]));
  EXPECT_TRUE(PairAdd(&objects[4], 5));
  EXPECT_EQ(PairGetValue(&objects[0]), 0u);
}

// The interface scale on other screens.
class InterfaceScaleAt640 : public MenuFrameTest {
 protected:
  static void SetUpTestSuite() { StartSuite(640, 480); }
};

TEST_F(InterfaceScaleAt640, FullScaleThenTheScaleOfTheScreen) {
  ResetInterfaceScale();
  ToggleInterfaceScale();
  EXPECT_FLOAT_EQ(g_InterfaceSprites->XScale, 1.0f);
  EXPECT_FLOAT_EQ(g_FontSprites->XScale, 1.0f);
  ToggleInterfaceScale();
  EXPECT_FLOAT_EQ(g_InterfaceSprites->XScale, 0.8f);
  EXPECT_FLOAT_EQ(g_InterfaceSprites->YScale, 0.8f);
  EXPECT_FLOAT_EQ(g_FontSprites->XScale, 0.8f);
  ToggleInterfaceScale();
  EXPECT_FLOAT_EQ(g_InterfaceSprites->XScale, 1.0f);
}

class InterfaceScaleAt1024 : public MenuFrameTest {
 protected:
  static void SetUpTestSuite() { StartSuite(1024, 768); }
};

TEST_F(InterfaceScaleAt1024, TheSheetsStayWholeAndTheFontGrows) {
  ResetInterfaceScale();
  ToggleInterfaceScale();
  ToggleInterfaceScale();
  EXPECT_FLOAT_EQ(g_InterfaceSprites->XScale, 1.0f);
  EXPECT_FLOAT_EQ(g_FontSprites->XScale, 1.28f);
  ToggleInterfaceScale();
  EXPECT_FLOAT_EQ(g_FontSprites->XScale, 1.0f);
}

}  // namespace
