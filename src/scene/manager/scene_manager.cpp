#include "scene/manager/scene_manager.h"

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/keyword_readers.h"
#include "platform/win32/win_directory.h"
#include "scene/model/scene.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return false;
  return *a == *b;
}

// The folder part of a path (up to its last separator), or "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut == 0 ? 1 : cut);
}

bool IsAbsolute(const std::string& path) {
  return !path.empty() && (path[0] == '/' || path[0] == '\\' || path.find(':') != std::string::npos);
}

}  // namespace

CSceneManager::CSceneManager(CRender* render, CTextureManager* textures, CMaterialList* materials)
    : render_(render), textures_(textures), materials_(materials) {}

CScene* CSceneManager::AddScene(const char* fileName) {
  if (!fileName) return nullptr;
  for (SceneNode* n = first_; n; n = n->next)
    if (SameName(n->scene->Name, fileName)) return n->scene;

  auto* node = new SceneNode{last_, nullptr, new CScene};
  (last_ ? last_->next : first_) = node;
  last_ = node;
  CScene* scene = node->scene;
  scene->Render = render_;
  scene->Textures = textures_;
  scene->Materials = materials_;
  if (scene->Load(fileName, CScene::kAnyType, 0) != 1) {
    Unlink(node);
    scene->Free();
    delete scene;
    delete node;
    return nullptr;
  }
  ++count_;
  return scene;
}

bool CSceneManager::LoadSceneList(const char* listName) {
  BufferedFile* h = listName ? FileOpenOnSearchPath(listName, 0) : nullptr;
  if (!h) return false;
  // The engine has one file handle: the names are read and the list closed
  // before any scene is opened.
  int count = 0;
  FileScanf(h, "%d", &count);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char name[256] = {};
    const bool whole = FileReadKeywordString(h, nullptr, name) != 0;
    if (!name[0]) break;  // the list ended before its count
    if (whole) names.emplace_back(name);
  }
  FileClose(h);

  for (const std::string& name : names) {
    const char* located = LocateFile(name.c_str(), 0);
    if (!located) continue;
    std::string path = located;  // the locator's buffer is reused by the load
    char previous[512] = {};
    const DWORD kept = GetCurrentDirectoryA(sizeof previous, previous);
    const bool haveDirectory = kept > 0 && kept < sizeof previous;
    // A path found relative to the current directory would no longer open
    // from inside its own folder: it is made absolute first.
    if (haveDirectory && !IsAbsolute(path)) path = std::string(previous) + "/" + path;
    const std::string folder = FolderOf(path);
    const bool moved = haveDirectory && !folder.empty() && SetCurrentDirectoryA(folder.c_str());
    AddScene(path.c_str());
    if (moved) SetCurrentDirectoryA(previous);
  }
  return true;
}

CSceneManager::SceneNode* CSceneManager::NodeAt(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  SceneNode* n = first_;
  for (int i = 0; n && i < index; ++i) n = n->next;
  return n;
}

CScene* CSceneManager::GetScene(int index) const {
  SceneNode* n = NodeAt(index);
  return n ? n->scene : nullptr;
}

int CSceneManager::FindScene(const char* name) const {
  if (!name) return -1;
  int i = 0;
  for (SceneNode* n = first_; n; n = n->next, ++i)
    if (SameName(n->scene->Name, name)) return i;
  return -1;
}

void CSceneManager::Unlink(SceneNode* node) {
  (node->prev ? node->prev->next : first_) = node->next;
  (node->next ? node->next->prev : last_) = node->prev;
}

void CSceneManager::RemoveScene(int index) {
  SceneNode* n = NodeAt(index);
  if (!n) return;
  Unlink(n);
  n->scene->Free();
  delete n->scene;
  delete n;
  --count_;
}

bool CSceneManager::WriteSceneList(const char* fileName) const {
  std::FILE* f = fileName ? std::fopen(fileName, "wb") : nullptr;
  if (!f) return false;
  bool ok = std::fprintf(f, "%d\n", count_) > 0;
  for (SceneNode* n = first_; n; n = n->next) ok = std::fprintf(f, "\"%s\"\r\n", n->scene->Name) > 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

void CSceneManager::FreeAll() {
  SceneNode* n = first_;
  while (n) {
    SceneNode* next = n->next;
    n->scene->Free();
    delete n->scene;
    delete n;
    n = next;
  }
  first_ = last_ = nullptr;
  count_ = 0;
}
