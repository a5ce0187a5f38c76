#include "make_level/level_description.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "make_dynamics/description_words.h"
#include "world/shrubbery/shrubbery_section.h"
#include "world/environment/env_file.h"
#include "world/sky/sky_section.h"
#include "make_level/level_sections.h"
#include "world/effects/particle_types.h"

namespace {

namespace fs = std::filesystem;

const char* const kSectionWords[ENVSECTION_COUNT] = {"lights",  "sounds",    "waypoints", "routemarkers",
                                                      "regions", "switches",  "sky",       "glass",
                                                      "emitters", "shrubbery", "tracers",   "cameras"};

class Reader {
 public:
  Reader(LevelDescription* out, std::string* error) : out_(out), error_(error) {}

  bool File(const std::string& path, int depth) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(path, 0, "cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return Text(text.str(), path, fs::path(path).parent_path().string(), depth);
  }

  bool Text(const std::string& text, const std::string& name, const std::string& folder, int depth) {
    if (depth > 16) return Fail(name, 0, "includes nest deeper than 16 (an include loop?)");
    out_->SourceFiles.push_back(name);
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int lineNo = static_cast<int>(i) + 1;
      words_ = SplitDescriptionLine(lines[i]);
      at_ = 0;
      file_ = name;
      line_ = lineNo;
      if (words_.empty()) continue;
      const std::string command = words_[at_++];
      if (command == "section" || command == "file") {
        const bool isSection = command == "section";
        std::string which;
        if (!Word(&which)) return false;
        int id = -1;
        if (isSection) {
          for (int k = 0; k < ENVSECTION_COUNT; ++k)
            if (which == kSectionWords[k]) id = k;
          if (id < 0) return Fail(name, lineNo, "unknown section \"" + which + "\"");
        }
        const std::string endWord = isSection ? "endsection" : "endfile";
        std::string body;
        std::size_t j = i + 1;
        for (; j < lines.size(); ++j) {
          const std::vector<std::string> w = SplitDescriptionLine(lines[j]);
          if (w.size() == 1 && w[0] == endWord) break;
          body += lines[j] + "\r\n";
        }
        if (j == lines.size()) return Fail(name, lineNo, command + " without " + endWord);
        i = j;
        if (isSection)
          out_->Env.sections[id] += body;
        else
          out_->Files.push_back({which, body});
        continue;
      }
      if (!Command(command, folder, depth)) return false;
      if (at_ < words_.size()) return Fail(name, lineNo, "unexpected word \"" + words_[at_] + "\"");
    }
    return true;
  }

 private:
  bool Fail(const std::string& file, int line, const std::string& what) {
    *error_ = file + ":" + std::to_string(line) + ": " + what;
    return false;
  }
  bool Fail(const std::string& what) { return Fail(file_, line_, what); }

  bool Word(std::string* w) {
    if (at_ >= words_.size()) return Fail("a word is missing");
    *w = words_[at_++];
    return true;
  }
  bool Number(float* v) {
    std::string w;
    if (!Word(&w)) return false;
    return ParseDescriptionNumber(w, v) || Fail("\"" + w + "\" is not a number");
  }
  bool Integer(int* v) {
    std::string w;
    if (!Word(&w)) return false;
    return ParseDescriptionInteger(w, v) || Fail("\"" + w + "\" is not a whole number");
  }
  bool Flags(std::uint32_t* v) {
    std::string w;
    if (!Word(&w)) return false;
    char* end = nullptr;
    *v = static_cast<std::uint32_t>(std::strtoul(w.c_str(), &end, 0));
    if (end == w.c_str() || *end != '\0') return Fail("\"" + w + "\" is not a whole number");
    return true;
  }
  bool Vector(CVector3* v) { return Number(&v->x) && Number(&v->y) && Number(&v->z); }
  bool More() const { return at_ < words_.size(); }
  std::string Next() { return words_[at_++]; }

  bool Command(const std::string& command, const std::string& folder, int depth) {
    if (command == "level") return Word(&out_->Name);
    if (command == "caption") return Word(&out_->Env.caption);
    if (command == "objects" || command == "include") {
      std::string file;
      if (!Word(&file)) return false;
      const std::string path = (fs::path(folder) / file).lexically_normal().string();
      if (command == "objects") {
        out_->ObjectFiles.push_back(path);
        return true;
      }
      const std::vector<std::string> words = words_;
      const std::size_t at = at_;
      const std::string name = file_;
      const int line = line_;
      if (!File(path, depth + 1)) return false;
      words_ = words;
      at_ = at;
      file_ = name;
      line_ = line;
      return true;
    }
    if (command == "instance") return Instance();
    if (command == "portal") return Portal();
    if (command == "gameobject") return GameObject();
    if (command == "waypoint") return Waypoint();
    if (command == "shrub") return ShrubLine();
    if (command == "sky") return Sky();
    if (command == "skylayer") return SkyLayer();
    if (command == "skycolour") return SkyColour();
    if (command == "pane") return Pane();
    if (command == "region") return Region();
    if (command == "switchtype") return SwitchType();
    if (command == "switch") return Switch();
    if (command == "emitter") return Emitter();
    if (command == "envsound") return EnvSound();
    if (command == "tracer") {
      CVector3 p{};
      std::string at;
      if (!Word(&at)) return false;
      if (at != "at") return Fail("a tracer is \"tracer at x y z\"");
      if (!Vector(&p)) return false;
      out_->Tracers.push_back(p);
      return true;
    }
    if (command == "dynamics") {
      std::string file;
      if (!Word(&file)) return false;
      out_->DynamicsFiles.push_back((fs::path(folder) / file).lexically_normal().string());
      return true;
    }
    if (command == "needs") {
      std::string object;
      if (!Word(&object)) return false;
      out_->NeededObjects.push_back(object);
      return true;
    }
    if (command == "anims") {
      std::string file;
      if (!Word(&file)) return false;
      out_->AnimAliasFiles.push_back((fs::path(folder) / file).lexically_normal().string());
      return true;
    }
    if (command == "loadlist") return Word(&out_->LoadList);
    return Fail("unknown command \"" + command + "\"");
  }

  bool Instance() {
    EnvFileInstanceSource s;
    if (!Word(&s.name) || !Word(&s.object)) return false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "parent") ok = Word(&s.parent);
      else if (o == "at") ok = Vector(&s.position);
      else if (o == "rotate") ok = Vector(&s.rotation);
      else if (o == "scale") ok = Vector(&s.scale);
      else if (o == "kind") ok = Integer(&s.loadKind);
      else if (o == "flags") ok = Flags(&s.flags);
      else if (o == "id") ok = Integer(&s.id);
      else if (o == "texture") ok = Word(&s.texture);
      else if (o == "garden") ok = Integer(&s.garden);
      else if (o == "damage") {
        // strength, kind, debris object ("-" none), two values, a byte value, two ints
        s.flags |= 0x400000;
        ok = Number(&s.damageStrength) && Integer(&s.damageKind) && Word(&s.damageDebris) &&
             Number(&s.damageValues[0]) && Number(&s.damageValues[1]) && Integer(&s.damageInts[0]) &&
             Integer(&s.damageInts[1]) && Integer(&s.damageInts[2]);
        if (s.damageDebris == "-") s.damageDebris.clear();
      }
      else if (o == "small") ok = Integer(&s.smallValues[0]) && Integer(&s.smallValues[1]);
      else if (o == "anim") {
        s.keyword = "ANMI";
        ok = Word(&s.trailing);
      } else if (o == "vanim") {
        s.keyword = "VAMI";
        float speed = 0.0f;
        ok = Number(&speed);
        s.trailing = std::to_string(speed);
      } else if (o == "lights") {
        int n = 0;
        ok = Integer(&n);
        for (int k = 0; ok && k < n; ++k) {
          int light = 0;
          ok = Integer(&light);
          s.lights.push_back(light);
        }
      } else {
        return Fail("unknown instance option \"" + o + "\"");
      }
      if (!ok) return false;
    }
    out_->Env.instances.push_back(s);
    return true;
  }

  bool Portal() {
    EnvFilePortalSource s;
    if (!Word(&s.name) || !Word(&s.owner) || !Word(&s.target)) return false;
    bool hasSphere = false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "number") ok = Integer(&s.number);
      else if (o == "sphere") {
        ok = Vector(&s.sphereCentre) && Number(&s.sphereRadius);
        hasSphere = true;
      } else if (o == "limited") s.distanceLimited = 1;
      else if (o == "noexpand") s.expand = 0;
      else if (o == "points") {
        int n = 0;
        ok = Integer(&n);
        if (ok && (n < 3 || n > 32)) return Fail("a portal has 3 to 32 points");
        for (int k = 0; ok && k < n; ++k) {
          CVector3 p{};
          ok = Vector(&p);
          s.points.push_back(p);
        }
      } else {
        return Fail("unknown portal option \"" + o + "\"");
      }
      if (!ok) return false;
    }
    if (s.points.size() < 3) return Fail("a portal needs its points");
    // Plane through the first three points: n = (b - a) x (c - a), normalised; d = -n.a.
    const CVector3& a = s.points[0];
    const CVector3& b = s.points[1];
    const CVector3& c = s.points[2];
    const CVector3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
    CVector3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length <= 0.0f) return Fail("a portal's first three points lie on a line");
    n = {n.x / length, n.y / length, n.z / length};
    s.plane[0] = n.x;
    s.plane[1] = n.y;
    s.plane[2] = n.z;
    s.plane[3] = -(n.x * a.x + n.y * a.y + n.z * a.z);
    if (!hasSphere) {
      // The portal's own centre and the farthest point.
      CVector3 centre{};
      for (const CVector3& p : s.points) centre = {centre.x + p.x, centre.y + p.y, centre.z + p.z};
      const float k = 1.0f / static_cast<float>(s.points.size());
      centre = {centre.x * k, centre.y * k, centre.z * k};
      float r = 0.0f;
      for (const CVector3& p : s.points)
        r = std::max(r, std::sqrt((p.x - centre.x) * (p.x - centre.x) + (p.y - centre.y) * (p.y - centre.y) +
                                  (p.z - centre.z) * (p.z - centre.z)));
      s.sphereCentre = centre;
      s.sphereRadius = r;
    }
    out_->Env.portals.push_back(s);
    return true;
  }

  bool GameObject() {
    EnvFileObjectSource s;
    if (!Word(&s.name)) return false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "parent") ok = Word(&s.parent);
      else if (o == "at") ok = Vector(&s.position);
      else if (o == "rotate") ok = Vector(&s.rotation);
      else if (o == "side") ok = Integer(&s.side);
      else if (o == "id") ok = Integer(&s.id);
      else if (o == "stats") {
        std::string stats;
        ok = Word(&stats);
        s.statsName = "\"" + stats + "\"";
      } else if (o == "table") ok = Integer(&s.statsTable);
      else if (o == "value") ok = Integer(&s.value);
      else if (o == "squad") ok = Integer(&s.secondByte);
      else if (o == "waypoint") ok = Integer(&s.furtherId);
      else if (o == "stance") ok = Integer(&s.modes[1]);
      else if (o == "alertness") ok = Integer(&s.modes[0]);
      else if (o == "flags") ok = Flags(&s.flags);
      else if (o == "inactive") s.startsActive = 0;
      else if (o == "texture") ok = Word(&s.texture);
      else if (o == "lights") {
        // Its own lights in place of the ground's.
        int n = 0;
        ok = Integer(&n);
        s.takesGroundLights = 0;
        s.lights.clear();
        for (int k = 0; ok && k < n; ++k) {
          int light = 0;
          ok = Integer(&light);
          s.lights.push_back(light);
        }
      } else if (o == "attach") {
        EnvFileAttachmentSource a;
        ok = Word(&a.connector) && Word(&a.object);
        s.attachments.push_back(a);
      } else {
        return Fail("unknown game-object option \"" + o + "\"");
      }
      if (!ok) return false;
    }
    out_->Env.objects.push_back(s);
    return true;
  }

  bool Waypoint() {
    EnvFileWaypointSource s;
    bool hasLook = false;
    if (!Word(&s.name)) return false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "at") ok = Vector(&s.position);
      else if (o == "look") {
        ok = Vector(&s.lookPoint);
        hasLook = true;
      } else if (o == "tag") ok = Integer(&s.tag);
      else if (o == "next") ok = Integer(&s.next);
      else return Fail("unknown waypoint option \"" + o + "\"");
      if (!ok) return false;
    }
    if (!hasLook) s.lookPoint = s.position;
    out_->Env.waypoints.push_back(s);
    return true;
  }

  bool ShrubLine() {
    int garden = 0;
    std::string object;
    if (!Integer(&garden) || !Word(&object)) return false;
    if (garden < 0 || garden > 1000) return Fail("a garden number lies in 0..1000");
    ShrubFileRecord r;
    r.Size = 1.0f;
    bool placed = false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "at") {
        ok = Vector(&r.Position);
        placed = true;
      } else if (o == "rotate") {
        CVector3 angles{};
        ok = Vector(&angles);
        r.AngleX = angles.x;
        r.AngleY = angles.y;
        r.AngleZ = angles.z;
      } else if (o == "size") ok = Number(&r.Size);
      else if (o == "still") r.Flags &= ~kShrubSways;
      else if (o == "lit") r.Flags |= kShrubAlternativeState;
      else return Fail("unknown shrub option \"" + o + "\"");
      if (!ok) return false;
    }
    if (!placed) return Fail("a shrub needs its position (at x y z)");
    ShrubberySectionData& s = out_->Shrubbery;
    r.TemplateIndex = s.AddTemplate(object);
    if (s.Gardens.size() <= static_cast<std::size_t>(garden)) s.Gardens.resize(static_cast<std::size_t>(garden) + 1);
    s.Gardens[static_cast<std::size_t>(garden)].push_back(r);
    return true;
  }

  // The first sky line starts from the default sky.
  SkySettings& TheSky() {
    if (!out_->SkyGiven) out_->Sky = DefaultSkySettings();
    out_->SkyGiven = true;
    return out_->Sky;
  }

  bool Sky() {
    SkySettings& sky = TheSky();
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "fog") ok = Number(&sky.FogStart) && Number(&sky.FogStop);
      else if (o == "farfog") ok = Number(&sky.FarFogStart) && Number(&sky.FarFogStop);
      else if (o == "time") {
        ok = Number(&sky.TimeOfDay);
        if (ok && !(sky.TimeOfDay >= 0.0f && sky.TimeOfDay < 24.0f)) return Fail("a time of day lies in 0 to 24");
      } else return Fail("unknown sky option \"" + o + "\"");
      if (!ok) return false;
    }
    return true;
  }

  bool SkyLayer() {
    SkySettings& sky = TheSky();
    int index = 0;
    if (!Integer(&index)) return false;
    if (index != 0 && index != 1) return Fail("the sky has layers 0 and 1");
    SkyLayerSettings& layer = sky.Layers[index];
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "texture") ok = Word(&layer.TextureName);
      else if (o == "tile") ok = Number(&layer.TileFactor);
      else if (o == "fixedy") layer.FixedY = 1;
      else if (o == "speed") ok = Number(&layer.Speed[0]) && Number(&layer.Speed[1]) && Number(&layer.Speed[2]);
      else if (o == "curvature") ok = Number(&layer.Curvature);
      else if (o == "height") ok = Number(&layer.Height);
      else return Fail("unknown sky layer option \"" + o + "\"");
      if (!ok) return false;
    }
    return true;
  }

  bool SkyColour() {
    static const char* const kGroups[SKYCOLOUR_GROUPS] = {"sunambient", "sundiffuse", "fog", "flare",
                                                          "east",       "sky",        "west"};
    SkySettings& sky = TheSky();
    std::string group;
    int hour = 0;
    if (!Word(&group) || !Integer(&hour)) return false;
    int g = 0;
    while (g < SKYCOLOUR_GROUPS && group != kGroups[g]) ++g;
    if (g == SKYCOLOUR_GROUPS) return Fail("unknown sky colour \"" + group + "\"");
    if (hour < 0 || hour > 18 || hour % 6 != 0) return Fail("sky colour keys stand at 0, 6, 12 and 18 hours");
    CColour& c = sky.Colours[g][hour / 6];
    return Number(&c.r) && Number(&c.g) && Number(&c.b) && Number(&c.a);
  }

  bool Pane() {
    LevelPaneSource s;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "thickness") ok = Number(&s.thickness);
      else if (o == "colour")
        ok = Number(&s.colour[0]) && Number(&s.colour[1]) && Number(&s.colour[2]) && Number(&s.colour[3]);
      else if (o == "material")
        ok = Number(&s.material[0]) && Number(&s.material[1]) && Number(&s.material[2]) && Number(&s.power);
      else if (o == "splits") ok = Integer(&s.splits[0]) && Integer(&s.splits[1]);
      else if (o == "floors") ok = Number(&s.floors[0]) && Number(&s.floors[1]);
      else if (o == "push") ok = Number(&s.push[0]) && Number(&s.push[1]);
      else if (o == "reflect") {
        ok = Number(&s.reflectAmount) && Word(&s.reflectTexture);
        if (s.reflectTexture == "-") s.reflectTexture.clear();
      } else if (o == "effects") {
        int n = 0;
        ok = Integer(&n);
        if (ok && (n < 0 || n > 8)) return Fail("a pane has 0 to 8 effects");
        for (int k = 0; ok && k < n; ++k) {
          int light = 0;
          ok = Integer(&light);
          s.effects.push_back(light);
        }
      } else if (o == "points") {
        int n = 0;
        ok = Integer(&n);
        if (ok && (n < 3 || n > 32)) return Fail("a pane has 3 to 32 points");
        for (int k = 0; ok && k < n; ++k) {
          CVector3 p{};
          ok = Vector(&p);
          s.points.push_back(p);
        }
      } else {
        return Fail("unknown pane option \"" + o + "\"");
      }
      if (!ok) return false;
    }
    if (s.points.empty()) return Fail("a pane needs its points");
    if (out_->Panes.size() >= 16) return Fail("a level has at most 16 panes");
    out_->Panes.push_back(s);
    return true;
  }

  bool Region() {
    LevelRegionSource r;
    std::string shape;
    if (!Word(&r.Name) || !Word(&shape)) return false;
    if (shape == "box") r.Type = 0;
    else if (shape == "sphere") r.Type = 1;
    else return Fail("a region is a box or a sphere");
    bool hasFrom = false, hasTo = false, hasRadius = false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "at") ok = Vector(&r.Position);
      else if (o == "rotate" && r.Type == 0) ok = Vector(&r.Rotation);
      else if (o == "from" && r.Type == 0) ok = Vector(&r.Min), hasFrom = true;
      else if (o == "to" && r.Type == 0) ok = Vector(&r.Max), hasTo = true;
      else if (o == "radius" && r.Type == 1) ok = Number(&r.Radius), hasRadius = true;
      else return Fail("unknown region option \"" + o + "\"");
      if (!ok) return false;
    }
    if (r.Type == 0 && !(hasFrom && hasTo)) return Fail("a box region needs \"from\" and \"to\"");
    if (r.Type == 1 && !hasRadius) return Fail("a sphere region needs its radius");
    out_->Regions.push_back(r);
    return true;
  }

  bool SwitchType() {
    LevelSwitchTypeSource t;
    if (!Word(&t.Name) || !Word(&t.FirstModel) || !Word(&t.SecondModel)) return false;
    bool hasTime = false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "move") ok = Vector(&t.PositionOffset);
      else if (o == "turn") ok = Vector(&t.RotationOffset);
      else if (o == "time") ok = Number(&t.TravelTime), hasTime = true;
      else return Fail("unknown switch type option \"" + o + "\"");
      if (!ok) return false;
    }
    if (!hasTime) return Fail("a switch type needs its travel time");
    if (!(t.TravelTime >= 0.0f)) return Fail("a travel time is 0 or more");
    out_->SwitchTypes.push_back(t);
    return true;
  }

  bool Switch() {
    LevelSwitchSource w;
    if (!Word(&w.Name)) return false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "parent") ok = Word(&w.Parent);
      else if (o == "at") ok = Vector(&w.Position);
      else if (o == "rotate") ok = Vector(&w.Rotation);
      else if (o == "type") ok = Word(&w.Type);
      else if (o == "region") ok = Word(&w.Region);
      else if (o == "links") ok = Integer(&w.Links[0]) && Integer(&w.Links[1]);
      else if (o == "value") ok = Integer(&w.LinkValue);
      else return Fail("unknown switch option \"" + o + "\"");
      if (!ok) return false;
    }
    if (w.Parent.empty() || w.Type.empty() || w.Region.empty())
      return Fail("a switch needs its parent, type and region");
    out_->Switches.push_back(w);
    return true;
  }

  bool Emitter() {
    ParticleEmitter e;
    e.Flags = PEF_RUNNING;
    bool hasType = false, hasAt = false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "type") ok = Integer(&e.Type), hasType = true;
      else if (o == "at") ok = Vector(&e.Position), hasAt = true;
      else if (o == "velocity") {
        std::string to;
        ok = Vector(&e.MinVelocity) && Word(&to);
        if (ok && to != "to") return Fail("a velocity is \"velocity x y z to x y z\"");
        ok = ok && Vector(&e.MaxVelocity);
      } else if (o == "size") ok = Number(&e.Size);
      else if (o == "grow") {
        ok = Number(&e.MinTargetSize) && Number(&e.MaxTargetSize);
        e.Flags |= PEF_TARGET_SIZE;
      } else if (o == "rate") ok = Number(&e.SizeRate);
      else if (o == "life") ok = Number(&e.MinLifetime) && Number(&e.MaxLifetime);
      else if (o == "delay") ok = Number(&e.MinDelay) && Number(&e.MaxDelay);
      else if (o == "colour") {
        ok = Number(&e.Colour[0]) && Number(&e.Colour[1]) && Number(&e.Colour[2]) && Number(&e.Colour[3]);
        e.Flags |= PEF_COLOURED;
      } else if (o == "jitter") e.Flags |= PEF_COLOUR_JITTER;
      else if (o == "for") {
        ok = Number(&e.RunningTime);
        e.Flags |= PEF_LIMITED;
      } else if (o == "stopped") e.Flags = (e.Flags & ~PEF_RUNNING) | PEF_TAKEN;
      else return Fail("unknown emitter option \"" + o + "\"");
      if (!ok) return false;
    }
    if (!hasType || !hasAt) return Fail("an emitter needs its type and place");
    if (e.Type < 0 || e.Type >= kParticleTypeCount) return Fail("no particle type " + std::to_string(e.Type));
    if (!(e.MinDelay >= kEmitterMinDelay) || e.MaxDelay < e.MinDelay)
      return Fail("an emitter's delays are at least 0.2 s, the second not below the first");
    e.InitialCountdown = e.Countdown = e.MinDelay;
    out_->Emitters.push_back(e);
    return true;
  }

  bool EnvSound() {
    EnvironmentSound e;
    std::string name, sample;
    if (!Word(&name)) return false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "sample") ok = Word(&sample);
      else if (o == "at") ok = Vector(&e.position), e.flags |= 1;
      else if (o == "range") ok = Number(&e.range);
      else if (o == "volume") ok = Number(&e.volume);
      else if (o == "pitch") ok = Number(&e.pitch);
      else if (o == "level") ok = Number(&e.level);
      else if (o == "pause") ok = Integer(&e.minInterval) && Integer(&e.maxInterval);
      else if (o == "off") e.enabled = 0;
      else if (o == "text") {
        std::string text;
        while (More()) text += (text.empty() ? "" : " ") + Next();
        if (text.size() >= sizeof e.description) return Fail("an environment sound's text does not fit");
        std::snprintf(e.description, sizeof e.description, "%s", text.c_str());
      } else return Fail("unknown environment sound option \"" + o + "\"");
      if (!ok) return false;
    }
    if (sample.empty()) return Fail("an environment sound needs its sample");
    if (name.size() >= sizeof e.name || sample.size() >= sizeof e.sampleFile)
      return Fail("an environment sound's name or sample does not fit");
    if (e.maxInterval < e.minInterval || e.minInterval < 0)
      return Fail("an environment sound's pause is \"pause <min ms> <max ms>\", the second not below the first");
    std::snprintf(e.name, sizeof e.name, "%s", name.c_str());
    std::snprintf(e.sampleFile, sizeof e.sampleFile, "%s", sample.c_str());
    out_->Sounds.push_back(e);
    return true;
  }

  LevelDescription* out_;
  std::string* error_;
  std::vector<std::string> words_;
  std::size_t at_ = 0;
  std::string file_;
  int line_ = 0;
};

}  // namespace

const char* LevelSectionWord(EnvSectionId id) {
  return id >= 0 && id < ENVSECTION_COUNT ? kSectionWords[id] : "";
}

namespace {
bool Finish(const std::string& name, LevelDescription* out, std::string* error) {
  if (out->Name.empty()) {
    *error = name + ": no \"level\" line names the level";
    return false;
  }
  if (out->SkyGiven && !out->Env.sections[ENVSECTION_SKY].empty()) {
    *error = name + ": the sky is given both by sky lines and by a sky section";
    return false;
  }
  return true;
}
}  // namespace

bool ReadLevelDescription(const std::string& path, LevelDescription* out, std::string* error) {
  *out = LevelDescription{};
  Reader reader(out, error);
  if (!reader.File(path, 0)) return false;
  return Finish(path, out, error) && ComposeLevelSections(out, error);
}

bool ReadLevelDescriptionText(const std::string& text, const std::string& name, const std::string& folder,
                              LevelDescription* out, std::string* error) {
  *out = LevelDescription{};
  Reader reader(out, error);
  if (!reader.Text(text, name, folder, 0)) return false;
  return Finish(name, out, error) && ComposeLevelSections(out, error);
}

std::string LevelEnvironmentText(const LevelDescription& level) {
  EnvFileSource env = level.Env;
  if (level.SkyGiven) env.sections[ENVSECTION_SKY] = WriteSkySection(level.Sky);
  // The shrubs given by "shrub" lines, through the engine's section writer.
  if (env.sections[ENVSECTION_SHRUBBERY].empty() && !level.Shrubbery.Gardens.empty())
    WriteShrubberySection(&env.sections[ENVSECTION_SHRUBBERY], level.Shrubbery, kEnvFileVersion);
  return EnvFileWrite(env);
}
