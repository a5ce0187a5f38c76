// Test-only controls of the Direct3D 8 stand-in: scripted device loss, the
// call log, and reading back drawn pixels.  Not for use by the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"

// One recorded device call: the method name, its scalar arguments (pointers
// as numbers, floats as their bit patterns) and a copy of the bytes it was
// given (vertices then indices of user-memory draws, a matrix, a viewport,
// a material or light record, palette entries).
struct D3D8Call {
  std::string method;
  std::vector<std::uint64_t> args;
  std::vector<std::uint8_t> data;
};

// Makes the device lost: TestCooperativeLevel answers D3DERR_DEVICELOST until
// D3D8TestAllowReset is called.
void D3D8TestLoseDevice(IDirect3DDevice8* device);
// Moves a lost device on to not-reset: TestCooperativeLevel answers
// D3DERR_DEVICENOTRESET and Reset may succeed.
void D3D8TestAllowReset(IDirect3DDevice8* device);

// Makes the factory, and every device created after, report these vertex
// and pixel shader versions and vertex constant count (the programs are
// still not run: their draws are recorded and skipped).  Zeros, the
// default, report no shader support.
void D3D8TestSetShaderCaps(DWORD vertexShaderVersion, DWORD vertexConstants, DWORD pixelShaderVersion);

// Starts (clearing it) or stops recording device calls.
void D3D8TestRecordCalls(IDirect3DDevice8* device, bool on);
// The calls recorded since recording started.
const std::vector<D3D8Call>& D3D8TestCalls(IDirect3DDevice8* device);
// Only the recorded calls named `method`.
std::vector<D3D8Call> D3D8TestCallsNamed(IDirect3DDevice8* device, const std::string& method);

// Reads the pixel (x, y) of the current render target (row 0 at the top) as
// ARGB; 0 when out of range.
D3DCOLOR D3D8TestReadPixel(IDirect3DDevice8* device, int x, int y);
// Reads the block (x, y, width, height) of the current render target as ARGB,
// rows top first (row 0 at y); empty when the block does not lie inside it.
std::vector<D3DCOLOR> D3D8TestReadPixels(IDirect3DDevice8* device, int x, int y, int width, int height);

// Number of live D3DPOOL_DEFAULT resources (textures, buffers, depth
// surfaces, swap chains) of the device.
int D3D8TestDefaultPoolCount(IDirect3DDevice8* device);

// Benchmark reference: draws `quads` textured quads of the pre-transformed
// format 0x144 (four vertices each, fans TL, TR, BR, BL) from `vertices` with
// plain OpenGL calls in the device's context and target, modulating
// `texture` by the vertex colour: the same picture the device draws, without
// the device in between.
void D3D8BenchDrawQuadsDirect(IDirect3DDevice8* device, IDirect3DTexture8* texture, const void* vertices,
                              int quads);

// Benchmark reference: runs `draw` with the device's OpenGL context current
// and its render target bound (the viewport set to the whole target), so that
// another library's OpenGL renderer draws into the same picture; the device
// sends all its state again afterwards.
void D3D8BenchRunInContext(IDirect3DDevice8* device, void (*draw)(void* context), void* context);
// Waits until everything sent to the device's context is drawn.
void D3D8BenchFinish(IDirect3DDevice8* device);
