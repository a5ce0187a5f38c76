#include "foundation/maths/random_tables.h"

#include <cmath>
#include <mutex>

#include "foundation/maths/fast_trig.h"
#include "foundation/maths/random15.h"

namespace {

constexpr float kTwoPi = 6.2831853f;

struct Tables {
  float floats[kRandomTableSize];
  int ints[kRandomTableSize];
  int floatIndex;
  int intIndex;
};

constinit Tables gTables = {};
constinit std::once_flag gSeeded;

void Fill(std::uint32_t seed) {
  SRand15(seed);
  // The float table takes the first 2048 numbers of the sequence, the
  // integer table the next 2048.
  for (float& f : gTables.floats) f = static_cast<float>(Rand15()) * 3.051851e-5f;
  for (int& n : gTables.ints) n = Rand15();
  gTables.floatIndex = 0;
  gTables.intIndex = 0;
}

void EnsureSeeded() {
  std::call_once(gSeeded, [] { Fill(1); });
}

float NextFloat() {
  EnsureSeeded();
  float v = gTables.floats[gTables.floatIndex];
  gTables.floatIndex = (gTables.floatIndex + 1) & (kRandomTableSize - 1);
  return v;
}

int NextInt() {
  EnsureSeeded();
  int v = gTables.ints[gTables.intIndex];
  gTables.intIndex = (gTables.intIndex + 1) & (kRandomTableSize - 1);
  return v;
}

}  // namespace

void SeedRandomTables(std::uint32_t seed) {
  EnsureSeeded();
  Fill(seed);
}

void ResetRandomFloatIndex() {
  EnsureSeeded();
  gTables.floatIndex = 0;
}

float RandomFloat(float max) { return NextFloat() * max; }
float RandomFloatRange(float min, float max) { return NextFloat() * (max - min) + min; }
int RandomInt() { return NextInt(); }

int RandomIntBelow(int n) {
  int v = NextInt();
  return n == 0 ? 0 : v % n;
}

int RandomIntRange(int lo, int hi) {
  int v = NextInt();
  if (hi <= lo) return lo;
  return static_cast<int>(v % (static_cast<long long>(hi) - lo) + lo);
}

void RandomVector(Vector3* out) {
  out->x = RandomFloatRange(-1.0f, 1.0f);
  out->y = RandomFloatRange(-1.0f, 1.0f);
  out->z = RandomFloatRange(-1.0f, 1.0f);
}

void RandomUnitDirection(Vector3* out) {
  float z = RandomFloatRange(-1.0f, 1.0f);
  float a = RandomFloat(kTwoPi);
  float r = std::sqrt(std::fmax(0.0f, 1.0f - z * z));
  out->x = r * FastCos(a);
  out->y = r * FastSin(a);
  out->z = z;
}
