// Posing the skinned nodes of an object template: the node's bone table (its
// named values, each naming the template node that carries the bone) is
// bound to node indices once the template is read, and every pose takes one
// model matrix per bone from the animated object's node matrices (node ->
// object space, row vectors, indexed by node index).  The rest pose, used
// right after loading, comes from the template's rest matrices.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/matrix.h"

class CEnvObject;
class CSkin;

// The skin of a skinned node (mesh kind 2), or null.
CSkin* SkinOfNode(const CEnvObject* node);
// Binds the skin's bone table: entry i -> NodeIndex of the template node
// whose name hash equals the entry's hash (-1 when there is none).
void SkinBindBones(const CEnvObject* root, CEnvObject* skinNode);
// CEnvObject::BuildSkinPose: boneMatrices[i] = nodeMatrices[bone node i]
// (the identity for an unbound bone or one at or beyond nodeCount), for
// every entry of the node's bone table; boneMatrices must hold that many.
void SkinBuildPose(const CEnvObject* skinNode, const CMatrix* nodeMatrices, int nodeCount, CMatrix* boneMatrices);
// The rest matrix of a node (parent-relative): key NodeIndex of the root's
// transform list when it has one, else the node's own first key, else the identity.
CMatrix TemplateRestMatrix(const CEnvObject* root, const CEnvObject* node);
// Rest model matrices of the whole template, indexed by node index (parents
// first: model = rest x parent's model); sized to the highest node index + 1.
std::vector<CMatrix> TemplateRestModelMatrices(const CEnvObject* root);
// CSkin::Render of a skinned node with the animated object's model matrices
// (modelCount of them, by node index).  Nothing for another node.
void SkinRenderNode(CEnvObject* skinNode, const CMatrix* modelMatrices, int modelCount, const CVector3* lightPosition,
                    int shadow);
// Binds and deforms every skinned node of a freshly read template once in
// its rest pose (no light, no shadow).
void SkinPoseTemplateAtRest(CEnvObject* root);
