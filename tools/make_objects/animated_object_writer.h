// Object files of the animated demo objects, through the engine's own
// writers: a skinned object becomes a transform-animated template: one bone
// node (mesh kind 3, no mesh) per bone in the description's order, then one
// skinned node per texture and material whose "SKIN" chunk the skin builder
// writes; node i has node index i, and the root's transform list holds every
// node's rest key (bones: the offset from the parent; skins: none); a vertex-animated object becomes one node whose "VAOB" chunk the
// vertex-animation builder writes.  Units are centimetres, y up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "make_objects/object_description.h"

// Object types of the animated files.
inline constexpr std::int32_t kBuiltTypeVertexAnim = 3;
inline constexpr std::int32_t kBuiltTypeTransformAnim = 4;

// The rest position of every bone in object space, in bone order.
std::vector<CVector3> BoneRestPositions(const ObjectSource& object);

// The file's bytes; false with the reason in error when a mesh cannot be built.
bool WriteSkinnedObjectFile(const ObjectSource& object, const ObjectDescription& description,
                            std::vector<std::uint8_t>* bytes, std::string* error);
bool WriteVertexAnimObjectFile(const ObjectSource& object, const ObjectDescription& description,
                               std::vector<std::uint8_t>* bytes, std::string* error);
// The object file of any described object, by its kind (plain, skinned,
// vertex-animated); false with the reason in error.
bool WriteDescribedObjectFile(const ObjectSource& object, const ObjectDescription& description,
                              std::vector<std::uint8_t>* bytes, std::string* error);
// The names of the textures the object's meshes use, each once, in first-use order.
std::vector<std::string> DescribedObjectTextures(const ObjectSource& object);
