#include "world/space/movable_objects.h"

#include <algorithm>
#include <vector>

#include "world/environment/env_instance.h"

namespace {

struct Entry {
  CEnvInstance* Zone;
  MovableObject* Object;
};

std::vector<Entry>& List() {
  static std::vector<Entry> list;
  return list;
}

CEnvInstance* RootOf(CEnvInstance* zone) { return zone != nullptr ? zone->GetRoot() : nullptr; }

}  // namespace

void AddMovableObject(CEnvInstance* zone, MovableObject* object) {
  if (object == nullptr) return;
  RemoveMovableObject(object);
  List().push_back({RootOf(zone), object});
}

void RemoveMovableObject(MovableObject* object) {
  auto& list = List();
  list.erase(std::remove_if(list.begin(), list.end(), [&](const Entry& e) { return e.Object == object; }),
             list.end());
}

void ClearMovableObjects() { List().clear(); }

MovableObject* FindMovableObjectAt(CEnvInstance* zone, const CVector3& point) {
  CEnvInstance* root = RootOf(zone);
  for (const Entry& e : List()) {
    if (e.Zone != root || e.Object->Body == nullptr) continue;
    CVector3 lo, hi;
    e.Object->Body->ComputeWorldBox(&lo, &hi);
    if (point.x >= lo.x && point.x <= hi.x && point.y >= lo.y && point.y <= hi.y && point.z >= lo.z &&
        point.z <= hi.z)
      return e.Object;
  }
  return nullptr;
}

MovableObject* CEnvInstance::FindMovableAt(const CVector3& point) { return FindMovableObjectAt(this, point); }
