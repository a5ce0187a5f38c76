#include "make_objects/model_source_shape.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "scene/model/scene.h"
#include "scene/model/scene_geometry.h"

namespace {

// The texture a map names: its file name without folders and extension.
std::string TextureOfMap(const std::string& map) {
  const std::size_t slash = map.find_last_of("\\/");
  std::string name = slash == std::string::npos ? map : map.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

bool ReadModelShape(const std::string& path, const std::string& name, ShapeSource* shape,
                    std::vector<MaterialSource>* materials, std::vector<std::string>* textures, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the model " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  CScene scene;  // no engine libraries: nothing is resolved, only read
  std::snprintf(scene.Name, sizeof scene.Name, "%s", name.c_str());
  if (scene.Parse(text.str().c_str(), CScene::kAnyType) != 1) {
    *error = "the model " + path + " does not read: " + scene.Error;
    return false;
  }

  std::vector<std::string> materialNames;
  for (std::size_t i = 0; i < scene.MaterialLib.size(); ++i) {
    const SceneMaterial& m = scene.MaterialLib[i];
    MaterialSource source;
    source.Name = name + "#" + std::to_string(i);
    std::copy(m.Diffuse, m.Diffuse + 3, source.Diffuse);
    source.Diffuse[3] = m.Alpha;
    std::copy(m.Second, m.Second + 3, source.Specular);
    source.Specular[3] = 1.0f;
    source.Power = m.Power;
    std::copy(m.Third, m.Third + 3, source.Emissive);
    source.Emissive[3] = 1.0f;
    materialNames.push_back(source.Name);
    const bool known = std::any_of(materials->begin(), materials->end(),
                                   [&](const MaterialSource& other) { return other.Name == source.Name; });
    if (!known) materials->push_back(std::move(source));
  }

  shape->ModelFaces.clear();
  for (const CTriObject& object : scene.Objects)
    for (const TriFace& face : object.Faces) {
      ModelFaceSource f;
      for (int i = 0; i < face.VertexCount(); ++i) f.Corners.push_back(FaceCorner(object, face, i));
      if (face.Material >= 0) {
        const SceneMaterial& m = scene.MaterialLib[static_cast<std::size_t>(face.Material)];
        f.Material = materialNames[static_cast<std::size_t>(face.Material)];
        if (m.Map >= 0) {
          f.Texture = TextureOfMap(scene.Maps[static_cast<std::size_t>(m.Map)]);
          if (std::find(textures->begin(), textures->end(), f.Texture) == textures->end()) textures->push_back(f.Texture);
        }
      }
      shape->ModelFaces.push_back(std::move(f));
    }
  if (shape->ModelFaces.empty()) {
    *error = "the model " + path + " holds no face";
    return false;
  }
  return true;
}
