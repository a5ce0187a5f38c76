// The sky's device tests draw through the same started render object as the
// renderer's device tests; its set-up is shared from there.
#include "render/render_fixture.cpp"
