#include "scene/model/scene.h"

#include <cstdint>
#include <cstring>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_category.h"
#include "foundation/text/scanner.h"

namespace {

// A label word, then a whole number; false when no number follows.
bool ReadLabelledInt(const char** p, int* out) {
  char label[kScanStringMax + 1];
  sscanf1(p, "%s", label);
  const char* q = *p;
  while (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n' || *q == ',') ++q;
  const char* digits = *q == '-' ? q + 1 : q;
  if (*digits < '0' || *digits > '9') return false;
  sscanf1(p, "%d", out);
  return true;
}

// The header: a label and the version, from version 13 a label and a word,
// from version 4 a label and the object type.
bool ParseHeader(const char* text, int* version, int* type) {
  const char* p = text;
  int v = 0;
  if (!ReadLabelledInt(&p, &v)) return false;
  *version = v;
  if (v >= 13) {
    char word[kScanStringMax + 1];
    sscanf1(&p, "%s%s", word, word);
  }
  int t = 0;
  if (v >= 4 && !ReadLabelledInt(&p, &t)) return false;
  *type = t;
  return true;
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

}  // namespace

int CScene::ReadHeader(const char* fileName, int* version, int* type) {
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!fileName || !LoadFile(fileName, &text, &size, nullptr, MEMCAT_GAME)) return 0;
  int v = 0, t = 0;
  const bool ok = ParseHeader(text, &v, &t);
  FreeLoadedFile(text);
  if (!ok) return 0;
  if (version) *version = v;
  if (type) *type = t;
  return 1;
}

int CScene::Load(const char* fileName, int wantedType, int /*flag*/) {
  if (!fileName) return 0;
  std::strncpy(Name, fileName, kNameSize - 1);
  Name[kNameSize - 1] = 0;
  if (!ReadHeader(fileName, &Version, &Type)) return 0;
  return CheckType(Version, Type, wantedType);
}

void CScene::Free() {
  Name[0] = 0;
  Version = 0;
  Type = 0;
}
