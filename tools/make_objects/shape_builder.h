// The faces of the description's shapes: convex, flat polygons of mesh
// vertices (position, normal, colour, texture coordinates) in the object's
// space, each wound so that the cross product of its edges (the right-hand
// rule: a x b with a, b consecutive edges) points out of the solid, towards the
// side it is seen from.  Units are centimetres, y up.  Texture coordinates
// have v growing downwards (row 0 of the picture at v = 0).
#pragma once

#include <vector>

#include "make_objects/object_description.h"
#include "render/geometry/render_vertex.h"

struct ShapeFace {
  std::vector<RenderVertex> Corners;
};

// Appends the faces of the shape, moved to its position.  Flat faces have flat
// normals; the sides of a cylinder and a terrain have smooth ones.
void BuildShapeFaces(const ShapeSource& shape, std::vector<ShapeFace>* faces);
