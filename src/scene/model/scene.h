// A model scene loaded from a model source file (text): version, object type
// and, in the full model reader, the material library and triangle objects.
// This form reads the file's header and applies the object-type rules, which
// is what the scene manager needs; the body of the file is not read yet.
#pragma once

class CMaterialList;
class CRender;
class CTextureManager;

class CScene {
 public:
  // Name buffer size (the name is the file name the scene was loaded from).
  static constexpr int kNameSize = 260;
  // A wanted type that accepts any scene.
  static constexpr int kAnyType = 5;

  // Reads the file (through the search folders) and checks its object type
  // against wantedType: 5 accepts any; 0, 1 and 2 must match (else -1, -2,
  // -3); from version 12 on 3 must match (-4) and 4 accepts anything but 3
  // (-5).  Answers 1 on success, 0 when the file is missing or its header is
  // cut.  The flag is passed on to the body reader.
  int Load(const char* fileName, int wantedType, int flag);
  // Reads only the version and the object type (0 before version 4); 0 when
  // the file is missing or the version is not there, else 1.
  static int ReadHeader(const char* fileName, int* version, int* type);
  // Frees what the scene holds and clears its name.
  void Free();

  CRender* Render = nullptr;
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  char Name[kNameSize] = {};
  int Version = 0;
  int Type = 0;
};
