#include "render/2d/sprite_render.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/byte_reader.h"
#include "foundation/maths/angles.h"
#include "foundation/maths/fast_trig.h"
#include "foundation/files/file_locator.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "foundation/files/path_helpers.h"
#include "foundation/time/timer.h"
#include "platform/win32/message_box.h"
#include "render/geometry/camera.h"
#include "render/colour/colour.h"
#include "render/device/render.h"
#include "render/textures/texture_manager.h"

CRender* CSpriteRender::s_Render = nullptr;
CCamera* CSpriteRender::s_Camera = nullptr;
CTextureManager* CSpriteRender::s_Textures = nullptr;
const CTimer* CSpriteRender::s_GameTimer = nullptr;

namespace {

constexpr float kPageSizeAtLoad = 256.0f;
constexpr float kTwoPi = 6.28318530717958647692f;

// Billboard vertex (format 0x142): position, diffuse, one texture pair.
struct BillboardVertex {
  float x, y, z;
  DWORD Diffuse;
  float u, v;
};

SpriteUV ComputeUV(const SpriteRecord& s, float w, float h) {
  return {SpritePixelToU(s.X, w), SpritePixelToU(s.Y, h), SpritePixelToU(static_cast<float>(s.X + s.Width), w),
          SpritePixelToU(static_cast<float>(s.Y + s.Height), h)};
}

// Pulse alpha: the alpha times |sin| of a phase running through 200 steps every 3 s.
int PulseAlpha(int alpha) {
  const std::uint32_t ms = CSpriteRender::s_GameTimer != nullptr ? CSpriteRender::s_GameTimer->GetGameTime() : 0;
  const float phase = static_cast<float>(ms % 3000) * 200.0f / 3000.0f;
  return static_cast<int>(static_cast<float>(alpha) * std::fabs(FastSin(phase * 0.005f * kTwoPi)) + 0.5f);
}

}  // namespace

float SpritePixelToU(float p, float size) { return p / (1.0f / size + size) + 1.0f / (2.0f * size); }

bool ParseSpriteFile(ByteReader& reader, SpriteFileData* out) {
  out->Sprites = nullptr;
  SpriteFileHeader& h = out->Header;
  h.Unused0 = reader.U32();
  h.Format = reader.U16();
  h.SpriteCount = reader.U16();
  h.Unused8 = reader.U16();
  h.PageCount = reader.U16();
  if (!reader.Bytes(h.PageNames, sizeof h.PageNames)) return false;
  if (h.PageCount > kSpriteMaxPages) return false;
  for (auto& name : h.PageNames) name[kSpritePageNameSize - 1] = 0;
  const std::size_t entrySize = kSpriteEntrySize + (h.Format == 2 ? kSpriteEntryBlockSize : 0);
  if (!reader.HasRoomFor(h.SpriteCount, entrySize)) return false;
  if (h.SpriteCount == 0) return true;
  out->Sprites = MEM_NEW(MEMCAT_GAME) SpriteRecord[h.SpriteCount];
  for (std::uint16_t i = 0; i < h.SpriteCount; ++i) {
    SpriteRecord& s = out->Sprites[i];
    s.Page = reader.U16();
    if (h.Format == 2) reader.Skip(kSpriteEntryBlockSize);
    s.Name = nullptr;
    s.Value = reader.U16();
    s.X = reader.U16();
    s.Y = reader.U16();
    s.Width = reader.U16();
    s.Height = reader.U16();
    s.HotX = reader.I16();
    s.HotY = reader.I16();
  }
  if (!reader.Ok()) {
    MEM_DELETE_ARRAY out->Sprites;
    out->Sprites = nullptr;
    return false;
  }
  return true;
}

CSpriteRender::CSpriteRender(CRender* render, CCamera* camera, CTextureManager* textures) {
  s_Render = render;
  s_Camera = camera;
  s_Textures = textures;
}

CSpriteRender::~CSpriteRender() { Free(); }

void CSpriteRender::Free() {
  if (Sprites != nullptr && Header != nullptr)
    for (int i = 0; i < Header->SpriteCount; ++i) MEM_DELETE_ARRAY Sprites[i].Name;
  MEM_DELETE Header;
  MEM_DELETE_ARRAY Sprites;
  MEM_DELETE_ARRAY SpriteUVs;
  MEM_DELETE_ARRAY Pages;
  Header = nullptr;
  Sprites = nullptr;
  SpriteUVs = nullptr;
  Pages = nullptr;
}

int CSpriteRender::Reset() {
  Free();
  OffsetOn = 0;
  ScaleMode = 0;
  XScale = YScale = 1.0f;
  DrawColour = SavedColour = 0xFFFFFFFF;
  PushCount = 0;
  return 0;
}

int CSpriteRender::Load(const char* name, std::uint32_t flags, std::uint32_t width, std::uint32_t height,
                        std::uint32_t format) {
  BufferedFile* file = FileOpenOnSearchPath(name, 0);
  if (file == nullptr) {
    MessageBoxA(nullptr, name, "Failed to open", MB_OK);
    return 0;
  }
  std::vector<std::uint8_t> bytes;
  const std::uint32_t size = FileGetSize(file);
  if (size != kBufferedFileUnknownSize) {
    bytes.resize(size);
    bytes.resize(FileRead(bytes.data(), 1, size, file));
  }
  FileClose(file);

  SpriteFileData data;
  ByteReader reader(bytes.data(), bytes.size());
  if (!ParseSpriteFile(reader, &data)) {
    ErrorBox("Sprite file \"%s\" is damaged\n", name);
    return 0;
  }
  Free();
  Header = MEM_NEW(MEMCAT_GAME) SpriteFileHeader(data.Header);
  Sprites = data.Sprites;
  if (Header->SpriteCount > 0) {
    SpriteUVs = MEM_NEW(MEMCAT_GAME) SpriteUV[Header->SpriteCount];
    for (int i = 0; i < Header->SpriteCount; ++i)
      SpriteUVs[i] = ComputeUV(Sprites[i], kPageSizeAtLoad, kPageSizeAtLoad);
  }
  if (Header->PageCount > 0) {
    Pages = MEM_NEW(MEMCAT_GAME) CTexture*[Header->PageCount];
    const std::string folder = GetPathFolder(name);
    for (int k = 0; k < Header->PageCount; ++k) {
      const std::string path = folder + Header->PageNames[k];
      Pages[k] = s_Textures != nullptr ? s_Textures->GetTexture(path.c_str(), flags | TEXF_2D) : nullptr;
      if (Pages[k] != nullptr && (flags & TEXF_ALPHA)) Pages[k]->SetCreationSize(width, height, format);
    }
  }
  return 1;
}

void CSpriteRender::RecomputeUVs() {
  if (Header == nullptr || Header->PageCount == 0 || Pages == nullptr || Pages[0] == nullptr) return;
  const std::uint32_t w = Pages[0]->Width, h = Pages[0]->Height;
  if ((w == 256 && h == 256) || w == 0 || h == 0) return;
  for (int i = 0; i < Header->SpriteCount; ++i)
    SpriteUVs[i] = ComputeUV(Sprites[i], static_cast<float>(w), static_cast<float>(h));
}

int CSpriteRender::FindSprite(const char* name) const {
  if (name == nullptr || Sprites == nullptr) return -1;
  for (int i = 0; i < GetSpriteCount(); ++i)
    if (Sprites[i].Name != nullptr && std::strcmp(Sprites[i].Name, name) == 0) return i;
  return -1;
}

void CSpriteRender::BindPage(int sprite) {
  if (!Valid(sprite) || s_Render == nullptr) return;
  const std::uint16_t page = Sprites[sprite].Page;
  CTexture* texture = Pages != nullptr && page < Header->PageCount ? Pages[page] : nullptr;
  if (texture == nullptr) {
    s_Render->SetTexture(0, nullptr);
    return;
  }
  if (texture->Palette >= 0) s_Render->SetTexturePalette(static_cast<DWORD>(texture->Palette));
  s_Render->SetTexture(0, texture->DeviceTexture);
}

std::uint32_t CSpriteRender::Tinted(std::uint32_t argb) const {
  // Channels as 0..1 floats, times the tint, packed back by truncation.
  CColour c;
  c.FromARGB(argb);
  c.r *= Tint[0];
  c.g *= Tint[1];
  c.b *= Tint[2];
  c.a *= Tint[3];
  return c.ToARGB();
}

void CSpriteRender::SetTint(float r, float g, float b, float a) {
  Tint[0] = r;
  Tint[1] = g;
  Tint[2] = b;
  Tint[3] = a;
  DrawColour = Tinted(Colour);
}

void CSpriteRender::SetColour(std::uint32_t argb, int push) {
  if (push == 1) {
    SavedColour = DrawColour;
    ++PushCount;
  }
  Colour = argb;
  DrawColour = Tinted(argb);
}

void CSpriteRender::PopColour() {
  DrawColour = SavedColour;
  PushCount = 0;
}

void CSpriteRender::SetAlpha(int alpha) {
  SetColour((DrawColour & 0xFFFFFF) | (static_cast<std::uint32_t>(alpha & 0xFF) << 24), 0);
}

int CSpriteRender::SetBlendMode(int mode) { return s_Render != nullptr ? s_Render->SetBlendMode(mode) : 0; }

void CSpriteRender::SetOffset(float x, float y, float z) {
  OffsetOn = 1;
  OffsetX = x;
  OffsetY = y;
  OffsetZ = z;
}

void CSpriteRender::SetScale(float percent) {
  XScale = YScale = percent * 0.01f;
  ScaleMode = percent == 100.0f ? 0 : 1;
}

void CSpriteRender::SetScalePercent(float xPercent, float yPercent, std::uint32_t mode) {
  XScale = xPercent * 0.01f;
  YScale = yPercent * 0.01f;
  ScaleMode = xPercent == 100.0f && yPercent == 100.0f ? 0 : mode;
}

void CSpriteRender::SetScaleFactors(float x, float y, std::uint32_t mode) {
  XScale = x;
  YScale = y;
  ScaleMode = x == 1.0f && y == 1.0f ? 0 : mode;
}

int CSpriteRender::GetWidth(int sprite) const { return Valid(sprite) ? Sprites[sprite].Width : 0; }
int CSpriteRender::GetHeight(int sprite) const { return Valid(sprite) ? Sprites[sprite].Height : 0; }
float CSpriteRender::GetScaledWidth(int sprite) const {
  return static_cast<float>(GetWidth(sprite)) * (ScaleMode ? XScale : 1.0f);
}
float CSpriteRender::GetScaledHeight(int sprite) const {
  return static_cast<float>(GetHeight(sprite)) * (ScaleMode ? YScale : 1.0f);
}
int CSpriteRender::GetHotX(int sprite) const { return Valid(sprite) ? Sprites[sprite].HotX : 0; }
int CSpriteRender::GetHotY(int sprite) const { return Valid(sprite) ? Sprites[sprite].HotY : 0; }
float CSpriteRender::GetScaledHotX(int sprite) const {
  return static_cast<float>(GetHotX(sprite)) * (ScaleMode ? XScale : 1.0f);
}
float CSpriteRender::GetScaledHotY(int sprite) const {
  return static_cast<float>(GetHotY(sprite)) * (ScaleMode ? YScale : 1.0f);
}

void CSpriteRender::PlacedQuad(int sprite, int x, int y, float* left, float* top, float* right, float* bottom,
                               float* px, float* py) const {
  const SpriteRecord& s = Sprites[sprite];
  *left = s.HotX;
  *top = s.HotY;
  *right = static_cast<float>(s.HotX + s.Width);
  *bottom = static_cast<float>(s.HotY + s.Height);
  if (OffsetOn) {
    *left += OffsetX;
    *right += OffsetX;
    *top += OffsetY;
    *bottom += OffsetY;
  }
  if (ScaleMode & 1) {
    *left *= XScale;
    *right *= XScale;
    *top *= YScale;
    *bottom *= YScale;
  }
  *px = static_cast<float>(x);
  *py = static_cast<float>(y);
  if (ScaleMode & 2) {
    *px = static_cast<float>(static_cast<int>(static_cast<float>(x) * XScale));
    *py = static_cast<float>(static_cast<int>(static_cast<float>(y) * YScale));
  }
}

void CSpriteRender::DrawQuad(int sprite, const float xs[4], const float ys[4], const float us[4], const float vs[4]) {
  if (s_Render == nullptr) return;
  const DWORD fog = s_Render->SetFogEnable(0);
  BindPage(sprite);
  s_Render->SetVertexFormat(kFvfScreen);
  ScreenVertex quad[4];
  for (int i = 0; i < 4; ++i) quad[i] = {xs[i], ys[i], 0.0f, 0.5f, DrawColour, us[i], vs[i]};
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  s_Render->SetFogEnable(fog);
}

int CSpriteRender::Draw(int sprite, int x, int y) {
  if (!Valid(sprite)) return 1;
  float l, t, r, b, px, py;
  PlacedQuad(sprite, x, y, &l, &t, &r, &b, &px, &py);
  const SpriteUV& uv = SpriteUVs[sprite];
  const float xs[4] = {px + l, px + r, px + r, px + l}, ys[4] = {py + t, py + t, py + b, py + b};
  const float us[4] = {uv.U1, uv.U2, uv.U2, uv.U1}, vs[4] = {uv.V1, uv.V1, uv.V2, uv.V2};
  DrawQuad(sprite, xs, ys, us, vs);
  return 1;
}

int CSpriteRender::DrawSection(int sprite, int x, int y, float f0, float f1, float f2, float f3) {
  if (!Valid(sprite)) return 1;
  const SpriteRecord& s = Sprites[sprite];
  float l = s.Width * f0 + s.HotX, r = s.Width * f2 + s.HotX;
  float t = s.Height * f1 + s.HotY, b = s.Height * f3 + s.HotY;
  if (OffsetOn) {
    l += OffsetX;
    r += OffsetX;
    t += OffsetY;
    b += OffsetY;
  }
  if (ScaleMode & 1) {
    l *= XScale;
    r *= XScale;
    t *= YScale;
    b *= YScale;
  }
  float px = static_cast<float>(x), py = static_cast<float>(y);
  if (ScaleMode & 2) {
    px = static_cast<float>(static_cast<int>(px * XScale));
    py = static_cast<float>(static_cast<int>(py * YScale));
  }
  const SpriteUV& uv = SpriteUVs[sprite];
  const float u1 = uv.U1 + (uv.U2 - uv.U1) * f0, u2 = uv.U1 + (uv.U2 - uv.U1) * f2;
  const float v1 = uv.V1 + (uv.V2 - uv.V1) * f1, v2 = uv.V1 + (uv.V2 - uv.V1) * f3;
  const float xs[4] = {px + l, px + r, px + r, px + l}, ys[4] = {py + t, py + t, py + b, py + b};
  const float us[4] = {u1, u2, u2, u1}, vs[4] = {v1, v1, v2, v2};
  DrawQuad(sprite, xs, ys, us, vs);
  return 1;
}

int CSpriteRender::DrawSectionStretched(int sprite, int x1, int y1, int x2, int y2, float f0, float f1, float f2,
                                        float f3) {
  if (!Valid(sprite)) return 1;
  const SpriteUV& uv = SpriteUVs[sprite];
  const float u1 = uv.U1 + (uv.U2 - uv.U1) * f0, u2 = uv.U1 + (uv.U2 - uv.U1) * f2;
  const float v1 = uv.V1 + (uv.V2 - uv.V1) * f1, v2 = uv.V1 + (uv.V2 - uv.V1) * f3;
  const float l = static_cast<float>(x1), r = static_cast<float>(x2), t = static_cast<float>(y1),
              b = static_cast<float>(y2);
  const float xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b};
  const float us[4] = {u1, u2, u2, u1}, vs[4] = {v1, v1, v2, v2};
  DrawQuad(sprite, xs, ys, us, vs);
  return 1;
}

int CSpriteRender::DrawStretched(int sprite, int x1, int y1, int x2, int y2) {
  return DrawSectionStretched(sprite, x1, y1, x2, y2, 0.0f, 0.0f, 1.0f, 1.0f);
}

void CSpriteRender::DrawMirroredQuad(int sprite, float x1, float y1, float x2, float y2, const SpriteUV& uv,
                                     int mode) {
  // Texture corners for top-left, top-right, bottom-right, bottom-left.
  const float table[4][8] = {
      {uv.U1, uv.V1, uv.U2, uv.V1, uv.U2, uv.V2, uv.U1, uv.V2},  // as is
      {uv.U2, uv.V1, uv.U1, uv.V1, uv.U1, uv.V2, uv.U2, uv.V2},  // mirrored left-right
      {uv.U2, uv.V2, uv.U1, uv.V2, uv.U1, uv.V1, uv.U2, uv.V1},  // turned half-way
      {uv.U1, uv.V2, uv.U2, uv.V2, uv.U2, uv.V1, uv.U1, uv.V1},  // mirrored top-bottom
  };
  const float* c = table[mode];
  const float xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y1, y2, y2};
  const float us[4] = {c[0], c[2], c[4], c[6]}, vs[4] = {c[1], c[3], c[5], c[7]};
  DrawQuad(sprite, xs, ys, us, vs);
}

int CSpriteRender::DrawToRectMirrored(int sprite, float x1, float y1, float x2, float y2, int mode) {
  if (!Valid(sprite) || mode < 0 || mode > 3) return 1;
  DrawMirroredQuad(sprite, x1, y1, x2, y2, SpriteUVs[sprite], mode);
  return 1;
}

int CSpriteRender::DrawTiled(int sprite, int x1, int y1, int x2, int y2, int mode) {
  if (!Valid(sprite) || mode < 0 || mode > 3) return 1;
  const SpriteRecord& s = Sprites[sprite];
  if (s.Width == 0 || s.Height == 0) return 1;
  // Cut copies take their texture rectangle from the pixels they show.
  const CTexture* page = Pages != nullptr && s.Page < Header->PageCount ? Pages[s.Page] : nullptr;
  const float w = page != nullptr && page->Width != 0 ? static_cast<float>(page->Width) : kPageSizeAtLoad;
  const float h = page != nullptr && page->Height != 0 ? static_cast<float>(page->Height) : kPageSizeAtLoad;
  for (int y = y1; y < y2; y += s.Height) {
    const int rows = y2 - y < s.Height ? y2 - y : s.Height;
    for (int x = x1; x < x2; x += s.Width) {
      const int columns = x2 - x < s.Width ? x2 - x : s.Width;
      SpriteUV uv = SpriteUVs[sprite];
      if (columns < s.Width) uv.U2 = SpritePixelToU(static_cast<float>(s.X + columns), w);
      if (rows < s.Height) uv.V2 = SpritePixelToU(static_cast<float>(s.Y + rows), h);
      DrawMirroredQuad(sprite, static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + columns),
                       static_cast<float>(y + rows), uv, mode);
    }
  }
  return 1;
}

int CSpriteRender::DrawToRectRotated(int sprite, float x1, float y1, float x2, float y2, int mode) {
  if (!Valid(sprite) || mode < 0 || mode > 3) return 1;
  const SpriteUV& uv = SpriteUVs[sprite];
  const float table[4][8] = {
      {uv.U1, uv.V1, uv.U2, uv.V1, uv.U2, uv.V2, uv.U1, uv.V2},  // as is
      {uv.U1, uv.V2, uv.U1, uv.V1, uv.U2, uv.V1, uv.U2, uv.V2},  // a quarter turn
      {uv.U2, uv.V2, uv.U1, uv.V2, uv.U1, uv.V1, uv.U2, uv.V1},  // a half turn
      {uv.U2, uv.V1, uv.U2, uv.V2, uv.U1, uv.V2, uv.U1, uv.V1},  // three quarters
  };
  const float* c = table[mode];
  const float xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y1, y2, y2};
  const float us[4] = {c[0], c[2], c[4], c[6]}, vs[4] = {c[1], c[3], c[5], c[7]};
  DrawQuad(sprite, xs, ys, us, vs);
  return 1;
}

int CSpriteRender::DrawRotated(int sprite, int x, int y, float degrees) {
  if (!Valid(sprite)) return 1;
  float l, t, r, b, px, py;
  PlacedQuad(sprite, x, y, &l, &t, &r, &b, &px, &py);
  // The engine's 2D rotation about the drawing position, screen y down:
  // (x, y) -> (x c + y s, y c - x s) + position, so a positive angle turns the
  // sprite's right edge upwards on the screen.
  const Vector2 corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
  const Vector2 at{px, py};
  Vector2 turned[4];
  RotatePoints2D(corners, turned, &at, degrees, 4);
  float xs[4], ys[4];
  for (int i = 0; i < 4; ++i) {
    xs[i] = turned[i].x;
    ys[i] = turned[i].y;
  }
  const SpriteUV& uv = SpriteUVs[sprite];
  const float us[4] = {uv.U1, uv.U2, uv.U2, uv.U1}, vs[4] = {uv.V1, uv.V1, uv.V2, uv.V2};
  DrawQuad(sprite, xs, ys, us, vs);
  return 1;
}

int CSpriteRender::DrawPulsing(int sprite, int x, int y) {
  const std::uint32_t earlier = DrawColour;
  SetColour((DrawColour & 0xFFFFFF) | (static_cast<std::uint32_t>(PulseAlpha(DrawColour >> 24)) << 24), 0);
  Draw(sprite, x, y);
  SetColour(earlier, 0);
  return 1;
}

void CSpriteRender::DrawBillboardCorners(int sprite, const CVector3& position, const float xs[4], const float ys[4],
                                         float z) {
  if (s_Render == nullptr || s_Camera == nullptr) return;
  const DWORD fog = s_Render->SetFogEnable(0);
  BindPage(sprite);
  s_Camera->SetFacingMatrix(position);
  s_Camera->ApplyFacingMatrix();
  s_Render->SetVertexFormat(kFvfDebug);
  const SpriteUV& uv = SpriteUVs[sprite];
  const float us[4] = {uv.U1, uv.U2, uv.U2, uv.U1}, vs[4] = {uv.V1, uv.V1, uv.V2, uv.V2};
  BillboardVertex quad[4];
  for (int i = 0; i < 4; ++i) quad[i] = {xs[i], ys[i], z, DrawColour, us[i], vs[i]};
  s_Render->DrawTriangleFan(2, quad, sizeof(BillboardVertex));
  s_Render->SetFogEnable(fog);
}

int CSpriteRender::DrawBillboard(int sprite, const CVector3& position, float sizePercent) {
  return DrawBillboardRotated(sprite, position, 0.0f, sizePercent);
}

int CSpriteRender::DrawBillboardRect(int sprite, const CVector3& position, float width, float height, float left,
                                     float top) {
  if (!Valid(sprite)) return 1;
  const float xs[4] = {left, left + width, left + width, left};
  const float ys[4] = {-top, -top, -top - height, -top - height};
  DrawBillboardCorners(sprite, position, xs, ys, 0.0f);
  return 1;
}

int CSpriteRender::DrawBillboardRotated(int sprite, const CVector3& position, float degrees, float sizePercent) {
  if (!Valid(sprite)) return 1;
  const SpriteRecord& sp = Sprites[sprite];
  // Local corners in the facing plane, y up: the hot spot is measured downwards.
  const float s = sizePercent * 0.01f;
  float l = sp.HotX * s, t = -sp.HotY * s;
  float r = l + sp.Width * s, b = t - sp.Height * s, z = 0.0f;
  if (OffsetOn) {
    l += OffsetX;
    r += OffsetX;
    t += OffsetY;
    b += OffsetY;
    z = OffsetZ;
  }
  if (ScaleMode & 1) {
    l *= XScale;
    r *= XScale;
    t *= YScale;
    b *= YScale;
  }
  float xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b};
  if (degrees != 0.0f) {
    // The same 2D rotation as the screen draws, in the facing plane (y up):
    // (x, y) -> (x c + y s, y c - x s).
    const Vector2 corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
    Vector2 turned[4];
    RotatePoints2D(corners, turned, nullptr, degrees, 4);
    for (int i = 0; i < 4; ++i) {
      xs[i] = turned[i].x;
      ys[i] = turned[i].y;
    }
  }
  DrawBillboardCorners(sprite, position, xs, ys, z);
  return 1;
}
