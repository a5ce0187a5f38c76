// Test-only controls of the Direct3D 8 stand-in.
#include "platform/d3d8/d3d8_test_hooks.h"

#include "platform/d3d8/device_impl.h"

void D3D8TestLoseDevice(IDirect3DDevice8* device) { d3d8::AsDevice(device)->cooperative_ = D3DERR_DEVICELOST; }

void D3D8TestAllowReset(IDirect3DDevice8* device) {
  d3d8::Device* d = d3d8::AsDevice(device);
  if (d->cooperative_ == D3DERR_DEVICELOST) d->cooperative_ = D3DERR_DEVICENOTRESET;
}

void D3D8TestRecordCalls(IDirect3DDevice8* device, bool on) {
  d3d8::Device* d = d3d8::AsDevice(device);
  d->recording_ = on;
  if (on) d->calls_.clear();
}

const std::vector<D3D8Call>& D3D8TestCalls(IDirect3DDevice8* device) { return d3d8::AsDevice(device)->calls_; }

std::vector<D3D8Call> D3D8TestCallsNamed(IDirect3DDevice8* device, const std::string& method) {
  std::vector<D3D8Call> out;
  for (const D3D8Call& c : d3d8::AsDevice(device)->calls_)
    if (c.method == method) out.push_back(c);
  return out;
}

D3DCOLOR D3D8TestReadPixel(IDirect3DDevice8* device, int x, int y) { return d3d8::AsDevice(device)->ReadPixel(x, y); }

std::vector<D3DCOLOR> D3D8TestReadPixels(IDirect3DDevice8* device, int x, int y, int width, int height) {
  std::vector<D3DCOLOR> pixels(width > 0 && height > 0 ? static_cast<std::size_t>(width) * height : 0);
  if (pixels.empty() || !d3d8::AsDevice(device)->ReadPixels(x, y, width, height, pixels.data())) return {};
  return pixels;
}

int D3D8TestDefaultPoolCount(IDirect3DDevice8* device) { return d3d8::AsDevice(device)->DefaultPoolCount(); }

namespace d3d8 {
ShaderCaps g_ShaderCaps;
}  // namespace d3d8

void D3D8TestSetShaderCaps(DWORD vertexShaderVersion, DWORD vertexConstants, DWORD pixelShaderVersion) {
  d3d8::g_ShaderCaps = {vertexShaderVersion, vertexConstants, pixelShaderVersion};
}
