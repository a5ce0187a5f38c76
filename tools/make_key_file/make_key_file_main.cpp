// make_key_file: checks the hand-written "default.key" and writes it where the
// program reads it.  Usage: make_key_file <source> <output>...
//
// The source is read with the game's own binding reader into a fresh row; any
// line the reader ignores (an unknown action or key, a bad slot or index, an
// over-long line, an empty line before the end) fails the build, naming the
// line.  Each output is written with the game's own writer, then read back and
// compared with the row, so the file the program ships is one it reads whole.
#include <cstdio>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"

namespace {

bool SameRow(const CControlMapper& a, const CControlMapper& b) {
  for (int slot = 0; slot < kBindingSlots; ++slot)
    for (int action = 0; action < kInputActionCount; ++action)
      if (a.GetBinding(0, slot, action) != b.GetBinding(0, slot, action)) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_key_file <source> <output>...\n");
    return 2;
  }
  CControlMapper source;
  source.Init(1, kBindingSlots, kInputActionCount);
  BindingFileReport report;
  if (!source.LoadBindings(argv[1], 0, &report)) {
    std::fprintf(stderr, "make_key_file: cannot read %s\n", argv[1]);
    return 1;
  }
  bool ok = true;
  for (int line : report.ignoredLines) {
    std::fprintf(stderr, "%s:%d: the binding reader ignores this line\n", argv[1], line);
    ok = false;
  }
  if (report.stoppedAtEmptyLine) {
    std::fprintf(stderr, "%s:%d: an empty line ends the reading here\n", argv[1], report.linesRead + 1);
    ok = false;
  }
  if (report.linesApplied == 0) {
    std::fprintf(stderr, "%s: no binding\n", argv[1]);
    ok = false;
  }
  if (!ok) return 1;
  for (int i = 2; i < argc; ++i) {
    CControlMapper back;
    back.Init(1, kBindingSlots, kInputActionCount);
    if (!source.SaveBindings(argv[i], 0) || !back.LoadBindings(argv[i], 0) || !SameRow(source, back)) {
      std::fprintf(stderr, "make_key_file: %s was not written whole\n", argv[i]);
      return 1;
    }
  }
  std::printf("make_key_file: %d bindings from %s\n", report.linesApplied, argv[1]);
  return 0;
}
