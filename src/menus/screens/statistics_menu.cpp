#include "menus/screens/statistics_menu.h"

#include <cstdio>

#include "control/input/input.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/draw_quad_2d.h"
#include "menus/drawing/text_boxes.h"
#include "menus/records/review_soldier.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/objective_view_screen.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/endlevel/end_of_level.h"
#include "shell/program/game_objects.h"
#include "shell/stats/soldier_stats.h"
#include "sound/sound_manager.h"

namespace {

constexpr int kPageSound = 20;
constexpr std::uint32_t kWhite = 0xFFFFFFFF, kYellow = 0xFFFEFE00, kGrey = 0xC0A8A8A8;
constexpr int kTopExperienceLevel = 9;

// Layout: horizontal reference units truncated, vertical ones rounded.
int Hx(float v) { return static_cast<int>(v * InterfaceScaleX()); }
int Vy(float v) { return static_cast<int>(v * InterfaceScaleY() + 0.5f); }

constexpr std::uint32_t kClassNames[11][2] = {
    {0xAA6D25AB, 0}, {0xB936FD5C, 0x166B9745}, {0xC3E2D86D, 0}, {0xBFEC59BD, 0}, {0x67B922A3, 0xF66B2D89},
    {0x54689B1D, 0}, {0x7D244EDB, 0},          {0x0C4725DC, 0xE63A37A3}, {0xF834B17B, 0}, {0x6874838E, 0},
    {0x59199F26, 0}};
constexpr std::uint32_t kSkillNames[9] = {0x60A99A38, 0x61BA4809, 0xAAE05E36, 0x032CBEC8, 0x1ECBA4B3,
                                          0x64C4FCE8, 0x5EEFB520, 0x5FDE6AA6, 0xFAEBD42D};
constexpr std::uint32_t kRankNames[10] = {0x96F4B5FA, 0x7F8FDB53, 0x1182068B, 0xB8FAE522, 0xCCCD50B1,
                                          0x6E9F2039, 0x2BC9219E, 0xFFB98E93, 0xA4D44FC7, 0x84CE49FE};
constexpr std::uint32_t kMedalNames[7][2] = {{0x7B646C9C, 0x7B646C8A}, {0xCDBF02E5, 0xCDBF02F3},
                                             {0x16D2B6B4, 0x16D2B6A2}, {0x96D2B5D9, 0x96D2B5CF},
                                             {0x4DBF0188, 0x4DBF019E}, {0xFB646FF1, 0xFB646FE7},
                                             {0x2009DBA0, 0x2009DBB6}};

// Page 1's rows: line, label.
constexpr struct {
  int y;
  std::uint32_t label;
} kRows[kStatisticsRows] = {{78, 0xBC2B1A19},  {98, 0x1271967B},  {118, 0x7652A233}, {138, 0x9BC959A0},
                            {158, 0x3EC3697C}, {178, 0x8C748AC2}, {216, 0x39996243}, {236, 0x403062E2},
                            {256, 0xCDE54066}, {296, 0xFD81DB78}, {316, 0xFD6C6D41}, {356, 0x3E6C1DEF}};

// One column's twelve values.
void FormatColumn(const StatisticsValues& v, char (*out)[32], std::size_t stride) {
  const auto c = [&](int i) { return static_cast<int>(v.counter[i]); };
  const auto put = [&](int row, const char* format, int value) {
    std::snprintf(reinterpret_cast<char*>(reinterpret_cast<unsigned char*>(out) + stride * row), 32, format, value);
  };
  put(0, "%d", c(0));
  put(1, "%d", c(1));
  put(2, "%d", c(2));
  put(3, "%d", c(3));
  put(4, "%d", c(1) - c(2) - c(3));
  const int percent =
      v.counter[0] == 0 ? 0 : static_cast<int>(static_cast<double>(v.counter[1]) / v.counter[0] * 100.0 + 0.5);
  put(5, "%d %%", percent);
  put(6, "%d", c(4) + c(5));
  put(7, "%d", c(4));
  put(8, "%d", c(5));
  put(9, "%d", c(6));
  put(10, "%d", c(7));
  std::uint32_t h = 0, m = 0, s = 0;
  CTimer::SplitMilliseconds(v.timeMs, &h, &m, &s, nullptr);
  std::snprintf(reinterpret_cast<char*>(reinterpret_cast<unsigned char*>(out) + stride * 11), 32, "%02d:%02d:%02d",
                static_cast<int>(h), static_cast<int>(m), static_cast<int>(s));
}

CFont* PageFont() { return g_MainFont; }

void DrawText(const char* text, int x, int y, std::uint32_t colour) {
  CFont* font = PageFont();
  if (font == nullptr || text == nullptr) return;
  font->SetColour(colour);
  font->DrawString(text, x, y, 0);
}

void DrawCentred(const char* text, int centreX, int y, std::uint32_t colour) {
  CFont* font = PageFont();
  if (font == nullptr || text == nullptr) return;
  DrawText(text, centreX - font->GetStringWidth(text) / 2, y, colour);
}

// "%s: " of a label; its width.
int DrawLabel(std::uint32_t id, int x, int y) {
  const char* text = CMenu::TextOf(id);
  if (text == nullptr) return 0;
  char label[160];
  std::snprintf(label, sizeof label, "%s: ", text);
  DrawText(label, x, y, kWhite);
  return PageFont() != nullptr ? PageFont()->GetStringWidth(label) : 0;
}

void DrawBand(float x0, float top, float bottom) {
  if (g_InterfaceSprites == nullptr) return;
  g_InterfaceSprites->DrawStretched(4, static_cast<int>(x0) + Hx(15), static_cast<int>(top), static_cast<int>(x0) + Hx(372),
                                    static_cast<int>(bottom));
}

int HighestBit(std::uint32_t bits) {
  for (int i = 6; i >= 0; --i)
    if ((bits & (1u << i)) != 0) return i;
  return -1;
}

void PlayPageSound() {
  if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kPageSound);
}

}  // namespace

void MakeStatisticsRows(const StatisticsValues& mission, const StatisticsValues& campaign,
                        StatisticsRow out[kStatisticsRows]) {
  for (int i = 0; i < kStatisticsRows; ++i) {
    out[i].y = kRows[i].y;
    out[i].labelId = kRows[i].label;
  }
  FormatColumn(mission, &out[0].mission, sizeof(StatisticsRow));
  FormatColumn(campaign, &out[0].campaign, sizeof(StatisticsRow));
}

float ExperienceBarFraction(float experience, int level) {
  if (level < 0) level = 0;
  // The top level has no level above it: its bar is full.
  if (level >= kTopExperienceLevel) return 1.0f;
  int next = NextExperienceLevel(experience);
  if (next <= level) return 1.0f;
  const ExperienceModifiers* low = GetExperienceModifiers(level);
  const ExperienceModifiers* high = GetExperienceModifiers(next);
  if (low == nullptr || high == nullptr) return 1.0f;
  const float span = high->Values[0] - low->Values[0];
  if (span == 0.0f) return 1.0f;
  const float f = (experience - low->Values[0]) / span;
  return f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f;
}

std::uint32_t ClassNameId(int classNumber, bool alt) {
  if (classNumber < 1 || classNumber > 11) return 0;
  const auto& row = kClassNames[classNumber - 1];
  return alt && row[1] != 0 ? row[1] : row[0];
}

std::uint32_t SkillNameId(std::uint32_t skillBit) {
  for (int i = 0; i < 9; ++i)
    if (skillBit == (1u << i)) return kSkillNames[i];
  return 0;
}

std::uint32_t RankNameId(int rank) { return rank >= 0 && rank <= 9 ? kRankNames[rank] : 0xFFFFFFFF; }

std::uint32_t MedalNameId(int medalBit, bool alt) {
  if (medalBit < 0 || medalBit > 6) return 0;
  return kMedalNames[medalBit][alt ? 1 : 0];
}

std::uint32_t StatisticsTextMode() { return g_Locale != nullptr ? g_Locale->GetCurrentLanguage() : 0; }

void CStatisticsMenu::SetPage(int n) {
  if (n == 0) {
    page_ = page_ == 2 ? 1 : 2;
  } else if (n == 1 || n == 2) {
    page_ = n;
  }
}

int CStatisticsMenu::Update() {
  if (UpPressed(0) != 0 && page_ != 2) {
    PlayPageSound();
    page_ = 2;
  }
  if (StatisticsTextMode() != 2 && DownPressed(0) != 0 && page_ != 1) {
    PlayPageSound();
    page_ = 1;
  }
  if (g_Input != nullptr && g_Input->WasMouseButtonPressed(0)) {
    const float x = static_cast<float>(g_Input->GetCursorX()), y = static_cast<float>(g_Input->GetCursorY());
    if (arrowBox_[0] < x && x < arrowBox_[1] && arrowBox_[2] < y && y < arrowBox_[3]) {
      PlayPageSound();
      page_ = page_ != 2 ? 2 : 1;
    }
  }
  return 0;
}

void CStatisticsMenu::Draw() {
  const float sy = InterfaceScaleY();
  const int height = Vy(420);
  const int top = (ScreenHeight() - height) / 2;
  const int left = Hx(58);
  DrawFramedBox(left, top, Hx(400), height, 1, 6);
  CHLOGrunt* soldier = ReviewSoldiers().PlayerSoldier();
  CReviewSoldierAccess& units = ReviewSoldiers();
  // The newest medal beside the panel, its bottom level with the panel's.
  if (soldier != nullptr) {
    const std::uint32_t fresh = units.GetNewMedals(soldier);
    const int bit = HighestBit(units.GetMedals(soldier));
    if (fresh != 0) {
      const int boxTop = top + height - Vy(150);
      DrawFramedBox(Hx(468), boxTop, Hx(125), Vy(150), 1, 6);
      if (bit >= 0) DrawMedal(1u << bit, Hx(468) + Hx(61), boxTop + Vy(138), false);
    }
  }
  const float x0 = static_cast<float>(Hx(68));
  const float y0 = static_cast<float>(top + Vy(10));
  DrawFramedBox(static_cast<int>(x0), static_cast<int>(y0), Hx(380), Vy(400), 0, 10);
  if (page_ == 1) {
    DrawTable(x0, y0, soldier);
  } else {
    DrawProfile(x0, y0, soldier);
    DrawMedals(x0, y0 + 180.0f * sy, soldier);
  }
  DrawPageArrow(static_cast<float>(top + height));
}

void CStatisticsMenu::DrawTable(float x0, float y0, CHLOGrunt* soldier) {
  const int x = static_cast<int>(x0), y = static_cast<int>(y0);
  const char* heading = CMenu::TextOf(0x160BD81A);
  if (heading != nullptr) DrawCentred(heading, x + Hx(190), y + Vy(25), kWhite);
  DrawCentred(CMenu::TextOf(0xA37D1F52), x + Hx(225), y + Vy(56), kWhite);
  DrawCentred(CMenu::TextOf(0x9EE0EA6A), x + Hx(325), y + Vy(56), kWhite);
  for (int i = 0; i < 15; ++i) {
    if (i == 6 || i == 10 || i == 13) continue;
    DrawBand(x0, y0 + static_cast<float>(Vy(62.0f + 20.0f * i)), y0 + static_cast<float>(Vy(82.0f + 20.0f * i)));
  }
  if (soldier == nullptr) return;
  StatisticsValues mission, campaign;
  const SoldierCounters counters = ReviewSoldiers().GetCounters(soldier);
  for (int i = 0; i < 8; ++i) mission.counter[i] = counters.counters[i];
  mission.timeMs = counters.missionTimeMs;
  const SoldierCounters totals = ReviewSoldiers().GetCampaignTotals(soldier);
  for (int i = 0; i < 8; ++i) campaign.counter[i] = totals.counters[i];
  campaign.timeMs = totals.missionTimeMs;
  StatisticsRow rows[kStatisticsRows];
  MakeStatisticsRows(mission, campaign, rows);
  for (const StatisticsRow& row : rows) {
    const int line = y + Vy(static_cast<float>(row.y));
    DrawLabel(row.labelId, x + Hx(18), line);
    DrawCentred(row.mission, x + Hx(225), line, kYellow);
    DrawCentred(row.campaign, x + Hx(325), line, kYellow);
  }
}

void CStatisticsMenu::DrawProfile(float x0, float y0, CHLOGrunt* soldier) {
  if (soldier == nullptr) return;
  CReviewSoldierAccess& units = ReviewSoldiers();
  const int x = static_cast<int>(x0) + Hx(20), y = static_cast<int>(y0);
  char value[64];
  // Missions in the campaign.
  int w = DrawLabel(0xC037D229, x, y + Vy(34));
  std::snprintf(value, sizeof value, "%d", units.GetCampaignCount(soldier));
  DrawText(value, x + w, y + Vy(34), kYellow);
  // Class.
  w = DrawLabel(0xD3B32CCC, x, y + Vy(56));
  const std::uint32_t classId = ClassNameId(units.GetClassNumber(soldier), UniformChoice == 1);
  if (const char* name = classId != 0 ? CMenu::TextOf(classId) : nullptr) {
    if (units.WasPromoted(soldier) && PageFont() != nullptr)
      PageFont()->DrawStringPulsing(name, x + w, y + Vy(56), kYellow);
    else
      DrawText(name, x + w, y + Vy(56), kYellow);
  }
  // The best three skills with their level marks.
  const int skillLabel = DrawLabel(0xC3717C54, x, y + Vy(78));
  std::uint32_t best[3];
  BestThreeSkills(units.GetSkillWord(soldier), [&](std::uint32_t bit) { return units.GetSkillLevelByMask(soldier, bit); },
                  best);
  const float lines[3] = {78, 96, 114};
  for (int k = 0; k < 3; ++k) {
    const int line = y + Vy(lines[k]);
    const std::uint32_t nameId = SkillNameId(best[k]);
    if (nameId == 0) continue;
    DrawText(CMenu::TextOf(nameId), x + skillLabel, line, kYellow);
    if (g_InterfaceSprites == nullptr) continue;
    int level = units.GetSkillLevelByMask(soldier, best[k]);
    if (level < 0 || level > 3) level = 4;
    const int step = g_InterfaceSprites->GetWidth(71) + 5;
    const bool rose = units.HasGainedSkillLevel(soldier, best[k]);
    for (int m = 0; m < level; ++m) {
      const int mx = static_cast<int>(x0) + Hx(285) + m * step;
      if (rose && m == level - 1)
        g_InterfaceSprites->DrawPulsing(71, mx, line);
      else
        g_InterfaceSprites->Draw(71, mx, line);
    }
  }
  // Rank.
  w = DrawLabel(0xCC6E2D08, x, y + Vy(136));
  const int rank = units.GetEffectiveExperienceLevel(soldier);
  if (const char* name = CMenu::TextOf(RankNameId(rank))) {
    if (units.HasGainedExperienceLevel(soldier) && PageFont() != nullptr)
      PageFont()->DrawStringPulsing(name, x + w, y + Vy(136), kYellow);
    else
      DrawText(name, x + w, y + Vy(136), kYellow);
  }
  // Experience towards the next rank.
  w = DrawLabel(0xA386624B, x, y + Vy(158));
  const int barHeight = Vy(20), barWidth = Hx(150);
  const int barTop = y + Vy(158) - barHeight / 2 + Vy(9);
  DrawQuad2D(x + w, barTop, barWidth, barHeight, 171, 173, 5, 255, 1, 0);
  const float fraction = ExperienceBarFraction(units.GetExperience(soldier), rank);
  DrawQuad2D(x + w, barTop, static_cast<int>(barWidth * fraction), barHeight, 255, 255, 1, 255, 1, 0);
}

void CStatisticsMenu::DrawMedals(float x0, float y1, CHLOGrunt* soldier) {
  const int x = static_cast<int>(x0);
  DrawText(CMenu::TextOf(0xEFAED6E5), x + Hx(20), static_cast<int>(y1) + Vy(34), kWhite);
  if (soldier == nullptr) return;
  CReviewSoldierAccess& units = ReviewSoldiers();
  const std::uint32_t held = units.GetMedals(soldier);
  const bool fresh = units.GetNewMedals(soldier) != 0;
  const int highest = HighestBit(held);
  for (int i = 0; i < 7; ++i) {
    DrawBand(x0, y1 + static_cast<float>(Vy(44.0f + 20.0f * i)), y1 + static_cast<float>(Vy(64.0f + 20.0f * i)));
    const int line = static_cast<int>(y1) + Vy(60.0f + 20.0f * i);
    const char* name = CMenu::TextOf(MedalNameId(i, UniformChoice != 0));
    if ((held & (1u << i)) == 0) {
      DrawText(name, x + Hx(20), line - Vy(16), kGrey);
      continue;
    }
    if (i == highest && fresh && PageFont() != nullptr && name != nullptr)
      PageFont()->DrawStringPulsing(name, x + Hx(20), line - Vy(16), kYellow);
    else
      DrawText(name, x + Hx(20), line - Vy(16), kYellow);
    DrawMedal(1u << i, x + Hx(380) - Hx(30), line - Vy(16), false);
  }
}

void CStatisticsMenu::DrawPageArrow(float panelBottom) {
  if (g_InterfaceSprites == nullptr) return;
  const float cx = static_cast<float>(Hx(258));
  const float cy = panelBottom - g_InterfaceSprites->GetScaledWidth(0);
  const float halfH = g_InterfaceSprites->GetScaledHeight(0) * 0.5f, halfW = g_InterfaceSprites->GetScaledWidth(0) * 0.5f;
  arrowBox_[0] = cx - halfH;
  arrowBox_[1] = cx + halfH;
  arrowBox_[2] = cy - halfW;
  arrowBox_[3] = cy + halfW;
  if (StatisticsTextMode() == 2) return;
  if (PageArrowBlinkOn()) DrawArrow(cx, cy, page_ == 2 ? 2 : 0);
}
