#include "make_level/level_maker.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/system/command_switches.h"
#include "foundation/text/file_parse.h"
#include "make_anims/anim_aliases.h"
#include "make_dynamics/dynamics_description.h"
#include "make_objects/animated_object_writer.h"
#include "make_objects/object_builder.h"
#include "make_objects/object_description.h"
#include "make_objects/object_file_writer.h"
#include "make_objects/texture_maker.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/text_compare.h"
#include "render/textures/texture_manager.h"
#include "scene/skin/object_mesh_hooks.h"
#include "world/environment/env_file.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/environment/pool_size_file.h"
#include "world/shrubbery/shrubbery.h"
#include "world/glass/glass_section.h"
#include "world/glass/glazier.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/environment_hlo_world.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/switches/switch_stats.h"
#include "world/switches/switch_table.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_marker.h"

namespace {

namespace fs = std::filesystem;

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  *out = text.str();
  return true;
}

bool WriteBytes(const fs::path& path, const void* data, std::size_t size, std::string* error) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.flush()) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

// Every object description the level names, as one.
bool ReadObjects(const LevelDescription& level, ObjectDescription* all, std::string* error) {
  std::set<std::string> names;
  for (const std::string& path : level.ObjectFiles) {
    std::string text;
    if (!ReadWholeFile(path, &text)) {
      *error = "cannot read " + path;
      return false;
    }
    ObjectDescription one;
    if (!ReadObjectDescription(text, &one, error, fs::path(path).parent_path().string())) {
      *error = path + ", " + *error;
      return false;
    }
    for (const ObjectSource& o : one.Objects)
      if (!names.insert("o " + o.Name).second) {
        *error = path + ": object \"" + o.Name + "\" is described twice";
        return false;
      }
    for (const TextureSource& t : one.Textures)
      if (names.insert("t " + t.Name).second) all->Textures.push_back(t);
    for (const MaterialSource& m : one.Materials)
      if (names.insert("m " + m.Name).second) all->Materials.push_back(m);
    all->Objects.insert(all->Objects.end(), one.Objects.begin(), one.Objects.end());
  }
  return true;
}

const ObjectSource* FindObject(const ObjectDescription& all, const std::string& name) {
  for (const ObjectSource& o : all.Objects)
    if (o.Name == name) return &o;
  return nullptr;
}

// The level's glass section, written by the glass set's own writer from the
// "pane" lines.  False when a pane's first three points lie on a line.
bool WriteGlassSection(const std::vector<LevelPaneSource>& panes, std::string* out, std::string* error) {
  CGlazier glass(0);
  for (std::size_t k = 0; k < panes.size(); ++k) {
    const LevelPaneSource& s = panes[k];
    GlassPane* pane = glass.GetPane(glass.AddPane());
    if (pane == nullptr || s.points.size() < 3 || s.points.size() > static_cast<std::size_t>(kGlassMaxPoints) ||
        s.effects.size() > static_cast<std::size_t>(kGlassMaxEffects)) {
      *error = "glass pane " + std::to_string(k + 1) + " does not fit the glass set";
      return false;
    }
    for (int i = 0; i < 4; ++i) pane->Colour[i] = s.colour[i];
    for (int i = 0; i < 3; ++i) pane->MaterialColour[i] = s.material[i];
    pane->MaterialPower = s.power;
    pane->Splits[0] = s.splits[0];
    pane->Splits[1] = s.splits[1];
    pane->FloorHeight[0] = s.floors[0];
    pane->FloorHeight[1] = s.floors[1];
    pane->PushSpeed[0] = s.push[0];
    pane->PushSpeed[1] = s.push[1];
    pane->Thickness = s.thickness;
    pane->Outline.Count = static_cast<int>(s.points.size());
    for (std::size_t i = 0; i < s.points.size(); ++i) pane->Outline.Points[i] = s.points[i];
    pane->EffectCount = static_cast<int>(s.effects.size());
    for (std::size_t i = 0; i < s.effects.size(); ++i) pane->Effects[i] = static_cast<std::uint8_t>(s.effects[i]);
    pane->ReflectionAmount = s.reflectAmount;
    pane->ReflectionName = s.reflectTexture;
    if (!pane->PlaneFromPoints()) {
      *error = "glass pane " + std::to_string(k + 1) + ": its first three points lie on a line";
      return false;
    }
    pane->State = GLASS_INTACT;
  }
  glass.WriteText(out);
  return true;
}

// The textures a render-effects file names as its maps (the word after each
// map keyword), as the file writes them.
std::vector<std::string> RenderEffectsTextures(const std::string& text) {
  std::vector<std::string> names;
  CFileParse parse(text.c_str(), text.size(), FILEPARSE_SKIP_COMMENTS | FILEPARSE_QUOTES);
  char word[128];
  bool map = false;
  while (!parse.AtEnd()) {
    parse.NextToken(word, sizeof word);
    if (map && word[0] != '\0') names.push_back(word);
    map = TextEqualNoCase(word, "DETAIL_MAP") || TextEqualNoCase(word, "NORMAL_MAP") ||
          TextEqualNoCase(word, "ENV_MAP") || TextEqualNoCase(word, "CUBE_MAP");
  }
  return names;
}

bool IsRenderEffectsFile(const std::string& name) {
  return name.size() > 4 && TextEqualNoCase(name.c_str() + name.size() - 4, ".rfx");
}

// The message boxes a load shows; the tool fails on any.
std::vector<std::string> g_Boxes;
int CaptureBox(HWND, const char* text, const char*, UINT, void*) {
  g_Boxes.push_back(text != nullptr ? text : "");
  return IDOK;
}

int g_ProgressCount = 0;
void CountProgress(const char*, int, int) { ++g_ProgressCount; }

CHLO* MakePlainObject(HLOSpawnRecord& record) { return new CHLO(record, nullptr, record.statsName); }
void DeletePlainObject(CHLO* object) { delete object; }
// The game's object manager's cells.
constexpr int kObjectSides = 4;
constexpr int kObjectKinds = 10;

// Loads the level in the working folder through the engine's loader; with
// `build` set, also builds and writes the octree file and the pool-size file,
// otherwise reads them back.
bool LoadLevel(const std::string& name, bool build, LevelMakeReport* report, std::string* error) {
  const std::string levelPath = name + ".env";
  InstallObjectMeshHooks();  // skinned and vertex-animated objects
  InstallShrubbery();        // the shrubs' templates are loaded (and catalogued) too
  InstallGlassSectionReader();  // the panes are read as the game reads them
  PoolSizeFileRead(name.c_str());
  BufferedFile* file = FileOpen(levelPath.c_str(), "rb");
  if (file == nullptr) {
    *error = "cannot open " + levelPath;
    return false;
  }
  std::string text(FileGetSize(file), '\0');
  text.resize(text.empty() ? 0 : FileRead(text.data(), 1, text.size(), file));
  FileClose(file);

  // The switches make their models' instances as in the game, so that the
  // octree file numbers the game's instance list.
  GameSwitchSection switches;
  CTextureManager textures;
  CMaterialList materials;
  EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  auto* env = new CEnvironment(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  auto* objects = new PlainLevelObjects(env);
  EnvTextCursor cursor(text.c_str());
  EnvFileLoadReport loaded;
  g_ProgressCount = 0;
  bool ok = EnvFileLoadEnvironment(env, cursor, CreateObjectFromRecord, CountProgress, &loaded) == 1;
  EnvSectionContext context;
  context.environment = env;
  context.version = g_EnvFileVersion;
  context.levelFlags = env->LevelFlags;
  ok = ok && GetEnvSectionReader(ENVSECTION_MOVIE_CAMERAS)(cursor, context);
  if (!ok) *error = name + ".env does not load whole (line " + std::to_string(cursor.Line()) + ")";
  if (ok && build) {
    if (!env->BuildOctrees(levelPath.c_str(), true)) {
      *error = "cannot write the octree file of " + levelPath;
      ok = false;
    } else if (!PoolSizeFileWrite(name.c_str(), g_ProgressCount)) {
      *error = "cannot write the pool-size file of " + name;
      ok = false;
    } else if (!BuildAndSaveRouteData(*env, name.c_str())) {
      *error = "cannot write the route data of " + name;
      ok = false;
    } else if (report != nullptr) {
      report->routeMarkers = g_RouteMarkerList != nullptr ? static_cast<int>(g_RouteMarkerList->Count) : 0;
    }
  } else if (ok && !env->LoadOctrees(levelPath.c_str())) {
    *error = "the octree file of " + levelPath + " does not read back";
    ok = false;
  } else if (ok && !LoadRouteData(name.c_str())) {
    *error = "the route data of " + name + " does not read back";
    ok = false;
  }
  FreeRouteData();
  if (report != nullptr) {
    report->instances = 0;
    for (CEnvInstance* i = env->InstanceList; i != nullptr; i = i->EnvLink) ++report->instances;
    report->objectRecords = loaded.objectRecords;
    report->portals = loaded.portalRecords;
  }
  delete objects;  // before the instances their visuals are
  delete env;
  g_EnvWaypoints = nullptr;
  return ok;
}

// Runs a load in the level folder with the catalogs started on the switches.
class LevelFolder {
 public:
  explicit LevelFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    SetSearchEnabled(1);
    SetMessageBoxEcho(false);
    SetMessageBoxHook(CaptureBox, nullptr);
    g_Boxes.clear();
  }
  ~LevelFolder() {
    CatalogShutdown();
    SetCatalogMode(0);
    ClearAllCommandSwitches();
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    fs::current_path(previous_);
  }
  bool Boxes(std::string* error) const {
    if (g_Boxes.empty()) return true;
    *error = "loading the level showed " + std::to_string(g_Boxes.size()) + " message box(es), the first: " + g_Boxes[0];
    return false;
  }

 private:
  fs::path previous_;
};

// The visual models of the switch types a level's "Switches.txt" data file
// names (read by the engine's own reader), which the level's switches load.
std::vector<std::string> SwitchModels(const LevelDescription& level) {
  std::vector<std::string> models;
  for (const LevelFileSource& f : level.Files) {
    if (f.Name != "Switches.txt") continue;
    SwitchStatsRead(f.Text.data(), f.Text.size(), 0);
    for (int i = 0; i < SwitchStatsCount(); ++i)
      for (const char* model : {SwitchStatsGet(i)->FirstModel, SwitchStatsGet(i)->SecondModel})
        if (std::string(model) != "NONE" && model[0] != 0) models.push_back(model);
    SwitchStatsFree();
  }
  return models;
}

// Reads a file through the engine's file handle (a catalog build appends it).
void Touch(const std::string& name) {
  if (BufferedFile* f = FileOpen(name.c_str(), "rb")) {
    char scratch[4096];
    while (FileRead(scratch, 1, sizeof scratch, f) == sizeof scratch) {
    }
    FileClose(f);
  }
}

// The section object that reads the level file's switches as the game does.
GameSwitchSection* g_GameSwitchSection = nullptr;

}  // namespace

GameSwitchSection::GameSwitchSection() {
  std::string types;
  if (ReadWholeFile("Switches.txt", &types)) SwitchStatsRead(types.data(), types.size(), 0);
  g_GameSwitchSection = this;
  previous_ = SetEnvSectionReader(ENVSECTION_SWITCHES, [](EnvTextCursor& text, const EnvSectionContext& context) {
    return g_GameSwitchSection->table_.ReadText(text, context.version, context.environment, nullptr, nullptr);
  });
}

GameSwitchSection::~GameSwitchSection() {
  SetEnvSectionReader(ENVSECTION_SWITCHES, previous_);
  table_.Clear();
  SwitchStatsFree();
  g_GameSwitchSection = nullptr;
}

PlainLevelObjects::PlainLevelObjects(CEnvironment* environment)
    : objects_(new CHLOManager(kObjectSides, kObjectKinds)), world_(new CEnvironmentHLOWorld(environment)) {
  objects_->SetFactory(MakePlainObject);
  objects_->SetDeleteCallback(DeletePlainObject);
  SetHLOWorld(world_);
}

PlainLevelObjects::~PlainLevelObjects() {
  delete objects_;
  if (GetHLOWorld() == world_) SetHLOWorld(nullptr);
  delete world_;
}

bool MakeLevel(const LevelDescription& level, const std::string& folderName, LevelMakeReport* report,
               std::string* error, const std::string& dataFolder) {
  LevelMakeReport local;
  LevelMakeReport& r = report != nullptr ? *report : local;
  r = LevelMakeReport{};
  const fs::path folder = fs::absolute(folderName);
  std::error_code ec;
  fs::create_directories(folder, ec);

  ObjectDescription all;
  if (!ReadObjects(level, &all, error)) return false;
  // The objects the level places: instances, game objects and their
  // attachments, and the crawl blocker every level makes.
  std::vector<std::string> needed = {"InvisPoly"};
  for (const EnvFileInstanceSource& i : level.Env.instances) {
    needed.push_back(i.object);
    if (!i.damageDebris.empty()) needed.push_back(i.damageDebris);
  }
  for (const EnvFileObjectSource& o : level.Env.objects) {
    needed.push_back(o.name);
    for (const EnvFileAttachmentSource& a : o.attachments) needed.push_back(a.object);
  }
  for (const std::string& shrub : level.Shrubbery.Templates) needed.push_back(shrub);
  needed.insert(needed.end(), level.NeededObjects.begin(), level.NeededObjects.end());
  const std::vector<std::string> switchModels = SwitchModels(level);
  needed.insert(needed.end(), switchModels.begin(), switchModels.end());
  std::set<std::string> written, textures;
  std::vector<std::string> textureFiles;
  for (const std::string& name : needed) {
    if (name == "NONE" || !written.insert(name).second) continue;
    const ObjectSource* source = FindObject(all, name);
    if (source == nullptr) {
      *error = "the level places \"" + name + "\", which no object description holds";
      return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!WriteDescribedObjectFile(*source, all, &bytes, error)) {
      *error = "object \"" + name + "\": " + *error;
      return false;
    }
    if (!WriteBytes(folder / (name + ".evo"), bytes.data(), bytes.size(), error)) return false;
    ++r.objectFiles;
    for (const std::string& texture : DescribedObjectTextures(*source)) textures.insert(texture);
  }
  // The textures game objects wear by their records.
  for (const EnvFileObjectSource& o : level.Env.objects)
    if (o.texture != "NOTEXTURE" && all.FindTexture(o.texture) != nullptr) textures.insert(o.texture);
  // The sky's layer textures, when an object description defines them.
  if (level.SkyGiven)
    for (const SkyLayerSettings& layer : level.Sky.Layers)
      if (all.FindTexture(layer.TextureName) != nullptr) textures.insert(layer.TextureName);
  // The maps the level's render-effects files name.
  for (const LevelFileSource& f : level.Files) {
    if (!IsRenderEffectsFile(f.Name)) continue;
    for (const std::string& name : RenderEffectsTextures(f.Text)) {
      if (all.FindTexture(name) == nullptr) {
        *error = f.Name + " names the map \"" + name + "\", which no object description holds";
        return false;
      }
      textures.insert(name);
    }
  }
  for (const std::string& name : textures) {
    const TextureSource* t = all.FindTexture(name);
    if (t == nullptr) continue;
    const std::vector<std::uint8_t> file = EncodeTextureFile(*t);
    if (!WriteBytes(folder / TextureFileName(*t), file.data(), file.size(), error)) return false;
    textureFiles.push_back(TextureFileName(*t));
    ++r.textures;
  }
  LevelDescription described = level;
  if (!level.Panes.empty()) {
    if (!described.Env.sections[ENVSECTION_GLASS].empty()) {
      *error = "the level gives both glass panes and a glass section";
      return false;
    }
    if (!WriteGlassSection(level.Panes, &described.Env.sections[ENVSECTION_GLASS], error)) return false;
  }
  const std::string env = LevelEnvironmentText(described);
  if (!WriteBytes(folder / (level.Name + ".env"), env.data(), env.size(), error)) return false;
  for (const LevelFileSource& f : level.Files)
    if (!WriteBytes(folder / f.Name, f.Text.data(), f.Text.size(), error)) return false;
  // Dynamics tuning files through the records' writers.
  std::vector<std::string> dynamicsFiles;
  for (const std::string& path : level.DynamicsFiles) {
    DynamicsDescription dynamics;
    if (!ReadDynamicsDescriptionFile(path, &dynamics, error) ||
        !WriteDynamicsFiles(dynamics, folder.string(), &dynamicsFiles, error))
      return false;
  }
  r.dynamicsFiles = static_cast<int>(dynamicsFiles.size());
  // The animation aliases: their files copied in, and the load list.
  std::vector<AnimAlias> aliases;
  for (const std::string& table : level.AnimAliasFiles) {
    std::string text, aliasError;
    std::vector<AnimAlias> some;
    if (!ReadWholeFile(table, &text) || !ReadAnimAliases(text, &some, &aliasError)) {
      *error = table + ": " + (aliasError.empty() ? "cannot be read" : aliasError);
      return false;
    }
    aliases.insert(aliases.end(), some.begin(), some.end());
  }
  std::vector<std::string> aliasFiles;
  for (const AnimAlias& a : aliases) {
    const std::string base = a.File.substr(0, a.File.size() - 4);
    for (const char* extension : {".prs", ".aed", ".prb"}) {
      fs::copy_file(fs::path(dataFolder) / (base + extension), folder / (base + extension),
                    fs::copy_options::overwrite_existing, ec);
      if (ec) {
        *error = "the animation " + base + extension + " is not in the data folder \"" + dataFolder + "\"";
        return false;
      }
    }
    aliasFiles.push_back(base + ".prb");
  }
  if (!level.LoadList.empty()) {
    std::string list = "BEGIN\r\n// " + level.Name + ": the environment, then the animations of the units' slots\r\n";
    list += "ENVIRONMENT " + level.Name + ".env\r\n";
    for (const AnimAlias& a : aliases)
      if (HasAnimSlot(a)) list += "ANIM " + a.Slot + " " + a.File + "\r\n";
    list += "END\r\n";
    if (!WriteBytes(folder / level.LoadList, list.data(), list.size(), error)) return false;
  }
  fs::remove(folder / (level.Name + ".FAS"), ec);
  fs::remove(folder / (level.Name + ".OCT"), ec);
  fs::remove(folder / (level.Name + ".dat"), ec);

  // Loose files: the load builds the octree and pool-size files.
  {
    LevelFolder scope(folder);
    if (!CatalogStartup()) {
      *error = "the file handle could not be made";
      return false;
    }
    if (!LoadLevel(level.Name, true, &r, error) || !scope.Boxes(error)) return false;
  }
  // The catalog: every file the level load reads, and the textures and data files.
  {
    LevelFolder scope(folder);
    SetCommandSwitch('c');
    if (!CatalogStartup() || OpenCatalog(1, (level.Name + ".dat").c_str(), 0, 0) != 1) {
      *error = "cannot make the catalog " + level.Name + ".dat";
      return false;
    }
    LevelMakeReport again;
    const bool ok = LoadLevel(level.Name, false, &again, error) && scope.Boxes(error);
    for (const std::string& name : textureFiles) Touch(name);
    for (const LevelFileSource& f : level.Files) Touch(f.Name);
    for (const std::string& name : switchModels) Touch(name + ".evo");
    for (const std::string& name : level.NeededObjects) Touch(name + ".evo");
    for (const std::string& f : dynamicsFiles) Touch(f);
    for (const std::string& f : aliasFiles) Touch(f);
    if (!level.LoadList.empty()) Touch(level.LoadList);
    if (const CCatalog* catalog = GetCatalog(1)) r.catalogFiles = static_cast<int>(catalog->entryCount);
    CloseCatalog();
    if (!ok) return false;
  }
  return true;
}
