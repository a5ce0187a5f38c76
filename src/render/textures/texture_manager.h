// The texture library: one CTexture record per picture file, found by name
// (any case, extension ignored) or by identifier, reference counted, made into
// device textures on demand; reads and writes the "TEXL" object-file section
// and a text list.  Index 0 is always the record "Default".  Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "render/device/list_temp.h"
#include "render/textures/texture.h"

class BufferedFile;
class ByteReader;

// Progress callback of LoadTextures (called with 0, 0, 0).
using TextureProgress = void (*)(int, int, int);

// Size of a "TEXL" record: identifier and 64-byte name.
inline constexpr std::size_t kTexlRecordSize = 68;
inline constexpr std::size_t kTexlNameSize = 64;

class CTextureManager {
 public:
  // An empty library holding the "Default" record.
  CTextureManager();
  // Frees every record and restarts the device's palette numbering.
  ~CTextureManager();
  CTextureManager(const CTextureManager&) = delete;
  CTextureManager& operator=(const CTextureManager&) = delete;

  // Frees every record, then holds a fresh "Default" record only.
  void Clear();
  // The record for the name (extension ignored, any case), made when new with
  // the flags; counts a reference.  Never null.  Makes no device texture.
  CTexture* GetTexture(const char* name, std::uint32_t flags);
  // Removes the record at once whatever its count (nothing during a catalog build).
  void ReleaseTexture(CTexture* texture);
  void SetMarkNew(std::uint32_t on) { MarkNew = on; }
  // Creates the device textures of the records added since the last call;
  // progress (may be null) is called for every second record.
  void LoadTextures(TextureProgress progress);

  // The i-th record; null when i is out of range.
  CTexture* GetTextureByIndex(int i) const;
  // The first record with the identifier; null when none.
  CTexture* FindById(std::uint32_t id) const;
  // The first record whose name equals name (extension ignored, any case); null when none.
  CTexture* FindByName(const char* name) const;
  // The first record whose stored name has the case-sensitive hash h; null when none.
  CTexture* FindByNameHash(std::uint32_t h) const;
  // Index of the first record whose name equals name; -1 when none.
  int IndexOfName(const char* name) const;
  // Sets the user value of record index (0 .. Count - 1); answers the record, null out of range.
  CTexture* SetUserValue(int index, std::uint32_t value);
  // Reads a count, then name and value pairs; matching records get the values.  Answers 1.
  int ReadUserValues(BufferedFile* file);

  // Writes the text list ("NumTextures", "TextureList { ... }").
  void WriteTextList(std::FILE* stream) const;
  // Reads the text list; 0 after an error box when a record cannot be made.
  int ReadTextList(BufferedFile* file);
  // Writes a "TEXL" body: every record (count < 0) or those whose Id is among
  // the first count ids; the record count written is that of the records written.
  void WriteTEXL(std::FILE* stream, int count, const std::uint32_t* ids) const;
  // Reads a "TEXL" body through the file handle; 0 after an error box when the
  // tag is wrong, the records run past the file, or a record cannot be made.
  int ReadTEXL(BufferedFile* file);
  // The same over bytes in memory.
  int ReadTEXL(ByteReader& reader);
  // Warns once for every ordered pair of records with equal identifiers.
  void CheckDuplicateIds() const;

  std::uint32_t Changed = 0;
  std::uint32_t Unused[2] = {0, 0};
  std::uint32_t MarkNew = 0;
  std::int32_t Count = 0;
  ListTemp<CTexture> List;
  std::uint32_t LoadPending = 0;

 private:
  void AddDefault();
  int ReadTexlRecords(ByteReader& reader, std::int32_t count);
};

// Names equal once their extensions are removed, ignoring case.
bool NamesEqual(const char* a, const char* b);
