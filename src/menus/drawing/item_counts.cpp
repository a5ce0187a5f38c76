#include "menus/drawing/item_counts.h"

#include "menus/drawing/sprite_digits.h"
#include "foundation/system/not_built_yet.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/level/mission_plugin.h"
#include "shell/program/game_objects.h"

namespace {

constexpr std::uint32_t kKindWeapon = 5;
constexpr std::uint32_t kKindQuantity = 8;
constexpr std::uint32_t kKindMissionItem = 10;
constexpr std::uint32_t kEventCountMissionItem = 44;

// Three characters of a number below 1000: hundreds or blank, tens (0 under
// a hundreds digit) or blank, units.
std::string ThreeChars(int n) {
  if (n < 0) n = 0;
  n %= 1000;
  std::string s(3, ' ');
  if (n >= 100) s[0] = static_cast<char>('0' + n / 100);
  if (n >= 10) s[1] = static_cast<char>('0' + n / 10 % 10);
  s[2] = static_cast<char>('0' + n % 10);
  return s;
}

}  // namespace

std::string AmmoCountText(const ItemReading& item, bool loadedOnly) {
  const int c = item.clipSize;
  if (item.statsKind != kKindWeapon || c <= 0) return {};
  const int t = item.totalRounds;
  int clips = 0, rounds = 0;
  if (t > 0) {
    clips = item.weaponClass == 8 ? t : t / c;
    if (!item.reloading || loadedOnly) {
      rounds = t % c;
      if (item.weaponClass == 8 || (item.weaponClass == 5 && !loadedOnly)) {
        clips -= 1;
        rounds = 1;
      } else if (rounds == 0 && clips > 0) {
        if (c == 1) {
          rounds = clips;
          clips = 0;
        } else {
          rounds = c;
          clips -= 1;
        }
      }
    } else {
      rounds = 0;
    }
    if (item.weaponClass == 10) clips = item.spareRounds + t - rounds;
  }
  std::string text = ThreeChars(rounds);
  if (!loadedOnly && (c >= 2 || item.weaponClass == 5)) {
    const int shown = ((clips % 100) + 100) % 100;
    text += '/';
    if (shown >= 10) text += static_cast<char>('0' + shown / 10);
    text += static_cast<char>('0' + shown % 10);
  }
  return text;
}

void DrawCounterText(const std::string& text, int x, int y, bool asSprites) {
  if (text.empty()) return;
  if (asSprites) {
    CSpriteRender* set = g_InterfaceSprites;
    if (set == nullptr) return;
    const float advance = set->GetScaledWidth(0);
    float pen = static_cast<float>(x);
    for (char ch : text) {
      if (ch >= '0' && ch <= '9') set->Draw(GetDigitCell(ch - '0', 0), static_cast<int>(pen), y);
      if (ch == '/') set->Draw(kSlashCell, static_cast<int>(pen), y);
      pen += advance;
    }
    return;
  }
  CFont* font = g_MainFont;
  if (font == nullptr || font->Sprites == nullptr) return;
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t colour = glyphs->Colour, drawColour = glyphs->DrawColour;
  font->SetColour(0xFFFFFFFF);
  font->DrawString(text.c_str(), x, y, 0);
  glyphs->Colour = colour;
  glyphs->DrawColour = drawColour;
}

void DrawAmmoCount(const ItemReading& item, int x, int y, bool asSprites, bool loadedOnly) {
  DrawCounterText(AmmoCountText(item, loadedOnly), x, y, asSprites);
}

int ItemCountOf(const ItemReading& item) {
  if (item.statsKind == kKindQuantity) return item.quantity;
  if (item.statsKind != kKindMissionItem || !MissionPluginBound()) return 0;
  // The plug-in writes the count into the second word; the first is a word
  // of the mission record, which comes with its issue.
  NotBuiltYet("mission record word of the item count");
  std::int32_t block[2] = {0, 0};
  RaiseMissionEvent(kEventCountMissionItem, block, 2);
  return block[1];
}

void DrawItemCount(const ItemReading& item, int x, int y, bool asSprites) {
  if (item.statsKind != kKindQuantity && item.statsKind != kKindMissionItem) return;
  DrawCounterText(ThreeChars(ItemCountOf(item)), x, y, asSprites);
}

std::uint16_t GetItemIconCell(const ItemReading* item) {
  if (item == nullptr) return 0xFFFF;
  switch (item->statsKind) {
    case 5: case 6: case 7: case 8: case 9: case 10: case 11: case 12: case 14: case 16: case 17: case 18:
    case 20: case 22: case 24: case 25: case 26: break;
    default: return 0xFFFF;
  }
  if (item->statsKind == kKindWeapon && item->weaponClass == 14) return 0xFFFF;
  if (item->statsKind == kKindWeapon && item->weaponClass == 8 && item->modeWord == 256) return item->modeIconCell;
  return item->iconCell;
}
