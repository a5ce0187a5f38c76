// Progress bars stacked down the screen (developer counters of lists in use):
// a set-up stores where the bars start, their row step and size, and the
// font of their captions; each DrawListCounter draws one bar and moves the
// next one down a row.  A second form draws a bar of a fraction with a
// marker at its end.  Main thread only.
#pragma once

class CFont;

// Stores the first bar's top-left corner, the row step and the bar size
// (pixels) and the caption font (may be null: no captions).
void SetUpListCounter(int x, int y, int rowStep, int width, int height, CFont* font);

// One bar: current is clamped to total, the filled part is
// truncate(current / total x width) wide (none for a total of 0 or less),
// drawn as a quad pair at the bar's corner, then the whole bar's outline.
// With a caption (may be null) "caption [current/total]" is drawn right of
// the bar, vertically centred on it, with bilinear filtering on for the
// text.  The next bar goes one row step lower.
void DrawListCounter(int total, int current, const char* caption);

// A white bar filled to the fraction (0..1) of the width at (x, y), with a
// 3-pixel white marker (alpha 192) at the end of the filled part that stands
// 2 pixels above and below the bar.
void DrawFractionBar(int x, int y, int width, int height, float fraction);

// The bar record, for tests and for callers that place their own text.
struct ListCounterRecord {
  int X, Y, RowStep, Width, Height;
  CFont* Font;
};
const ListCounterRecord& GetListCounter();
