// Plain OpenGL drawing of screen quads, the yardstick of the device's speed.
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/d3d8/device_impl.h"

void D3D8BenchDrawQuadsDirect(IDirect3DDevice8* device, IDirect3DTexture8* texture, const void* vertices,
                              int quads) {
  d3d8::Device* d = d3d8::AsDevice(device);
  d->MakeCurrent();
  IDirect3DSurface8* target = nullptr;
  device->GetRenderTarget(&target);
  D3DSURFACE_DESC desc;
  target->GetDesc(&desc);
  target->Release();
  float w = static_cast<float>(desc.Width), h = static_cast<float>(desc.Height);
  glViewport(0, 0, static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height));
  glMatrixMode(GL_PROJECTION);
  const float m[16] = {2.0f / w, 0, 0, 0, 0, 2.0f / h, 0, 0, 0, 0, 2.0f, 0, 1.0f / w - 1.0f, 1.0f / h - 1.0f, -1.0f,
                       1.0f};
  glLoadMatrixf(m);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, static_cast<d3d8::Texture*>(texture)->store_.gl_);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  const auto* base = static_cast<const std::uint8_t*>(vertices);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glClientActiveTexture(GL_TEXTURE0);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 28, base);
  glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 28, base + 16);
  glTexCoordPointer(2, GL_FLOAT, 28, base + 20);
  for (int q = 0; q < quads; ++q) glDrawArrays(GL_TRIANGLE_FAN, q * 4, 4);
  // Leave GL as the device expects to find it: everything sent again.
  d->ForgetGlState();
}

void D3D8BenchRunInContext(IDirect3DDevice8* device, void (*draw)(void* context), void* context) {
  d3d8::Device* d = d3d8::AsDevice(device);
  d->MakeCurrent();
  IDirect3DSurface8* target = nullptr;
  device->GetRenderTarget(&target);
  D3DSURFACE_DESC desc;
  target->GetDesc(&desc);
  target->Release();
  glViewport(0, 0, static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height));
  if (draw != nullptr) draw(context);
  // Leave GL as the device expects to find it: everything sent again.
  d->ForgetGlState();
}

void D3D8BenchFinish(IDirect3DDevice8* device) {
  d3d8::AsDevice(device)->MakeCurrent();
  glFinish();
}
