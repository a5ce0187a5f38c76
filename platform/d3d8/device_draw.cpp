// Drawing for the Direct3D 8 device: vertex formats read straight from the
// caller's or the buffer's memory through GL client arrays, and the
// fixed-function states turned into GL state (texture stages into texture
// environment combiners) just before each draw, only where they changed.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/d3d8/device_impl.h"

namespace d3d8 {
namespace {

GLenum CompareFunc(DWORD f) {
  switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum BlendFactor(DWORD b) {
  switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum StencilOp(DWORD op) {
  switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum Mode(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    default: return GL_TRIANGLE_FAN;
  }
}

// Vertices used by `n` primitives of a kind; 0 for an unknown kind.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT n) {
  switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return 2 * n;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return 3 * n;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
  }
}

float AsFloat(DWORD v) {
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

void Colour4(D3DCOLOR c, float out[4]) {
  out[0] = ((c >> 16) & 0xFF) / 255.0f;
  out[1] = ((c >> 8) & 0xFF) / 255.0f;
  out[2] = (c & 0xFF) / 255.0f;
  out[3] = (c >> 24) / 255.0f;
}

// One combiner argument: its GL source and operand.
void Argument(bool alpha, int n, DWORD arg) {
  GLenum source;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_CURRENT:
    case D3DTA_TEMP: source = GL_PREVIOUS; break;
    case D3DTA_TEXTURE: source = GL_TEXTURE; break;
    case D3DTA_TFACTOR: source = GL_CONSTANT; break;
    default: source = GL_PRIMARY_COLOR; break;
  }
  bool complement = (arg & D3DTA_COMPLEMENT) != 0;
  GLenum operand;
  if (alpha || (arg & D3DTA_ALPHAREPLICATE))
    operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
  else
    operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
  glTexEnvi(GL_TEXTURE_ENV, static_cast<GLenum>((alpha ? GL_SOURCE0_ALPHA : GL_SOURCE0_RGB) + n),
            static_cast<GLint>(source));
  glTexEnvi(GL_TEXTURE_ENV, static_cast<GLenum>((alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB) + n),
            static_cast<GLint>(operand));
}

// Sets the colour or alpha combiner of the active unit for one texture operation.
// Answers false for operations it cannot express (they modulate instead).
bool Combiner(bool alpha, DWORD op, DWORD arg1, DWORD arg2) {
  GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
  GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
  GLint mode = GL_MODULATE;
  float factor = 1.0f;
  bool known = true;
  Argument(alpha, 0, arg1);
  Argument(alpha, 1, arg2);
  auto blendBy = [&](GLenum source) {
    mode = GL_INTERPOLATE;
    glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_SOURCE2_ALPHA : GL_SOURCE2_RGB, static_cast<GLint>(source));
    glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_OPERAND2_ALPHA : GL_OPERAND2_RGB, GL_SRC_ALPHA);
  };
  switch (op) {
    case D3DTOP_DISABLE:
      // A disabled alpha operation in a live stage passes the alpha on.
      mode = GL_REPLACE;
      Argument(alpha, 0, D3DTA_CURRENT);
      break;
    case D3DTOP_SELECTARG1: mode = GL_REPLACE; break;
    case D3DTOP_SELECTARG2:
      mode = GL_REPLACE;
      Argument(alpha, 0, arg2);
      break;
    case D3DTOP_MODULATE: break;
    case D3DTOP_MODULATE2X: factor = 2.0f; break;
    case D3DTOP_MODULATE4X: factor = 4.0f; break;
    case D3DTOP_ADD: mode = GL_ADD; break;
    case D3DTOP_ADDSIGNED: mode = GL_ADD_SIGNED; break;
    case D3DTOP_ADDSIGNED2X:
      mode = GL_ADD_SIGNED;
      factor = 2.0f;
      break;
    case D3DTOP_SUBTRACT: mode = GL_SUBTRACT; break;
    case D3DTOP_BLENDDIFFUSEALPHA: blendBy(GL_PRIMARY_COLOR); break;
    case D3DTOP_BLENDTEXTUREALPHA: blendBy(GL_TEXTURE); break;
    case D3DTOP_BLENDFACTORALPHA: blendBy(GL_CONSTANT); break;
    case D3DTOP_BLENDCURRENTALPHA: blendBy(GL_PREVIOUS); break;
    case D3DTOP_DOTPRODUCT3:
      if (!alpha) {
        mode = GL_DOT3_RGBA;
        break;
      }
      [[fallthrough]];
    default:
      known = false;
      break;
  }
  glTexEnvi(GL_TEXTURE_ENV, combine, mode);
  glTexEnvf(GL_TEXTURE_ENV, scale, factor);
  return known;
}

}  // namespace

bool Device::ParseFvf(DWORD fvf, Layout* l) const {
  *l = Layout{};
  UINT off;
  DWORD pos = fvf & D3DFVF_POSITION_MASK;
  if (pos == D3DFVF_XYZ) {
    off = 12;
  } else if (pos == D3DFVF_XYZRHW) {
    off = 16;
    l->rhw = true;
  } else if (pos >= 6) {
    off = 12 + 4 * ((pos - 4) / 2);  // blend weights are not used
  } else {
    return false;
  }
  if (fvf & D3DFVF_NORMAL) {
    l->normal = static_cast<int>(off);
    off += 12;
  }
  if (fvf & D3DFVF_PSIZE) off += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    l->diffuse = static_cast<int>(off);
    off += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    l->specular = static_cast<int>(off);
    off += 4;
  }
  l->texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (l->texCount > 8) return false;
  for (UINT i = 0; i < l->texCount; ++i) {
    DWORD code = (fvf >> (16 + 2 * i)) & 3;
    int size = code == 0 ? 2 : code == 1 ? 3 : code == 2 ? 4 : 1;
    l->texOffset[i] = static_cast<int>(off);
    l->texSize[i] = size;
    off += 4 * static_cast<UINT>(size);
  }
  l->size = off;
  return true;
}

bool Device::CurrentLayout(Layout* l) {
  if (!(vertexShader_ & 1u)) {
    if (layoutValid_ && layoutFvf_ == vertexShader_) {
      *l = layout_;
      return true;
    }
    if (!ParseFvf(vertexShader_, l)) {
      WarnOnce("draw with an unusable vertex format refused");
      return false;
    }
    layout_ = *l;
    layoutFvf_ = vertexShader_;
    layoutValid_ = true;
    return true;
  }
  const VertexShaderRecord& shader = vertexShaders_[vertexShader_];
  if (!shader.function.empty()) {
    WarnOnce("vertex shader programs are kept but not run here; such draws are skipped");
    return false;
  }
  // A declaration without a program feeds the fixed pipeline from stream 0:
  // register 0 position, 3 normal, 5 diffuse, 6 specular, 7.. texture sets.
  *l = Layout{};
  UINT off = 0;
  int stream = -1;
  bool position = false;
  for (DWORD token : shader.declaration) {
    DWORD kind = token >> D3DVSD_TOKENTYPESHIFT;
    if (token == D3DVSD_END()) break;
    if (kind == D3DVSD_TOKEN_STREAM) {
      stream = static_cast<int>(token & 0xF);
      continue;
    }
    if (kind != D3DVSD_TOKEN_STREAMDATA || stream != 0) {
      WarnOnce("vertex declarations beyond stream 0 are not drawn here");
      return false;
    }
    DWORD reg = token & 0x1F, type = (token >> 16) & 0xF;
    static const UINT kSizes[] = {4, 8, 12, 16, 4, 4, 4, 8};
    if (type > 7) return false;
    if (reg == 0) position = true;
    if (reg == 3) l->normal = static_cast<int>(off);
    if (reg == 5) l->diffuse = static_cast<int>(off);
    if (reg == 6) l->specular = static_cast<int>(off);
    if (reg >= 7 && reg <= 14 && type <= 3) {
      UINT set = reg - 7;
      l->texOffset[set] = static_cast<int>(off);
      l->texSize[set] = static_cast<int>(type) + 1;
      l->texCount = std::max(l->texCount, set + 1);
    }
    off += kSizes[type];
  }
  l->size = off;
  return position;
}

void Device::ApplyTransforms(bool rhw) {
  float W = static_cast<float>(rhw ? TargetWidth() : viewport_.Width);
  float H = static_cast<float>(rhw ? TargetHeight() : viewport_.Height);
  glMatrixMode(GL_PROJECTION);
  if (rhw) {
    // Screen pixels to clip space: pixel centres sit on whole coordinates, so
    // half a pixel is added; row 0 is the top; z 0..1 becomes -1..1.
    const float m[16] = {2.0f / W, 0, 0, 0, 0, 2.0f / H, 0, 0, 0, 0, 2.0f, 0, 1.0f / W - 1.0f, 1.0f / H - 1.0f,
                         -1.0f, 1.0f};
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return;
  }
  // Clip space of row-vector matrices to GL: y flipped (row 0 on top), half a
  // pixel added, z from 0..w to -w..w.  GL's column-major load of a row-major
  // matrix is its transpose, which is what column vectors need.
  const float fix[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 2, 0, 1.0f / W, 1.0f / H, -1, 1};
  glLoadMatrixf(fix);
  glMultMatrixf(&projection_._11);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&view_._11);
  glMultMatrixf(&world_._11);
}

void Device::ApplyLighting(bool on, const Layout& layout) {
  if (!on) {
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    return;
  }
  glEnable(GL_LIGHTING);
  float ambient[4];
  Colour4(rs_[D3DRS_AMBIENT], ambient);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, rs_[142] ? GL_TRUE : GL_FALSE);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  if (rs_[D3DRS_NORMALIZENORMALS]) glEnable(GL_NORMALIZE); else glDisable(GL_NORMALIZE);
  // Vertex colours stand in for material colours as the material sources say.
  bool colours = layout.diffuse >= 0 && rs_[D3DRS_COLORVERTEX];
  bool diffuse = colours && rs_[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
  bool ambientSrc = colours && rs_[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
  bool emissive = colours && rs_[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1;
  GLenum which = 0;
  if (diffuse && ambientSrc) which = GL_AMBIENT_AND_DIFFUSE;
  else if (diffuse) which = GL_DIFFUSE;
  else if (ambientSrc) which = GL_AMBIENT;
  else if (emissive) which = GL_EMISSION;
  if (which) {
    glColorMaterial(GL_FRONT_AND_BACK, which);
    glEnable(GL_COLOR_MATERIAL);
  } else {
    glDisable(GL_COLOR_MATERIAL);
  }
  // The material after the colour tracking is settled: while tracking was on,
  // the tracked colours followed the current vertex colour, and switching it
  // off keeps that colour unless the material is given again.
  const float zero[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, &material_.Diffuse.r);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, &material_.Ambient.r);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, rs_[D3DRS_SPECULARENABLE] ? &material_.Specular.r : zero);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, &material_.Emissive.r);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material_.Power, 0.0f, 128.0f));
  // Lights are given in world space: place them under the view matrix.
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixf(&view_._11);
  int unit = 0;
  for (DWORD index : enabledLights_) {
    if (unit >= 8) break;
    const D3DLIGHT8& l = lights_[index];
    GLenum g = static_cast<GLenum>(GL_LIGHT0 + unit++);
    glEnable(g);
    glLightfv(g, GL_DIFFUSE, &l.Diffuse.r);
    glLightfv(g, GL_SPECULAR, &l.Specular.r);
    glLightfv(g, GL_AMBIENT, &l.Ambient.r);
    if (l.Type == D3DLIGHT_DIRECTIONAL) {
      // Direction is where the light travels; GL wants the way to the light.
      const float p[4] = {-l.Direction.x, -l.Direction.y, -l.Direction.z, 0};
      glLightfv(g, GL_POSITION, p);
      glLightf(g, GL_SPOT_CUTOFF, 180.0f);
      glLightf(g, GL_CONSTANT_ATTENUATION, 1.0f);
      glLightf(g, GL_LINEAR_ATTENUATION, 0.0f);
      glLightf(g, GL_QUADRATIC_ATTENUATION, 0.0f);
    } else {
      const float p[4] = {l.Position.x, l.Position.y, l.Position.z, 1};
      glLightfv(g, GL_POSITION, p);
      float a0 = l.Attenuation0, a1 = l.Attenuation1, a2 = l.Attenuation2;
      if (a0 == 0 && a1 == 0 && a2 == 0) a0 = 1;
      glLightf(g, GL_CONSTANT_ATTENUATION, a0);
      glLightf(g, GL_LINEAR_ATTENUATION, a1);
      glLightf(g, GL_QUADRATIC_ATTENUATION, a2);
      if (l.Type == D3DLIGHT_SPOT) {
        glLightfv(g, GL_SPOT_DIRECTION, &l.Direction.x);
        glLightf(g, GL_SPOT_CUTOFF, std::clamp(l.Phi * 0.5f * 57.29578f, 0.0f, 90.0f));
        glLightf(g, GL_SPOT_EXPONENT, std::clamp(l.Falloff, 0.0f, 128.0f));
      } else {
        glLightf(g, GL_SPOT_CUTOFF, 180.0f);
      }
    }
  }
  for (; unit < 8; ++unit) glDisable(static_cast<GLenum>(GL_LIGHT0 + unit));
  glPopMatrix();
}

void Device::ApplyStages() {
  int units = static_cast<int>(caps_.MaxTextureBlendStages);
  float factor[4];
  Colour4(rs_[D3DRS_TEXTUREFACTOR], factor);
  bool stopped = false;
  int live = 0;
  for (int u = 0; u < units; ++u) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + u));
    DWORD* s = tss_[u];
    if (stopped || s[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
      stopped = true;
      glDisable(GL_TEXTURE_2D);
      glDisable(GL_TEXTURE_CUBE_MAP);
      continue;
    }
    ++live;
    TextureStore* store = StoreOf(textures_[u]);
    if (store && store->gl_) {
      if (store->format_ == D3DFMT_P8 && store->uploadedPalette_ != currentPalette_) store->UploadAll();
      GLenum target = store->GlTarget();
      glBindTexture(target, store->gl_);
      glEnable(target);
      glDisable(target == GL_TEXTURE_2D ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D);
      // Sampler states belong to the stage here and to the texture in GL.
      bool linearMin = s[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
      GLint minFilter;
      switch (s[D3DTSS_MIPFILTER]) {
        case D3DTEXF_POINT: minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST; break;
        case D3DTEXF_LINEAR: minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR; break;
        default: minFilter = linearMin ? GL_LINEAR : GL_NEAREST; break;
      }
      GLint magFilter = s[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
      auto wrap = [](DWORD a) -> GLint {
        switch (a) {
          case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
          case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
          case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
          default: return GL_REPEAT;
        }
      };
      GLint ws = wrap(s[D3DTSS_ADDRESSU]), wt = wrap(s[D3DTSS_ADDRESSV]);
      if (store->minFilter_ != minFilter) glTexParameteri(target, GL_TEXTURE_MIN_FILTER, store->minFilter_ = minFilter);
      if (store->magFilter_ != magFilter) glTexParameteri(target, GL_TEXTURE_MAG_FILTER, store->magFilter_ = magFilter);
      if (store->wrapS_ != ws) {
        glTexParameteri(target, GL_TEXTURE_WRAP_S, store->wrapS_ = ws);
        if (target == GL_TEXTURE_CUBE_MAP) glTexParameteri(target, GL_TEXTURE_WRAP_R, ws);
      }
      if (store->wrapT_ != wt) glTexParameteri(target, GL_TEXTURE_WRAP_T, store->wrapT_ = wt);
    } else {
      // No texture reads as opaque white.
      glBindTexture(GL_TEXTURE_2D, white_);
      glEnable(GL_TEXTURE_2D);
      glDisable(GL_TEXTURE_CUBE_MAP);
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
    if (!Combiner(false, s[D3DTSS_COLOROP], s[D3DTSS_COLORARG1], s[D3DTSS_COLORARG2]))
      WarnOnce("a texture colour operation this device lacks was drawn as modulate");
    if (!Combiner(true, s[D3DTSS_ALPHAOP], s[D3DTSS_ALPHAARG1], s[D3DTSS_ALPHAARG2]))
      WarnOnce("a texture alpha operation this device lacks was drawn as modulate");
    // Generated coordinates in camera space.
    DWORD gen = s[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u;
    GLint mode = gen == D3DTSS_TCI_CAMERASPACENORMAL     ? GL_NORMAL_MAP
                 : gen == D3DTSS_TCI_CAMERASPACEPOSITION ? GL_EYE_LINEAR
                 : gen == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR ? GL_REFLECTION_MAP
                                                                  : 0;
    for (GLenum c : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) {
      if (mode) glEnable(c); else glDisable(c);
    }
    if (mode) {
      glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, mode);
      glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, mode);
      glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, mode);
    }
  }
  enabledUnits_ = live;
  glActiveTexture(GL_TEXTURE0);
}

void Device::ApplyState(const Layout& layout) {
  int mode = layout.rhw ? 1 : 0;
  if (glMode_ != mode) {
    dirty_ |= kDirtyTransform | kDirtyLighting | kDirtyFog | kDirtyViewport;
    glMode_ = mode;
  }
  if (lastDiffuse_ != (layout.diffuse >= 0)) {
    dirty_ |= kDirtyLighting;
    lastDiffuse_ = layout.diffuse >= 0;
  }
  if (!dirty_) return;
  ringBound_ = false;  // arrays follow the stages and the specular switch
  if (dirty_ & kDirtyViewport) {
    // Nothing is drawn outside the viewport, whatever the vertices: the
    // viewport is also the scissor rectangle.
    glEnable(GL_SCISSOR_TEST);
    glScissor(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y), static_cast<GLsizei>(viewport_.Width),
              static_cast<GLsizei>(viewport_.Height));
    if (layout.rhw) {
      glViewport(0, 0, static_cast<GLsizei>(TargetWidth()), static_cast<GLsizei>(TargetHeight()));
      glDepthRange(0.0, 1.0);
    } else {
      glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
                 static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
      glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    }
  }
  if (dirty_ & kDirtyTransform) ApplyTransforms(layout.rhw);
  if (dirty_ & kDirtyLighting) ApplyLighting(!layout.rhw && rs_[D3DRS_LIGHTING], layout);
  if (dirty_ & kDirtyBlend) {
    if (rs_[D3DRS_ALPHABLENDENABLE]) glEnable(GL_BLEND); else glDisable(GL_BLEND);
    glBlendFunc(BlendFactor(rs_[D3DRS_SRCBLEND]), BlendFactor(rs_[D3DRS_DESTBLEND]));
  }
  if (dirty_ & kDirtyDepth) {
    if (rs_[D3DRS_ZENABLE] && depth_) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
    glDepthMask(rs_[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    glDepthFunc(CompareFunc(rs_[D3DRS_ZFUNC]));
  }
  if (dirty_ & kDirtyStencil) {
    if (rs_[D3DRS_STENCILENABLE]) glEnable(GL_STENCIL_TEST); else glDisable(GL_STENCIL_TEST);
    glStencilFunc(CompareFunc(rs_[D3DRS_STENCILFUNC]), static_cast<GLint>(rs_[D3DRS_STENCILREF] & 0xFF),
                  rs_[D3DRS_STENCILMASK]);
    glStencilOp(StencilOp(rs_[D3DRS_STENCILFAIL]), StencilOp(rs_[D3DRS_STENCILZFAIL]),
                StencilOp(rs_[D3DRS_STENCILPASS]));
    glStencilMask(rs_[D3DRS_STENCILWRITEMASK]);
  }
  if (dirty_ & kDirtyAlpha) {
    if (rs_[D3DRS_ALPHATESTENABLE]) glEnable(GL_ALPHA_TEST); else glDisable(GL_ALPHA_TEST);
    glAlphaFunc(CompareFunc(rs_[D3DRS_ALPHAFUNC]), static_cast<float>(rs_[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
  }
  if (dirty_ & kDirtyRaster) {
    // Clockwise on screen is front-facing; with row 0 on top GL sees it as
    // counter-clockwise.
    glFrontFace(GL_CCW);
    switch (rs_[D3DRS_CULLMODE]) {
      case D3DCULL_CW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
      case D3DCULL_CCW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
      default:
        glDisable(GL_CULL_FACE);
        break;
    }
    GLenum fill = rs_[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                  : rs_[D3DRS_FILLMODE] == D3DFILL_POINT   ? GL_POINT
                                                           : GL_FILL;
    glPolygonMode(GL_FRONT_AND_BACK, fill);
    glShadeModel(rs_[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
    if (rs_[D3DRS_DITHERENABLE]) glEnable(GL_DITHER); else glDisable(GL_DITHER);
    if (rs_[D3DRS_ZBIAS]) {
      // A larger bias draws nearer.
      glEnable(GL_POLYGON_OFFSET_FILL);
      glPolygonOffset(0.0f, -static_cast<float>(rs_[D3DRS_ZBIAS]));
    } else {
      glDisable(GL_POLYGON_OFFSET_FILL);
    }
    DWORD w = rs_[D3DRS_COLORWRITEENABLE];
    glColorMask((w & 1) ? GL_TRUE : GL_FALSE, (w & 2) ? GL_TRUE : GL_FALSE, (w & 4) ? GL_TRUE : GL_FALSE,
                (w & 8) ? GL_TRUE : GL_FALSE);
  }
  if (dirty_ & kDirtyFog) {
    DWORD table = rs_[D3DRS_FOGTABLEMODE], vertex = rs_[D3DRS_FOGVERTEXMODE];
    DWORD fogMode = table != D3DFOG_NONE ? table : vertex;
    if (rs_[D3DRS_FOGENABLE] && fogMode != D3DFOG_NONE) {
      glEnable(GL_FOG);
      glFogi(GL_FOG_MODE, fogMode == D3DFOG_EXP ? GL_EXP : fogMode == D3DFOG_EXP2 ? GL_EXP2 : GL_LINEAR);
      float colour[4];
      Colour4(rs_[D3DRS_FOGCOLOR], colour);
      glFogfv(GL_FOG_COLOR, colour);
      glFogf(GL_FOG_START, AsFloat(rs_[D3DRS_FOGSTART]));
      glFogf(GL_FOG_END, AsFloat(rs_[D3DRS_FOGEND]));
      glFogf(GL_FOG_DENSITY, AsFloat(rs_[D3DRS_FOGDENSITY]));
    } else {
      glDisable(GL_FOG);
    }
  }
  if (dirty_ & kDirtyStages) ApplyStages();
  dirty_ = 0;
}

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const std::uint8_t* base, UINT stride,
                     UINT first, const void* indices, bool index32, UINT indexCount, UINT span, bool user) {
  Layout layout;
  if (!CurrentLayout(&layout)) return D3DERR_INVALIDCALL;
  if (stride < layout.size) return D3DERR_INVALIDCALL;
  if (cooperative_ != D3D_OK) return D3D_OK;  // a lost device draws nothing
  if (pixelShader_) WarnOnce("pixel shaders are kept but not run here; the texture stages draw instead");
  MakeCurrent();
  ApplyState(layout);

  const std::uint8_t* position = base;
  GLsizei positionStride = static_cast<GLsizei>(stride);
  int positionSize = 3;
  if (layout.rhw) {
    // Screen vertices carry 1/w; unless it is 1 everywhere, hand GL
    // (x, y, z, 1) / rhw so that texturing stays perspective-correct.
    bool unit = true;
    for (UINT i = 0; i < span && unit; ++i) {
      float rhw;
      std::memcpy(&rhw, base + static_cast<std::size_t>(i) * stride + 12, 4);
      unit = rhw == 1.0f;
    }
    if (!unit) {
      scratch_.resize(static_cast<std::size_t>(span) * 4);
      for (UINT i = 0; i < span; ++i) {
        float v[4];
        std::memcpy(v, base + static_cast<std::size_t>(i) * stride, 16);
        float w = v[3] != 0.0f ? 1.0f / v[3] : 1.0f;
        scratch_[i * 4] = v[0] * w;
        scratch_[i * 4 + 1] = v[1] * w;
        scratch_[i * 4 + 2] = v[2] * w;
        scratch_[i * 4 + 3] = w;
      }
      position = reinterpret_cast<const std::uint8_t*>(scratch_.data());
      positionStride = 16;
      positionSize = 4;
    }
  }
  // Plain draws from user memory are copied one after another into a ring
  // of client memory, so that a run of them with the same format sets the
  // GL arrays once instead of for every draw.
  std::size_t bytes = static_cast<std::size_t>(span) * stride;
  bool pooled = user && !indices && position == base && bytes <= kRingBytes;
  if (pooled) {
    if (ring_.size() != kRingBytes) ring_.assign(kRingBytes, 0);
    if (stride != ringStride_ || vertexShader_ != ringFormat_ || ringUsed_ + bytes > ring_.size()) {
      ringUsed_ = 0;
      ringBound_ = false;
    }
    std::memcpy(ring_.data() + ringUsed_, base, bytes);
    first = static_cast<UINT>(ringUsed_ / stride);
    ringUsed_ += bytes;
    UINT vertices = VertexCount(type, primitiveCount);
    if (ringBound_) {
      glDrawArrays(Mode(type), static_cast<GLint>(first), static_cast<GLsizei>(vertices));
      return D3D_OK;
    }
    base = position = ring_.data();
    ringStride_ = stride;
    ringFormat_ = vertexShader_;
  }
  auto toggle = [this](unsigned bit, GLenum array, bool on) {
    if (((enabledArrays_ & bit) != 0) == on) return false;
    if (on) glEnableClientState(array); else glDisableClientState(array);
    enabledArrays_ ^= bit;
    return true;
  };
  auto clientUnit = [this](int u) {
    if (clientUnit_ != u) glClientActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + u));
    clientUnit_ = u;
  };
  toggle(1, GL_VERTEX_ARRAY, true);
  glVertexPointer(positionSize, GL_FLOAT, positionStride, position);
  // Without an array GL draws with the current value, set once when the
  // array goes off: white for colour, no normal.
  if (toggle(2, GL_COLOR_ARRAY, layout.diffuse >= 0) && layout.diffuse < 0) glColor4f(1, 1, 1, 1);
  if (layout.diffuse >= 0) glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(stride), base + layout.diffuse);
  bool normals = layout.normal >= 0 && !layout.rhw;
  if (toggle(4, GL_NORMAL_ARRAY, normals) && !normals) glNormal3f(0, 0, 0);
  if (normals) glNormalPointer(GL_FLOAT, static_cast<GLsizei>(stride), base + layout.normal);
  bool specular = layout.specular >= 0 && rs_[D3DRS_SPECULARENABLE];
  if (toggle(8, GL_SECONDARY_COLOR_ARRAY, specular)) {
    if (specular) glEnable(GL_COLOR_SUM); else glDisable(GL_COLOR_SUM);
  }
  if (specular)
    glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(stride), base + layout.specular);
  for (int u = 0; u < 8; ++u) {
    unsigned bit = 16u << u;
    bool live = u < enabledUnits_;
    if (!live && !(enabledArrays_ & bit)) continue;
    UINT set = live ? (tss_[u][D3DTSS_TEXCOORDINDEX] & 0xFFFFu) : 0;
    bool on = live && set < layout.texCount;
    clientUnit(u);
    toggle(bit, GL_TEXTURE_COORD_ARRAY, on);
    if (on)
      glTexCoordPointer(layout.texSize[set], GL_FLOAT, static_cast<GLsizei>(stride), base + layout.texOffset[set]);
    else if (live)
      glMultiTexCoord4f(static_cast<GLenum>(GL_TEXTURE0 + u), 0, 0, 0, 1);
  }

  ringBound_ = pooled;
  UINT vertices = VertexCount(type, primitiveCount);
  if (indices)
    glDrawElements(Mode(type), static_cast<GLsizei>(indexCount), index32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                   indices);
  else
    glDrawArrays(Mode(type), static_cast<GLint>(first), static_cast<GLsizei>(vertices));
  return D3D_OK;
}

// Drawing from user memory leaves stream 0 (and for indexed draws the
// indices) unset.
void Device::UnbindUserStreams(bool indices) {
  if (streams_[0].buffer) streams_[0].buffer->Release();
  streams_[0] = Stream{};
  if (indices && indices_) indices_->Release();
  if (indices) indices_ = nullptr;
}

namespace {
// Largest index of a run of 16- or 32-bit indices.
UINT MaxIndex(const void* indices, bool index32, UINT count) {
  UINT m = 0;
  if (index32) {
    const auto* p = static_cast<const std::uint32_t*>(indices);
    for (UINT i = 0; i < count; ++i) m = std::max<UINT>(m, p[i]);
  } else {
    const auto* p = static_cast<const std::uint16_t*>(indices);
    for (UINT i = 0; i < count; ++i) m = std::max<UINT>(m, p[i]);
  }
  return m;
}
}  // namespace

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  Record("DrawPrimitive", {static_cast<std::uint64_t>(type), startVertex, primitiveCount});
  UINT n = VertexCount(type, primitiveCount);
  if (n == 0 && primitiveCount) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  const Stream& s = streams_[0];
  if (!s.buffer || s.stride == 0) return D3DERR_INVALIDCALL;
  std::uint64_t end = (static_cast<std::uint64_t>(startVertex) + n) * s.stride;
  if (end > s.buffer->bytes_.size()) return D3DERR_INVALIDCALL;
  return Draw(type, primitiveCount, s.buffer->bytes_.data(), s.stride, startVertex, nullptr, false, 0,
              startVertex + n, false);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                     UINT primitiveCount) {
  Record("DrawIndexedPrimitive",
         {static_cast<std::uint64_t>(type), minIndex, vertexCount, startIndex, primitiveCount});
  UINT n = VertexCount(type, primitiveCount);
  if (n == 0 && primitiveCount) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  const Stream& s = streams_[0];
  if (!s.buffer || s.stride == 0 || !indices_) return D3DERR_INVALIDCALL;
  bool index32 = indices_->format_ == D3DFMT_INDEX32;
  UINT size = index32 ? 4 : 2;
  if ((static_cast<std::uint64_t>(startIndex) + n) * size > indices_->bytes_.size()) return D3DERR_INVALIDCALL;
  const std::uint8_t* idx = indices_->bytes_.data() + static_cast<std::size_t>(startIndex) * size;
  // Every index must name a vertex inside the buffer.
  std::uint64_t last = static_cast<std::uint64_t>(baseVertex_) + MaxIndex(idx, index32, n);
  std::uint64_t vertices = s.buffer->bytes_.size() / s.stride;
  if (last >= vertices) return D3DERR_INVALIDCALL;
  const std::uint8_t* base = s.buffer->bytes_.data() + static_cast<std::size_t>(baseVertex_) * s.stride;
  return Draw(type, primitiveCount, base, s.stride, 0, idx, index32, n,
              static_cast<UINT>(last - baseVertex_ + 1), false);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
  UINT n = VertexCount(type, primitiveCount);
  Record("DrawPrimitiveUP", {static_cast<std::uint64_t>(type), primitiveCount, stride}, vertices,
         vertices ? static_cast<std::size_t>(n) * stride : 0);
  if (!vertices || stride == 0 || (n == 0 && primitiveCount)) return D3DERR_INVALIDCALL;
  UnbindUserStreams(false);
  if (primitiveCount == 0) return D3D_OK;
  return Draw(type, primitiveCount, static_cast<const std::uint8_t*>(vertices), stride, 0, nullptr, false, 0, n,
              true);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                       UINT stride) {
  UINT n = VertexCount(type, primitiveCount);
  bool index32 = indexFormat == D3DFMT_INDEX32;
  if (recording_) {
    std::vector<std::uint8_t> bytes;
    if (vertices) {
      const auto* v = static_cast<const std::uint8_t*>(vertices);
      bytes.assign(v, v + static_cast<std::size_t>(minIndex + vertexCount) * stride);
    }
    if (indices) {
      const auto* i = static_cast<const std::uint8_t*>(indices);
      bytes.insert(bytes.end(), i, i + static_cast<std::size_t>(n) * (index32 ? 4 : 2));
    }
    Record("DrawIndexedPrimitiveUP",
           {static_cast<std::uint64_t>(type), minIndex, vertexCount, primitiveCount,
            static_cast<std::uint64_t>(indexFormat), stride},
           bytes.data(), bytes.size());
  }
  if (!vertices || !indices || stride == 0 || (n == 0 && primitiveCount) ||
      (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
    return D3DERR_INVALIDCALL;
  UnbindUserStreams(true);
  if (primitiveCount == 0) return D3D_OK;
  UINT last = MaxIndex(indices, index32, n);
  if (static_cast<std::uint64_t>(last) >= static_cast<std::uint64_t>(minIndex) + vertexCount)
    return D3DERR_INVALIDCALL;
  return Draw(type, primitiveCount, static_cast<const std::uint8_t*>(vertices), stride, 0, indices, index32, n,
              last + 1, true);
}

}  // namespace d3d8
