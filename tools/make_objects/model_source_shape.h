// Brings a model source file into the object tool: the engine's model
// reader reads it, and the faces of every triangle object become the faces
// of a "model" shape (see object_description.h).
#pragma once

#include <string>
#include <vector>

#include "make_objects/object_description.h"

// Reads the model file at `path` into the shape's faces; `name` (the file as
// the description names it) names its materials "<name>#<index>", which are
// appended to `materials` unless they are there already.  The textures the
// faces use are appended to `textures`.  False with the reason in error when
// the file cannot be read, the model reader refuses it or it holds no face.
bool ReadModelShape(const std::string& path, const std::string& name, ShapeSource* shape,
                    std::vector<MaterialSource>* materials, std::vector<std::string>* textures, std::string* error);
