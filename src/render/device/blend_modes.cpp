// The numbered blend modes: each sets the blend factors (and for the stencil
// passes the stencil states) through the cache, and configures the texture
// stages directly (texture-stage states are not cached).
#include "render/device/render.h"

namespace {

// Argument that keeps the value the stage already holds.
constexpr DWORD kKeep = 0xFFFFFFFFu;

}  // namespace

int CRender::SetBlendMode(int mode) {
  if (mode == m_BlendMode) return mode;
  const int previous = m_BlendMode;

  auto rs = [this](D3DRENDERSTATETYPE state, DWORD value) { SetRenderStateCached(state, value); };
  // op(arg1, arg2) on the colour or alpha pipe of a stage; kKeep leaves an argument as it is.
  auto colour = [this](DWORD stage, DWORD op, DWORD arg1 = kKeep, DWORD arg2 = kKeep) {
    if (arg1 != kKeep) SetTextureStage(stage, D3DTSS_COLORARG1, arg1);
    if (arg2 != kKeep) SetTextureStage(stage, D3DTSS_COLORARG2, arg2);
    SetTextureStage(stage, D3DTSS_COLOROP, op);
  };
  auto alpha = [this](DWORD stage, DWORD op, DWORD arg1 = kKeep, DWORD arg2 = kKeep) {
    if (arg1 != kKeep) SetTextureStage(stage, D3DTSS_ALPHAARG1, arg1);
    if (arg2 != kKeep) SetTextureStage(stage, D3DTSS_ALPHAARG2, arg2);
    SetTextureStage(stage, D3DTSS_ALPHAOP, op);
  };
  auto stageOff = [&](DWORD stage) {
    colour(stage, D3DTOP_DISABLE);
    alpha(stage, D3DTOP_DISABLE);
  };
  auto blend = [&](DWORD src, DWORD dest) {
    rs(D3DRS_SRCBLEND, src);
    rs(D3DRS_DESTBLEND, dest);
  };
  // Stage 0 takes the texture times the vertex colour, for colour and alpha alike.
  auto textureTimesDiffuse = [&]() {
    colour(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    alpha(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  };
  // Stage 0 passes the texture through, colour and alpha.
  auto textureOnly = [&]() {
    colour(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    alpha(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
  };
  // The stencil states of the ordinary modes: depth failures keep, passes clear.
  auto stencilClear = [&]() {
    rs(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILPASS, D3DSTENCILOP_ZERO);
  };
  const bool tempArgument = (m_FeatureFlags & DFF_TEMP_ARGUMENT) != 0;
  const bool threeStages = m_Caps.MaxSimultaneousTextures > 2 && tempArgument;

  // Common part of every mode.
  rs(D3DRS_SPECULARENABLE, 0);
  rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  rs(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  rs(D3DRS_STENCILMASK, 0xFFFFFFFF);
  rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);

  switch (mode) {
    case 1:  // alpha blend, texture alpha
    case 4:  // additive, texture alpha
    case 5:  // darken by the inverse source colour
    case 6:  // texture only
      if (mode == 4)
        blend(D3DBLEND_SRCALPHA, D3DBLEND_ONE);
      else if (mode == 5)
        blend(D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR);
      else
        blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      stencilClear();
      if (mode == 6)
        colour(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
      else
        colour(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      alpha(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
      stageOff(1);
      break;
    case 2:  // alpha blend, vertex alpha untouched by the texture
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      stencilClear();
      colour(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      alpha(0, D3DTOP_DISABLE, D3DTA_DIFFUSE);
      stageOff(1);
      break;
    case 3:   // alpha blend, texture and vertex alpha
    case 12:  // additive, texture and vertex alpha
      blend(D3DBLEND_SRCALPHA, mode == 3 ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
      stencilClear();
      textureTimesDiffuse();
      stageOff(1);
      break;
    case 7:   // vertex colour with specular, texture alpha
    case 11:  // vertex colour, texture alpha
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      if (mode == 7) rs(D3DRS_SPECULARENABLE, 1);
      stencilClear();
      colour(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
      alpha(0, D3DTOP_MODULATE, D3DTA_TEXTURE);
      stageOff(1);
      break;
    case 8:  // stencil pass: mark 1 where depth passes, clear where it fails
      rs(D3DRS_ZWRITEENABLE, 0);
      rs(D3DRS_STENCILENABLE, 1);
      rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
      rs(D3DRS_STENCILREF, 1);
      rs(D3DRS_STENCILMASK, 0xFFFFFFFF);
      rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
      rs(D3DRS_STENCILZFAIL, D3DSTENCILOP_ZERO);
      rs(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
      blend(D3DBLEND_ZERO, D3DBLEND_ONE);
      colour(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      stageOff(1);
      break;
    case 9:  // stencil pass: increment on front faces
      rs(D3DRS_ZWRITEENABLE, 0);
      rs(D3DRS_STENCILENABLE, 1);
      rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
      rs(D3DRS_STENCILREF, 1);
      rs(D3DRS_STENCILMASK, 0xFFFFFFFF);
      rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
      rs(D3DRS_CULLMODE, D3DCULL_CCW);
      rs(D3DRS_STENCILPASS, D3DSTENCILOP_INCRSAT);
      blend(D3DBLEND_ZERO, D3DBLEND_ONE);
      rs(D3DRS_SHADEMODE, D3DSHADE_FLAT);
      colour(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      break;
    case 10:  // stencil pass after 9: decrement on back faces
      rs(D3DRS_STENCILREF, 0);
      rs(D3DRS_CULLMODE, D3DCULL_CW);
      rs(D3DRS_STENCILPASS, D3DSTENCILOP_DECRSAT);
      break;
    case 13:  // additive vertex colour, texture and vertex alpha
      blend(D3DBLEND_SRCALPHA, D3DBLEND_ONE);
      stencilClear();
      colour(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
      alpha(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      stageOff(1);
      break;
    case 14:  // two textures: modulate, the second's alpha
    case 15:  // the same with complemented textures
    case 16:  // second texture blended by vertex alpha
    case 17:  // second texture added
    {
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      const DWORD texture = mode == 15 ? (D3DTA_TEXTURE | D3DTA_COMPLEMENT) : D3DTA_TEXTURE;
      colour(0, D3DTOP_MODULATE, texture, D3DTA_DIFFUSE);
      alpha(0, D3DTOP_SELECTARG2, kKeep, D3DTA_DIFFUSE);
      const DWORD op1 = mode == 16 ? D3DTOP_BLENDDIFFUSEALPHA : mode == 17 ? D3DTOP_ADD : D3DTOP_MODULATE;
      colour(1, op1, texture, D3DTA_CURRENT);
      alpha(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE);
      stageOff(2);
      break;
    }
    case 18:  // second texture blended by the factor alpha
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      if (threeStages) {
        textureOnly();
        colour(1, D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_CURRENT);
        alpha(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
        colour(2, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE);
        alpha(2, D3DTOP_DISABLE);
      } else {
        textureTimesDiffuse();
        colour(1, D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_CURRENT);
        alpha(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
        stageOff(2);
      }
      break;
    case 19:  // second texture modulated
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      textureTimesDiffuse();
      colour(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
      alpha(1, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE);
      stageOff(2);
      break;
    case 20:  // second texture modulated twice
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      textureTimesDiffuse();
      colour(1, D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_CURRENT);
      alpha(1, D3DTOP_DISABLE);
      stageOff(2);
      break;
    case 21:  // second texture added
    case 22:  // second texture subtracted
    {
      blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
      const DWORD op1 = mode == 21 ? D3DTOP_ADD : D3DTOP_SUBTRACT;
      if (threeStages) {
        textureOnly();
        colour(1, op1, D3DTA_TEXTURE, D3DTA_CURRENT);
        alpha(1, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE);
        colour(2, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE);
        alpha(2, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE);
      } else {
        textureTimesDiffuse();
        colour(1, op1, D3DTA_TEXTURE, D3DTA_CURRENT);
        alpha(1, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE);
        stageOff(2);
      }
      break;
    }
    case 24:  // tinted by the texture factor, alpha blend
    case 25:  // tinted by the texture factor, additive
      blend(D3DBLEND_SRCALPHA, mode == 24 ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
      if (tempArgument) {
        textureTimesDiffuse();
        colour(1, D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_CURRENT);
        alpha(1, D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_CURRENT);
        stageOff(2);
      } else if (mode == 24) {
        SetBlendMode(3);
      } else {
        textureTimesDiffuse();
        stageOff(1);
      }
      break;
    default:  // 23, 0 and anything outside 1-25: the common part only
      break;
  }
  m_BlendMode = mode;
  return previous;
}
