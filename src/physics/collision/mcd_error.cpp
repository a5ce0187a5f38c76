#include "physics/collision/mcd_error.h"

#include <cstdio>

#include "physics/util/me_message.h"

McdError McdErrorTable[] = {
    {0, McdErrorFatal, 5, ""},
    {1, McdErrorFatal, 5, ""},
    {3, McdErrorFatal, 5, "Function called with null pointer as argument "},
    {4, McdErrorFatal, 5, "object not of correct derived type: expecting object of type "},
    {5, McdErrorFatal, 5, "Allocation failed for object of type: "},
    {6, McdErrorFatal, 5, "Assertion failed: "},
    {7, McdErrorWarning, 5,
     "Invalid use of McdModelSetTransform(),: This McdModel's transform is automatically "
     "updated from a MdtBody transform "},
    {8, McdErrorFatal, 5, "Invalid McdModelID."},
    {9, McdErrorFatal, 5, "Invalid McdSpaceID."},
    {10, McdErrorFatal, 5, "Invalid McdGeometryID."},
    {11, McdErrorFatal, 5, "Invalid McdSpacePairID."},
    {12, McdErrorFatal, 5, "Invalid McdModelPair pointer."},
    {13, McdErrorFatal, 5, "Invalid McdIntersectResult pointer."},
    {14, McdErrorFatal, 5, "McdModelPair contains null model pointer(s),."},
    {15, McdErrorFatal, 5, "Invalid McdDtBridgeID."},
    {16, McdErrorFatal, 5, "Invalid McdRwWorldID."},
    {17, McdErrorFatal, 5, "Invalid McdRwBSPID."},
    {18, McdErrorFatal, 5, "Expected non null transform pointer."},
    {19, McdErrorFatal, 5, "SpaceUpdate called on unbuilt space.  Invoke SpaceBuild(),"},
    {20, McdErrorFatal, 5,
     "Attempt to SetBody(), without Initializing dynamics bridge (BridgeInit(),),"},
    {21, McdErrorFatal, 5,
     "Failed to register new geometry type. Ensure sufficient number of geometries in "
     "McdInit()."},
    {22, McdErrorFatal, 5, "Invalid Intersect Result. Output contact array pointer must exist."},
    {23, McdErrorFatal, 5, "Invalid Intersect Request (%s),."},
    {24, McdErrorFatal, 5,
     "Out of memory for McdModelPairs in McdSpace. Resizing not implemented. Please use a "
     "larger number or pairs in McdAxisSortCreate."},
    {25, McdErrorWarning, 5, "Ran out of memory for PairData objects."},
    {26, McdErrorWarning, 5,
     "Ran out of contact in pool, a larger buffer can be set using the function "
     "McdIntersectSetContactBufferSize(size), "},
    {27, McdErrorWarning, 5,
     "No memory for adding more triangles - McdTriangleMeshAddTriangle(),"},
    {28, McdErrorWarning, 5, "Degenerate triangle, ignored - by McdTriangleMeshAddTriangle(),"},
    {29, McdErrorFatal, 5,
     "TriangleMesh is not built - the function McdTriangleMeshBuild(mesh), shoud be called."},
    {30, McdErrorWarning, 5,
     "No intersection function available for this pair combination. Pair will be ignored. "
     "This could also be due to an invalid Request for the given pair: "},
    {31, McdErrorWarning, 5, "Invalid Request "},
    {32, McdErrorWarning, 5,
     "Attempt to register an interaction involving an unregistered geometry type. Interaction "
     "ignored. Pair combination was "},
    {33, McdErrorWarning, 5,
     "Attempt to find an interaction involving an unregistered geometry type. Empty "
     "interaction will be used for debug version, but release version will produce undefined "
     "behaviour."},
    {34, McdErrorWarning, 5, "Unimplemented case in McdSafeTime in "},
    {35, McdErrorWarning, 5,
     "Attempt to register an interaction involving an invalid geometry type. Failure to "
     "register geometry type before registering interactions?"},
    {36, McdErrorWarning, 5,
     "Attempt to use a state-modification function while McdSpaceIsChanging() is false. Call "
     "McdSpaceBeginChanges() first. Function name: "},
    {37, McdErrorWarning, 5,
     "Attempt to use a state-query function while McdSpaceIsChanging() is true. Call "
     "McdSpaceEndChanges() first. Function name: "},
    {38, McdErrorFatal, 5, "No error"},
};

McdError* McdErrorFind(McdError* table, int code) {
  McdError* row = table;
  for (; row->code != 38; ++row)
    if (row->code == code) return row;
  return row;
}

void McdErrorResetCounts(McdError* table) {
  McdError* row = table;
  for (; row->code != 38; ++row) row->remaining = 5;
  row->remaining = 5;
}

int McdReportError(McdError* table, int code, const char* added) {
  McdError* row = McdErrorFind(table, code);
  const char* text = (code < 1 || code > 37) ? "" : row->text;
  if (row->remaining < 1) return 0;
  // One line of at most 511 characters; longer messages are cut.
  char message[512];
  std::snprintf(message, sizeof message, "Mcd: %s%s%s\n", text, added ? added : "",
                row->remaining == 1 ? "\n[This message will not be repeated again!]" : "");
  row->remaining -= 1;
  switch (row->severity) {
    case McdErrorFatal: MeFatalError(0, "%s", message); break;
    case McdErrorWarning: MeWarning(0, "%s", message); break;
    case McdErrorInfo: MeInfo(0, "%s", message); break;
    default: break;
  }
  return 1;
}
