#include "make_level/level_map.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "make_sprites/sprite_sheet.h"
#include "render/textures/material_list.h"
#include "scene/skin/object_mesh_hooks.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/environment/hlo_record_create.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

constexpr float kFlatHeight = 60.0f;

// A colour scaled towards black: f in 0..1.
std::uint32_t Shade(std::uint32_t colour, float f) {
  f = std::clamp(f, 0.0f, 1.0f);
  auto channel = [&](int shift) {
    return static_cast<std::uint32_t>(static_cast<float>((colour >> shift) & 0xFF) * f) << shift;
  };
  return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

// The game objects' footprints, gathered while the level loads: the spawn
// callback sees each record with its template and makes nothing.
std::vector<LevelMapShape>* g_GameObjectShapes = nullptr;

CHLO* RecordGameObject(HLOSpawnRecord& record) {
  if (g_GameObjectShapes == nullptr || record.templ == nullptr) return nullptr;
  const EnvBounds& b = record.templ->GetBounds();
  // The box turned about y by the record's rotation, then placed.
  const float turn = record.rotation.y * 3.14159265f / 180.0f;
  const float c = std::cos(turn), s = std::sin(turn);
  float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
  for (float x : {b.Min.x, b.Max.x})
    for (float z : {b.Min.z, b.Max.z}) {
      const float wx = record.position.x + x * c + z * s, wz = record.position.z - x * s + z * c;
      lo[0] = std::min(lo[0], wx), hi[0] = std::max(hi[0], wx);
      lo[1] = std::min(lo[1], wz), hi[1] = std::max(hi[1], wz);
    }
  g_GameObjectShapes->push_back(
      {lo[0], lo[1], hi[0], hi[1], record.position.y + b.Max.y, b.Max.y - b.Min.y, false});
  return nullptr;
}

}  // namespace

float LevelMapColumn(const LevelMapBox& box, int width, float x) {
  const float size = box.maxX - box.minX;
  return size != 0.0f ? (x - box.minX) / size * static_cast<float>(width) : 0.0f;
}

float LevelMapRow(const LevelMapBox& box, int height, float z) {
  const float size = box.maxZ - box.minZ;
  return size != 0.0f ? (1.0f - (z - box.minZ) / size) * static_cast<float>(height) : 0.0f;
}

LevelMapPicture DrawLevelMap(std::vector<LevelMapShape> shapes, const LevelMapBox& box, int width, int height) {
  LevelMapPicture picture;
  picture.width = std::max(width, 0);
  picture.height = std::max(height, 0);
  picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, kMapBackground);
  std::stable_sort(shapes.begin(), shapes.end(), [](const LevelMapShape& a, const LevelMapShape& b) {
    return a.ground != b.ground ? a.ground : a.top < b.top;
  });
  float highest = 0.0f;
  for (const LevelMapShape& s : shapes)
    if (!s.ground) highest = std::max(highest, s.height);
  for (const LevelMapShape& s : shapes) {
    if (!(s.maxX >= s.minX) || !(s.maxZ >= s.minZ)) continue;
    const std::uint32_t colour =
        s.ground ? kMapGround
        : s.height < kFlatHeight
            ? kMapFlat
            : Shade(kMapStructure, 0.55f + 0.45f * (highest > 0.0f ? s.height / highest : 1.0f));
    // Pixel centres inside the footprint.
    const float left = LevelMapColumn(box, picture.width, s.minX), right = LevelMapColumn(box, picture.width, s.maxX);
    const float top = LevelMapRow(box, picture.height, s.maxZ), bottom = LevelMapRow(box, picture.height, s.minZ);
    const int x0 = std::max(0, static_cast<int>(std::ceil(std::min(left, right) - 0.5f)));
    const int x1 = std::min(picture.width - 1, static_cast<int>(std::floor(std::max(left, right) - 0.5f)));
    const int y0 = std::max(0, static_cast<int>(std::ceil(std::min(top, bottom) - 0.5f)));
    const int y1 = std::min(picture.height - 1, static_cast<int>(std::floor(std::max(top, bottom) - 0.5f)));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = colour;
  }
  return picture;
}

bool GatherLevelShapes(const std::string& folder, const std::string& name, std::vector<LevelMapShape>* shapes,
                       std::string* error) {
  shapes->clear();
  std::error_code ec;
  const std::filesystem::path previous = std::filesystem::current_path(ec);
  std::filesystem::current_path(folder, ec);
  if (ec) {
    *error = "cannot enter the level folder " + folder;
    return false;
  }
  std::string text;
  {
    std::ifstream in(name + ".env", std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool ok = !text.empty();
  if (!ok) *error = "cannot read " + folder + "/" + name + ".env";
  if (ok) {
    InstallObjectMeshHooks();  // skinned and vertex-animated templates (the soldiers)
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    CatalogStartup();
    EnvWaypointList waypoints;
    EnvWaypointList* previousWaypoints = g_EnvWaypoints;
    g_EnvWaypoints = &waypoints;
    {
      CTextureManager textures;
      CMaterialList materials;
      auto env = std::make_unique<CEnvironment>(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr,
                                                nullptr);
      EnvTextCursor cursor(text.c_str());
      EnvFileLoadReport report;
      std::vector<LevelMapShape> objects;
      g_GameObjectShapes = &objects;
      const int loaded = EnvFileLoadEnvironment(env.get(), cursor, RecordGameObject, nullptr, &report);
      g_GameObjectShapes = nullptr;
      shapes->insert(shapes->end(), objects.begin(), objects.end());
      if (loaded != 1) {
        ok = false;
        *error = name + ".env could not be loaded whole";
      }
      for (CEnvInstance* i = env->InstanceList; ok && i != nullptr; i = i->EnvLink) {
        if (i->Template == nullptr) continue;
        CVector3 lo{}, hi{};
        i->ComputeWorldBox(&lo, &hi);
        shapes->push_back({lo.x, lo.z, hi.x, hi.z, hi.y, hi.y - lo.y, i->Template->TemplateKind == OTYPE_LANDSCAPE});
      }
    }
    g_EnvWaypoints = previousWaypoints;
    CatalogShutdown();
  }
  std::filesystem::current_path(previous, ec);
  SetWorkDirectory();
  return ok;
}

bool WriteLevelMap(const LevelMapPicture& picture, const std::string& spritePath, std::string* error) {
  // The objective map draws its picture about the cell's hot spot: the centre.
  SheetCell cell{0, picture.width, picture.height, static_cast<std::int16_t>(-(picture.width / 2)),
                 static_cast<std::int16_t>(-(picture.height / 2)), picture.pixels};
  SpriteSheet sheet;
  if (picture.width <= 0 || picture.height <= 0 || !sheet.Add(cell)) {
    *error = "the map picture does not fit a sprite page";
    return false;
  }
  const std::filesystem::path sprite(spritePath);
  std::filesystem::path page = sprite;
  page.replace_extension(".tga");
  if (page.filename().string().size() > 15) {
    *error = "the page name " + page.filename().string() + " is longer than 15 characters";
    return false;
  }
  if (!sheet.WritePage(page.string()) || !sheet.WriteSpriteFile(sprite.string(), page.filename().string())) {
    *error = "cannot write " + sprite.string();
    return false;
  }
  return true;
}
