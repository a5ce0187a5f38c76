// The world tests that draw (sky, shrubs, screen and world text) use the same
// started render object as the renderer's device tests; its set-up is
// shared from there.
#include "render/render_fixture.cpp"
