// The five engine modules vertex-animated objects work with, stored by every
// CVertexAnim construction that names them.
#pragma once

#include "scene/mesh/vertex_buffer.h"

using VertexAnimEngine = MeshEngine;
const VertexAnimEngine& GetVertexAnimEngine();
