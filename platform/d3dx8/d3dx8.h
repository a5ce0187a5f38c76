// D3DX 8 utilities the renderer calls: texture and cube-texture creation from
// image files (BMP, PNG, JPEG, TGA, DDS) in memory or on disk, the shader
// assembler entry, and the matrix product and inverse.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/d3dx8/d3dx8_math.h"

inline constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

// Filters (low bits) for image resizing and mip generation.
inline constexpr DWORD D3DX_FILTER_NONE = 1;
inline constexpr DWORD D3DX_FILTER_POINT = 2;
inline constexpr DWORD D3DX_FILTER_LINEAR = 3;
inline constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
inline constexpr DWORD D3DX_FILTER_BOX = 5;

// Failure codes of the D3DX functions.
inline constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_D3DHRESULT(2900);
inline constexpr HRESULT D3DXERR_INVALIDMESH = MAKE_D3DHRESULT(2901);
inline constexpr HRESULT D3DXERR_CANNOTATTRSORT = MAKE_D3DHRESULT(2902);
inline constexpr HRESULT D3DXERR_SKINNINGNOTSUPPORTED = MAKE_D3DHRESULT(2903);
inline constexpr HRESULT D3DXERR_TOOMANYINFLUENCES = MAKE_D3DHRESULT(2904);
inline constexpr HRESULT D3DXERR_INVALIDDATA = MAKE_D3DHRESULT(2905);

enum D3DXIMAGE_FILEFORMAT : std::int32_t {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
};

// What the source image was.
struct D3DXIMAGE_INFO {
  UINT Width, Height, Depth, MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// A block of bytes handed out by D3DX (an assembled shader).
class ID3DXBuffer : public IUnknown {
 public:
  virtual void* GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};
using LPD3DXBUFFER = ID3DXBuffer*;

// A managed texture from an image file in memory: the image's own size and
// format, the whole mip chain.  D3DXERR_INVALIDDATA for damaged or unknown data.
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, const void* data, UINT size,
                                          IDirect3DTexture8** texture);

// As above with choices: width/height D3DX_DEFAULT keep the image size (else
// the image is resized with `filter`); levels D3DX_DEFAULT or 0 build the whole
// chain with `mipFilter`; format D3DFMT_UNKNOWN keeps the image's format;
// colourKey (ARGB, 0 none) makes matching texels transparent black; `info`
// receives the source description and `palette` (256 entries) the palette
// of a P8 result.  D3DXERR_INVALIDDATA for damaged or unknown data,
// D3DERR_INVALIDCALL for bad arguments or a format the device cannot hold.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                            PALETTEENTRY* palette, IDirect3DTexture8** texture);

// As D3DXCreateTextureFromFileInMemoryEx, reading the file `name` (a Windows
// path, resolved in any letter case); D3DERR_NOTFOUND when it cannot be read.
HRESULT D3DXCreateTextureFromFileEx(IDirect3DDevice8* device, const char* name, UINT width, UINT height,
                                    UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                    DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                    PALETTEENTRY* palette, IDirect3DTexture8** texture);

// A cube texture from a cube DDS file in memory (six faces); `edge` D3DX_DEFAULT
// keeps the file's edge.  D3DXERR_INVALIDDATA for anything but a sound cube DDS.
HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size, UINT edge,
                                                UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter, D3DCOLOR colourKey,
                                                D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                                IDirect3DCubeTexture8** cube);

// Assembles vertex or pixel shader source from a file into a token stream.
// This stand-in has no shader assembler yet: it answers E_NOTIMPL (said once
// on stderr) and sets the outputs to null.
HRESULT D3DXAssembleShaderFromFile(const char* file, DWORD flags, LPD3DXBUFFER* constants,
                                   LPD3DXBUFFER* compiledShader, LPD3DXBUFFER* errors);
