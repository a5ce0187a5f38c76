// Any text parsed as a model source file and as a key block: the readers
// must stay inside the text and refuse counts and indices that it does not
// hold; an accepted scene must be consistent, and the geometry helpers must
// take any object it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/win32/message_box.h"
#include "scene/model/model_source_fixture.h"
#include "scene/model/scene.h"
#include "scene/model/scene_geometry.h"

namespace {

void WriteSeeds(const std::string& folder) {
  for (int v : {2, 4, 7, 9, 12, 14, 15})
    std::ofstream(folder + "/sample_v" + std::to_string(v) + ".mdl", std::ios::binary)
        << model_fixture::WriteModelText(model_fixture::SampleScene(v));
}

bool Within(const std::vector<std::int32_t>& indices, std::size_t size) {
  for (std::int32_t i : indices)
    if (i < 0 || static_cast<std::size_t>(i) >= size) return false;
  return true;
}

void Check(const CScene& s) {
  if (s.ObjectCount() != s.HeaderValues[1]) __builtin_trap();
  int vertices = 0, faces = 0;
  for (const SceneMaterial& m : s.MaterialLib)
    if (m.Map < -1 || m.Map >= static_cast<std::int32_t>(s.Maps.size())) __builtin_trap();
  for (const StaticConnector& c : s.Connectors)
    if (c.Name.size() > static_cast<std::size_t>(CScene::kConnectorNameLength)) __builtin_trap();
  for (const CTriObject& o : s.Objects) {
    const std::size_t nv = o.VertexFrames.empty() ? 0 : o.VertexFrames[0].size();
    const std::size_t nn = o.NormalFrames.empty() ? 0 : o.NormalFrames[0].size();
    const std::size_t nc = o.ColourFrames.empty() ? 0 : o.ColourFrames[0].size();
    for (const auto& f : o.VertexFrames)
      if (f.size() != nv) __builtin_trap();
    for (const TriFace& f : o.Faces) {
      if (f.VertexCount() < kTriFaceMinVertices || f.VertexCount() > kTriFaceMaxVertices) __builtin_trap();
      if (!Within(f.Vertices, nv) || !Within(f.Normals, nn) || !Within(f.Colours, nc)) __builtin_trap();
      if (f.Material < -1 || f.Material >= static_cast<std::int32_t>(s.MaterialLib.size())) __builtin_trap();
      for (const auto& set : f.TexCoords)
        if (set.size() != f.Vertices.size()) __builtin_trap();
    }
    vertices += static_cast<int>(nv);
    faces += static_cast<int>(o.Faces.size());
    IndexedVertexSet set;
    if (BuildIndexedVertexSet(o, &set))
      for (std::uint16_t i : set.Indices)
        if (i >= set.Vertices.size()) __builtin_trap();
    ObjectFacePlanes(o);
    if (!o.Faces.empty()) FindAdjacentFace(o, 0, 0);
    CPoly* list = BuildCollisionPolyList(o);
    FreePolyList(&list);
  }
  if (vertices != s.VertexCount || faces != s.FaceCount) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMessageBoxEcho(false);  // the "Bad Face !" and connector boxes
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
  CScene s;
  std::strcpy(s.Name, "fuzz.mdl");
  if (s.Parse(text.c_str(), CScene::kAnyType) == 1)
    Check(s);
  else if (s.ObjectCount() != 0 || !s.MaterialLib.empty())
    __builtin_trap();
  ModelTextCursor in(text.c_str());
  CTriObject keys;
  const TriKeysRead read = keys.ReadKeys(in);
  if ((read == TriKeysRead::Missing && !keys.Keys.empty()) || keys.KeyCount() > kTriMaxKeys) __builtin_trap();
  return 0;
}
