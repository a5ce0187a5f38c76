// Object files (".evo"): the reader that turns a file into a template's node
// chain, one node per record.  A record: "EOBJ", version 47, names, type,
// flags, mesh kind, template words, parent, node index, named values, shadow
// name, connectors, the texture and material lists, two bounds and two sphere
// blocks, the mesh body by mesh kind, BSP entries, an optional transform
// list, and an end tag ("DONE" after the last record).  Every count, index
// and size is checked against the bytes that remain before it is used; a
// damaged record gives the invalid-data result.  Main thread only.
#pragma once

#include <cstdint>

#include "world/environment/env_object.h"

class ByteReader;
class ByteWriter;

inline constexpr std::uint32_t kEvoRecordVersion = 47;
inline constexpr std::uint32_t kEvoMeshSectionVersion = 7;  // handed to the mesh loader
inline constexpr std::size_t kEvoNameSize = 64;
inline constexpr std::size_t kEvoLongNameSize = 128;
inline constexpr std::size_t kEvoNamedValueSize = 132;
inline constexpr std::size_t kEvoTransformKeySize = 52;

// Results of EvoReadNode.
enum EvoResult : int {
  EVO_LAST_RECORD = 1,     // "DONE" ended the record
  EVO_MORE_RECORDS = 0,    // another record follows
  EVO_INVALID = -1,        // not "EOBJ", or damaged data
  EVO_BAD_VERSION = -2,    // version other than 47 (no message)
  EVO_NOT_LANDSCAPE = -3,
  EVO_NOT_ENV = -4,
  EVO_NOT_TRANSFORMANIM = -5,
  EVO_NOT_VERTEXANIM = -6,
};

// Reads the body of a mesh kind this module does not own (1 vertex-animated,
// 2 skinned) into the node's OtherMesh; false for damaged data.  The owners of
// those meshes install their readers; a record of a kind without a reader is
// invalid data.
using EvoMeshReader = bool (*)(CEnvObject* node, ByteReader& in, int meshParam1, int meshParam2);
void SetEvoMeshReader(std::int32_t meshKind, EvoMeshReader reader);

// Called once with the root of a template that read without error and has
// a skinned node (mesh kind 2), before EvoReadFile answers: the skin code
// binds the skins' bones and deforms them once in the rest pose.
using EvoSkinPoser = void (*)(CEnvObject* root);
void SetEvoSkinPoser(EvoSkinPoser poser);

// Called after every record when set (the level loader's progress point).
using EvoProgressHook = void (*)();
void SetEvoProgressHook(EvoProgressHook hook);
// Called with "Loading object \"%s\"" texts when set.
using EvoStatusHook = void (*)(const char* text);
void SetEvoStatusHook(EvoStatusHook hook);

// Reads every record of the file into the chain that starts at root (which
// Init has cleared): collision-only nodes are merged into their parents,
// cut-out meshes marked and the hit-region table built.  Answers 1, or 0
// after the message of the error (none for a wrong version); the nodes read
// so far stay linked for the caller to free.
int EvoReadFile(CEnvObject* root, ByteReader& file, int expectedKind, int meshParam1, int meshParam2);
// Reads one record into node: EVO_LAST_RECORD, EVO_MORE_RECORDS or an error.
int EvoReadNode(CEnvObject* root, CEnvObject* node, ByteReader& file, int expectedKind, int meshParam1,
                int meshParam2);
// Parts of a record.
bool EvoReadBounds(ByteReader& in, EnvBounds* out);
bool EvoReadSphere(ByteReader& in, EnvSphere* out);
bool EvoReadPlane(ByteReader& in, float* plane);
bool EnvFileReadVector(ByteReader& in, CVector3* out);
// Reads a transform list (word, stored word, count, keys) and makes each
// key's matrix; false when the keys run past the file.
bool EvoReadTransformList(ByteReader& in, EnvTransformList* out);
// Skips n bytes in steps of at most 256; false when they run past the file.
bool EvoSkipBytes(ByteReader& in, std::uint32_t n);
// Builds the shadow mesh of a node whose mesh kind is 0 or 3 (the shadow
// code installs the builder; nothing without one).
using EvoShadowBuilder = void (*)(CEnvObject* node);
void SetEvoShadowBuilder(EvoShadowBuilder builder);
void EvoBuildShadowIfPlain(CEnvObject* node);
// Writers of the same parts.
void EvoWriteVector(ByteWriter& out, const CVector3& v);
void EvoWritePlane(ByteWriter& out, const float* plane);

// Bytes of BSP data the last EvoReadFile met.
std::uint32_t EvoBspByteCount();

// Loads the object file "<name>.evo" (any extension of name is replaced)
// through the search path into a new template.  Kind -1 accepts any type,
// another kind must equal the file's.  Null after a message when the file is
// missing, damaged or of another type.
CEnvObject* EnvFileLoadObject(int kind, const char* name, const EnvLoadContext& context, int meshParam1,
                              int meshParam2);
// Templates EnvFileLoadObject has loaded.
int EnvFileLoadedObjectCount();

// Builds a transform list of the same form from objects' transform keys:
// getKey answers false for an object that has none, and the whole build then
// fails and frees what it made (null).
using EnvTransformKeySource = bool (*)(void* object, Pose* key);
EnvTransformList* EnvFileMakeTransformSet(void* const* objects, int count, std::uint32_t storedWord,
                                          EnvTransformKeySource getKey);
