// Plugs the skinned and vertex-animated meshes into the object-file reader:
// the chunk readers of mesh kinds 1 ("VAOB") and 2 ("SKIN"), the free hook of
// both kinds and the rest-pose deformation of skinned templates after they
// are read.  Called once at engine start-up (and by tests and tools that read
// object files with such meshes).
#pragma once

class ByteReader;
class CEnvObject;

void InstallObjectMeshHooks();

// The readers themselves: a new mesh made with the node's modules, kept in
// node->OtherMesh.  False for a damaged chunk, or for a skin whose
// influences name a bone beyond the node's bone table.
bool ReadSkinnedMesh(CEnvObject* node, ByteReader& in, int meshParam1, int meshParam2);
bool ReadVertexAnimMesh(CEnvObject* node, ByteReader& in, int meshParam1, int meshParam2);
// Frees the mesh of kind 1 or 2.
void FreeObjectMesh(int meshKind, void* mesh);
