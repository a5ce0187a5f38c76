#include "control/commands/context_prompt.h"

#include "control/layout/hud_layout.h"
#include "foundation/text/locale_table.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

namespace {

// Codes 0 .. 24.
constexpr std::uint32_t kPromptIds[25] = {
    0,          0,          0x14D74E2B, 0x43C36EAC, 0x38C30DC3, 0x0205AF3C, 0x935F10D6, 0x725DC0BB, 0x9A21D90F,
    0x1DEA6EED, 0xA009940C, 0x7E276392, 0xDAF2188F, 0x1DDF138C, 0x2F942AB6, 0x00E58B36, 0x88DEF646, 0x6A00298D,
    0x0153D382, 0,          0x207F169C, 0x94CE0B19, 0x43C36EAC, 0x6E35CC74, 0x0153D382,
};
constexpr std::uint32_t kUnlockWithKind25 = 0x1AE20DAA;
constexpr int kExchangeCode = 17;

}  // namespace

std::uint32_t ContextPromptTextId(int code, bool currentItemKind25) {
  if (code < 0 || code > 24) return 0;
  if (code == 14 && currentItemKind25) return kUnlockWithKind25;
  return kPromptIds[code];
}

bool DrawContextPrompt(int player, int code, bool currentItemKind25, std::uint32_t gameTime,
                       ContextPromptBlink* blink, void (*sound)(int event)) {
  const std::uint32_t id = ContextPromptTextId(code, currentItemKind25);
  if (id == 0 || blink == nullptr) return false;
  if (gameTime % kContextPromptCycleMs < kContextPromptBlankMs) {
    blink->FirstDraw = 1;
    return false;
  }
  if (code == kExchangeCode && blink->FirstDraw != 0) {
    if (sound != nullptr) sound(kExchangePromptSound);
    blink->FirstDraw = 0;
  }
  const char* text = g_Locale != nullptr ? g_Locale->GetString(id) : nullptr;
  float x = 0.0f, y = 0.0f;
  if (text == nullptr || g_MainFont == nullptr || !GetHudPosition(player, HUD_ACTION_HINT, &x, &y)) return false;
  g_MainFont->SetColour(0xFFFFFFFF);
  g_MainFont->DrawString(text, static_cast<int>(x) - g_MainFont->GetStringWidth(text), static_cast<int>(y), 0);
  return true;
}
