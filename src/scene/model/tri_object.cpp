#include "scene/model/tri_object.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "platform/win32/message_box.h"

namespace {

// Shortest text each repeated item can take (its tokens, one byte each, and
// their separators); a count that cannot fit in what is left of the text is
// refused before anything is kept for it.
constexpr std::size_t kMinKeyText = 34;     // 4 labels and 13 numbers
constexpr std::size_t kMinTripleText = 6;   // 3 numbers
constexpr std::size_t kMinFrameText = 10;   // label, count, keyword and braces
constexpr std::size_t kMinGroupText = 2;    // a count
constexpr std::size_t kMinPhysText = 10;    // a name and 4 numbers
constexpr std::size_t kMinFaceText = 24;    // labels, counts, 3 vertices and a normal

bool Fits(const ModelTextCursor& in, std::int32_t count, std::size_t minText) {
  return count >= 0 && static_cast<std::size_t>(count) <= in.Remaining() / minText;
}

// How a frame block's values are taken.
enum class FrameValues { Plain, Rounded, Skipped, White };

class ObjectReader {
 public:
  ObjectReader(CTriObject* object, ModelTextCursor& in, int version, const char* sceneName, int materialCount,
               std::string* error)
      : o_(*object), in_(in), version_(version), scene_(sceneName ? sceneName : ""), materials_(materialCount),
        error_(error) {}

  bool Read() {
    if (!in_.Expect("Name") || !in_.Name(&o_.Name)) return Fail("expected Name and the object's name");
    o_.Name = UpperName(o_.Name);
    if (!ReadParent()) return false;
    if (!in_.LabelInt(&o_.KeyFlag) || !in_.LabelInt(&o_.PositionsFlag)) return Fail("expected the key and positions flags");
    if (version_ > 2 && !in_.LabelInt(&o_.ObjectFlag)) return Fail("expected the object flag");
    float v[3];
    if (!in_.LabelFloats(v, 3)) return Fail("expected the object's vector");
    o_.Vector = {v[0], v[1], v[2]};
    if (version_ >= 12) {
      if (!in_.Expect("BSPSource") || !in_.Name(&o_.BspSource)) return Fail("expected BSPSource and a name");
      o_.BspSource = UpperName(o_.BspSource);
    }
    if (!in_.Block("BoundsInfo") || !ReadBoundsEntry(in_, &o_.Bounds) || !in_.EndBlock())
      return Fail("expected a BoundsInfo block");
    if (o_.KeyFlag == 0) {
      Pose key;
      if (!in_.Block("PRSInfo") || !ReadTransformKey(in_, &key) || !in_.EndBlock())
        return Fail("expected a PRSInfo block of one key");
      o_.Keys.push_back(key);
      o_.Matrices.resize(1);
      PoseToMatrix(key, &o_.Matrices[0]);
    }
    if (version_ > 2 && !ReadPhysVertices()) return false;
    if (!ReadFrames("VertexFrames", "VertexList", o_.PositionsFlag ? FrameValues::Rounded : FrameValues::Skipped,
                    &o_.VertexFrames) ||
        !ReadFrames("NormalFrames", "NormalList", FrameValues::Plain, &o_.NormalFrames) ||
        !ReadFrames("ColourFrames", "ColourList", version_ < 9 ? FrameValues::White : FrameValues::Plain,
                    &o_.ColourFrames))
      return false;
    return ReadFaces();
  }

 private:
  bool Fail(const std::string& what) {
    *error_ = "line " + std::to_string(in_.Line()) + ": " + what;
    if (!o_.Name.empty()) *error_ += " (object " + o_.Name + ")";
    return false;
  }

  bool ReadParent() {
    if (version_ >= 3) {
      if (!in_.Expect("Parent") || !in_.Name(&o_.Parent)) return Fail("expected Parent and a name");
      o_.Parent = UpperName(o_.Parent);
      return true;
    }
    // The portal values of the oldest files, read and not kept.
    std::int32_t i = 0;
    float f = 0.0f;
    std::string name;
    if (!in_.LabelInt(&i) || !in_.Expect("PortalOwner") || !in_.Name(&name) || !in_.Expect("PortalTarget") ||
        !in_.Name(&name) || !in_.LabelInt(&i) || !in_.LabelFloat(&f) || !in_.LabelInt(&i) || !in_.LabelInt(&i) ||
        !in_.LabelInt(&i))
      return Fail("expected the portal values");
    o_.Parent = "Undefined";
    if (!in_.LabelInt(&i)) return Fail("expected the portal values");
    return true;
  }

  bool ReadPhysVertices() {
    std::int32_t groups = 0;
    if (!in_.LabelInt(&groups) || !Fits(in_, groups, kMinGroupText)) return Fail("bad physics vertex group count");
    if (!in_.Block("PhysVertexList")) return Fail("expected a PhysVertexList block");
    for (std::int32_t g = 0; g < groups; ++g) {
      std::int32_t n = 0;
      if (!in_.Int(&n) || !Fits(in_, n, kMinPhysText)) return Fail("bad physics vertex count");
      PhysVertexGroup group;
      for (std::int32_t k = 0; k < n; ++k) {
        PhysVertex p;
        if (!in_.Name(&p.Name) || !in_.Floats(p.Values, 4)) return Fail("expected a physics vertex");
        p.Name = UpperName(p.Name);
        group.push_back(std::move(p));
      }
      o_.PhysVertexGroups.push_back(std::move(group));
    }
    return in_.EndBlock() || Fail("expected the end of the PhysVertexList block");
  }

  bool ReadFrames(const char* framesKeyword, const char* listKeyword, FrameValues values,
                  std::vector<std::vector<CVector3>>* frames) {
    const std::string what = framesKeyword;
    std::int32_t count = 0;
    if (!in_.LabelInt(&count) || !Fits(in_, count, kMinFrameText)) return Fail("bad frame count before " + what);
    if (!in_.Block(framesKeyword)) return Fail("expected a " + what + " block");
    for (std::int32_t f = 0; f < count; ++f) {
      std::int32_t n = 0;
      if (!in_.LabelInt(&n) || !Fits(in_, n, kMinTripleText)) return Fail("bad count in " + what);
      if (!in_.Block(listKeyword)) return Fail(std::string("expected a ") + listKeyword + " block");
      std::vector<CVector3> frame(static_cast<std::size_t>(n));
      if (values == FrameValues::Skipped) {
        if (!in_.SkipBlock()) return Fail(std::string("the ") + listKeyword + " block has no end");
      } else {
        for (CVector3& p : frame) {
          if (!in_.Float(&p.x) || !in_.Float(&p.y) || !in_.Float(&p.z)) return Fail("expected 3 numbers in " + what);
          if (values == FrameValues::Rounded) p = {RoundToTenth(p.x), RoundToTenth(p.y), RoundToTenth(p.z)};
          if (values == FrameValues::White) p = {1.0f, 1.0f, 1.0f};
        }
        if (!in_.EndBlock()) return Fail(std::string("expected the end of the ") + listKeyword + " block");
      }
      if (!frames->empty() && frame.size() != frames->front().size())
        return Fail("the frames of " + what + " differ in size");
      frames->push_back(std::move(frame));
    }
    return in_.EndBlock() || Fail("expected the end of the " + what + " block");
  }

  static std::int32_t FrameSize(const std::vector<std::vector<CVector3>>& frames) {
    return frames.empty() ? 0 : static_cast<std::int32_t>(frames.front().size());
  }

  bool InRange(const std::vector<std::int32_t>& indices, std::int32_t size) const {
    for (std::int32_t i : indices)
      if (i < 0 || i >= size) return false;
    return true;
  }

  bool ReadIndices(int n, std::vector<std::int32_t>* out) {
    out->resize(static_cast<std::size_t>(n));
    for (std::int32_t& i : *out)
      if (!in_.Int(&i)) return false;
    return true;
  }

  bool ReadFace(int number, TriFace* f) {
    std::string label;
    std::int32_t flags = 0, material = 0, smoothing = 0, count = 0;
    if (!in_.LabelInt(&flags) || !in_.LabelInt(&material)) return Fail("expected a face");
    if (version_ >= 7 && !in_.LabelInt(&smoothing)) return Fail("expected a face's smoothing word");
    if (!in_.LabelInt(&count) || !in_.Word(&label)) return Fail("expected a face's vertex count");
    if (count < kTriFaceMinVertices || count > kTriFaceMaxVertices)
      return Fail("face " + std::to_string(number) + " has " + std::to_string(count) + " vertices");
    f->Flags = static_cast<std::uint32_t>(flags);
    f->Material = material;
    f->Smoothing = static_cast<std::uint32_t>(smoothing);
    if (!ReadIndices(count, &f->Vertices) || !in_.Word(&label)) return Fail("expected a face's vertex indices");
    if (!ReadIndices(f->Flags & TRIFACE_VERTEX_NORMALS ? count : 1, &f->Normals))
      return Fail("expected a face's normal indices");
    if ((f->Flags & TRIFACE_VERTEX_COLOURS) && (!in_.Word(&label) || !ReadIndices(count, &f->Colours)))
      return Fail("expected a face's colour indices");
    if (f->Flags & TRIFACE_TEXCOORDS) {
      std::int32_t sets = 0;
      if (!in_.LabelInt(&sets) || !in_.Word(&label)) return Fail("expected a face's texture coordinate sets");
      if (sets < 0 || sets > kTriMaxTexCoordSets)
        return Fail("face " + std::to_string(number) + " has " + std::to_string(sets) + " texture coordinate sets");
      f->TexCoords.assign(static_cast<std::size_t>(sets), std::vector<TriTexCoord>(static_cast<std::size_t>(count)));
      for (auto& set : f->TexCoords)
        for (TriTexCoord& t : set)
          if (!in_.Float(&t.u) || !in_.Float(&t.v)) return Fail("expected texture coordinates");
    }
    const std::string which = "face " + std::to_string(number) + " names ";
    if (!InRange(f->Vertices, FrameSize(o_.VertexFrames))) return Fail(which + "a vertex the object does not hold");
    if (!InRange(f->Normals, FrameSize(o_.NormalFrames))) return Fail(which + "a normal the object does not hold");
    if (!InRange(f->Colours, FrameSize(o_.ColourFrames))) return Fail(which + "a colour the object does not hold");
    if (f->Material < -1 || f->Material >= materials_) return Fail(which + "a material the scene does not hold");
    return true;
  }

  bool UsesAVertexTwice(const TriFace& f) const {
    for (std::size_t i = 0; i < f.Vertices.size(); ++i)
      for (std::size_t j = i + 1; j < f.Vertices.size(); ++j)
        if (f.Vertices[i] == f.Vertices[j]) return true;
    return false;
  }

  void ShowBadFace(int number, const TriFace& f) const {
    char line[160];
    std::string text = "Scene : " + scene_ + "\nObject : " + o_.Name + "\nFace : " + std::to_string(number) +
                       "\nVertices :\n";
    for (std::int32_t i : f.Vertices) {
      const CVector3 p = o_.Position(i);
      std::snprintf(line, sizeof line, "    %d : (%.02f,  %.02f,  %.02f)\n", i, static_cast<double>(p.x),
                    static_cast<double>(p.y), static_cast<double>(p.z));
      text += line;
    }
    text += "\nVertices need welding...";
    MessageBoxA(GetActiveWindow(), text.c_str(), "Bad Face !", MB_OK);
  }

  // Material and corner positions of a face, as bytes (a zero of either sign alike).
  std::string UniqueKey(const TriFace& f) const {
    std::string key(reinterpret_cast<const char*>(&f.Material), sizeof f.Material);
    for (std::int32_t i : f.Vertices) {
      const CVector3 p = o_.Position(i);
      for (float c : {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}) key.append(reinterpret_cast<const char*>(&c), sizeof c);
    }
    return key;
  }

  bool ReadFaces() {
    std::int32_t count = 0;
    if (!in_.LabelInt(&count) || !Fits(in_, count, kMinFaceText)) return Fail("bad face count");
    if (!in_.Block("FaceList")) return Fail("expected a FaceList block");
    std::unordered_set<std::string> unique;
    for (std::int32_t n = 0; n < count; ++n) {
      TriFace f;
      if (!ReadFace(n, &f)) return false;
      if (UsesAVertexTwice(f)) {
        ShowBadFace(n, f);  // shown, and kept
      } else if ((f.Flags & TRIFACE_UNIQUE) && !unique.insert(UniqueKey(f)).second) {
        continue;  // repeats an earlier face
      }
      o_.Faces.push_back(std::move(f));
    }
    return in_.EndBlock() || Fail("expected the end of the FaceList block");
  }

  CTriObject& o_;
  ModelTextCursor& in_;
  int version_;
  std::string scene_;
  int materials_;
  std::string* error_;
};

}  // namespace

float RoundToTenth(float v) {
  v += v < 0.0f ? -0.05f : 0.05f;
  return std::trunc(v * 10.0f) * 0.1f;
}

std::string UpperName(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

bool ReadTransformKey(ModelTextCursor& in, Pose* key) {
  float unused[3];
  if (!in.LabelFloats(&key->translation.x, 1) || !in.Float(&key->translation.y) || !in.Float(&key->translation.z))
    return false;
  if (!in.LabelFloats(unused, 3)) return false;
  if (!in.LabelFloats(&key->scale.x, 1) || !in.Float(&key->scale.y) || !in.Float(&key->scale.z)) return false;
  if (!in.LabelFloats(&key->rotation.x, 1) || !in.Float(&key->rotation.y) || !in.Float(&key->rotation.z) ||
      !in.Float(&key->rotation.w))
    return false;
  key->unused[0] = key->unused[1] = key->unused[2] = 0.0f;
  return true;
}

bool ReadBoundsEntry(ModelTextCursor& in, TriBounds* out) {
  float* w = out->Words;
  return in.LabelFloat(&w[6]) && in.LabelFloats(&w[0], 3) && in.Floats(&w[3], 3) && in.LabelFloat(&w[7]) &&
         in.LabelFloats(&w[8], 3) && in.LabelFloat(&w[11]);
}

TriKeysRead CTriObject::ReadKeys(ModelTextCursor& in) {
  Free();
  if (!in.Expect("Name") || !in.Name(&Name) || !in.Expect("Parent") || !in.Name(&Parent)) return TriKeysRead::Damaged;
  std::int32_t keyCount = 0;
  if (!in.LabelInt(&keyCount) || !in.LabelInt(&FrameRate)) return TriKeysRead::Damaged;
  std::string word;
  if (!in.Word(&word)) return TriKeysRead::Damaged;
  if (word != "PRSInfo" || !in.Expect("{")) {
    // Not a key block: the rest of the object's block is passed over.
    return word == "}" || in.SkipBlock() ? TriKeysRead::Missing : TriKeysRead::Damaged;
  }
  if (keyCount > kTriMaxKeys || !Fits(in, keyCount, kMinKeyText)) return TriKeysRead::Damaged;
  Keys.resize(static_cast<std::size_t>(keyCount));
  for (Pose& key : Keys)
    if (!ReadTransformKey(in, &key)) return TriKeysRead::Damaged;
  return in.EndBlock() && in.EndBlock() ? TriKeysRead::Read : TriKeysRead::Damaged;
}

bool CTriObject::Read(ModelTextCursor& in, int version, const char* sceneName, int materialCount, std::string* error) {
  Free();
  std::string local;
  ObjectReader reader(this, in, version, sceneName, materialCount, error ? error : &local);
  return reader.Read();
}

void CTriObject::Free() { *this = CTriObject(); }

const CMatrix* CTriObject::MatrixAt(int frame) const {
  if (Matrices.empty()) return nullptr;
  const int n = static_cast<int>(Matrices.size());
  return &Matrices[static_cast<std::size_t>(((frame % n) + n) % n)];
}

CVector3 CTriObject::Position(int i) const {
  if (VertexFrames.empty() || i < 0 || i >= static_cast<int>(VertexFrames[0].size())) return {};
  return VertexFrames[0][static_cast<std::size_t>(i)];
}
