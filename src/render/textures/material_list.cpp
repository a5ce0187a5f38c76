#include "render/textures/material_list.h"

#include <cstring>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/byte_reader.h"
#include "foundation/maths/float_compare.h"
#include "foundation/text/hash.h"
#include "foundation/system/message_box.h"

namespace {

bool SameValues(const float* a, const float* b, int n) {
  for (int i = 0; i < n; ++i)
    if (!FloatsEqual(a[i], b[i])) return false;
  return true;
}

D3DCOLORVALUE ColourValue(const float c[4]) { return {c[0], c[1], c[2], c[3]}; }

}  // namespace

std::uint32_t ComputeMaterialId(const float diffuse[4], const float specular[4], float power, const float emissive[4]) {
  char text[13 * 64];
  std::snprintf(text, sizeof text, "%f%f%f%f%f%f%f%f%f%f%f%f%f", diffuse[0], diffuse[1], diffuse[2], diffuse[3],
                specular[0], specular[1], specular[2], specular[3], power, emissive[0], emissive[1], emissive[2],
                emissive[3]);
  return HashStringNoCase(text);
}

CMaterial::~CMaterial() { MEM_DELETE DeviceMaterial; }

int CMaterial::BuildDeviceMaterial() {
  MEM_DELETE DeviceMaterial;
  DeviceMaterial = MEM_NEW(MEMCAT_GAME) D3DMATERIAL8{};
  DeviceMaterial->Diffuse = ColourValue(Diffuse);
  DeviceMaterial->Ambient = ColourValue(Diffuse);
  DeviceMaterial->Specular = ColourValue(Specular);
  DeviceMaterial->Emissive = ColourValue(Emissive);
  DeviceMaterial->Power = Power;
  Id = ComputeMaterialId(Diffuse, Specular, Power, Emissive);
  return 1;
}

CMaterialList::CMaterialList() {
  const float diffuse[4] = {1, 1, 1, 1}, specular[4] = {0, 0, 0, 1}, emissive[4] = {0, 0, 0, 1};
  FindOrAdd(diffuse, specular, 0.0f, emissive);
}

CMaterial* CMaterialList::FindOrAdd(const float diffuse[4], const float specular[4], float power,
                                    const float emissive[4]) {
  for (ListNode<CMaterial>* n = List.First(); n != nullptr; n = n->Next) {
    const CMaterial* m = n->Item;
    if (SameValues(m->Diffuse, diffuse, 4) && SameValues(m->Specular, specular, 4) && FloatsEqual(m->Power, power) &&
        SameValues(m->Emissive, emissive, 4))
      return n->Item;
  }
  auto* m = MEM_NEW(MEMCAT_GAME) CMaterial;
  std::memcpy(m->Diffuse, diffuse, sizeof m->Diffuse);
  std::memcpy(m->Specular, specular, sizeof m->Specular);
  m->Power = power;
  std::memcpy(m->Emissive, emissive, sizeof m->Emissive);
  List.Append(m);
  ++Count;
  m->BuildDeviceMaterial();
  return m;
}

CMaterial* CMaterialList::GetByIndex(int i) const {
  if (i < 0 || i >= Count) return nullptr;
  return List.At(i);
}

CMaterial* CMaterialList::GetById(std::uint32_t id) const {
  for (ListNode<CMaterial>* n = List.First(); n != nullptr; n = n->Next)
    if (n->Item->Id == id) return n->Item;
  return nullptr;
}

int CMaterialList::RebuildDeviceMaterials() {
  for (ListNode<CMaterial>* n = List.First(); n != nullptr; n = n->Next) n->Item->BuildDeviceMaterial();
  return 1;
}

int CMaterialList::ReadMatlRecords(ByteReader& reader, std::int32_t count) {
  if (count > 0 && !reader.HasRoomFor(static_cast<std::size_t>(count), kMatlRecordSize)) {
    ErrorBox("MATL section is damaged in .EVO file");
    return 0;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    float diffuse[4], specular[4], power, emissive[4];
    reader.U32();  // the identifier is recomputed from the values
    for (float& v : diffuse) v = reader.F32();
    for (float& v : specular) v = reader.F32();
    power = reader.F32();
    for (float& v : emissive) v = reader.F32();
    if (!reader.Ok()) return 0;
    FindOrAdd(diffuse, specular, power, emissive);
  }
  return 1;
}

int CMaterialList::ReadMATL(ByteReader& reader) {
  if (!reader.Tag("MATL")) {
    ErrorBox("MATL section not found in .EVO file");
    return 0;
  }
  const std::int32_t count = reader.I32();
  if (!reader.Ok()) {
    ErrorBox("MATL section is damaged in .EVO file");
    return 0;
  }
  return ReadMatlRecords(reader, count);
}

int CMaterialList::ReadMATL(BufferedFile* file) {
  std::uint8_t header[8] = {};
  const bool whole = file != nullptr && FileRead(header, sizeof header, 1, file) == 1;
  ByteReader head(header, whole ? sizeof header : 0);
  if (!head.Tag("MATL")) {
    ErrorBox("MATL section not found in .EVO file");
    return 0;
  }
  const std::int32_t count = head.I32();
  if (!head.Ok()) {
    ErrorBox("MATL section is damaged in .EVO file");
    return 0;
  }
  if (count < 1) return 1;
  const std::uint32_t size = FileGetSize(file);
  const std::uint64_t left = size == kBufferedFileUnknownSize || file->readPosition > size ? 0 : size - file->readPosition;
  if (static_cast<std::uint64_t>(count) * kMatlRecordSize > left) {
    ErrorBox("MATL section is damaged in .EVO file");
    return 0;
  }
  std::vector<std::uint8_t> body(static_cast<std::size_t>(count) * kMatlRecordSize);
  const std::size_t got = FileRead(body.data(), 1, body.size(), file);
  ByteReader records(body.data(), got);
  return ReadMatlRecords(records, count);
}

void CMaterialList::WriteTextList(std::FILE* stream) const {
  std::fprintf(stream, "NumMaterials %d\r\n", Count);
  std::fprintf(stream, "MaterialList {\r\n");
  for (ListNode<CMaterial>* n = List.First(); n != nullptr; n = n->Next) {
    const CMaterial* m = n->Item;
    std::fprintf(stream, " %08x d %f %f %f %f", m->Id, m->Diffuse[0], m->Diffuse[1], m->Diffuse[2], m->Diffuse[3]);
    std::fprintf(stream, " s %f %f %f %f", m->Specular[0], m->Specular[1], m->Specular[2], m->Specular[3]);
    std::fprintf(stream, " %f", m->Power);
    std::fprintf(stream, " s %f %f %f %f", m->Emissive[0], m->Emissive[1], m->Emissive[2], m->Emissive[3]);
  }
  std::fprintf(stream, "}\r\n");
}

int CMaterialList::ReadTextList(std::FILE* stream) {
  if (stream == nullptr) return 0;
  char word[256];
  int count = 0;
  if (std::fscanf(stream, "%255s%d%255s%255s", word, &count, word, word) != 4) return 1;
  for (int i = 0; i < count; ++i) {
    unsigned int id;
    float diffuse[4], specular[4], power, emissive[4];
    if (std::fscanf(stream, "%08x%255s%f", &id, word, &diffuse[0]) != 3) break;
    if (std::fscanf(stream, "%f%f%f", &diffuse[1], &diffuse[2], &diffuse[3]) != 3) break;
    if (std::fscanf(stream, "%f%f%f%f", &specular[0], &specular[1], &specular[2], &specular[3]) != 4) break;
    if (std::fscanf(stream, "%f", &power) != 1) break;
    if (std::fscanf(stream, "%f%f%f%f", &emissive[0], &emissive[1], &emissive[2], &emissive[3]) != 4) break;
    FindOrAdd(diffuse, specular, power, emissive);
  }
  std::fscanf(stream, "%255s", word);
  return 1;
}
