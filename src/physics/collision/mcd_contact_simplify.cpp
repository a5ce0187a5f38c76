// Contact reduction by a convex hull in the plane perpendicular to the
// normal.  The hull is a circular doubly linked ring of at most budget + 1
// nodes taken from a pool on the stack.
//
// Weight of a hull vertex V with ring neighbours P and N:
//   w(P, V, N) = n . ((V - P) x (N - P)),
// twice the area of the triangle P V N projected along n; removing V loses
// exactly that area, so the lightest vertex is the cheapest to drop.
#include "physics/collision/mcd_contact_simplify.h"

#include "physics/util/me_math.h"

namespace {

struct Node {
  const McdContact* contact;
  MeReal weight;
  Node* next;
  Node* prev;
};

// A candidate within this (a length times a length, as for the first
// triangle) of a hull edge's line lies on the hull, not outside it: it would
// add no area, only a redundant contact beside its neighbours.  Face
// contacts between boxes of equal size put many candidates on shared edges,
// and kept, they come and go with rounding from step to step, which makes the
// solver's problem badly conditioned and a resting pile creep apart.
constexpr MeReal kOnLine = 0.0001f;

// Candidates closer than 0.01 with the same normal are one contact.
bool IsDuplicate(const McdContact& a, const McdContact& b) {
  MeReal d[3];
  MeVector3Subtract(d, a.position, b.position);
  return MeVector3Dot(d, d) < 0.0001f && MeVector3Dot(a.normal, b.normal) > 0.9999f;
}

MeReal Weight(const MeReal* n, const Node* p, const Node* v, const Node* nx) {
  MeReal a[3], b[3], c[3];
  MeVector3Subtract(a, v->contact->position, p->contact->position);
  MeVector3Subtract(b, nx->contact->position, p->contact->position);
  MeVector3Cross(c, a, b);
  return MeVector3Dot(n, c);
}

bool NamesFace(MeU16 dims) { return (dims & 0xff) == 2 || (dims >> 8) == 2; }

class Ring {
 public:
  Ring(Node* pool, int size) {
    for (int i = 0; i < size; ++i) pool[i].next = i + 1 < size ? &pool[i + 1] : nullptr;
    free_ = pool;
  }

  Node* Take(const McdContact* c) {
    Node* n = free_;
    free_ = n->next;
    n->contact = c;
    n->weight = 0.0f;
    return n;
  }

  void Give(Node* n) {
    n->next = free_;
    free_ = n;
  }

  void Start(Node* n) {
    head_ = n;
    n->next = n->prev = n;
    size_ = 1;
  }

  void InsertAfter(Node* at, Node* n) {
    n->prev = at;
    n->next = at->next;
    at->next->prev = n;
    at->next = n;
    ++size_;
  }

  void Remove(Node* n) {
    if (n == head_) head_ = n->next == n ? nullptr : n->next;
    n->prev->next = n->next;
    n->next->prev = n->prev;
    --size_;
    Give(n);
  }

  Node* head() const { return head_; }
  int size() const { return size_; }

 private:
  Node* free_ = nullptr;
  Node* head_ = nullptr;
  int size_ = 0;
};

// Adds candidate c to a hull of three or more nodes; see the header comment
// for the weights.  Edge A -> B has c outside when (n x (c - A)) . (B - A) >= 0.
void AddToHull(Ring& ring, const MeReal* n, const McdContact* c) {
  constexpr int kMax = McdContactSimplifyMaxBudget + 1;
  Node* starts[kMax];
  bool outside[kMax];
  int edges = 0;
  Node* a = ring.head();
  do {
    Node* b = a->next;
    MeReal ca[3], nc[3], ab[3];
    MeVector3Subtract(ca, c->position, a->contact->position);
    MeVector3Cross(nc, n, ca);
    MeVector3Subtract(ab, b->contact->position, a->contact->position);
    starts[edges] = a;
    outside[edges] = MeVector3Dot(nc, ab) > kOnLine;
    ++edges;
    a = b;
  } while (a != ring.head());

  // V1: start of the first outside edge after an inside one; V2: start of
  // the first inside edge after an outside one.  The ring is circular, so
  // the edge before the head's edge is the last one.
  Node* v1 = nullptr;
  Node* v2 = nullptr;
  for (int i = 0; i < edges && !v1; ++i)
    if (outside[i] && !outside[(i + edges - 1) % edges]) v1 = starts[i];
  if (!v1) return;  // inside the hull (or no edge sees it)
  int i1 = 0;
  while (starts[i1] != v1) ++i1;
  for (int k = 1; k <= edges && !v2; ++k) {
    int i = (i1 + k) % edges;
    if (!outside[i] && outside[(i + edges - 1) % edges]) v2 = starts[i];
  }
  if (!v2) return;

  // The nodes strictly between V1 and V2 are no longer on the hull.
  for (Node* m = v1->next; m != v2;) {
    Node* next = m->next;
    ring.Remove(m);
    m = next;
  }
  Node* node = ring.Take(c);
  ring.InsertAfter(v1, node);
  node->weight = Weight(n, v1, node, v2);
  v1->weight = Weight(n, v1->prev, v1, node);
  v2->weight = Weight(n, node, v2, v2->next);
}

// Drops the lightest vertex (the first found from the head on ties), after
// giving its neighbours the weights they have without it.
void DropLightest(Ring& ring, const MeReal* n) {
  Node* best = ring.head();
  for (Node* m = best->next; m != ring.head(); m = m->next)
    if (m->weight < best->weight) best = m;
  Node* p = best->prev;
  Node* q = best->next;
  p->weight = Weight(n, p->prev, p, q);
  q->weight = Weight(n, p, q, q->next);
  ring.Remove(best);
}

}  // namespace

int McdContactSimplify(const MeReal* normal, const McdContact* candidates, int count,
                       McdContact* out, int budget, int faceFirst) {
  if (count <= 0 || budget <= 0) return 0;
  if (count == 1) {
    out[0] = candidates[0];
    return 1;
  }
  // The hull never holds more nodes than there are candidates.
  if (budget > count) budget = count;
  if (budget > McdContactSimplifyMaxBudget) budget = McdContactSimplifyMaxBudget;

  Node pool[McdContactSimplifyMaxBudget + 1];
  Ring ring(pool, budget + 1);
  ring.Start(ring.Take(&candidates[0]));

  if (budget > 1) {
    int k = 1;
    while (k < count && IsDuplicate(candidates[k], candidates[0])) ++k;
    if (k < count) {
      Node* second = ring.Take(&candidates[k]);
      ring.InsertAfter(ring.head(), second);
      ++k;
      if (k < count && budget > 2) {
        // A third point off the line c0 c1 makes the first triangle.
        const MeReal* c0 = candidates[0].position;
        MeReal d[3], m[3];
        MeVector3Subtract(d, second->contact->position, c0);
        MeVector3Cross(m, normal, d);
        for (; k < count; ++k) {
          MeReal e[3];
          MeVector3Subtract(e, candidates[k].position, c0);
          MeReal a = MeVector3Dot(e, m);
          if (a > 0.0001f || a < -0.0001f) {
            Node* third = ring.Take(&candidates[k]);
            if (a > 0.0f) {
              ring.InsertAfter(second, third);
            } else {
              ring.InsertAfter(ring.head(), third);
              a = -a;
            }
            ring.head()->weight = second->weight = third->weight = a;
            ++k;
            break;
          }
        }
        for (; k < count; ++k) {
          AddToHull(ring, normal, &candidates[k]);
          if (ring.size() > budget) DropLightest(ring, normal);
        }
      }
    }
  }

  int written = 0;
  if (faceFirst) {
    Node* m = ring.head();
    int left = ring.size();
    for (int i = 0; i < left; ++i) {
      Node* next = m->next;
      if (NamesFace(m->contact->dims)) {
        out[written++] = *m->contact;
        ring.Remove(m);
      }
      m = next;
    }
  }
  if (ring.head()) {
    Node* m = ring.head();
    do {
      out[written++] = *m->contact;
      m = m->next;
    } while (m != ring.head());
  }
  return written;
}
