// Direct3D 8 value types, enumerations and constants, with their documented
// numbers: render-state numbers index the renderer's state cache, format codes
// are stored in image files, and callers compare the result codes.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"

using D3DCOLOR = DWORD;

constexpr D3DCOLOR D3DCOLOR_ARGB(unsigned a, unsigned r, unsigned g, unsigned b) {
  return ((a & 0xFFu) << 24) | ((r & 0xFFu) << 16) | ((g & 0xFFu) << 8) | (b & 0xFFu);
}
constexpr D3DCOLOR D3DCOLOR_XRGB(unsigned r, unsigned g, unsigned b) { return D3DCOLOR_ARGB(0xFF, r, g, b); }

constexpr DWORD MAKEFOURCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
         (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

// ---- Result codes --------------------------------------------------------
constexpr HRESULT MAKE_D3DHRESULT(unsigned code) { return static_cast<HRESULT>(0x88760000u | code); }
inline constexpr HRESULT D3D_OK = 0;
inline constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MAKE_D3DHRESULT(2072);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = MAKE_D3DHRESULT(2073);
inline constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = MAKE_D3DHRESULT(2074);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = MAKE_D3DHRESULT(2075);
inline constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = MAKE_D3DHRESULT(2076);
inline constexpr HRESULT D3DERR_TOOMANYOPERATIONS = MAKE_D3DHRESULT(2077);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = MAKE_D3DHRESULT(2078);
inline constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = MAKE_D3DHRESULT(2079);
inline constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = MAKE_D3DHRESULT(2081);
inline constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = MAKE_D3DHRESULT(2082);
inline constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = MAKE_D3DHRESULT(2086);
inline constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MAKE_D3DHRESULT(2087);
inline constexpr HRESULT D3DERR_NOTFOUND = MAKE_D3DHRESULT(2150);
inline constexpr HRESULT D3DERR_MOREDATA = MAKE_D3DHRESULT(2151);
inline constexpr HRESULT D3DERR_DEVICELOST = MAKE_D3DHRESULT(2152);
inline constexpr HRESULT D3DERR_DEVICENOTRESET = MAKE_D3DHRESULT(2153);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = MAKE_D3DHRESULT(2154);
inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MAKE_D3DHRESULT(380);
inline constexpr HRESULT D3DERR_INVALIDDEVICE = MAKE_D3DHRESULT(2155);
inline constexpr HRESULT D3DERR_INVALIDCALL = MAKE_D3DHRESULT(2156);
inline constexpr HRESULT D3DERR_DRIVERINVALIDCALL = MAKE_D3DHRESULT(2157);

inline constexpr UINT D3D_SDK_VERSION = 120;
inline constexpr UINT D3DADAPTER_DEFAULT = 0;

// ---- Formats ---------------------------------------------------------------
enum D3DFORMAT : std::int32_t {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_X1R5G5B5 = 24,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_A4R4G4B4 = 26,
  D3DFMT_R3G3B2 = 27,
  D3DFMT_A8 = 28,
  D3DFMT_A8R3G3B2 = 29,
  D3DFMT_X4R4G4B4 = 30,
  D3DFMT_A2B10G10R10 = 31,
  D3DFMT_G16R16 = 34,
  D3DFMT_A8P8 = 40,
  D3DFMT_P8 = 41,
  D3DFMT_L8 = 50,
  D3DFMT_A8L8 = 51,
  D3DFMT_A4L4 = 52,
  D3DFMT_V8U8 = 60,
  D3DFMT_L6V5U5 = 61,
  D3DFMT_X8L8V8U8 = 62,
  D3DFMT_Q8W8V8U8 = 63,
  D3DFMT_V16U16 = 64,
  D3DFMT_W11V11U10 = 65,
  D3DFMT_A2W10V10U10 = 67,
  D3DFMT_UYVY = static_cast<std::int32_t>(MAKEFOURCC('U', 'Y', 'V', 'Y')),
  D3DFMT_YUY2 = static_cast<std::int32_t>(MAKEFOURCC('Y', 'U', 'Y', '2')),
  D3DFMT_DXT1 = static_cast<std::int32_t>(MAKEFOURCC('D', 'X', 'T', '1')),
  D3DFMT_DXT2 = static_cast<std::int32_t>(MAKEFOURCC('D', 'X', 'T', '2')),
  D3DFMT_DXT3 = static_cast<std::int32_t>(MAKEFOURCC('D', 'X', 'T', '3')),
  D3DFMT_DXT4 = static_cast<std::int32_t>(MAKEFOURCC('D', 'X', 'T', '4')),
  D3DFMT_DXT5 = static_cast<std::int32_t>(MAKEFOURCC('D', 'X', 'T', '5')),
  D3DFMT_D16_LOCKABLE = 70,
  D3DFMT_D32 = 71,
  D3DFMT_D15S1 = 73,
  D3DFMT_D24S8 = 75,
  D3DFMT_D16 = 80,
  D3DFMT_D24X8 = 77,
  D3DFMT_D24X4S4 = 79,
  D3DFMT_VERTEXDATA = 100,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
};

// ---- Device, resources, pools, usage, locks ----------------------------------
enum D3DDEVTYPE : std::int32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2, D3DDEVTYPE_SW = 3 };

enum D3DMULTISAMPLE_TYPE : std::int32_t { D3DMULTISAMPLE_NONE = 0 };

enum D3DSWAPEFFECT : std::int32_t {
  D3DSWAPEFFECT_DISCARD = 1,
  D3DSWAPEFFECT_FLIP = 2,
  D3DSWAPEFFECT_COPY = 3,
  D3DSWAPEFFECT_COPY_VSYNC = 4,
};

enum D3DBACKBUFFER_TYPE : std::int32_t { D3DBACKBUFFER_TYPE_MONO = 0 };

enum D3DRESOURCETYPE : std::int32_t {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_VOLUME = 2,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VOLUMETEXTURE = 4,
  D3DRTYPE_CUBETEXTURE = 5,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DPOOL : std::int32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };

enum D3DCUBEMAP_FACES : std::int32_t {
  D3DCUBEMAP_FACE_POSITIVE_X = 0,
  D3DCUBEMAP_FACE_NEGATIVE_X = 1,
  D3DCUBEMAP_FACE_POSITIVE_Y = 2,
  D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
  D3DCUBEMAP_FACE_POSITIVE_Z = 4,
  D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

inline constexpr DWORD D3DCREATE_FPU_PRESERVE = 0x2;
inline constexpr DWORD D3DCREATE_MULTITHREADED = 0x4;
inline constexpr DWORD D3DCREATE_PUREDEVICE = 0x10;
inline constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
inline constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
inline constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x80;

inline constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
inline constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x2;
inline constexpr DWORD D3DUSAGE_WRITEONLY = 0x8;
inline constexpr DWORD D3DUSAGE_SOFTWAREPROCESSING = 0x10;
inline constexpr DWORD D3DUSAGE_DONOTCLIP = 0x20;
inline constexpr DWORD D3DUSAGE_POINTS = 0x40;
inline constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;

inline constexpr DWORD D3DLOCK_READONLY = 0x10;
inline constexpr DWORD D3DLOCK_NOSYSLOCK = 0x800;
inline constexpr DWORD D3DLOCK_NOOVERWRITE = 0x1000;
inline constexpr DWORD D3DLOCK_DISCARD = 0x2000;

inline constexpr DWORD D3DCLEAR_TARGET = 0x1;
inline constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;
inline constexpr DWORD D3DCLEAR_STENCIL = 0x4;

inline constexpr DWORD D3DPRESENT_INTERVAL_DEFAULT = 0;
inline constexpr DWORD D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
inline constexpr DWORD D3DPRESENT_RATE_DEFAULT = 0;

// ---- Render states (the number is the renderer's cache index, 0..170) -------
enum D3DRENDERSTATETYPE : std::int32_t {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_SHADEMODE = 9,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_ALPHATESTENABLE = 15,
  D3DRS_LASTPIXEL = 16,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_ALPHAREF = 24,
  D3DRS_ALPHAFUNC = 25,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_FOGENABLE = 28,
  D3DRS_SPECULARENABLE = 29,
  D3DRS_FOGCOLOR = 34,
  D3DRS_FOGTABLEMODE = 35,
  D3DRS_FOGSTART = 36,
  D3DRS_FOGEND = 37,
  D3DRS_FOGDENSITY = 38,
  D3DRS_ZBIAS = 47,
  D3DRS_RANGEFOGENABLE = 48,
  D3DRS_STENCILENABLE = 52,
  D3DRS_STENCILFAIL = 53,
  D3DRS_STENCILZFAIL = 54,
  D3DRS_STENCILPASS = 55,
  D3DRS_STENCILFUNC = 56,
  D3DRS_STENCILREF = 57,
  D3DRS_STENCILMASK = 58,
  D3DRS_STENCILWRITEMASK = 59,
  D3DRS_TEXTUREFACTOR = 60,
  D3DRS_CLIPPING = 136,
  D3DRS_LIGHTING = 137,
  D3DRS_AMBIENT = 139,
  D3DRS_FOGVERTEXMODE = 140,
  D3DRS_COLORVERTEX = 141,
  D3DRS_NORMALIZENORMALS = 143,
  D3DRS_DIFFUSEMATERIALSOURCE = 145,
  D3DRS_SPECULARMATERIALSOURCE = 146,
  D3DRS_AMBIENTMATERIALSOURCE = 147,
  D3DRS_EMISSIVEMATERIALSOURCE = 148,
  D3DRS_COLORWRITEENABLE = 168,
};
// Render-state numbers run from 0 to this value.
inline constexpr DWORD D3DRS_MAX_NUMBER = 170;

enum D3DZBUFFERTYPE : std::int32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1, D3DZB_USEW = 2 };
enum D3DFILLMODE : std::int32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DSHADEMODE : std::int32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2, D3DSHADE_PHONG = 3 };
enum D3DCULL : std::int32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DFOGMODE : std::int32_t { D3DFOG_NONE = 0, D3DFOG_EXP = 1, D3DFOG_EXP2 = 2, D3DFOG_LINEAR = 3 };
enum D3DMATERIALCOLORSOURCE : std::int32_t { D3DMCS_MATERIAL = 0, D3DMCS_COLOR1 = 1, D3DMCS_COLOR2 = 2 };

enum D3DBLEND : std::int32_t {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
};

enum D3DCMPFUNC : std::int32_t {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

enum D3DSTENCILOP : std::int32_t {
  D3DSTENCILOP_KEEP = 1,
  D3DSTENCILOP_ZERO = 2,
  D3DSTENCILOP_REPLACE = 3,
  D3DSTENCILOP_INCRSAT = 4,
  D3DSTENCILOP_DECRSAT = 5,
  D3DSTENCILOP_INVERT = 6,
  D3DSTENCILOP_INCR = 7,
  D3DSTENCILOP_DECR = 8,
};

// D3DRS_COLORWRITEENABLE bits.
inline constexpr DWORD D3DCOLORWRITEENABLE_RED = 0x1;
inline constexpr DWORD D3DCOLORWRITEENABLE_GREEN = 0x2;
inline constexpr DWORD D3DCOLORWRITEENABLE_BLUE = 0x4;
inline constexpr DWORD D3DCOLORWRITEENABLE_ALPHA = 0x8;

// ---- Texture stages ----------------------------------------------------------
enum D3DTEXTURESTAGESTATETYPE : std::int32_t {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_TEXCOORDINDEX = 11,
  D3DTSS_ADDRESSU = 13,
  D3DTSS_ADDRESSV = 14,
  D3DTSS_BORDERCOLOR = 15,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
  D3DTSS_MIPFILTER = 18,
  D3DTSS_MIPMAPLODBIAS = 19,
  D3DTSS_MAXMIPLEVEL = 20,
  D3DTSS_TEXTURETRANSFORMFLAGS = 24,
  D3DTSS_RESULTARG = 28,
};
// Texture-stage state numbers run from 0 to this value.
inline constexpr DWORD D3DTSS_MAX_NUMBER = 28;

// D3DTSS_TEXCOORDINDEX: the coordinate set in the low bits, generation above.
inline constexpr DWORD D3DTSS_TCI_PASSTHRU = 0x00000;
inline constexpr DWORD D3DTSS_TCI_CAMERASPACENORMAL = 0x10000;
inline constexpr DWORD D3DTSS_TCI_CAMERASPACEPOSITION = 0x20000;
inline constexpr DWORD D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000;

// D3DTSS_TEXTURETRANSFORMFLAGS: how many transformed coordinates reach the rasteriser.
inline constexpr DWORD D3DTTFF_DISABLE = 0;
inline constexpr DWORD D3DTTFF_COUNT1 = 1;
inline constexpr DWORD D3DTTFF_COUNT2 = 2;
inline constexpr DWORD D3DTTFF_COUNT3 = 3;
inline constexpr DWORD D3DTTFF_COUNT4 = 4;

enum D3DTEXTUREOP : std::int32_t {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_MODULATE2X = 5,
  D3DTOP_MODULATE4X = 6,
  D3DTOP_ADD = 7,
  D3DTOP_ADDSIGNED = 8,
  D3DTOP_ADDSIGNED2X = 9,
  D3DTOP_SUBTRACT = 10,
  D3DTOP_ADDSMOOTH = 11,
  D3DTOP_BLENDDIFFUSEALPHA = 12,
  D3DTOP_BLENDTEXTUREALPHA = 13,
  D3DTOP_BLENDFACTORALPHA = 14,
  D3DTOP_BLENDTEXTUREALPHAPM = 15,
  D3DTOP_BLENDCURRENTALPHA = 16,
  D3DTOP_PREMODULATE = 17,
  D3DTOP_MODULATEALPHA_ADDCOLOR = 18,
  D3DTOP_MODULATECOLOR_ADDALPHA = 19,
  D3DTOP_MODULATEINVALPHA_ADDCOLOR = 20,
  D3DTOP_MODULATEINVCOLOR_ADDALPHA = 21,
  D3DTOP_BUMPENVMAP = 22,
  D3DTOP_BUMPENVMAPLUMINANCE = 23,
  D3DTOP_DOTPRODUCT3 = 24,
  D3DTOP_MULTIPLYADD = 25,
  D3DTOP_LERP = 26,
};

// Texture arguments: a source in the low bits and modifiers above.
inline constexpr DWORD D3DTA_SELECTMASK = 0x0F;
inline constexpr DWORD D3DTA_DIFFUSE = 0x00;
inline constexpr DWORD D3DTA_CURRENT = 0x01;
inline constexpr DWORD D3DTA_TEXTURE = 0x02;
inline constexpr DWORD D3DTA_TFACTOR = 0x03;
inline constexpr DWORD D3DTA_SPECULAR = 0x04;
inline constexpr DWORD D3DTA_TEMP = 0x05;
inline constexpr DWORD D3DTA_COMPLEMENT = 0x10;
inline constexpr DWORD D3DTA_ALPHAREPLICATE = 0x20;

enum D3DTEXTUREFILTERTYPE : std::int32_t {
  D3DTEXF_NONE = 0,
  D3DTEXF_POINT = 1,
  D3DTEXF_LINEAR = 2,
  D3DTEXF_ANISOTROPIC = 3,
};

enum D3DTEXTUREADDRESS : std::int32_t {
  D3DTADDRESS_WRAP = 1,
  D3DTADDRESS_MIRROR = 2,
  D3DTADDRESS_CLAMP = 3,
  D3DTADDRESS_BORDER = 4,
};

// ---- Transforms, primitives, vertex formats ------------------------------------
enum D3DTRANSFORMSTATETYPE : std::int32_t {
  D3DTS_VIEW = 2,
  D3DTS_PROJECTION = 3,
  D3DTS_TEXTURE0 = 16,
  D3DTS_TEXTURE1 = 17,
  D3DTS_WORLD = 256,
};

enum D3DPRIMITIVETYPE : std::int32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

// Flexible vertex format bits: position kind, normal, colours, texture sets.
inline constexpr DWORD D3DFVF_RESERVED0 = 0x001;
inline constexpr DWORD D3DFVF_POSITION_MASK = 0x00E;
inline constexpr DWORD D3DFVF_XYZ = 0x002;
inline constexpr DWORD D3DFVF_XYZRHW = 0x004;
inline constexpr DWORD D3DFVF_NORMAL = 0x010;
inline constexpr DWORD D3DFVF_PSIZE = 0x020;
inline constexpr DWORD D3DFVF_DIFFUSE = 0x040;
inline constexpr DWORD D3DFVF_SPECULAR = 0x080;
inline constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
inline constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;
inline constexpr DWORD D3DFVF_TEX0 = 0x000;
inline constexpr DWORD D3DFVF_TEX1 = 0x100;
inline constexpr DWORD D3DFVF_TEX2 = 0x200;
inline constexpr DWORD D3DFVF_TEX3 = 0x300;
inline constexpr DWORD D3DFVF_TEX4 = 0x400;
// Size code of texture set i: 0 two floats, 1 three, 2 four, 3 one.
inline constexpr DWORD D3DFVF_TEXTUREFORMAT2 = 0;
inline constexpr DWORD D3DFVF_TEXTUREFORMAT1 = 3;
inline constexpr DWORD D3DFVF_TEXTUREFORMAT3 = 1;
inline constexpr DWORD D3DFVF_TEXTUREFORMAT4 = 2;
constexpr DWORD D3DFVF_TEXCOORDSIZE1(unsigned i) { return D3DFVF_TEXTUREFORMAT1 << (i * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE2(unsigned) { return D3DFVF_TEXTUREFORMAT2; }
constexpr DWORD D3DFVF_TEXCOORDSIZE3(unsigned i) { return D3DFVF_TEXTUREFORMAT3 << (i * 2 + 16); }
constexpr DWORD D3DFVF_TEXCOORDSIZE4(unsigned i) { return D3DFVF_TEXTUREFORMAT4 << (i * 2 + 16); }

// Vertex shader declaration tokens (stream selection and register bindings).
enum D3DVSDT_TYPE : std::int32_t {
  D3DVSDT_FLOAT1 = 0,
  D3DVSDT_FLOAT2 = 1,
  D3DVSDT_FLOAT3 = 2,
  D3DVSDT_FLOAT4 = 3,
  D3DVSDT_D3DCOLOR = 4,
  D3DVSDT_UBYTE4 = 5,
  D3DVSDT_SHORT2 = 6,
  D3DVSDT_SHORT4 = 7,
};
inline constexpr DWORD D3DVSD_TOKEN_STREAM = 1;
inline constexpr DWORD D3DVSD_TOKEN_STREAMDATA = 2;
inline constexpr DWORD D3DVSD_TOKEN_END = 7;
inline constexpr DWORD D3DVSD_TOKENTYPESHIFT = 29;
constexpr DWORD D3DVSD_STREAM(unsigned stream) { return (D3DVSD_TOKEN_STREAM << D3DVSD_TOKENTYPESHIFT) | stream; }
constexpr DWORD D3DVSD_REG(unsigned reg, unsigned type) {
  return (D3DVSD_TOKEN_STREAMDATA << D3DVSD_TOKENTYPESHIFT) | (type << 16) | reg;
}
constexpr DWORD D3DVSD_END() { return 0xFFFFFFFFu; }
// Version words of shader token streams and of the caps.
constexpr DWORD D3DVS_VERSION(unsigned major, unsigned minor) { return 0xFFFE0000u | (major << 8) | minor; }
constexpr DWORD D3DPS_VERSION(unsigned major, unsigned minor) { return 0xFFFF0000u | (major << 8) | minor; }

// ---- Lights ------------------------------------------------------------------
enum D3DLIGHTTYPE : std::int32_t { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };

// ---- Records -----------------------------------------------------------------
struct D3DVECTOR {
  float x, y, z;
};

struct D3DCOLORVALUE {
  float r, g, b, a;
};

// 4 x 4 row-major matrix; points are row vectors (p' = p M).
struct D3DMATRIX {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };
};

struct D3DRECT {
  LONG x1, y1, x2, y2;
};

struct D3DVIEWPORT8 {
  DWORD X, Y, Width, Height;
  float MinZ, MaxZ;
};

struct D3DMATERIAL8 {
  D3DCOLORVALUE Diffuse, Ambient, Specular, Emissive;
  float Power;
};

struct D3DLIGHT8 {
  D3DLIGHTTYPE Type;
  D3DCOLORVALUE Diffuse, Specular, Ambient;
  D3DVECTOR Position;
  D3DVECTOR Direction;
  float Range, Falloff, Attenuation0, Attenuation1, Attenuation2, Theta, Phi;
};

struct D3DDISPLAYMODE {
  UINT Width, Height, RefreshRate;
  D3DFORMAT Format;
};

struct D3DADAPTER_IDENTIFIER8 {
  char Driver[512];
  char Description[512];
  LARGE_INTEGER DriverVersion;
  DWORD VendorId, DeviceId, SubSysId, Revision;
  GUID DeviceIdentifier;
  DWORD WHQLLevel;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth, BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT FullScreen_PresentationInterval;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  UINT Width, Height;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

// One palette entry of a P8 texture's palette.
struct PALETTEENTRY {
  BYTE peRed, peGreen, peBlue, peFlags;
};

// Dirty region of a Present (unused by this stand-in; callers pass null).
struct RGNDATA;
