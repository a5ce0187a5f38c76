#include "scene/skin/skin_pose.h"

#include <unordered_map>

#include "scene/skin/skin.h"
#include "world/environment/env_object.h"

namespace {

CMatrix Identity() {
  CMatrix m;
  m.SetIdentity();
  return m;
}

}  // namespace

CSkin* SkinOfNode(const CEnvObject* node) {
  if (node == nullptr || node->MeshKind != MESHKIND_SKINNED) return nullptr;
  return static_cast<CSkin*>(node->OtherMesh);
}

void SkinBindBones(const CEnvObject* root, CEnvObject* skinNode) {
  CSkin* skin = SkinOfNode(skinNode);
  if (skin == nullptr) return;
  skin->BoneNodes.assign(skinNode->NamedValues.size(), -1);
  for (std::size_t i = 0; i < skinNode->NamedValues.size(); ++i) {
    const std::uint32_t hash = skinNode->NamedValues[i].Hash;
    for (const CEnvObject* node = root; node != nullptr; node = node->NextNode) {
      if (node->NameHash == hash) {
        skin->BoneNodes[i] = node->NodeIndex;
        break;
      }
    }
  }
}

void SkinBuildPose(const CEnvObject* skinNode, const CMatrix* nodeMatrices, int nodeCount, CMatrix* boneMatrices) {
  const CSkin* skin = SkinOfNode(skinNode);
  if (skin == nullptr) return;
  for (std::size_t i = 0; i < skin->BoneNodes.size(); ++i) {
    const std::int32_t node = skin->BoneNodes[i];
    boneMatrices[i] = node >= 0 && node < nodeCount ? nodeMatrices[node] : Identity();
  }
}

CMatrix TemplateRestMatrix(const CEnvObject* root, const CEnvObject* node) {
  if (root != nullptr && root->Transforms != nullptr && node->NodeIndex >= 0 &&
      static_cast<std::size_t>(node->NodeIndex) < root->Transforms->Matrices.size())
    return root->Transforms->Matrices[static_cast<std::size_t>(node->NodeIndex)];
  if (node != root && node->Transforms != nullptr && !node->Transforms->Matrices.empty())
    return node->Transforms->Matrices[0];
  return Identity();
}

std::vector<CMatrix> TemplateRestModelMatrices(const CEnvObject* root) {
  // Nodes come parents first; each model matrix = rest (row vectors: applied
  // first) x the parent's model matrix.
  std::unordered_map<const CEnvObject*, CMatrix> model;
  std::int32_t highest = -1;
  for (const CEnvObject* node = root; node != nullptr; node = node->NextNode) {
    CMatrix m = TemplateRestMatrix(root, node);
    auto parent = node->ParentNode != nullptr ? model.find(node->ParentNode) : model.end();
    if (parent != model.end()) {
      CMatrix product;
      MatrixMultiply(&product, m, parent->second);
      product.TypeFlags = m.TypeFlags | parent->second.TypeFlags;
      m = product;
    }
    model[node] = m;
    if (node->NodeIndex > highest) highest = node->NodeIndex;
  }
  std::vector<CMatrix> out(static_cast<std::size_t>(highest + 1), Identity());
  for (const CEnvObject* node = root; node != nullptr; node = node->NextNode)
    if (node->NodeIndex >= 0) out[static_cast<std::size_t>(node->NodeIndex)] = model[node];
  return out;
}

void SkinRenderNode(CEnvObject* skinNode, const CMatrix* modelMatrices, int modelCount, const CVector3* lightPosition,
                    int shadow) {
  CSkin* skin = SkinOfNode(skinNode);
  if (skin != nullptr) skin->Render(modelMatrices, modelCount, skin->BoneNodes, lightPosition, shadow);
}

void SkinPoseTemplateAtRest(CEnvObject* root) {
  std::vector<CMatrix> rest;
  bool made = false;
  for (CEnvObject* node = root; node != nullptr; node = node->NextNode) {
    if (SkinOfNode(node) == nullptr) continue;
    if (!made) {
      rest = TemplateRestModelMatrices(root);
      made = true;
    }
    SkinBindBones(root, node);
    SkinRenderNode(node, rest.data(), static_cast<int>(rest.size()), nullptr, 0);
  }
}
