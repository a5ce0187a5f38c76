// Registration of the cylinder, cone and triangle-list pair tests and of the
// per-type line-segment functions.
#pragma once

// Stores the pair tests of the cylinder (with sphere, plane, box, cylinder),
// the cone (with sphere, plane; box, cone and cylinder as touch only) and the
// triangle list (with sphere and box), and the segment functions of box,
// sphere, plane, cylinder and cone.  Types not registered are skipped.
void McdRegisterCurvedAndTriangleListInteractions();
