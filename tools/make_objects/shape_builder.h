// The faces of the description's shapes: convex, flat polygons of mesh
// vertices (position, normal, colour, texture coordinates) in the object's
// space, each wound so that the cross product of its edges (the right-hand
// rule: a x b with a, b consecutive edges) points out of the solid, towards the
// side it is seen from.  Units are centimetres, y up.  Texture coordinates
// have v growing downwards (row 0 of the picture at v = 0).
#pragma once

#include <string>
#include <vector>

#include "make_objects/object_description.h"
#include "render/geometry/render_vertex.h"

struct ShapeFace {
  std::vector<RenderVertex> Corners;
  std::string Texture;   // a model face's own; empty: the shape's
  std::string Material;  // a model face's own; empty: the shape's
};

// Appends the faces of the shape, moved to its position.  Flat faces have flat
// normals; the sides of a cylinder and a terrain have smooth ones.  A model
// shape's faces come as the model holds them, with their own colours,
// texture coordinates, textures and materials.
void BuildShapeFaces(const ShapeSource& shape, std::vector<ShapeFace>* faces);
