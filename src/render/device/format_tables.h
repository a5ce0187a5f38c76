// Bits and names of the Direct3D surface formats the render object deals in.
#pragma once

#include "platform/d3d8/d3d8.h"

// Colour bits of a back-buffer format; 0 for any format not listed.
DWORD FormatColourBits(D3DFORMAT format);
// Depth bits of a depth-stencil format; 0 for any other.
DWORD FormatDepthBits(D3DFORMAT format);
// Stencil bits of a depth-stencil format; 0 for any other.
DWORD FormatStencilBits(D3DFORMAT format);
// Standard name of a format ("D3DFMT_R5G6B5"); null for an unknown format.
const char* FormatName(D3DFORMAT format);
