#include "make_objects/object_description.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

#include "make_objects/model_source_shape.h"

namespace {

struct Word {
  std::string text;
  int line;
};

std::vector<Word> SplitWords(const std::string& text) {
  std::vector<Word> words;
  int line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '"') {
      std::size_t end = text.find('"', i + 1);
      if (end == std::string::npos || text.find('\n', i + 1) < end) end = text.find('\n', i + 1);
      if (end == std::string::npos) end = text.size();
      words.push_back({text.substr(i + 1, end - i - 1), line});
      i = end < text.size() && text[end] == '"' ? end + 1 : end;
    } else {
      std::size_t start = i;
      while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n' &&
             text[i] != '#')
        ++i;
      words.push_back({text.substr(start, i - start), line});
    }
  }
  return words;
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& folder, std::string* error)
      : words_(SplitWords(text)), folder_(folder), error_(error) {}

  bool Read(ObjectDescription* out) {
    out_ = out;
    while (More()) {
      const Word& w = Next();
      if (w.text == "texture") {
        if (!ReadTexture(out)) return false;
      } else if (w.text == "material") {
        if (!ReadMaterial(out)) return false;
      } else if (w.text == "object") {
        if (!ReadObject(out)) return false;
      } else {
        return Fail(w.line, "expected texture, material or object, not '" + w.text + "'");
      }
    }
    return CheckReferences(*out);
  }

 private:
  bool More() const { return at_ < words_.size(); }
  const Word& Next() { return words_[at_++]; }
  const std::string& Peek() const {
    static const std::string none;
    return More() ? words_[at_].text : none;
  }
  int Line() const { return More() ? words_[at_].line : (words_.empty() ? 1 : words_.back().line); }

  bool Fail(int line, const std::string& message) {
    *error_ = "line " + std::to_string(line) + ": " + message;
    return false;
  }

  bool Name(const char* what, std::string* out) {
    if (!More()) return Fail(Line(), std::string("expected the ") + what + " at the end of the text");
    const Word& w = Next();
    if (w.text.empty() || w.text.size() > 63)
      return Fail(w.line, std::string("the ") + what + " must have 1 to 63 characters");
    *out = w.text;
    return true;
  }

  bool Number(const char* what, float* out) {
    if (!More()) return Fail(Line(), std::string("expected ") + what + " at the end of the text");
    const Word& w = Next();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(w.text.c_str(), &end);
    if (w.text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v) || std::fabs(v) > 1e7)
      return Fail(w.line, std::string("expected ") + what + ", not '" + w.text + "'");
    *out = static_cast<float>(v);
    return true;
  }

  bool Positive(const char* what, float* out) {
    int line = Line();
    if (!Number(what, out)) return false;
    if (!(*out > 0)) return Fail(line, std::string("the ") + what + " must be greater than 0");
    return true;
  }

  bool Count(const char* what, int low, int high, int* out) {
    int line = Line();
    float v;
    if (!Number(what, &v)) return false;
    if (v != std::floor(v) || v < static_cast<float>(low) || v > static_cast<float>(high))
      return Fail(line, std::string("the ") + what + " must be a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high));
    *out = static_cast<int>(v);
    return true;
  }

  bool Vector(const char* what, CVector3* out) {
    return Number(what, &out->x) && Number(what, &out->y) && Number(what, &out->z);
  }

  bool Colour(std::uint32_t* out) {
    if (!More()) return Fail(Line(), "expected a colour RRGGBB at the end of the text");
    const Word& w = Next();
    char* end = nullptr;
    unsigned long v = std::strtoul(w.text.c_str(), &end, 16);
    if (w.text.size() != 6 || *end != '\0') return Fail(w.line, "expected a colour RRGGBB, not '" + w.text + "'");
    *out = static_cast<std::uint32_t>(v);
    return true;
  }

  bool ReadTexture(ObjectDescription* out) {
    TextureSource t;
    t.Line = Line();
    if (!Name("texture name", &t.Name)) return false;
    if (out->FindTexture(t.Name)) return Fail(t.Line, "texture " + t.Name + " is described twice");
    if (!Count("texture width", 1, 1024, &t.Width) || !Count("texture height", 1, 1024, &t.Height)) return false;
    int line = Line();
    if (!Name("texture pattern", &t.Pattern)) return false;
    int colours = PatternColourCount(t.Pattern);
    if (colours == 0) return Fail(line, "unknown texture pattern '" + t.Pattern + "'");
    for (int i = 0; i < colours; ++i) {
      std::uint32_t c;
      if (!Colour(&c)) return false;
      t.Colours.push_back(c);
    }
    out->Textures.push_back(std::move(t));
    return true;
  }

  bool ReadMaterial(ObjectDescription* out) {
    MaterialSource m;
    int line = Line();
    if (!Name("material name", &m.Name)) return false;
    if (out->FindMaterial(m.Name)) return Fail(line, "material " + m.Name + " is described twice");
    for (;;) {
      const std::string& key = Peek();
      float* group = key == "diffuse" ? m.Diffuse : key == "specular" ? m.Specular : key == "emissive" ? m.Emissive : nullptr;
      if (group) {
        Next();
        for (int i = 0; i < 4; ++i)
          if (!Number("a colour value", &group[i])) return false;
      } else if (key == "power") {
        Next();
        if (!Number("the power", &m.Power)) return false;
      } else {
        break;
      }
    }
    out->Materials.push_back(std::move(m));
    return true;
  }

  bool ReadObject(ObjectDescription* out) {
    ObjectSource o;
    o.Line = Line();
    if (!Name("object name", &o.Name)) return false;
    for (const ObjectSource& other : out->Objects)
      if (other.Name == o.Name) return Fail(o.Line, "object " + o.Name + " is described twice");
    if (Peek() == "landscape") {
      Next();
      o.Landscape = true;
    } else if (Peek() == "skinned") {
      Next();
      o.Kind = ObjectKind::Skinned;
    } else if (Peek() == "vertexanim") {
      Next();
      o.Kind = ObjectKind::VertexAnim;
      if (!Count("number of frames", 1, 256, &o.Frames)) return false;
    }
    o.Nodes.push_back({o.Name, "", false, false, false, {}});
    for (;;) {
      if (!More()) return Fail(Line(), "object " + o.Name + " has no end");
      const Word& w = Next();
      if (w.text == "end") break;
      if (w.text == "cutout") {
        o.Nodes[0].CutOut = true;
      } else if (w.text == "connector") {
        ConnectorSource c;
        const Word& slot = More() ? Next() : w;
        c.Slot = -1;
        for (int i = 0; i < 5; ++i)
          if (slot.text == kConnectorSlotNames[i]) c.Slot = i;
        if (c.Slot < 0) return Fail(slot.line, "unknown connector '" + slot.text + "'");
        for (const ConnectorSource& other : o.Connectors)
          if (other.Slot == c.Slot) return Fail(slot.line, "connector " + slot.text + " is given twice");
        if (!Vector("a connector position", &c.Position)) return false;
        o.Connectors.push_back(c);
      } else if (w.text == "bone" && o.Kind == ObjectKind::Skinned) {
        if (!ReadBone(&o)) return false;
      } else if (w.text == "skinbox" && o.Kind == ObjectKind::Skinned) {
        if (!ReadSkinBox(&o, w.line)) return false;
      } else if (w.text == "flag" && o.Kind == ObjectKind::VertexAnim) {
        if (!ReadFlag(&o, w.line)) return false;
      } else if (w.text == "node" && o.Kind == ObjectKind::Plain) {
        NodeSource n;
        int line = Line();
        if (!Name("node name", &n.Name)) return false;
        for (const NodeSource& other : o.Nodes)
          if (other.Name == n.Name) return Fail(line, "node " + n.Name + " is given twice in " + o.Name);
        n.Parent = o.Name;
        for (;;) {
          if (Peek() == "hitregion") {
            Next();
            n.HitRegion = true;
          } else if (Peek() == "shadow") {
            int sline = Line();
            Next();
            for (const NodeSource& other : o.Nodes)
              if (other.ShadowCaster) return Fail(sline, o.Name + " has a shadow caster already");
            n.ShadowCaster = true;
          } else if (Peek() == "parent") {
            Next();
            int pline = Line();
            if (!Name("parent node name", &n.Parent)) return false;
            bool known = false;
            for (const NodeSource& other : o.Nodes) known = known || other.Name == n.Parent;
            if (!known) return Fail(pline, "parent " + n.Parent + " is not an earlier node of " + o.Name);
          } else {
            break;
          }
        }
        for (;;) {
          if (!More()) return Fail(Line(), "node " + n.Name + " has no end");
          if (Peek() == "end") {
            Next();
            break;
          }
          if (!ReadShape(&n)) return false;
        }
        // A caster is never collided with: only its outline matters.
        if (n.ShadowCaster)
          for (ShapeSource& shape : n.Shapes) shape.Collide = false;
        o.Nodes.push_back(std::move(n));
      } else {
        --at_;
        if (!ReadShape(&o.Nodes[0])) return false;
      }
    }
    if (o.Kind == ObjectKind::Skinned) {
      if (o.Bones.empty() || o.SkinBoxes.empty())
        return Fail(o.Line, "skinned object " + o.Name + " needs bones and boxes bound to them");
      if (!o.Nodes[0].Shapes.empty()) return Fail(o.Line, "skinned object " + o.Name + " has shapes of its own");
    } else if (o.Kind == ObjectKind::VertexAnim) {
      if (o.Flags.empty() && o.Nodes[0].Shapes.empty()) return Fail(o.Line, "object " + o.Name + " has no shapes");
      for (const ShapeSource& shape : o.Nodes[0].Shapes)
        if (shape.Kind == ShapeKind::Model)
          return Fail(shape.Line, "a vertex-animated object cannot hold a model (" + shape.File + ")");
    } else {
      for (const NodeSource& n : o.Nodes)
        if (n.Shapes.empty()) return Fail(o.Line, "node " + n.Name + " of " + o.Name + " has no shapes");
    }
    out->Objects.push_back(std::move(o));
    return true;
  }

  const BoneSource* FindBone(const ObjectSource& o, const std::string& name) const {
    for (const BoneSource& b : o.Bones)
      if (b.Name == name) return &b;
    return nullptr;
  }

  bool ReadBone(ObjectSource* o) {
    BoneSource b;
    int line = Line();
    if (!Name("bone name", &b.Name)) return false;
    if (FindBone(*o, b.Name) != nullptr) return Fail(line, "bone " + b.Name + " is given twice in " + o->Name);
    if (Peek() == "parent") {
      Next();
      int pline = Line();
      if (!Name("parent bone name", &b.Parent)) return false;
      if (FindBone(*o, b.Parent) == nullptr)
        return Fail(pline, "parent " + b.Parent + " is not an earlier bone of " + o->Name);
    } else if (!o->Bones.empty()) {
      return Fail(line, "bone " + b.Name + " needs a parent: only the first bone is the root");
    }
    if (Peek() != "at") return Fail(Line(), "expected at x y z after bone " + b.Name);
    Next();
    if (!Vector("a bone position", &b.At)) return false;
    o->Bones.push_back(std::move(b));
    return true;
  }

  bool ReadSkinBox(ObjectSource* o, int line) {
    SkinBoxSource box;
    box.Box.Kind = ShapeKind::Box;
    box.Box.Line = line;
    if (!Positive("width", &box.Box.Size[0]) || !Positive("height", &box.Box.Size[1]) ||
        !Positive("depth", &box.Box.Size[2]))
      return false;
    if (Peek() != "bone") return Fail(Line(), "expected bone <name> after the skinned box");
    Next();
    int bline = Line();
    if (!Name("bone name", &box.Bone)) return false;
    if (FindBone(*o, box.Bone) == nullptr) return Fail(bline, "bone " + box.Bone + " is not a bone of " + o->Name);
    if (Peek() == "blend") {
      Next();
      bline = Line();
      if (!Name("bone name", &box.Blend)) return false;
      if (FindBone(*o, box.Blend) == nullptr) return Fail(bline, "bone " + box.Blend + " is not a bone of " + o->Name);
    }
    if (!ReadOptions(&box.Box)) return false;
    o->SkinBoxes.push_back(std::move(box));
    return true;
  }

  bool ReadFlag(ObjectSource* o, int line) {
    FlagSource f;
    f.Cloth.Line = line;
    if (!Positive("flag width", &f.Width) || !Positive("flag height", &f.Height) ||
        !Count("number of columns", 1, 64, &f.Columns) || !Count("number of rows", 1, 64, &f.Rows) ||
        !Number("the amplitude", &f.Amplitude))
      return false;
    if (!ReadOptions(&f.Cloth)) return false;
    o->Flags.push_back(std::move(f));
    return true;
  }

  bool ReadShape(NodeSource* node) {
    const Word& w = Next();
    ShapeSource s;
    s.Line = w.line;
    if (w.text == "box" || w.text == "ramp") {
      s.Kind = w.text == "box" ? ShapeKind::Box : ShapeKind::Ramp;
      if (!Positive("width", &s.Size[0]) || !Positive("height", &s.Size[1]) || !Positive("depth", &s.Size[2]))
        return false;
    } else if (w.text == "cylinder") {
      s.Kind = ShapeKind::Cylinder;
      if (!Positive("radius", &s.Size[0]) || !Positive("height", &s.Size[1]) ||
          !Count("number of sides", 3, 256, &s.Count[0]))
        return false;
    } else if (w.text == "crossed") {
      s.Kind = ShapeKind::Crossed;
      if (!Positive("width", &s.Size[0]) || !Positive("height", &s.Size[1]) ||
          !Count("number of quads", 1, 16, &s.Count[0]))
        return false;
    } else if (w.text == "terrain") {
      s.Kind = ShapeKind::Terrain;
      if (!Count("number of cells along x", 1, 128, &s.Count[0]) ||
          !Count("number of cells along z", 1, 128, &s.Count[1]) || !Positive("cell size", &s.Size[0]))
        return false;
      if (Peek() != "heights") return Fail(Line(), "expected heights after the terrain's cells");
      Next();
      std::size_t n = static_cast<std::size_t>(s.Count[0] + 1) * static_cast<std::size_t>(s.Count[1] + 1);
      for (std::size_t i = 0; i < n; ++i) {
        float h;
        if (!Number("a terrain height", &h))
          return Fail(s.Line, "the terrain needs " + std::to_string(n) + " heights, " + std::to_string(i) + " given");
        s.Heights.push_back(h);
      }
    } else if (w.text == "room") {
      s.Kind = ShapeKind::Room;
      if (!Positive("width", &s.Size[0]) || !Positive("depth", &s.Size[1]) || !Positive("height", &s.Size[2]) ||
          !Positive("wall thickness", &s.Thickness))
        return false;
      if (2 * s.Thickness >= s.Size[0] || 2 * s.Thickness >= s.Size[1])
        return Fail(s.Line, "the walls leave no room inside");
      if (Peek() == "door") {
        Next();
        const Word& side = More() ? Next() : w;
        s.Door = side.text == "north" ? RoomWall::North
                 : side.text == "south" ? RoomWall::South
                 : side.text == "east"  ? RoomWall::East
                 : side.text == "west"  ? RoomWall::West
                                        : RoomWall::None;
        if (s.Door == RoomWall::None) return Fail(side.line, "expected north, south, east or west, not '" + side.text + "'");
        if (!Positive("door width", &s.DoorWidth) || !Positive("door height", &s.DoorHeight)) return false;
        bool along_x = s.Door == RoomWall::North || s.Door == RoomWall::South;
        float wall = along_x ? s.Size[0] : s.Size[1] - 2 * s.Thickness;
        if (s.DoorWidth >= wall || s.DoorHeight >= s.Size[2])
          return Fail(s.Line, "the doorway does not fit in its wall");
      }
    } else if (w.text == "model") {
      s.Kind = ShapeKind::Model;
      if (!Name("model file", &s.File)) return false;
      const std::string path = folder_.empty() ? s.File : folder_ + "/" + s.File;
      std::vector<std::string> textures;
      std::string reason;
      if (!ReadModelShape(path, s.File, &s, &out_->Materials, &textures, &reason)) return Fail(s.Line, reason);
      if (!ReadOptions(&s)) return false;
      // The model's own textures must be described unless an option replaces them.
      if (s.Texture.empty())
        for (const std::string& t : textures) references_.push_back({s.Line, true, t});
      node->Shapes.push_back(std::move(s));
      return true;
    } else {
      return Fail(w.line, "expected a shape, node, connector, cutout or end, not '" + w.text + "'");
    }
    return ReadOptions(&s) && (node->Shapes.push_back(std::move(s)), true);
  }

  bool ReadOptions(ShapeSource* s) {
    for (;;) {
      const std::string key = Peek();
      int line = Line();
      if (key == "at") {
        Next();
        if (!Vector("a position", &s->At)) return false;
      } else if (key == "texture") {
        Next();
        if (!Name("texture name", &s->Texture)) return false;
        references_.push_back({line, true, s->Texture});
      } else if (key == "material") {
        Next();
        if (!Name("material name", &s->Material)) return false;
        references_.push_back({line, false, s->Material});
      } else if (key == "surface") {
        Next();
        int id;
        if (!Count("surface id", 0, 1023, &id)) return false;
        s->Surface = static_cast<std::uint16_t>(id);
      } else if (key == "tile") {
        Next();
        if (!Number("a tile size", &s->Tile)) return false;
        if (s->Tile < 0) return Fail(line, "the tile size must not be negative");
      } else if (key == "colour") {
        Next();
        std::uint32_t c = 0;
        if (!Colour(&c)) return false;
        s->Colour = 0xFF000000u | c;
      } else if (key == "nocollide") {
        Next();
        s->Collide = false;
      } else {
        return true;
      }
    }
  }

  // Textures and materials may be described after the objects that use them.
  bool CheckReferences(const ObjectDescription& d) {
    for (const Reference& r : references_) {
      if (r.texture ? d.FindTexture(r.name) == nullptr : d.FindMaterial(r.name) == nullptr)
        return Fail(r.line, std::string(r.texture ? "texture " : "material ") + r.name + " is not described");
    }
    return true;
  }

  struct Reference {
    int line;
    bool texture;
    std::string name;
  };
  std::vector<Word> words_;
  std::string folder_;
  ObjectDescription* out_ = nullptr;
  std::size_t at_ = 0;
  std::vector<Reference> references_;
  std::string* error_;
};

}  // namespace

const TextureSource* ObjectDescription::FindTexture(const std::string& name) const {
  for (const TextureSource& t : Textures)
    if (t.Name == name) return &t;
  return nullptr;
}

const MaterialSource* ObjectDescription::FindMaterial(const std::string& name) const {
  for (const MaterialSource& m : Materials)
    if (m.Name == name) return &m;
  return nullptr;
}

int PatternColourCount(const std::string& pattern) {
  if (pattern == "solid" || pattern == "leaves") return 1;
  if (pattern == "checker" || pattern == "noise" || pattern == "planks" || pattern == "bricks" || pattern == "bark")
    return 2;
  return 0;
}

bool ReadObjectDescription(const std::string& text, ObjectDescription* out, std::string* error,
                           const std::string& folder) {
  *out = {};
  Parser parser(text, folder, error);
  if (!parser.Read(out)) {
    *out = {};
    return false;
  }
  return true;
}
