// The slide show played while a level loads: pictures faded in and out in
// turn over the whole screen, stepped from the loader's progress and played
// out at the end of the load.  After a lead of 1000 ms each slide takes
// 5500 ms: fade in 1000 (on the square of the ramp), full 2500, fade out
// 1000, black 1000; the show ends count x 5500 ms after its start.  A slide
// without a picture is skipped.  Times are the system tick count in ms.
// Main thread only.
#pragma once

#include <cstdint>

class CFullScreenImage;

class CSlideShow {
 public:
  CSlideShow() = default;
  ~CSlideShow();
  CSlideShow(const CSlideShow&) = delete;
  CSlideShow& operator=(const CSlideShow&) = delete;

  // One picture object per name, loaded (also when the load fails); the
  // pictures of an earlier show are released first.
  void LoadPictures(const char* const* names, int n);
  void Start();
  // Draws what the time asks; false once the show is over (or not running).
  bool Step();
  // One presented frame: black unless f is 1, then picture index at alpha
  // f x f x 255 unless f is 0.
  void DrawSlide(int index, float f);
  // Plays the rest of the show out, then releases the pictures.
  void Finish();
  // Stops the show where it is (a load that failed): the picture objects
  // are freed, their tiles are left to the texture library that holds them.
  void Abandon();

  bool Running() const { return running_ != 0; }
  int Count() const { return count_; }
  // Frames presented by DrawSlide (for the loading screens' bookkeeping and tests).
  int FramesDrawn() const { return frames_; }

 private:
  void FreePictures();
  void DeletePictures();

  CFullScreenImage** pictures_ = nullptr;
  std::int32_t count_ = 0;
  std::uint32_t startTick_ = 0;
  std::uint8_t running_ = 0;
  std::uint8_t fullDrawn_ = 0;
  std::uint8_t blankDrawn_ = 0;
  int frames_ = 0;
};

// The program's show, which the level start plays with its start-up pictures.
extern CSlideShow g_SlideShow;
