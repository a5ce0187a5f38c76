// Texture creation from image data, render-target textures and switching the
// render target.
#include "foundation/memory/memory_category.h"
#include "platform/d3dx8/d3dx8.h"
#include "render/textures/image_info.h"
#include "render/device/render.h"

namespace {

// Books a created texture: one allocation of its byte size in the texture category.
void BookTexture(DWORD bytes) { AddMemoryCategoryUsage(MEMCAT_TEXTURE, bytes); }

}  // namespace

IDirect3DTexture8* CRender::CreateTextureFromMemory(const void* data, DWORD size, PALETTEENTRY* palette,
                                                    D3DCOLOR colourKey, DWORD flags, int scalePercent) {
  if (m_Device == nullptr) return nullptr;
  ImageInfo info;
  ReadImageInfo(data, size, &info);
  if (info.Type < IMAGE_BMP || info.Type > IMAGE_DDS) return nullptr;

  D3DFORMAT format = D3DFMT_UNKNOWN;
  if (info.Type == IMAGE_BMP && palette != nullptr) {
    format = D3DFMT_P8;
  } else if (info.Type != IMAGE_DDS) {
    if (flags & TEXLOAD_ALPHA_ONLY) {
      format = D3DFMT_A8;
    } else if (!(flags & TEXLOAD_32BIT)) {
      if (info.Type == IMAGE_BMP)
        format = (flags & TEXLOAD_ALPHA) ? D3DFMT_A4R4G4B4 : D3DFMT_R5G6B5;
      else if (info.Type == IMAGE_PNG)
        format = D3DFMT_A4R4G4B4;
      else
        format = D3DFMT_R5G6B5;
    } else if (info.Type == IMAGE_BMP && (flags & TEXLOAD_ALPHA)) {
      format = D3DFMT_A8R8G8B8;
    }
  }

  // Scale: s below 1 shrinks the image (each side at least 1), else its own size.
  UINT width = D3DX_DEFAULT, height = D3DX_DEFAULT;
  const float s = static_cast<float>(scalePercent) * 0.01f;
  if (s < 1.0f && info.Width != 0 && info.Height != 0) {
    width = static_cast<UINT>(static_cast<float>(info.Width) * s);
    height = static_cast<UINT>(static_cast<float>(info.Height) * s);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
  }

  SetMemoryCategory(MEMCAT_TEXTURE_CREATION);
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO imageInfo;
  const HRESULT r = D3DXCreateTextureFromFileInMemoryEx(
      m_Device, data, size, width, height, (flags & TEXLOAD_MIPMAPS) ? D3DX_DEFAULT : 1, 0, format, D3DPOOL_MANAGED,
      D3DX_FILTER_BOX, D3DX_FILTER_BOX, colourKey, &imageInfo, palette, &texture);
  ClearMemoryCategory();
  if (FAILED(r) || texture == nullptr) return nullptr;
  BookTexture(GetTextureMemorySize(texture));
  return texture;
}

IDirect3DTexture8* CRender::CreateTextureFromFile(const char* name, D3DCOLOR colourKey, DWORD flags) {
  if (m_Device == nullptr) return nullptr;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  switch (GetImageFileType(name)) {
    case IMAGE_BMP:
      if (flags & TEXLOAD_ALPHA_ONLY)
        format = D3DFMT_A8;
      else if (!(flags & TEXLOAD_32BIT))
        format = D3DFMT_R5G6B5;
      break;
    case IMAGE_PNG:
      if (flags & TEXLOAD_ALPHA_ONLY)
        format = D3DFMT_A8;
      else if (!(flags & TEXLOAD_32BIT))
        format = D3DFMT_A4R4G4B4;
      break;
    case IMAGE_DDS:
      break;
    default:
      return nullptr;
  }
  SetMemoryCategory(MEMCAT_TEXTURE_CREATION);
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO imageInfo;
  const HRESULT r = D3DXCreateTextureFromFileEx(m_Device, name, D3DX_DEFAULT, D3DX_DEFAULT,
                                                (flags & TEXLOAD_MIPMAPS) ? D3DX_DEFAULT : 1, 0, format,
                                                D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_FILTER_BOX, colourKey, &imageInfo,
                                                nullptr, &texture);
  ClearMemoryCategory();
  if (FAILED(r) || texture == nullptr) return nullptr;
  BookTexture(GetTextureMemorySize(texture));
  return texture;
}

IDirect3DCubeTexture8* CRender::CreateCubeTextureFromMemory(const void* data, DWORD size, PALETTEENTRY* palette,
                                                            D3DCOLOR colourKey, DWORD flags, int scalePercent) {
  if (m_Device == nullptr) return nullptr;
  ImageInfo info;
  ReadImageInfo(data, size, &info);
  if (info.Type != IMAGE_DDS) return nullptr;
  if (!(m_Caps.TextureCaps & D3DPTEXTURECAPS_MIPCUBEMAP)) flags &= ~TEXLOAD_MIPMAPS;

  UINT edge = D3DX_DEFAULT;
  DWORD width = info.Width;
  if (scalePercent < 100) {
    width = info.Width * static_cast<DWORD>(scalePercent > 0 ? scalePercent : 0) / 100;
    edge = width;
  }
  if (m_Caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP_POW2) {
    const DWORD pow2 = HighestPowerOfTwo(width);
    if (pow2 != width) edge = pow2;
  }

  SetMemoryCategory(MEMCAT_TEXTURE_CREATION);
  IDirect3DCubeTexture8* cube = nullptr;
  D3DXIMAGE_INFO imageInfo;
  const HRESULT r = D3DXCreateCubeTextureFromFileInMemoryEx(
      m_Device, data, size, edge, (flags & TEXLOAD_MIPMAPS) ? D3DX_DEFAULT : 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
      D3DX_FILTER_BOX, D3DX_FILTER_BOX, colourKey, &imageInfo, palette, &cube);
  ClearMemoryCategory();
  if (FAILED(r) || cube == nullptr) return nullptr;
  BookTexture(GetCubeTextureMemorySize(cube));
  return cube;
}

IDirect3DTexture8* CRender::CreateRenderTargetTexture(DWORD width, DWORD height) {
  if (m_Device == nullptr) return nullptr;
  IDirect3DTexture8* texture = nullptr;
  if (FAILED(m_Device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, m_BackBufferDesc.Format,
                                     D3DPOOL_DEFAULT, &texture)))
    return nullptr;
  return texture;
}

IDirect3DCubeTexture8* CRender::CreateRenderTargetCube(DWORD edge) {
  if (m_Device == nullptr) return nullptr;
  IDirect3DCubeTexture8* cube = nullptr;
  if (FAILED(m_Device->CreateCubeTexture(edge, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &cube)))
    return nullptr;
  return cube;
}

void CRender::SetRenderTargetTexture(IDirect3DTexture8* texture) {
  if (m_Device == nullptr || texture == nullptr) return;
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(texture->GetSurfaceLevel(0, &surface)) || surface == nullptr) return;
  m_Device->SetRenderTarget(surface, m_DepthStencil);
  surface->Release();
}

void CRender::SetRenderTargetCubeFace(IDirect3DCubeTexture8* cube, D3DCUBEMAP_FACES face) {
  if (m_Device == nullptr || cube == nullptr) return;
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(cube->GetCubeMapSurface(face, 0, &surface)) || surface == nullptr) return;
  m_Device->SetRenderTarget(surface, m_DepthStencil);
  surface->Release();
}

void CRender::RestoreRenderTarget() {
  if (m_Device != nullptr) m_Device->SetRenderTarget(m_BackBuffer, m_DepthStencil);
}
