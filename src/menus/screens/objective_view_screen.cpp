#include "menus/screens/objective_view_screen.h"

#include <algorithm>
#include <cmath>

#include "control/bindings/input_action.h"
#include "control/keymap/key_map.h"
#include "control/players/local_player_table.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/draw_line_2d.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_size.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

ObjectiveMapViewRecord ObjectiveMapView;
std::uint8_t ObjectiveTextPage = 0;

namespace {

// The instance flag that keeps a unit off the map.
constexpr std::uint32_t kInstanceHiddenFromMap = 0x20000;
// The propulsion type of the goat.
constexpr int kPropulsionGoat = 8;
constexpr int kMarkerSides = 4;
constexpr int kMarkerKinds = 10;

MapUnitFactsReader g_unitFacts = nullptr;

float Sx() { return InterfaceScaleX(); }
float Sy() { return InterfaceScaleY(); }
int Int16(float v) { return static_cast<std::int16_t>(static_cast<int>(v)); }

// The map area's size: the left part of the panel.
float MapAreaWidth() { return static_cast<float>(Int16(330.0f * Sx())); }
float MapAreaHeight() { return static_cast<float>(Int16(340.0f * Sy())); }

bool DetailMode() { return ObjectiveDetailActive() != 0; }

bool ReadUnitFacts(CHLO* unit, MapUnitFacts* facts) {
  if (g_unitFacts == nullptr) {
    NotBuiltYet("objective map: unit facts of soldiers and vehicles");
    return false;
  }
  return g_unitFacts(unit, facts);
}

CVector3 UnitPosition(CHLO* unit) {
  if (unit->Instance == nullptr) return unit->GetPosition();
  CVector3 p{};
  unit->Instance->GetPosition(&p);
  return p;
}

// The sheet's scale for one draw, put back afterwards.
class SheetScale {
 public:
  SheetScale(CSpriteRender* sheet, float xPercent, float yPercent) : sheet_(sheet) {
    if (sheet_ == nullptr) return;
    x_ = sheet_->XScale;
    y_ = sheet_->YScale;
    mode_ = sheet_->ScaleMode;
    sheet_->SetScalePercent(xPercent, yPercent, 1);
  }
  ~SheetScale() {
    if (sheet_ == nullptr) return;
    sheet_->XScale = x_;
    sheet_->YScale = y_;
    sheet_->ScaleMode = mode_;
  }
  SheetScale(const SheetScale&) = delete;
  SheetScale& operator=(const SheetScale&) = delete;

 private:
  CSpriteRender* sheet_;
  float x_ = 1.0f, y_ = 1.0f;
  std::uint32_t mode_ = 0;
};

}  // namespace

void SetMapUnitFactsReader(MapUnitFactsReader reader) { g_unitFacts = reader; }

bool PageArrowBlinkOn() {
  const std::uint32_t now = g_RealClock != nullptr ? g_RealClock->GetGameTime() : 0;
  return now % 1000 > 500;
}

int CObjectiveViewScreen::ParagraphGap() { return Int16(static_cast<float>(static_cast<int>(18.0f * Sy() + 0.5f))); }

bool CObjectiveViewScreen::ResetMapView() {
  ObjectiveMapView = ObjectiveMapViewRecord{};
  ObjectiveMapView.pictureCell = -1;
  return true;
}

void CObjectiveViewScreen::SetMapPicture(int cell) {
  ObjectiveMapView = ObjectiveMapViewRecord{};
  ObjectiveMapView.pictureCell = cell;
  ComputeMapScale();
  if (g_Environment == nullptr) return;
  const float* b = g_Environment->WorldBounds;
  ObjectiveMapView.worldSizeX = b[3] - b[0];
  ObjectiveMapView.worldSizeY = b[4] - b[1];
  ObjectiveMapView.worldSizeZ = b[5] - b[2];
  ObjectiveMapView.worldMinX = b[0];
  ObjectiveMapView.worldMinY = b[1];
  ObjectiveMapView.worldMinZ = b[2];
}

void CObjectiveViewScreen::SetMapWorldBox(const CVector3& a, const CVector3& b) {
  if (ObjectiveMapView.pictureCell < 0) return;
  ObjectiveMapView.worldSizeX = a.x - b.x;
  ObjectiveMapView.worldSizeY = a.y - b.y;
  ObjectiveMapView.worldSizeZ = a.z - b.z;
  ObjectiveMapView.worldMinX = b.x;
  ObjectiveMapView.worldMinY = b.y;
  ObjectiveMapView.worldMinZ = b.z;
}

void CObjectiveViewScreen::ComputeMapScale() {
  ObjectiveMapViewRecord& v = ObjectiveMapView;
  if (v.pictureCell < 0) return;
  const float w = g_ScriptSprites != nullptr ? g_ScriptSprites->GetScaledWidth(v.pictureCell) : 0.0f;
  const float h = g_ScriptSprites != nullptr ? g_ScriptSprites->GetScaledHeight(v.pictureCell) : 0.0f;
  // A picture of no size (or a cell the set lacks) is no picture to scale.
  v.fitScale = w > 0.0f && h > 0.0f ? std::min(MapAreaWidth() / w, MapAreaHeight() / h) : 0.0f;
  v.zoom = 2.0f;
  v.windowWidth = v.windowHeight = 0.5f;
  v.mapWidth = v.fitScale * w;
  v.mapHeight = v.fitScale * h;
}

bool CObjectiveViewScreen::WorldToMap(const CVector3& point, bool ignoreDetail, CVector3* out) {
  const ObjectiveMapViewRecord& v = ObjectiveMapView;
  if (!(v.worldMinX <= point.x && point.x <= v.worldMinX + v.worldSizeX && v.worldMinZ <= point.z &&
        point.z <= v.worldMinZ + v.worldSizeZ))
    return false;
  // A box flat along an axis (the height, usually) maps that axis to 0.
  auto fraction = [](float p, float minimum, float size) { return size != 0.0f ? (p - minimum) / size : 0.0f; };
  CVector3 m{fraction(point.x, v.worldMinX, v.worldSizeX), fraction(point.y, v.worldMinY, v.worldSizeY),
             fraction(point.z, v.worldMinZ, v.worldSizeZ)};
  m.x = std::fabs(m.x);
  m.y = std::fabs(m.y);
  m.z = std::fabs(m.z - 1.0f);
  if (DetailMode() && !ignoreDetail) {
    m.x = m.x * v.zoom - v.scrollX * v.zoom;
    m.z = m.z * v.zoom - v.scrollY * v.zoom;
  }
  *out = m;
  return true;
}

bool CObjectiveViewScreen::IsOnVisibleMap(const CVector3& m) {
  return m.x >= 0.0f && m.x <= 1.0f && m.z >= 0.0f && m.z <= 1.0f;
}

void CObjectiveViewScreen::ClampScroll() {
  ObjectiveMapViewRecord& v = ObjectiveMapView;
  v.scrollX = std::isnan(v.scrollX) ? 0.0f : std::clamp(v.scrollX, 0.0f, std::max(v.windowWidth, 0.0f));
  v.scrollY = std::isnan(v.scrollY) ? 0.0f : std::clamp(v.scrollY, 0.0f, std::max(v.windowHeight, 0.0f));
}

void CObjectiveViewScreen::CentreMapOn(const CVector3& worldPoint) {
  ObjectiveMapViewRecord& v = ObjectiveMapView;
  CVector3 m{};
  if (!WorldToMap(worldPoint, true, &m)) {
    v.scrollX = v.scrollY = 0.0f;
  } else {
    v.scrollX = m.x - v.windowWidth * 0.5f;
    v.scrollY = m.z - v.windowHeight * 0.5f;
  }
  ClampScroll();
}

void CObjectiveViewScreen::LayoutPanel(bool withHeader) {
  const float sx = Sx(), sy = Sy();
  float header = 0.0f;
  if (withHeader && g_LargeFont != nullptr)
    header = static_cast<float>(g_LargeFont->GetMaxGlyphBottom() + g_LargeFont->GetBaselineOffset()) * sy + 10.0f * sy;
  const int mapArea = Int16(330.0f * sx);
  TextLeft = 2.0f * (20.0f * sx) + static_cast<float>(mapArea) + PanelLeft;
  TextRight = PanelRight - 20.0f * sx;
  TextTop = 30.0f * sy + PanelTop + header;
  TextBottom = PanelBottom - 30.0f * sy;
  MapCentreX = static_cast<float>(mapArea / 2) + PanelLeft;
  MapCentreY = (PanelBottom - PanelTop - header) * 0.5f + PanelTop + header;
}

void CObjectiveViewScreen::DrawMapSprite(int cell, float mapX, float mapZ, float scale, float angle) const {
  CSpriteRender* sheet = g_InterfaceSprites;
  if (sheet == nullptr) return;
  const ObjectiveMapViewRecord& v = ObjectiveMapView;
  const int x = static_cast<int>(MapCentreX - v.mapWidth * 0.5f + v.mapWidth * mapX);
  const int y = static_cast<int>(MapCentreY - v.mapHeight * 0.5f + v.mapHeight * mapZ);
  auto draw = [&] {
    if (angle == 0.0f)
      sheet->Draw(cell, x, y);
    else
      sheet->DrawRotated(cell, x, y, angle);
  };
  if (scale != 1.0f) {
    SheetScale scaled(sheet, Sx() * 100.0f * scale, Sy() * 100.0f * scale);
    draw();
  } else {
    draw();
  }
}

bool CObjectiveViewScreen::IsShownOnMap(CHLO* unit) const {
  MapUnitFacts f;
  if (unit == nullptr || !ReadUnitFacts(unit, &f)) return false;
  if (f.vehicle && f.propulsion == kPropulsionGoat) return false;
  if (unit->Instance != nullptr && (unit->Instance->Flags & kInstanceHiddenFromMap) != 0) return false;
  if (f.vehicle && !(f.health > 0.0f)) return false;
  if (f.soldier) {
    if (unit->IsFriendly()) {
      if (f.deadAndExpired) return false;
    } else if (!(f.health > 0.0f)) {
      return false;
    }
  }
  if (GetDebugMappings() != 0) return true;
  if (!unit->IsEnemy()) return true;
  return unit->Side == g_HLOLocalSide || f.knownToLocalSide;
}

void CObjectiveViewScreen::DrawUnitMarkers() const {
  if (g_HLOManager == nullptr) return;
  for (int side = 0; side < kMarkerSides; ++side) {
    for (int kind = 0; kind < kMarkerKinds; ++kind) {
      for (CHLO* unit = g_HLOManager->FirstActive(side, kind); unit != nullptr; unit = unit->Next) {
        if (!unit->IsUnit()) break;
        if (!IsShownOnMap(unit)) continue;
        CVector3 m{};
        if (!WorldToMap(UnitPosition(unit), false, &m) || !IsOnVisibleMap(m)) continue;
        MapUnitFacts f;
        ReadUnitFacts(unit, &f);
        int cell = kMarkerOther;
        float angle = 0.0f;
        if (f.controlledByPlayer0) {
          cell = kMarkerPlayer;
          angle = -f.headingY;
        } else if (unit->IsFriendly()) {
          cell = kMarkerFriendly;
        } else if (f.civilian) {
          cell = kMarkerCivilian;
        }
        DrawMapSprite(cell, m.x, m.z, 1.0f, angle);
      }
    }
  }
}

void CObjectiveViewScreen::DrawMap() const {
  const ObjectiveMapViewRecord& v = ObjectiveMapView;
  const float sx = Sx(), sy = Sy();
  if (v.pictureCell < 0 || g_ScriptSprites == nullptr) {
    if (g_MainFont == nullptr || g_Locale == nullptr) return;
    const char* text = g_Locale->GetString(kTextNoMap);
    if (text == nullptr) return;
    const int width = g_MainFont->GetStringWidth(text);
    g_MainFont->DrawString(text, static_cast<int>(MapCentreX) - width / 2, static_cast<int>(MapCentreY), 0);
    return;
  }
  CSpriteRender* sheet = g_ScriptSprites;
  if (!DetailMode()) {
    {
      SheetScale scaled(sheet, v.fitScale * sx * 100.0f, v.fitScale * sx * 100.0f);
      sheet->Draw(v.pictureCell, static_cast<int>(MapCentreX), static_cast<int>(MapCentreY));
    }
    DrawMapGrid(v.fitScale * sx, v.fitScale * sx);
    return;
  }
  {
    SheetScale scaled(sheet, v.fitScale * v.zoom * sx * 100.0f, v.fitScale * v.zoom * sy * 100.0f);
    const int x = static_cast<int>(v.mapWidth / v.zoom - v.scrollX * v.zoom * v.mapWidth + MapCentreX);
    const int y = static_cast<int>(v.mapHeight / v.zoom - v.scrollY * v.zoom * v.mapHeight + MapCentreY);
    sheet->DrawSection(v.pictureCell, x, y, v.scrollX, v.scrollY, v.scrollX + v.windowWidth,
                       v.scrollY + v.windowHeight);
  }
  DrawMapGrid(v.fitScale * v.zoom * sx, v.fitScale * v.zoom * sy);
}

void CObjectiveViewScreen::DrawMapGrid(float a, float b) const {
  const ObjectiveMapViewRecord& v = ObjectiveMapView;
  const int cw = static_cast<int>(a * 32.0f), ch = static_cast<int>(b * 32.0f);
  // Cells under a pixel draw no grid (and must not divide by zero).
  if (cw < 1 || ch < 1) return;
  const int columns = static_cast<int>(v.mapWidth) / cw;
  const int rows = static_cast<int>(v.mapHeight) / ch;
  const int left = static_cast<int>(MapCentreX - v.mapWidth * 0.5f);
  const int top = static_cast<int>(MapCentreY - v.mapHeight * 0.5f);
  const int bottom = Int16(static_cast<float>(rows * ch + top));
  for (int i = 0; i < columns; ++i) {
    const int x = cw / 2 + left + i * cw;
    DrawLine2D(x, top, x, bottom, kMapGridRed, kMapGridGreen, kMapGridBlue, kMapGridAlpha);
  }
  for (int j = 0; j < rows; ++j) {
    const int y = ch / 2 + top + j * ch;
    DrawLine2D(left, y, left + columns * cw, y, kMapGridRed, kMapGridGreen, kMapGridBlue, kMapGridAlpha);
  }
}

void CObjectiveViewScreen::DrawTextFrame() const {
  if (g_PanelSprites != nullptr) g_PanelSprites->SetAlpha(255);
  const float sx = Sx(), sy = Sy();
  DrawFrameB(TextLeft - 20.0f * sx, TextTop - 30.0f * sy, TextRight + 20.0f * sx, TextBottom + 30.0f * sy);
}

bool CObjectiveViewScreen::DrawTextPages(int x1, int y1, int x2, int y2, int p, bool draw) {
  CFont* font = g_MainFont;
  int page = 0, next = 1;
  const char* text = GetParagraphText(0);
  if (text == nullptr || font == nullptr) return false;
  const FontRect start{x1, y1, x2, y2};
  FontRect r = start;
  const int gap = std::max(ParagraphGap(), 1);
  // Whether anything was laid out on this page: a paragraph line that never
  // fits a fresh page must not turn pages for ever.
  bool progressed = false;
  for (;;) {
    const float used = font->DrawStringInRect(text, &r, 0, 1, draw && page == p ? 1 : 0);
    const char* rest = font->FindTextOverflow(text, &r);
    if (rest != text) progressed = true;
    r.y1 = static_cast<int>(static_cast<float>(r.y1) + used) + gap;
    text = rest;
    if (*text == 0) {
      text = GetParagraphText(next++);
      if (text == nullptr) break;
      progressed = true;
      if (*text == 0) continue;
    }
    if (r.y1 < r.y2) continue;
    // The page is full.
    if (page >= p || !progressed) {
      ++page;
      break;
    }
    ++page;
    r = start;
    progressed = false;
  }
  return p < page;
}

void CObjectiveViewScreen::DrawPageArrows(bool previous, bool next) const {
  if (!PageArrowBlinkOn()) return;
  const float q = static_cast<float>(static_cast<int>((TextRight - TextLeft) * 0.25f));
  if (previous) DrawArrow(TextLeft + q, TextBottom, 0);
  if (next) DrawArrow(TextLeft + 3.0f * q, TextBottom, 2);
}

int CObjectiveViewScreen::UpdateMarkerCycling() {
  CLocalPlayer* player = g_LocalPlayers.Get(0);
  if (player == nullptr) return 0;
  const bool next = (player->GetActionState(OBJECTIVE_NEXT) & ACTION_STATE_PRESSED) != 0;
  const bool previous = !next && (player->GetActionState(OBJECTIVE_PREV) & ACTION_STATE_PRESSED) != 0;
  if (!next && !previous) return 0;
  CVector3 marker{};
  if (StepSelectedObjectiveMarker(next, &marker)) CentreMapOn(marker);
  return 0;
}
