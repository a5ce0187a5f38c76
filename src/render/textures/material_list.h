// Unique lighting materials: each CMaterial keeps its colours and power, an
// identifier hashed from them and the Direct3D material record made from them.
// The list reads the "MATL" object-file section and has a text form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/d3d8/d3d8.h"
#include "render/device/list_temp.h"

class BufferedFile;
class ByteReader;

// Size of a "MATL" record: identifier and 13 floats.
inline constexpr std::size_t kMatlRecordSize = 56;

class CMaterial {
 public:
  CMaterial() = default;
  ~CMaterial();
  CMaterial(const CMaterial&) = delete;
  CMaterial& operator=(const CMaterial&) = delete;

  // Remakes the device material from the colours and power and recomputes Id; answers 1.
  int BuildDeviceMaterial();

  std::uint32_t Id = 0;
  float Diffuse[4] = {};
  float Specular[4] = {};
  float Power = 0.0f;
  float Emissive[4] = {};
  D3DMATERIAL8* DeviceMaterial = nullptr;
};

// The identifier of a material: the no-case hash of its 13 numbers printed with "%f".
std::uint32_t ComputeMaterialId(const float diffuse[4], const float specular[4], float power, const float emissive[4]);

class CMaterialList {
 public:
  // A list holding the default material (white diffuse, black specular and emissive).
  CMaterialList();
  ~CMaterialList() = default;
  CMaterialList(const CMaterialList&) = delete;
  CMaterialList& operator=(const CMaterialList&) = delete;

  // The first material whose 13 values are each within 7.6e-6 of these, else a new one.  Never null.
  CMaterial* FindOrAdd(const float diffuse[4], const float specular[4], float power, const float emissive[4]);
  // The i-th material; null when i is out of range.
  CMaterial* GetByIndex(int i) const;
  // The first material with the identifier; null when none.
  CMaterial* GetById(std::uint32_t id) const;
  // Rebuilds every device material; answers 1.
  int RebuildDeviceMaterials();
  // Reads a "MATL" body through the file handle; 0 after an error box when the
  // tag is wrong or the records run past the file.
  int ReadMATL(BufferedFile* file);
  // The same over bytes in memory.
  int ReadMATL(ByteReader& reader);
  // Writes the text list ("NumMaterials", "MaterialList { ... }").
  void WriteTextList(std::FILE* stream) const;
  // Reads the text list from a parser's stream (no word before the specular
  // and emissive groups); answers 1, 0 when the stream is null.
  int ReadTextList(std::FILE* stream);

  std::int32_t Count = 0;
  ListTemp<CMaterial> List;

 private:
  int ReadMatlRecords(ByteReader& reader, std::int32_t count);
};
