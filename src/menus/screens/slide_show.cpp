#include "menus/screens/slide_show.h"

#include "platform/win32/clocks.h"
#include "render/2d/full_screen_image.h"
#include "render/device/render.h"
#include "world/engine.h"

CSlideShow g_SlideShow;

namespace {

constexpr std::uint32_t kLeadMs = 1000;
constexpr std::uint32_t kSlideMs = 5500;
constexpr std::uint32_t kFadeMs = 1000;
constexpr std::uint32_t kFullEndMs = 3500;
constexpr std::uint32_t kFadeOutEndMs = 4500;
constexpr std::uint32_t kFinishStepMs = 10;

}  // namespace

// The pictures' tiles belong to the texture library, which may be gone (the
// program's end, a failed load): only the objects are freed.
CSlideShow::~CSlideShow() { DeletePictures(); }

void CSlideShow::DeletePictures() {
  if (pictures_ != nullptr) {
    for (int i = 0; i < count_; ++i) delete pictures_[i];
    delete[] pictures_;
  }
  pictures_ = nullptr;
  count_ = 0;
}

void CSlideShow::Abandon() {
  DeletePictures();
  running_ = 0;
}

void CSlideShow::FreePictures() {
  if (pictures_ != nullptr) {
    for (int i = 0; i < count_; ++i)
      if (pictures_[i] != nullptr) {
        pictures_[i]->Release();
        delete pictures_[i];
      }
    delete[] pictures_;
  }
  pictures_ = nullptr;
  count_ = 0;
}

void CSlideShow::LoadPictures(const char* const* names, int n) {
  // Pictures of a show that was never finished are not released here: their
  // texture library may have been emptied since.
  DeletePictures();
  if (n <= 0 || names == nullptr) return;
  pictures_ = new CFullScreenImage*[n]();
  count_ = n;
  if (g_Render == nullptr) return;
  for (int i = 0; i < n; ++i) {
    pictures_[i] = new CFullScreenImage(g_Render, g_MainCamera, g_PersistentTextures);
    pictures_[i]->Load(names[i], nullptr);
  }
}

void CSlideShow::Start() {
  running_ = 1;
  startTick_ = GetTickCount();
  fullDrawn_ = blankDrawn_ = 0;
}

bool CSlideShow::Step() {
  if (running_ == 0) return false;
  // A show without slides is over at once.
  if (count_ <= 0) return false;
  const std::uint32_t now = GetTickCount();
  const std::uint32_t e = now - startTick_;
  if (e > static_cast<std::uint32_t>(count_) * kSlideMs) {
    if (blankDrawn_ != 0) return false;
    blankDrawn_ = 1;
    DrawSlide(0, 0.0f);
    return false;
  }
  if (e <= kLeadMs) return true;
  const std::uint32_t i = (e - kLeadMs) / kSlideMs, t = (e - kLeadMs) % kSlideMs;
  if (i < static_cast<std::uint32_t>(count_) && pictures_ != nullptr && pictures_[i] != nullptr) {
    blankDrawn_ = 0;
    if (t < kFadeMs) {
      fullDrawn_ = 0;
      DrawSlide(static_cast<int>(i), static_cast<float>(t) * 0.001f);
    } else if (t < kFullEndMs) {
      if (fullDrawn_ == 0) {
        fullDrawn_ = 1;
        DrawSlide(static_cast<int>(i), 1.0f);
      }
    } else if (t < kFadeOutEndMs) {
      fullDrawn_ = 0;
      DrawSlide(static_cast<int>(i), 1.0f - static_cast<float>(t - kFullEndMs) * 0.001f);
    } else {
      fullDrawn_ = 0;
      DrawSlide(0, 0.0f);
      blankDrawn_ = 1;
    }
    return true;
  }
  // No picture: the show moves on to the next slide's start (past the last
  // slide that ends the show).
  startTick_ = now - kLeadMs - (i + 1) * kSlideMs;
  if (blankDrawn_ == 0) {
    blankDrawn_ = 1;
    DrawSlide(0, 0.0f);
  }
  return true;
}

void CSlideShow::DrawSlide(int index, float f) {
  if (g_Render == nullptr) return;
  g_Render->SetFogEnable(0);
  g_Render->BeginScene();
  if (f != 1.0f) {
    g_Render->SetClearColour(0xFF000000u);
    g_Render->Clear(1);
    g_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
    g_Render->SetRenderStateCached(D3DRS_ALPHATESTENABLE, 0);
  }
  if (f != 0.0f && pictures_ != nullptr && index >= 0 && index < count_ && pictures_[index] != nullptr)
    pictures_[index]->Draw(static_cast<int>(f * f * 255.0f));
  g_Render->EndScene();
  g_Render->Present();
  ++frames_;
}

void CSlideShow::Finish() {
  if (running_ == 0) return;
  // The rest of the show plays out, a step about every frame of a 100 Hz
  // display (the fades need no more).
  while (Step()) Sleep(kFinishStepMs);
  FreePictures();
  running_ = 0;
}
