// The Direct3D 8 capability record and its bit names, with their documented
// values: what a device reports it can do.
#pragma once

#include "platform/d3d8/d3d8_types.h"

struct D3DCAPS8 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps, Caps2, Caps3, PresentationIntervals, CursorCaps, DevCaps, PrimitiveMiscCaps, RasterCaps, ZCmpCaps,
      SrcBlendCaps, DestBlendCaps, AlphaCmpCaps, ShadeCaps, TextureCaps, TextureFilterCaps, CubeTextureFilterCaps,
      VolumeTextureFilterCaps, TextureAddressCaps, VolumeTextureAddressCaps, LineCaps, MaxTextureWidth,
      MaxTextureHeight, MaxVolumeExtent, MaxTextureRepeat, MaxTextureAspectRatio, MaxAnisotropy;
  float MaxVertexW, GuardBandLeft, GuardBandTop, GuardBandRight, GuardBandBottom, ExtentsAdjust;
  DWORD StencilCaps, FVFCaps, TextureOpCaps, MaxTextureBlendStages, MaxSimultaneousTextures, VertexProcessingCaps,
      MaxActiveLights, MaxUserClipPlanes, MaxVertexBlendMatrices, MaxVertexBlendMatrixIndex;
  float MaxPointSize;
  DWORD MaxPrimitiveCount, MaxVertexIndex, MaxStreams, MaxStreamStride, VertexShaderVersion, MaxVertexShaderConst,
      PixelShaderVersion;
  float MaxPixelShaderValue;
};

inline constexpr DWORD D3DCAPS2_CANRENDERWINDOWED = 0x00080000;
inline constexpr DWORD D3DCAPS2_DYNAMICTEXTURES = 0x20000000;

inline constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;
inline constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
inline constexpr DWORD D3DDEVCAPS_HWRASTERIZATION = 0x00080000;
inline constexpr DWORD D3DDEVCAPS_PUREDEVICE = 0x00100000;

inline constexpr DWORD D3DPMISCCAPS_MASKZ = 0x2;
inline constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x10;
inline constexpr DWORD D3DPMISCCAPS_CULLCW = 0x20;
inline constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x40;
inline constexpr DWORD D3DPMISCCAPS_COLORWRITEENABLE = 0x80;
inline constexpr DWORD D3DPMISCCAPS_TSSARGTEMP = 0x400;

inline constexpr DWORD D3DPRASTERCAPS_DITHER = 0x1;
inline constexpr DWORD D3DPRASTERCAPS_ZTEST = 0x10;
inline constexpr DWORD D3DPRASTERCAPS_FOGVERTEX = 0x80;
inline constexpr DWORD D3DPRASTERCAPS_FOGTABLE = 0x100;
inline constexpr DWORD D3DPRASTERCAPS_MIPMAPLODBIAS = 0x2000;
inline constexpr DWORD D3DPRASTERCAPS_ZBIAS = 0x4000;
inline constexpr DWORD D3DPRASTERCAPS_ZFOG = 0x200000;

inline constexpr DWORD D3DPCMPCAPS_NEVER = 0x1;
inline constexpr DWORD D3DPCMPCAPS_LESS = 0x2;
inline constexpr DWORD D3DPCMPCAPS_EQUAL = 0x4;
inline constexpr DWORD D3DPCMPCAPS_LESSEQUAL = 0x8;
inline constexpr DWORD D3DPCMPCAPS_GREATER = 0x10;
inline constexpr DWORD D3DPCMPCAPS_NOTEQUAL = 0x20;
inline constexpr DWORD D3DPCMPCAPS_GREATEREQUAL = 0x40;
inline constexpr DWORD D3DPCMPCAPS_ALWAYS = 0x80;

inline constexpr DWORD D3DPBLENDCAPS_ZERO = 0x1;
inline constexpr DWORD D3DPBLENDCAPS_ONE = 0x2;
inline constexpr DWORD D3DPBLENDCAPS_SRCCOLOR = 0x4;
inline constexpr DWORD D3DPBLENDCAPS_INVSRCCOLOR = 0x8;
inline constexpr DWORD D3DPBLENDCAPS_SRCALPHA = 0x10;
inline constexpr DWORD D3DPBLENDCAPS_INVSRCALPHA = 0x20;
inline constexpr DWORD D3DPBLENDCAPS_DESTALPHA = 0x40;
inline constexpr DWORD D3DPBLENDCAPS_INVDESTALPHA = 0x80;
inline constexpr DWORD D3DPBLENDCAPS_DESTCOLOR = 0x100;
inline constexpr DWORD D3DPBLENDCAPS_INVDESTCOLOR = 0x200;
inline constexpr DWORD D3DPBLENDCAPS_SRCALPHASAT = 0x400;

inline constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x8;
inline constexpr DWORD D3DPSHADECAPS_ALPHAGOURAUDBLEND = 0x4000;
inline constexpr DWORD D3DPSHADECAPS_FOGGOURAUD = 0x80000;

inline constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
inline constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x2;
inline constexpr DWORD D3DPTEXTURECAPS_ALPHA = 0x4;
inline constexpr DWORD D3DPTEXTURECAPS_ALPHAPALETTE = 0x80;
inline constexpr DWORD D3DPTEXTURECAPS_PROJECTED = 0x400;
inline constexpr DWORD D3DPTEXTURECAPS_CUBEMAP = 0x800;
inline constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x4000;
inline constexpr DWORD D3DPTEXTURECAPS_MIPCUBEMAP = 0x10000;
inline constexpr DWORD D3DPTEXTURECAPS_CUBEMAP_POW2 = 0x20000;

inline constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x100;
inline constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x200;
inline constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x10000;
inline constexpr DWORD D3DPTFILTERCAPS_MIPFLINEAR = 0x20000;
inline constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x1000000;
inline constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x2000000;

inline constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x1;
inline constexpr DWORD D3DPTADDRESSCAPS_MIRROR = 0x2;
inline constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x4;
inline constexpr DWORD D3DPTADDRESSCAPS_BORDER = 0x8;

inline constexpr DWORD D3DSTENCILCAPS_KEEP = 0x1;
inline constexpr DWORD D3DSTENCILCAPS_ZERO = 0x2;
inline constexpr DWORD D3DSTENCILCAPS_REPLACE = 0x4;
inline constexpr DWORD D3DSTENCILCAPS_INCRSAT = 0x8;
inline constexpr DWORD D3DSTENCILCAPS_DECRSAT = 0x10;
inline constexpr DWORD D3DSTENCILCAPS_INVERT = 0x20;
inline constexpr DWORD D3DSTENCILCAPS_INCR = 0x40;
inline constexpr DWORD D3DSTENCILCAPS_DECR = 0x80;

inline constexpr DWORD D3DTEXOPCAPS_DISABLE = 0x1;
inline constexpr DWORD D3DTEXOPCAPS_SELECTARG1 = 0x2;
inline constexpr DWORD D3DTEXOPCAPS_SELECTARG2 = 0x4;
inline constexpr DWORD D3DTEXOPCAPS_MODULATE = 0x8;
inline constexpr DWORD D3DTEXOPCAPS_MODULATE2X = 0x10;
inline constexpr DWORD D3DTEXOPCAPS_MODULATE4X = 0x20;
inline constexpr DWORD D3DTEXOPCAPS_ADD = 0x40;
inline constexpr DWORD D3DTEXOPCAPS_ADDSIGNED = 0x80;
inline constexpr DWORD D3DTEXOPCAPS_ADDSIGNED2X = 0x100;
inline constexpr DWORD D3DTEXOPCAPS_SUBTRACT = 0x200;
inline constexpr DWORD D3DTEXOPCAPS_BLENDDIFFUSEALPHA = 0x800;
inline constexpr DWORD D3DTEXOPCAPS_BLENDTEXTUREALPHA = 0x1000;
inline constexpr DWORD D3DTEXOPCAPS_BLENDFACTORALPHA = 0x2000;
inline constexpr DWORD D3DTEXOPCAPS_BLENDCURRENTALPHA = 0x8000;
inline constexpr DWORD D3DTEXOPCAPS_DOTPRODUCT3 = 0x800000;

inline constexpr DWORD D3DFVFCAPS_TEXCOORDCOUNTMASK = 0xFFFF;

inline constexpr DWORD D3DVTXPCAPS_TEXGEN = 0x1;
inline constexpr DWORD D3DVTXPCAPS_MATERIALSOURCE7 = 0x2;
inline constexpr DWORD D3DVTXPCAPS_DIRECTIONALLIGHTS = 0x8;
inline constexpr DWORD D3DVTXPCAPS_POSITIONALLIGHTS = 0x10;
inline constexpr DWORD D3DVTXPCAPS_LOCALVIEWER = 0x20;
