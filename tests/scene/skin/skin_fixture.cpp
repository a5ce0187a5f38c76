#include "scene/skin/skin_fixture.h"

#include "foundation/byte_reader.h"

namespace skin_fixture {

namespace {

SkinInfluence Influence(float x, float y, float z, std::uint16_t bone, float weight, float u = 0.25f,
                        float v = 0.75f) {
  SkinInfluence s;
  s.Position = {x, y, z};
  s.Normal = {0.0f, 0.0f, -1.0f};
  s.Colour = 0xFF102030u + bone;
  s.U = u;
  s.V = v;
  s.Bone = bone;
  s.Reserved = static_cast<std::uint16_t>(0x1200 + bone);
  s.Weight = weight;
  return s;
}

}  // namespace

SkinData FilledData() {
  SkinData d;
  d.TextureId = 0x1234;
  d.MaterialId = -77;
  d.VertexCount = 5;
  const int counts[5] = {1, 2, 3, 1, 4};
  d.FirstInfluence.push_back(0);
  for (int v = 0; v < 5; ++v) {
    for (int k = 0; k < counts[v]; ++k)
      d.Influences.push_back(Influence(static_cast<float>(v), static_cast<float>(k) * 0.5f, -1.5f,
                                       static_cast<std::uint16_t>(k), 1.0f / static_cast<float>(counts[v]),
                                       0.1f * static_cast<float>(v), 0.2f * static_cast<float>(k)));
    d.FirstInfluence.push_back(static_cast<std::uint32_t>(d.Influences.size()));
  }
  d.ListIndexCount = 6;
  d.ListIndices = {0, 1, 2, 2, 1, 3};
  d.StripIndexCount = 5;
  d.StripIndices = {0, 1, 2, 3, 4};
  d.StripData = {1, 2, 3, 4, 5, 6, 7};
  d.ShadowFaces.resize(2);
  d.ShadowFaces[0] = {{0, 1, 2}, {kSkinNoNeighbour, 1, kSkinNoNeighbour}, {0, 0, 1}, -2.5f, 1};
  d.ShadowFaces[1] = {{2, 1, 3}, {0, kSkinNoNeighbour, kSkinNoNeighbour}, {0, 1, 0}, 4.0f, 0};
  return d;
}

std::vector<std::uint8_t> FilledChunk() {
  ByteWriter out;
  WriteSkinChunk(out, FilledData(), 1);
  return out.Data();
}

SkinSource TwoBoneStrip(int quads) {
  SkinSource source;
  source.TextureId = 7;
  source.MaterialId = 9;
  const int columns = quads + 1;
  const int middle = columns / 2;
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < 2; ++r) {
      const float x = 10.0f * static_cast<float>(c), y = 10.0f * static_cast<float>(r);
      const float u = static_cast<float>(c) / static_cast<float>(quads), v = static_cast<float>(r);
      std::vector<SkinInfluence> list;
      if (c < middle) {
        list.push_back(Influence(x, y, 0.0f, 0, 0.3f, u, v));  // one influence: its weight is ignored
      } else if (c == middle) {
        list.push_back(Influence(x, y, 0.0f, 0, 0.5f, u, v));
        list.push_back(Influence(x - 10.0f * static_cast<float>(middle), y, 0.0f, 1, 0.5f, u, v));
      } else {
        list.push_back(Influence(x - 10.0f * static_cast<float>(middle), y, 0.0f, 1, 1.0f, u, v));
      }
      source.Vertices.push_back(list);
    }
  }
  for (int c = 0; c < quads; ++c) {
    const auto a = static_cast<std::uint16_t>(2 * c), b = static_cast<std::uint16_t>(2 * c + 1);
    const auto e = static_cast<std::uint16_t>(2 * c + 2), f = static_cast<std::uint16_t>(2 * c + 3);
    source.ListIndices.insert(source.ListIndices.end(), {a, e, b, b, e, f});
  }
  return source;
}

CMatrix Bone(float z, float x, float y, float scale, const CVector3& translation) {
  CMatrix m;
  m.SetRotationZXY(z, x, y);
  m.ScaleUniform(scale);
  m.SetTranslation(translation);
  return m;
}

}  // namespace skin_fixture
