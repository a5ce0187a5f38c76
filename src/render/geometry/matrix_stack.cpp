#include "render/geometry/matrix_stack.h"

namespace {
CMatrix g_MatrixStack[kMatrixStackSlots];
int g_MatrixStackDepth = 0;
const CMatrix* g_CurrentWorldMatrix = nullptr;
}  // namespace

void ResetMatrixStack() { g_MatrixStackDepth = 0; }

bool PushMatrix(const CMatrix& matrix) {
  if (g_MatrixStackDepth >= kMatrixStackSlots) return false;
  g_MatrixStack[g_MatrixStackDepth++] = matrix;
  return true;
}

bool PopMatrix(CMatrix* out) {
  if (g_MatrixStackDepth <= 0) return false;
  *out = g_MatrixStack[--g_MatrixStackDepth];
  return true;
}

int GetMatrixStackDepth() { return g_MatrixStackDepth; }

void SetCurrentWorldMatrix(const CMatrix* matrix) { g_CurrentWorldMatrix = matrix; }

const CMatrix* GetCurrentWorldMatrix() { return g_CurrentWorldMatrix; }

void GetCurrentWorldPosition(CVector3* out) {
  if (g_CurrentWorldMatrix == nullptr) {
    *out = {0.0f, 0.0f, 0.0f};
    return;
  }
  *out = {g_CurrentWorldMatrix->m[3][0], g_CurrentWorldMatrix->m[3][1], g_CurrentWorldMatrix->m[3][2]};
}
