// The global matrix stack (8 slots) that saves and restores the render object's
// transforms, and the pointer to the world matrix of the object being drawn.
// Main thread only.
#pragma once

#include "render/geometry/matrix.h"

constexpr int kMatrixStackSlots = 8;

// Empties the stack (engine start-up and engine reset).
void ResetMatrixStack();
// Copies the matrix into the next slot; answers false and stores nothing when all 8 are used.
bool PushMatrix(const CMatrix& matrix);
// Copies the top slot out and removes it; answers false and leaves out untouched when empty.
bool PopMatrix(CMatrix* out);
// Number of matrices on the stack.
int GetMatrixStackDepth();

// Sets the world matrix of the object being drawn (may be null).
void SetCurrentWorldMatrix(const CMatrix* matrix);
// The world matrix of the object being drawn, or null.
const CMatrix* GetCurrentWorldMatrix();
// Translation row of the current world matrix; (0, 0, 0) when none is set.
void GetCurrentWorldPosition(CVector3* out);
