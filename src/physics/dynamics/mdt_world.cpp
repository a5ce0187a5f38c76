#include "physics/dynamics/mdt_world.h"

#include <cstring>

#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/solver/kea_cpu.h"
#include "physics/solver/kea_integrate.h"
#include "physics/solver/kea_solve.h"
#include "physics/util/me_memory.h"
#include "physics/util/me_message.h"
#include "physics/util/me_profile.h"

namespace {

constexpr MeU32 kAllOnes = 0xFFFFFFFFu;

void* worldArray(MdtWorld* w, size_t bytes) {
  if (w->arrayCount >= static_cast<int>(sizeof(w->arrays) / sizeof(w->arrays[0]))) return nullptr;
  void* p = MallocCreateAligned(bytes > 0 ? bytes : 16, 64);
  if (p) {
    std::memset(p, 0, bytes > 0 ? bytes : 16);
    w->arrays[w->arrayCount++] = p;
  }
  return p;
}

template <class T>
T* take(MdtWorld* w, size_t count, bool& ok) {
  T* p = static_cast<T*>(worldArray(w, sizeof(T) * count));
  if (!p) ok = false;
  return p;
}

bool bodyMoving(const MdtBody* b, const MdtAutoDisableParams* c) {
  const keaBody& s = b->state;
  auto sq = [](const MeReal* v) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; };
  return sq(s.vel) > c->velocity || sq(s.velrot) > c->angularVelocity || sq(s.accel) > c->acceleration ||
         sq(s.accelrot) > c->angularAcceleration || b->enabledSteps < c->aliveSteps;
}

void appendBody(MdtPartitionOutput* out, int p, MdtBody* b) {
  b->packedIndex = out->totalBodies;
  b->partitionIndex = out->bodyCount[p];
  b->partition = p;
  b->visited = 1;
  out->bodies[out->totalBodies++] = b;
  out->bodyCount[p] += 1;
}

MdtBody* nextUnvisited(MdtBody* from) {
  while (from && from->visited) from = from->enabledNext;
  return from;
}

// Pre-step, copy of the bodies into the packed arrays, row building.
int pack(MdtWorld* w, const MdtPartitionOutput* out, int p, MeReal h) {
  const int b0 = out->bodyStart[p];
  const int nb = out->bodyCount[p];
  for (int i = 0; i < nb; ++i) {
    MdtBody* b = out->bodies[b0 + i];
    MdtBodyPreStep(b, h);
    w->packedStates[i] = b->state;
    std::memcpy(w->packedTransforms + 16 * i, b->comTransform, sizeof(MeMatrix4));
  }
  const int c0 = out->constraintStart[p];
  const int nc = out->constraintCount[p];
  int rows = 0, jrows = 0;
  for (int i = 0; i < nc; ++i) {
    MdtConstraint* c = out->constraints[c0 + i];
    for (int k = 0; k < 2; ++k)
      c->bodyIndex[k] = (c->body[k] && c->body[k]->partition == p) ? c->body[k]->partitionIndex : -1;
    rows += static_cast<int>(c->maxRows);
    jrows += static_cast<int>(c->maxRows) + 4;
  }
  rows = (rows + 3) & ~3;
  keaConstraintsReset(&w->header);
  keaConstraintsZero(&w->header, jrows, rows, nc);
  const MdtStepParams params{h, w->epsilon, w->gamma};
  for (int i = 0; i < nc; ++i) {
    MdtConstraint* c = out->constraints[c0 + i];
    const int before = w->header.constraints;
    // A constraint with body 1 alone holds it to the world in body 0's
    // place (the builders see the world there, see MdtRowGetBodies).
    c->builder(&w->header, c, w->packedTransforms, w->packedStates, &params);
    c->packedIndex = w->header.constraints > before ? before : -1;
  }
  keaConstraintsEndGroup(&w->header);
  return w->header.rows;
}

void unpack(MdtWorld* w, const MdtPartitionOutput* out, int p) {
  MeProfileStartSection("Mdt Unpack Bodies", 0);
  const int b0 = out->bodyStart[p];
  for (int i = 0; i < out->bodyCount[p]; ++i) {
    MdtBody* b = out->bodies[b0 + i];
    b->state = w->packedStates[i];
    std::memcpy(b->comTransform, w->packedTransforms + 16 * i, sizeof(MeMatrix4));
    MdtBodyUpdateReferenceFromCom(b);
  }
  MeProfileEndSectionFn("Mdt Unpack Bodies");
  MeProfileStartSection("Mdt Unpack Constraint Forces", 0);
  const int c0 = out->constraintStart[p];
  for (int i = 0; i < out->constraintCount[p]; ++i) {
    MdtConstraint* c = out->constraints[c0 + i];
    if (c->packedIndex < 0) {
      MdtConstraintClearResults(c);
      continue;
    }
    const MeReal* f = w->header.force + 16 * c->packedIndex;
    std::memcpy(c->force0, f, 4 * sizeof(MeReal));
    std::memcpy(c->torque0, f + 4, 4 * sizeof(MeReal));
    std::memcpy(c->force1, f + 8, 4 * sizeof(MeReal));
    std::memcpy(c->torque1, f + 12, 4 * sizeof(MeReal));
  }
  MeProfileEndSectionFn("Mdt Unpack Constraint Forces");
}

}  // namespace

MdtWorldID MdtWorldCreate(unsigned maxBodies, unsigned maxConstraints) {
  if (maxBodies == 0) return nullptr;
  MdtWorld* w = static_cast<MdtWorld*>(MeAllocZeroed(sizeof(MdtWorld)));
  if (!w) return nullptr;
  w->kernel = keaDetectCpu();
  MeChunkInit(&w->chunk);
  MeChunkSetAuto(&w->chunk, 1024, 16);
  w->maxBodies = maxBodies;
  w->maxConstraints = maxConstraints;
  bool ok = MeBlockPoolCreate(&w->bodyPool, static_cast<int>(maxBodies), sizeof(MdtBody), 16) != 0;
  ok = MeBlockPoolCreate(&w->constraintPool, static_cast<int>(maxConstraints), MdtConstraintRecordSize, 0) && ok;
  ok = MeBlockPoolCreate(&w->linkPool, static_cast<int>(2 * maxConstraints), sizeof(MdtBodyLink), 0) && ok;
  w->packedStates = take<keaBody>(w, maxBodies, ok);
  w->packedTransforms = take<MeReal>(w, 16 * static_cast<size_t>(maxBodies), ok);
  // Rows: ten per constraint at most, rounded up to a multiple of 12.
  const int rows = ((static_cast<int>(maxConstraints) * 10 + 11) / 12) * 12;
  w->rowCapacity = rows;
  const size_t nc = maxConstraints > 0 ? maxConstraints : 1;
  keaConstraints& hd = w->header;
  hd.groupRows = take<int>(w, 2, ok);
  hd.groupJacobianRows = take<int>(w, 2, ok);
  hd.groupConstraints = take<int>(w, 2, ok);
  hd.jacobian = take<MeReal>(w, static_cast<size_t>(rows + 4 * static_cast<int>(nc)) * keaJacobianRowFloats, ok);
  hd.xi = take<MeReal>(w, rows + 4, ok);
  hd.c = take<MeReal>(w, rows + 4, ok);
  hd.lo = take<MeReal>(w, rows + 4, ok);
  hd.hi = take<MeReal>(w, rows + 4, ok);
  hd.lambda = take<MeReal>(w, rows + 4, ok);
  hd.softness = take<MeReal>(w, rows + 4, ok);
  hd.xgamma = take<MeReal>(w, rows + 4, ok);
  hd.force = take<MeReal>(w, 16 * nc, ok);
  hd.rowsPerConstraint = take<int>(w, nc, ok);
  hd.firstRow = take<int>(w, nc, ok);
  hd.bodies = take<int>(w, 2 * nc, ok);
  MdtPartitionOutput& po = w->partitions;
  po.constraints = take<MdtConstraint*>(w, nc, ok);
  po.constraintStart = take<int>(w, maxBodies, ok);
  po.constraintCount = take<int>(w, maxBodies, ok);
  po.bodies = take<MdtBody*>(w, maxBodies, ok);
  po.bodyStart = take<int>(w, maxBodies, ok);
  po.bodyCount = take<int>(w, maxBodies, ok);
  if (!ok) {
    MdtWorldDestroy(w);
    return nullptr;
  }
  keaConstraintsReset(&hd);
  w->version = MeVersionString();
  MdtWorldSetDefaults(w);
  return w;
}

void MdtWorldDestroy(MdtWorldID w) {
  if (!w) return;
  MeBlockPoolDestroy(&w->bodyPool);
  MeBlockPoolDestroy(&w->constraintPool);
  MeBlockPoolDestroy(&w->linkPool);
  for (int i = 0; i < w->arrayCount; ++i) MeFreeAligned(w->arrays[i]);
  MeChunkTerm(&w->chunk);
  MeFree(w);
}

void MdtWorldSetDefaults(MdtWorldID w) {
  w->epsilon = 0.01f;
  w->gamma = 0.2f;
  w->gravity[0] = w->gravity[1] = w->gravity[2] = 0;
  w->autoDisable = 0;
  w->autoDisableParams = MdtAutoDisableParams{0.02f, 0.001f, 0.5f, 0.002f, 10};
}

void MdtWorldSetEpsilon(MdtWorldID w, MeReal v) { w->epsilon = v; }
MeReal MdtWorldGetEpsilon(MdtWorldID w) { return w->epsilon; }
void MdtWorldSetGamma(MdtWorldID w, MeReal v) { w->gamma = v; }
MeReal MdtWorldGetGamma(MdtWorldID w) { return w->gamma; }
void MdtWorldSetGammaFromSpring(MdtWorldID w, MeReal a, MeReal b, MeReal c) { w->gamma = a * c / b; }
void MdtWorldSetGravity(MdtWorldID w, MeReal x, MeReal y, MeReal z) {
  w->gravity[0] = x;
  w->gravity[1] = y;
  w->gravity[2] = z;
}
void MdtWorldGetGravity(MdtWorldID w, MeReal* out) {
  for (int k = 0; k < 3; ++k) out[k] = w->gravity[k];
}
void MdtWorldSetAutoDisable(MdtWorldID w, unsigned on) { w->autoDisable = on; }
unsigned MdtWorldGetAutoDisable(MdtWorldID w) { return w->autoDisable; }
void MdtWorldSetAutoDisableVelocityThreshold(MdtWorldID w, MeReal v) { w->autoDisableParams.velocity = v; }
void MdtWorldSetAutoDisableAngularVelocityThreshold(MdtWorldID w, MeReal v) {
  w->autoDisableParams.angularVelocity = v;
}
void MdtWorldSetAutoDisableAccelerationThreshold(MdtWorldID w, MeReal v) { w->autoDisableParams.acceleration = v; }
void MdtWorldSetAutoDisableAngularAccelerationThreshold(MdtWorldID w, MeReal v) {
  w->autoDisableParams.angularAcceleration = v;
}
void MdtWorldSetAutoDisableAliveSteps(MdtWorldID w, unsigned s) { w->autoDisableParams.aliveSteps = s; }
void MdtWorldSetAutoDisableThreshold3(MdtWorldID w, MeReal v) { w->autoDisableParams.acceleration = v; }
MeReal MdtWorldGetAutoDisableVelocityThreshold(MdtWorldID w) { return w->autoDisableParams.velocity; }
MeReal MdtWorldGetAutoDisableAngularVelocityThreshold(MdtWorldID w) { return w->autoDisableParams.angularVelocity; }
MeReal MdtWorldGetAutoDisableAccelerationThreshold(MdtWorldID w) { return w->autoDisableParams.acceleration; }
MeReal MdtWorldGetAutoDisableAngularAccelerationThreshold(MdtWorldID w) {
  return w->autoDisableParams.angularAcceleration;
}
unsigned MdtWorldGetAutoDisableAliveSteps(MdtWorldID w) { return w->autoDisableParams.aliveSteps; }
unsigned MdtWorldGetMaxBodies(MdtWorldID w) { return w->maxBodies; }
unsigned MdtWorldGetMaxConstraints(MdtWorldID w) { return w->maxConstraints; }
unsigned MdtWorldGetNumBodies(MdtWorldID w) { return w->bodyCount; }
unsigned MdtWorldGetNumEnabledBodies(MdtWorldID w) { return w->enabledBodyCount; }
unsigned MdtWorldGetConstraintCount(MdtWorldID w) {
  return static_cast<unsigned>(MeBlockPoolUsedCount(&w->constraintPool));
}
void MdtWorldSetBodyEnabledCallback(MdtWorldID w, MdtBodyCallbackFn fn) { w->bodyEnabled = fn; }
void MdtWorldSetBodyDisabledCallback(MdtWorldID w, MdtBodyCallbackFn fn) { w->bodyDisabled = fn; }
size_t MdtWorldGetChunkMaxUsed(MdtWorldID w) { return MeChunkGetMaxUsed(&w->chunk); }
void MdtWorldSetChunkMemory(MdtWorldID w, void* memory, size_t size) { MeChunkSetMem(&w->chunk, memory, size, 64); }
void MdtWorldSetChunkResizeFn(MdtWorldID w, MeChunkResizeFn fn) { MeChunkSetResizeFn(&w->chunk, fn); }

void MdtWorldForAllConstraints(MdtWorldID w, MdtConstraintFn fn, void* argument) {
  for (MdtConstraint* c = w->constraints; c;) {
    MdtConstraint* next = c->next;  // the callback may disable it
    fn(c, argument);
    c = next;
  }
}

void MdtWorldResetForces(MdtWorldID w) {
  for (MdtBody* b = w->bodies; b; b = b->next) {
    std::memset(b->state.force, 0, sizeof(b->state.force));
    std::memset(b->state.torque, 0, sizeof(b->state.torque));
  }
}

MeReal MdtPartitionGetSafeTime(const MdtPartitionOutput* out, int p) {
  MeReal t = MeInfinity;
  if (p < 0 || p >= out->partitionCount) return t;
  for (int i = 0; i < out->bodyCount[p]; ++i) {
    const MeReal s = out->bodies[out->bodyStart[p] + i]->safeTime;
    if (s < t) t = s;
  }
  return t;
}

void MdtPartition(MdtWorldID w, MdtPartitionOutput* out, const MdtAutoDisableParams* check) {
  MeProfileStartSection("Mdt Partition", 0);
  out->partitionCount = 0;
  out->totalBodies = 0;
  out->totalConstraints = 0;
  MdtBody* seed = nextUnvisited(w->enabledBodies);
  while (seed) {
    const int p = out->partitionCount;
    out->bodyCount[p] = 0;
    out->constraintCount[p] = 0;
    out->bodyStart[p] = out->totalBodies;
    out->constraintStart[p] = out->totalConstraints;
    appendBody(out, p, seed);
    for (int i = out->bodyStart[p]; i < out->totalBodies; ++i) {
      MdtBody* b = out->bodies[i];
      for (MdtBodyLink* l = b->constraints; l; l = l->next) {
        MdtConstraint* c = l->constraint;
        if (c->visited) continue;
        c->visited = 1;
        out->constraints[out->totalConstraints++] = c;
        out->constraintCount[p] += 1;
        for (MdtBody* other : c->body)
          if (other && other != b && !other->visited) appendBody(out, p, other);
      }
      if (b->enabledSteps == kAllOnes) MdtBodyEnable(b);  // woken through a constraint
    }
    out->partitionCount += 1;
    // Every body of this partition is visited now, so the next seed is not
    // among the bodies a sleeping check below takes out of the list.
    MdtBody* next = nextUnvisited(seed->enabledNext);
    if (check) {
      bool moving = false;
      for (int i = 0; i < out->bodyCount[p] && !moving; ++i) moving = bodyMoving(out->bodies[out->bodyStart[p] + i], check);
      if (!moving) {
        for (int i = 0; i < out->bodyCount[p]; ++i) {
          MdtBody* b = out->bodies[out->bodyStart[p] + i];
          MdtBodyDisable(b);
          std::memset(b->state.force, 0, sizeof(b->state.force));
          std::memset(b->state.torque, 0, sizeof(b->state.torque));
          b->visited = 0;
        }
        for (int i = 0; i < out->constraintCount[p]; ++i) out->constraints[out->constraintStart[p] + i]->visited = 0;
        out->partitionCount -= 1;
        out->totalBodies -= out->bodyCount[p];
        out->totalConstraints -= out->constraintCount[p];
      }
    }
    seed = next;
  }
  for (int i = 0; i < out->totalBodies; ++i) out->bodies[i]->visited = 0;
  for (int i = 0; i < out->totalConstraints; ++i) out->constraints[i]->visited = 0;
  MeProfileEndSectionFn("Mdt Partition");
}

void MdtWorldStep(MdtWorldID w, MeReal h) {
  MdtPartitionOutput* out = &w->partitions;
  MdtPartition(w, out, w->autoDisable ? &w->autoDisableParams : nullptr);
  for (int p = 0; p < out->partitionCount; ++p) {
    const int rows = pack(w, out, p, h);
    const int bodies = out->bodyCount[p];
    const int size = keaMemoryRequired(rows, bodies);
    void* memory = MeChunkGetMem(&w->chunk, static_cast<size_t>(size));
    if (!memory) {
      MeFatalError(0, "MdtWorldStep: the solver needs %d bytes of scratch memory and the chunk cannot lend them.\n",
                   size);
      continue;  // the handler returned: this partition is left unsolved
    }
    keaParameters params{h, w->epsilon, w->gamma, 10, memory, size, w->kernel, 0};
    keaSolve(w->header, w->packedStates, w->packedTransforms, bodies, params);
    keaIntegrate(w->packedStates, w->packedTransforms, bodies, &params);
    unpack(w, out, p);
  }
  for (MdtBody* b = w->enabledBodies; b; b = b->enabledNext) {
    std::memset(b->state.force, 0, sizeof(b->state.force));
    std::memset(b->state.torque, 0, sizeof(b->state.torque));
  }
}
