#include "foundation/memory/point_array.h"

#include "foundation/memory/memory_manager.h"

Vectors::Vectors(std::uint32_t count) : count_(count) {
  MemSetOwner("GAMELIB/Core/Vectors", __LINE__, "??");
  points_ = new (MEMCAT_GAME) Vector3[count];
}

Vectors::~Vectors() {
  MemSetOwner("GAMELIB/Core/Vectors", __LINE__, "??");
  delete[] points_;
}
