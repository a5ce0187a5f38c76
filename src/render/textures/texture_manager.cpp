#include "render/textures/texture_manager.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/byte_reader.h"
#include "foundation/files/catalog.h"
#include "foundation/text/hash.h"
#include "foundation/text/keyword_readers.h"
#include "foundation/system/message_box.h"
#include "foundation/files/path_helpers.h"
#include "render/device/render.h"
#include "render/textures/text_compare.h"

namespace {

constexpr char kNameDefault[] = "Default";

std::string WithoutExtension(const char* name) {
  char buffer[260];
  std::snprintf(buffer, sizeof buffer, "%s", name != nullptr ? name : "");
  ChangePathExtension(buffer, sizeof buffer, "");
  return buffer;
}

// Bytes of the open file not yet read; none when the size is not known.
std::uint32_t BytesLeft(BufferedFile* file) {
  const std::uint32_t size = FileGetSize(file);
  if (size == kBufferedFileUnknownSize || file->readPosition > size) return 0;
  return size - file->readPosition;
}

bool AtEnd(BufferedFile* file) { return file == nullptr || !file->open || BytesLeft(file) == 0; }

}  // namespace

bool NamesEqual(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  return TextEqualNoCase(WithoutExtension(a).c_str(), WithoutExtension(b).c_str());
}

CTextureManager::CTextureManager() { AddDefault(); }

CTextureManager::~CTextureManager() {
  List.DeleteAll();
  if (g_Render != nullptr) g_Render->ResetPalettes();
}

void CTextureManager::AddDefault() {
  auto* texture = MEM_NEW(MEMCAT_GAME) CTexture;
  texture->SetNameAndFlags(kNameDefault, 0);
  List.Append(texture);
  Count = 1;
}

void CTextureManager::Clear() {
  List.DeleteAll();
  if (g_Render != nullptr) g_Render->ResetPalettes();
  AddDefault();
  Changed = 0;
}

CTexture* CTextureManager::GetTexture(const char* name, std::uint32_t flags) {
  const std::string base = WithoutExtension(name);
  for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next) {
    CTexture* t = n->Item;
    if (!TextEqualNoCase(t->Name, base.c_str())) continue;
    if (MarkNew) t->Flags |= TEXF_CHARACTER;
    ++t->RefCount;
    return t;
  }
  auto* texture = MEM_NEW(MEMCAT_GAME) CTexture;
  texture->SetNameAndFlags(base.c_str(), MarkNew ? flags | TEXF_CHARACTER : flags);
  List.Append(texture);
  ++Count;
  texture->RefCount = 1;
  LoadPending = 1;
  return texture;
}

void CTextureManager::ReleaseTexture(CTexture* texture) {
  if (GetCatalogMode() & CATALOG_MODE_BUILD) return;
  if (texture != nullptr && List.Delete(texture)) --Count;
}

void CTextureManager::LoadTextures(TextureProgress progress) {
  if (!LoadPending) return;
  LoadPending = 0;
  int n = 0;
  bool deferred = false;
  for (ListNode<CTexture>* node = List.First(); node != nullptr; node = node->Next, ++n) {
    CTexture* t = node->Item;
    if (n != 0) {
      if (t->Flags & TEXF_CHARACTER) {
        deferred = true;
      } else if (t->DeviceTexture == nullptr && !t->Load() && (GetCatalogMode() & CATALOG_MODE_READ)) {
        // Not in this catalog: try the character catalog on a later call.
        t->Flags |= TEXF_CHARACTER;
      }
    }
    if (progress != nullptr && n % 2 == 0) progress(0, 0, 0);
  }
  if (!deferred) return;
  const int previous = GetCurrentCatalogId();
  CloseCatalog();
  OpenCatalog(2, nullptr, 1, 1);
  for (ListNode<CTexture>* node = List.First(); node != nullptr; node = node->Next, ++n) {
    CTexture* t = node->Item;
    if ((t->Flags & TEXF_CHARACTER) && t->DeviceTexture == nullptr) t->Load();
    if (progress != nullptr && n % 2 == 0) progress(0, 0, 0);
  }
  CloseCatalog();
  if (previous >= 0) ReopenCatalog(previous);
}

CTexture* CTextureManager::GetTextureByIndex(int i) const {
  if (i < 0 || i >= Count) return nullptr;
  return List.At(i);
}

CTexture* CTextureManager::FindById(std::uint32_t id) const {
  for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next)
    if (n->Item->Id == id) return n->Item;
  return nullptr;
}

CTexture* CTextureManager::FindByName(const char* name) const {
  if (name == nullptr) return nullptr;
  for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next)
    if (NamesEqual(n->Item->Name, name)) return n->Item;
  return nullptr;
}

CTexture* CTextureManager::FindByNameHash(std::uint32_t h) const {
  for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next)
    if (HashString(n->Item->Name) == h) return n->Item;
  return nullptr;
}

int CTextureManager::IndexOfName(const char* name) const {
  int i = 0;
  for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next, ++i)
    if (NamesEqual(n->Item->Name, name)) return i;
  return -1;
}

CTexture* CTextureManager::SetUserValue(int index, std::uint32_t value) {
  CTexture* t = GetTextureByIndex(index);
  if (t == nullptr) return nullptr;
  t->UserValue = value;
  Changed = 1;
  return t;
}

int CTextureManager::ReadUserValues(BufferedFile* file) {
  int count = 0;
  FileScanf(file, "%d", &count);
  // The count is only believed while the file has text left.
  for (int i = 0; i < count && !AtEnd(file); ++i) {
    char name[256];
    int value = 0;
    FileReadKeywordString(file, nullptr, name);
    FileScanf(file, "%d", &value);
    for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next) {
      if (NamesEqual(n->Item->Name, name)) {
        n->Item->UserValue = static_cast<std::uint32_t>(value);
        break;
      }
    }
  }
  Changed = 0;
  return 1;
}

void CTextureManager::WriteTextList(std::FILE* stream) const {
  std::fprintf(stream, "NumTextures %d\r\n", Count);
  std::fprintf(stream, "TextureList {\r\n");
  for (ListNode<CTexture>* n = List.First(); n != nullptr; n = n->Next)
    std::fprintf(stream, " %08x \"%s\"\r\n", n->Item->Id, n->Item->Name);
  std::fprintf(stream, "}\r\n");
}

int CTextureManager::ReadTextList(BufferedFile* file) {
  char word[256];
  int count = 0;
  FileScanf(file, "%s%d", word, &count);
  FileScanf(file, "%s%s", word, word);
  for (int i = 0; i < count && !AtEnd(file); ++i) {
    unsigned int id = 0;
    char name[256];
    FileScanf(file, "%08x", &id);
    FileReadKeywordString(file, nullptr, name);
    if (std::strcmp(name, kNameDefault) == 0) continue;
    if (GetTexture(name, TEXF_MIPMAPS) == nullptr) {
      ErrorBox("Bad texture file.\n\"%s\"\n", name);
      return 0;
    }
  }
  FileScanf(file, "%s", word);
  return 1;
}

void CTextureManager::WriteTEXL(std::FILE* stream, int count, const std::uint32_t* ids) const {
  auto wanted = [&](const CTexture* t) {
    bool found = count < 0;
    for (int i = 0; !found && i < count; ++i) found = ids[i] == t->Id;
    return found;
  };
  // The count written is the number of records that follow, so that ids
  // missing from the library or named twice cannot break the section.
  std::uint32_t n = 0;
  for (ListNode<CTexture>* node = List.First(); node != nullptr; node = node->Next) n += wanted(node->Item) ? 1 : 0;
  std::fwrite("TEXL", 1, 4, stream);
  WriteU32(&n, stream);
  for (ListNode<CTexture>* node = List.First(); node != nullptr; node = node->Next) {
    const CTexture* t = node->Item;
    if (!wanted(t)) continue;
    char name[kTexlNameSize] = {};
    std::strncpy(name, t->Name, kTexlNameSize - 1);
    WriteU32(&t->Id, stream);
    std::fwrite(name, 1, kTexlNameSize, stream);
  }
}

int CTextureManager::ReadTexlRecords(ByteReader& reader, std::int32_t count) {
  if (count > 0 && !reader.HasRoomFor(static_cast<std::size_t>(count), kTexlRecordSize)) {
    ErrorBox("TEXL section is damaged in .EVO file");
    return 0;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    reader.U32();  // the identifier is recomputed from the name
    const std::uint8_t* raw = reader.View(kTexlNameSize);
    if (raw == nullptr) return 0;
    if (std::memcmp(raw, kNameDefault, sizeof kNameDefault) == 0) continue;
    std::size_t length = 0;
    while (length < kTexlNameSize && raw[length] != 0) ++length;
    const std::string name(reinterpret_cast<const char*>(raw), length);
    if (GetTexture(name.c_str(), TEXF_MIPMAPS) == nullptr) {
      ErrorBox("Bad texture file.\n\"%s\"\n", name.c_str());
      return 0;
    }
  }
  return 1;
}

int CTextureManager::ReadTEXL(ByteReader& reader) {
  if (!reader.Tag("TEXL")) {
    ErrorBox("TEXL section not found in .EVO file");
    return 0;
  }
  const std::int32_t count = reader.I32();
  if (!reader.Ok()) {
    ErrorBox("TEXL section is damaged in .EVO file");
    return 0;
  }
  return ReadTexlRecords(reader, count);
}

int CTextureManager::ReadTEXL(BufferedFile* file) {
  std::uint8_t header[8] = {};
  const bool whole = file != nullptr && FileRead(header, sizeof header, 1, file) == 1;
  ByteReader head(header, whole ? sizeof header : 0);
  if (!head.Tag("TEXL")) {
    ErrorBox("TEXL section not found in .EVO file");
    return 0;
  }
  const std::int32_t count = head.I32();
  if (!head.Ok()) {
    ErrorBox("TEXL section is damaged in .EVO file");
    return 0;
  }
  if (count < 1) return 1;
  // The records must all be in the file before any is read.
  if (static_cast<std::uint64_t>(count) * kTexlRecordSize > BytesLeft(file)) {
    ErrorBox("TEXL section is damaged in .EVO file");
    return 0;
  }
  std::vector<std::uint8_t> body(static_cast<std::size_t>(count) * kTexlRecordSize);
  const std::size_t got = FileRead(body.data(), 1, body.size(), file);
  ByteReader records(body.data(), got);
  return ReadTexlRecords(records, count);
}

void CTextureManager::CheckDuplicateIds() const {
  for (ListNode<CTexture>* a = List.First(); a != nullptr; a = a->Next)
    for (ListNode<CTexture>* b = List.First(); b != nullptr; b = b->Next)
      if (a != b && a->Item->Id == b->Item->Id)
        WarningBox("Textures share same identifier\n\n\"%s\"  (#%08x)\n\"%s\"  (#%08x)\n", a->Item->Name, a->Item->Id,
                   b->Item->Name, b->Item->Id);
}
