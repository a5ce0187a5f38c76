// Writes a built object as an object file (".evo") through the engine's
// object-file writer: one record per node, the root first, each with its
// texture and material lists, bounds, mesh section and compiled BSP tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "make_objects/object_builder.h"
#include "make_objects/object_description.h"

// The file's bytes.  False with the reason in error when a node's collision
// polygons cannot be compiled into a tree.
bool WriteObjectFile(const BuiltObject& object, const ObjectDescription& description, std::vector<std::uint8_t>* bytes,
                     std::string* error);
