// Registration of the primitive geometry types and their pair functions.
#pragma once

// Registers sphere, box, plane, cylinder, cone and triangle list, in that
// order (ids 0 to 5 in a fresh framework); answers the last id.
int McdPrimitivesRegisterTypes();
// The number of types McdPrimitivesRegisterTypes registers (6).
int McdPrimitivesGetTypeCount();
// Registers every pair test and line-segment function of the narrow phase;
// answers 1.  Defined with the narrow phase's pair table.
int McdPrimitivesRegisterInteractions();
