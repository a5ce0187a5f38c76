// The screen under the briefing and the objectives screens: one centred
// panel with a map of the level on its left (the map picture from the
// script sprite set, a grid, the unit markers) and a text area on its right
// whose paragraphs flow into pages.  Both screens share one map view record
// (only one of them is up at a time) and one text page number.
// Main thread only.
//
// Map coordinates are fractions of the picture: x grows with world x, z
// runs against world z (the picture's top is the world box's maximum z).
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"
#include "render/geometry/vector3.h"

class CHLO;

// The map view both screens share.
struct ObjectiveMapViewRecord {
  float scrollX = 0.0f, scrollY = 0.0f;  // top-left of the detail window, picture fractions (0 .. 0.5)
  float mapWidth = 0.0f, mapHeight = 0.0f;  // the whole picture at the fit scale, pixels
  std::int32_t pictureCell = -1;  // cell of the script sprite set; -1 no map
  float worldSizeX = 0.0f, worldSizeY = 0.0f, worldSizeZ = 0.0f;
  float worldMinX = 0.0f, worldMinY = 0.0f, worldMinZ = 0.0f;
  float fitScale = 0.0f;
  float zoom = 0.0f;  // 2 once a scale was computed
  float windowWidth = 0.0f, windowHeight = 0.0f;  // 0.5 once a scale was computed
};
extern ObjectiveMapViewRecord ObjectiveMapView;
// The text page shown by either screen (0 on entering).
extern std::uint8_t ObjectiveTextPage;

// Marker cells of the interface sprite set, and the map grid's colour.
inline constexpr int kMarkerFriendly = 48;
inline constexpr int kMarkerCivilian = 49;
inline constexpr int kMarkerOther = 50;
inline constexpr int kMarkerPlayer = 51;
inline constexpr int kMarkerObjective = 56;
inline constexpr int kObjectiveTick = 72;
inline constexpr std::uint8_t kMapGridRed = 168, kMapGridGreen = 200, kMapGridBlue = 132, kMapGridAlpha = 127;
// The text shown where the map would be when there is no picture.
inline constexpr std::uint32_t kTextNoMap = 0xFC4D4ED0;

// What the map needs to know of a unit beyond the world object: filled by
// the units' reader (installed with SetMapUnitFactsReader).
struct MapUnitFacts {
  bool vehicle = false;
  int propulsion = 0;  // a vehicle's propulsion type (8: the goat, never shown)
  bool soldier = false;
  bool deadAndExpired = false;  // a soldier's body has expired
  float health = 0.0f;
  bool civilian = false;
  // Some active soldier of the local side has it among its known targets.
  bool knownToLocalSide = false;
  // Controlled by local player 0, and the y component of its rotation (degrees).
  bool controlledByPlayer0 = false;
  float headingY = 0.0f;
};
// Answers false when the object is not a unit it knows.
using MapUnitFactsReader = bool (*)(CHLO* unit, MapUnitFacts* out);
void SetMapUnitFactsReader(MapUnitFactsReader reader);

class CObjectiveViewScreen : public CMenuScreen {
 public:
  // Create: zeroes the map view, no picture; true.
  bool ResetMapView();
  // Update: the objective marker cycling; 0.
  int Update() override { return UpdateMarkerCycling(); }

  // The added operations: the text page back or on (true when it moved), and
  // paragraph n's text (null when there is none).
  virtual bool PreviousTextPage() = 0;
  virtual bool NextTextPage() = 0;
  virtual const char* GetParagraphText(int n) = 0;
  // Moves the selected objective's current marker on (or back) and answers
  // its position; false when there is no objective or it did not move.  The
  // briefing's menu holds no objective.
  virtual bool StepSelectedObjectiveMarker(bool /*next*/, CVector3* /*marker*/) { return false; }

  // The map picture cell, with the environment's bounds as the world box.
  static void SetMapPicture(int cell);
  // The world box the picture covers (only once a picture is set): size a - b, minimum b.
  static void SetMapWorldBox(const CVector3& a, const CVector3& b);
  // The fit scale of the picture in the map area (nothing without a picture).
  static void ComputeMapScale();
  // A world point to map fractions; false outside the world box (x and z).
  // In detail mode the point is magnified about the window unless ignoreDetail.
  static bool WorldToMap(const CVector3& point, bool ignoreDetail, CVector3* out);
  static bool IsOnVisibleMap(const CVector3& mapPoint);
  static void ClampScroll();
  static void CentreMapOn(const CVector3& worldPoint);

  // The text area and map centre from the panel rectangle.
  void LayoutPanel(bool withHeader);
  void DrawMapSprite(int cell, float mapX, float mapZ, float scale, float angle) const;
  bool IsShownOnMap(CHLO* unit) const;
  void DrawUnitMarkers() const;
  void DrawMap() const;
  void DrawMapGrid(float scaleX, float scaleY) const;
  void DrawTextFrame() const;
  // Lays out the paragraphs page by page in the rectangle, drawing page `page`
  // when draw is set; true when text lies beyond that page.
  bool DrawTextPages(int x1, int y1, int x2, int y2, int page, bool draw);
  // The two blinking page arrows at a quarter and three quarters of the
  // text area's bottom edge.
  void DrawPageArrows(bool previous, bool next) const;
  int UpdateMarkerCycling();

  // The paragraph gap, int16(int(18 x sy + 0.5)).
  static int ParagraphGap();

  float TextTop = 0.0f, TextBottom = 0.0f, TextLeft = 0.0f, TextRight = 0.0f;
  float MapCentreX = 0.0f, MapCentreY = 0.0f;
};

// The real clock's blink: arrows show while its milliseconds mod 1000 exceed 500.
bool PageArrowBlinkOn();
