#include "scene/model/scene.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_category.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "foundation/text/lookup_table.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/model/model_text_cursor.h"

namespace {

const NameValuePair kSweepHitKinds[] = {
    {SWEEPHIT_NOTHING, "SWEEPHIT_NOTHING"}, {SWEEPHIT_FPLANE, "SWEEPHIT_FPLANE"},
    {SWEEPHIT_OBBOX, "SWEEPHIT_OBBOX"},     {SWEEPHIT_AABBOX, "SWEEPHIT_AABBOX"},
    {SWEEPHIT_BSPHERE, "SWEEPHIT_BSPHERE"}, {SWEEPHIT_FBSPPOLY, "SWEEPHIT_FBSPPOLY"},
    {0, nullptr},
};

// Shortest text of the repeated items (see tri_object.cpp).
constexpr std::size_t kMinConnectorText = 8;  // a name and 3 numbers
constexpr std::size_t kMinNameText = 2;       // a name
constexpr std::size_t kMinMaterialText = 20;  // the oldest form: 4 labels and 6 numbers
constexpr std::size_t kMinMeshText = 40;      // "Mesh", the object's keywords and counts

bool Fits(const ModelTextCursor& in, std::int32_t count, std::size_t minText) {
  return count >= 0 && static_cast<std::size_t>(count) <= in.Remaining() / minText;
}

// The header: a label and the version, from version 13 a label and a word,
// from version 4 a label and the object type.
bool ReadHeaderValues(ModelTextCursor& in, int* version, int* type) {
  std::string word;
  if (!in.LabelInt(version)) return false;
  if (*version >= 13 && (!in.Word(&word) || !in.Word(&word))) return false;
  *type = 0;
  return *version < 4 || in.LabelInt(type);
}

// The object-type rules; 1, or the negative code of the failed rule.
int CheckType(int version, int type, int wanted) {
  switch (wanted) {
    case CScene::kAnyType:
      return 1;
    case 0:
    case 1:
    case 2:
      return type == wanted ? 1 : -(wanted + 1);
    case 3:
      return version >= 12 && type != 3 ? -4 : 1;
    case 4:
      return version >= 12 && type == 3 ? -5 : 1;
    default:
      return 1;
  }
}

class SceneReader {
 public:
  SceneReader(CScene* scene, const char* text) : s_(*scene), in_(text) {}

  int Read(int wantedType) {
    if (!ReadHeaderValues(in_, &s_.Version, &s_.Type)) return Fail("expected the version and the object type");
    const int v = s_.Version;
    const int typeCheck = CheckType(v, s_.Type, wantedType);
    if (typeCheck != 1) {
      s_.Error = "object type " + std::to_string(s_.Type) + " where " + std::to_string(wantedType) + " is wanted";
      return typeCheck;
    }
    for (std::int32_t& h : s_.HeaderValues)
      if (!in_.LabelInt(&h)) return Fail("expected the three header values");
    if (v >= 15) {
      if (!in_.Expect("ShadowSource") || !in_.Name(&s_.ShadowSource)) return Fail("expected ShadowSource and a name");
      s_.ShadowSource = UpperName(s_.ShadowSource);
      if (s_.ShadowSource == "(NULL)") s_.ShadowSource = "NOSHADOW";
    }
    std::int32_t ignored = 0;
    if (v < 3 && (!in_.LabelInt(&ignored) || !in_.LabelInt(&ignored))) return Fail("expected two old header values");
    if (!in_.LabelInt(&s_.ConnectorFlag)) return Fail("expected the connector flag");
    if (v >= 10 && !ReadCollision()) return Fail("expected the collision settings");
    if (!in_.Block("BoundsInfo") || !ReadBoundsEntry(in_, &s_.Bounds) || !in_.EndBlock())
      return Fail("expected a BoundsInfo block");
    if (v > 5 && !ReadConnectors()) return 0;
    if (!ReadMaterialLib()) return 0;
    if (!ResolveLibrary()) return 0;
    return ReadMeshes() ? 1 : 0;
  }

 private:
  int Fail(const std::string& what) {
    s_.Error = "line " + std::to_string(in_.Line()) + ": " + what;
    return 0;
  }

  bool ReadCollision() {
    std::string label, kind;
    std::int32_t* c = s_.Collision;
    if (!in_.Word(&label) || !in_.Word(&kind)) return false;
    c[0] = SweepHitKindFromName(kind.c_str());
    if (!in_.LabelInt(&c[1]) || !in_.Word(&label) || !in_.Word(&kind)) return false;
    c[2] = SweepHitKindFromName(kind.c_str());
    return in_.LabelInt(&c[3]) && in_.LabelInt(&c[4]);
  }

  bool ReadConnectors() {
    std::int32_t count = 0;
    if (!in_.LabelInt(&count) || !Fits(in_, count, kMinConnectorText)) return Fail("bad static connector count");
    if (!in_.Block("StaticConnectors")) return Fail("expected a StaticConnectors block");
    for (std::int32_t i = 0; i < count; ++i) {
      StaticConnector c;
      if (!in_.Name(&c.Name) || !in_.Float(&c.Position.x) || !in_.Float(&c.Position.y) || !in_.Float(&c.Position.z))
        return Fail("expected a static connector");
      if (c.Name.size() > static_cast<std::size_t>(CScene::kConnectorNameLength)) {
        WarningBox("Static connector name length exceeds %d characters\nObject Name : %s\n Connector Name : %s\n",
                   CScene::kConnectorNameLength, s_.Name, c.Name.c_str());
        c.Name.resize(static_cast<std::size_t>(CScene::kConnectorNameLength));
      }
      if (s_.ConnectorFlag == 0) s_.Connectors.push_back(std::move(c));
    }
    return in_.EndBlock() || Fail("expected the end of the StaticConnectors block");
  }

  bool ReadNames(const char* keyword, bool maps, std::vector<std::string>* out) {
    std::int32_t count = 0;
    if (!in_.LabelInt(&count) || !Fits(in_, count, kMinNameText)) return Fail(std::string("bad count of ") + keyword);
    if (!in_.Block(keyword)) return Fail(std::string("expected a ") + keyword + " block");
    for (std::int32_t i = 0; i < count; ++i) {
      std::string name;
      if (!in_.Name(&name)) return Fail(std::string("expected a name in ") + keyword);
      if (maps && name.empty()) {
        InfoBox("Empty texture name in file..\n  \"%s\"\n\nReplacing with \"Checker\"", s_.Name);
        name = "Checker";
      }
      out->push_back(std::move(name));
    }
    return in_.EndBlock() || Fail(std::string("expected the end of the ") + keyword + " block");
  }

  bool ReadMaterial(SceneMaterial* m) {
    const int v = s_.Version;
    if (!in_.LabelFloats(m->Diffuse, 3)) return false;
    if (v >= 5) {
      if (!in_.LabelFloats(m->Third, 3) || !in_.LabelFloats(m->Second, 3) || !in_.Float(&m->Power)) return false;
      if (v >= 14) {
        m->Power *= 100.0f;
      } else {
        m->Second[0] = m->Second[1] = m->Second[2] = 0.0f;
        m->Power = 0.0f;
      }
    }
    if (!in_.LabelFloat(&m->Alpha) || !in_.LabelInt(&m->Map) || !in_.LabelInt(&m->Palette)) return false;
    if (m->Map >= 0) {
      m->Diffuse[0] = m->Diffuse[1] = m->Diffuse[2] = 1.0f;
    } else {
      m->Map = -1;
    }
    return true;
  }

  bool ReadMaterialLib() {
    if (!in_.Block("MaterialLib")) return Fail("expected a MaterialLib block");
    if (!ReadNames("Maps", true, &s_.Maps) || !ReadNames("Pals", false, &s_.Palettes)) return false;
    std::int32_t count = 0;
    if (!in_.LabelInt(&count) || !Fits(in_, count, kMinMaterialText)) return Fail("bad material count");
    if (!in_.Block("Materials")) return Fail("expected a Materials block");
    for (std::int32_t i = 0; i < count; ++i) {
      SceneMaterial m;
      if (!ReadMaterial(&m)) return Fail("expected material " + std::to_string(i));
      if (m.Map >= static_cast<std::int32_t>(s_.Maps.size()))
        return Fail("material " + std::to_string(i) + " names a map the file does not hold");
      s_.MaterialLib.push_back(m);
    }
    if (!in_.EndBlock()) return Fail("expected the end of the Materials block");
    return in_.EndBlock() || Fail("expected the end of the MaterialLib block");
  }

  // The texture and material slots, from the engine's libraries.
  bool ResolveLibrary() {
    if (s_.Textures != nullptr) {
      s_.TextureSlots.push_back(s_.Textures->GetTextureByIndex(0));
      for (const std::string& map : s_.Maps) {
        char path[512];
        if (!FindTextureFile(map.c_str(), path, sizeof path)) {
          ErrorBox("Unable to load model.\nBad texture file.\n\"%s\"\n", s_.Name);
          s_.Error = "texture " + map + " does not load";
          return false;
        }
        s_.TextureSlots.push_back(s_.Textures->GetTexture(map.c_str(), TEXF_MIPMAPS));
      }
    }
    if (s_.Materials != nullptr) {
      s_.MaterialSlots.push_back(s_.Materials->GetByIndex(0));
      for (const SceneMaterial& m : s_.MaterialLib) {
        const float diffuse[4] = {m.Diffuse[0], m.Diffuse[1], m.Diffuse[2], m.Alpha};
        const float specular[4] = {m.Second[0], m.Second[1], m.Second[2], 1.0f};
        const float emissive[4] = {m.Third[0], m.Third[1], m.Third[2], 1.0f};
        s_.MaterialSlots.push_back(s_.Materials->FindOrAdd(diffuse, specular, m.Power, emissive));
      }
    }
    return true;
  }

  bool ReadMeshes() {
    const std::int32_t meshes = s_.HeaderValues[1];
    if (!Fits(in_, meshes, kMinMeshText)) return Fail("bad mesh count");
    for (std::int32_t i = 0; i < meshes; ++i) {
      if (!in_.Expect("Mesh")) return Fail("expected Mesh " + std::to_string(i));
      CTriObject object;
      if (!object.Read(in_, s_.Version, s_.Name, static_cast<int>(s_.MaterialLib.size()), &s_.Error)) return false;
      s_.VertexCount += object.VertexFrames.empty() ? 0 : static_cast<int>(object.VertexFrames[0].size());
      s_.FaceCount += static_cast<int>(object.Faces.size());
      s_.Objects.push_back(std::move(object));
    }
    // Physics vertices name objects of the scene, earlier or later ones.
    for (CTriObject& o : s_.Objects)
      for (PhysVertexGroup& group : o.PhysVertexGroups)
        for (PhysVertex& p : group) p.Object = s_.FindObject(p.Name.c_str());
    return true;
  }

  CScene& s_;
  ModelTextCursor in_;
};

bool SameNameNoCase(const std::string& a, const char* b) { return UpperName(a) == UpperName(b); }

}  // namespace

std::int32_t SweepHitKindFromName(const char* name) { return LookupValueByName(kSweepHitKinds, name ? name : ""); }

int CScene::ReadHeader(const char* fileName, int* version, int* type) {
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!fileName || !LoadFile(fileName, &text, &size, nullptr, MEMCAT_GAME)) return 0;
  int v = 0, t = 0;
  ModelTextCursor in(text);
  const bool ok = ReadHeaderValues(in, &v, &t);
  FreeLoadedFile(text);
  if (!ok) return 0;
  if (version) *version = v;
  if (type) *type = t;
  return 1;
}

int CScene::Load(const char* fileName, int wantedType, int /*flag*/) {
  Free();
  Error.clear();
  if (!fileName) return 0;
  std::strncpy(Name, fileName, kNameSize - 1);
  Name[kNameSize - 1] = 0;
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(fileName, &text, &size, nullptr, MEMCAT_GAME)) {
    Error = "the file cannot be read";
    return 0;
  }
  const int result = Parse(text, wantedType);
  FreeLoadedFile(text);
  return result;
}

int CScene::Parse(const char* text, int wantedType) {
  Free();
  Error.clear();
  SceneReader reader(this, text);
  const int result = reader.Read(wantedType);
  if (result != 1) {
    std::string reason = std::move(Error);
    Free();
    Error = std::move(reason);
    DebugTrace("Model %s not loaded: %s\n", Name, Error.c_str());
  }
  return result;
}

void CScene::Free() {
  Version = 0;
  Type = 0;
  for (std::int32_t& h : HeaderValues) h = 0;
  ShadowSource = "NOSHADOW";
  ConnectorFlag = 0;
  const std::int32_t defaults[5] = {5, 1, 5, 1, 0};
  std::copy(std::begin(defaults), std::end(defaults), Collision);
  Bounds = TriBounds();
  Connectors.clear();
  Maps.clear();
  Palettes.clear();
  MaterialLib.clear();
  Objects.clear();
  VertexCount = 0;
  FaceCount = 0;
  TextureSlots.clear();
  MaterialSlots.clear();
}

const CTriObject* CScene::GetObject(int i) const {
  return i >= 0 && i < ObjectCount() ? &Objects[static_cast<std::size_t>(i)] : nullptr;
}

int CScene::FindObject(const char* name) const {
  if (!name) return -1;
  for (int i = 0; i < ObjectCount(); ++i)
    if (SameNameNoCase(Objects[static_cast<std::size_t>(i)].Name, name)) return i;
  return -1;
}

const CMatrix* CScene::GetObjectMatrix(int object, int frame) const {
  const CTriObject* o = GetObject(object);
  return o ? o->MatrixAt(frame) : nullptr;
}

CMaterial* CScene::MaterialSlot(int material) const {
  const std::size_t slot = material >= 0 && material + 1 < static_cast<int>(MaterialSlots.size())
                               ? static_cast<std::size_t>(material + 1)
                               : 0;
  return MaterialSlots.empty() ? nullptr : MaterialSlots[slot];
}

CTexture* CScene::TextureSlot(int material) const {
  if (TextureSlots.empty()) return nullptr;
  const int map = material >= 0 && material < static_cast<int>(MaterialLib.size())
                      ? MaterialLib[static_cast<std::size_t>(material)].Map
                      : -1;
  const std::size_t slot = map >= 0 && map + 1 < static_cast<int>(TextureSlots.size()) ? static_cast<std::size_t>(map + 1) : 0;
  return TextureSlots[slot];
}
