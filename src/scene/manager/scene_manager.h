// The loaded model scenes, by name, in load order.  Made at engine start-up,
// emptied at engine reset and shut-down.  Main thread only: loading a scene
// list changes the process's current directory while each scene loads.
#pragma once

class CMaterialList;
class CRender;
class CScene;
class CTextureManager;

class CSceneManager {
 public:
  // Keeps the three engine objects every scene receives; no scenes.
  CSceneManager(CRender* render, CTextureManager* textures, CMaterialList* materials);
  ~CSceneManager() { FreeAll(); }
  CSceneManager(const CSceneManager&) = delete;
  CSceneManager& operator=(const CSceneManager&) = delete;

  // The scene already loaded under that name (any letter case), or a new one
  // loaded from the file (any object type) and appended.  Null when the file
  // does not load; the list is then as it was (the message, if any, comes
  // from the scene loader).
  CScene* AddScene(const char* fileName);
  // Reads a scene list (a count, then that many file names, quoted or bare)
  // found through the search folders, and adds each scene that the search
  // folders resolve, loading it from inside its own folder.  Names that do
  // not resolve are skipped.  False only when the list cannot be opened.
  bool LoadSceneList(const char* listName);
  // The scene at position index (0 = first loaded); null outside the list.
  CScene* GetScene(int index) const;
  // Position of the first scene of that name (any letter case), or -1.
  int FindScene(const char* name) const;
  // Frees the scene at position index; nothing outside the list.
  void RemoveScene(int index);
  // Writes the count ("%d\n") and one "\"name\"\r\n" line per scene, in list
  // order; false when the file cannot be created or written.
  bool WriteSceneList(const char* fileName) const;
  // Frees every scene, first to last; the manager is empty afterwards.
  void FreeAll();

  int GetCount() const { return count_; }

 private:
  struct SceneNode {
    SceneNode* prev;
    SceneNode* next;
    CScene* scene;
  };
  SceneNode* NodeAt(int index) const;
  void Unlink(SceneNode* node);

  CRender* render_;
  CTextureManager* textures_;
  CMaterialList* materials_;
  int count_ = 0;
  SceneNode* first_ = nullptr;
  SceneNode* last_ = nullptr;
};
