#include "physics/solver/kea_constraints.h"

#include <cstring>

namespace {

int roundUp4(int v) { return (v + 3) & ~3; }

// The Jacobian row count of a finished group: constraints add r + 4 rows
// each, which over-counts; the layout needs exactly
// ceil(R/4) + n - 1 J-blocks for R rows in n constraints (one per block the
// walk enters, one per constraint change, two when both coincide).  With
// J = R + 4n that is (J - 4)/4 blocks when R is a multiple of 4, else J/4
// rounded down.
int trimJacobianRows(int j) {
  if (j == 0) return 0;
  return ((j - 4) % 4 == 0) ? j - 4 : (j & ~3);
}

}  // namespace

void keaConstraintsReset(keaConstraints* set) {
  set->groupCount = 0;
  set->jacobianRows = 0;
  set->rows = 0;
  set->constraints = 0;
  set->groupRows[0] = 0;
  set->groupJacobianRows[0] = 0;
  set->groupConstraints[0] = 0;
}

void keaConstraintsZero(keaConstraints* set, int jacobianRows, int rows, int constraints) {
  if (jacobianRows > 0)
    std::memset(set->jacobian, 0, sizeof(MeReal) * keaJacobianRowFloats * static_cast<size_t>(jacobianRows));
  if (rows > 0) {
    size_t bytes = sizeof(MeReal) * static_cast<size_t>(roundUp4(rows));
    std::memset(set->xi, 0, bytes);
    std::memset(set->c, 0, bytes);
    std::memset(set->lo, 0, bytes);
    std::memset(set->hi, 0, bytes);
    std::memset(set->lambda, 0, bytes);
    std::memset(set->softness, 0, bytes);
    std::memset(set->xgamma, 0, bytes);
  }
  if (constraints > 0) std::memset(set->force, 0, sizeof(MeReal) * 16 * static_cast<size_t>(constraints));
}

int keaConstraintsCurrentRow(const keaConstraints* set) { return set->rows; }

void keaConstraintsSetJacobianRow(keaConstraints* set, int row, const MeReal* j0, const MeReal* j1) {
  const int g = set->groupCount;
  const int before = set->groupConstraints[g];  // constraints already in the group
  const int first = set->groupRows[g];          // the new constraint's first row
  // J-blocks used by the constraints before this one, then this one's first
  // real J-block (after its zero J-block when it starts on a block boundary).
  int step = 0;
  if (before > 0) step = (first + 3) / 4 + before - 1 + ((first % 4 == 0) ? 1 : 0);
  const int r = first + row;
  step += r / 4 - first / 4;
  const int groupBase = set->jacobianRows - set->groupJacobianRows[g];
  MeReal* block = set->jacobian + static_cast<size_t>(groupBase) * keaJacobianRowFloats +
                  static_cast<size_t>(step) * keaJBlockFloats;
  const int local = r % 4;
  for (int col = 0; col < 6; ++col) {
    block[col * 4 + local] = j0 ? j0[col] : 0.0f;
    block[24 + col * 4 + local] = j1 ? j1[col] : 0.0f;
  }
}

void keaConstraintsAddConstraint(keaConstraints* set, int rows, int body0, int body1) {
  if (rows <= 0) return;
  const int g = set->groupCount;
  const int index = set->constraints;
  set->jacobianRows += rows + 4;
  set->rowsPerConstraint[index] = rows;
  set->firstRow[index] = set->groupRows[g];
  set->bodies[2 * index] = body0;
  set->bodies[2 * index + 1] = body1;
  set->rows += rows;
  set->groupRows[g] += rows;
  set->groupJacobianRows[g] += rows + 4;
  set->groupConstraints[g] += 1;
  set->constraints += 1;
}

void keaConstraintsEndGroup(keaConstraints* set) {
  const int g = set->groupCount;
  set->rows = roundUp4(set->rows);
  // The total is trimmed through the group's own count, so that an empty
  // group leaves it unchanged instead of moving it 4 rows back.
  const int raw = set->groupJacobianRows[g];
  const int trimmed = trimJacobianRows(raw);
  set->jacobianRows += trimmed - raw;
  set->groupJacobianRows[g] = trimmed;
  set->groupCount = g + 1;
  set->groupRows[g + 1] = 0;
  set->groupJacobianRows[g + 1] = 0;
  set->groupConstraints[g + 1] = 0;
}
