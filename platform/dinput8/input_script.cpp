#include "platform/dinput8/input_script.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dinput8/virtual_controller.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/win_stdio.h"

namespace {

struct KindName {
  const char* name;
  InputScriptKind kind;
};
constexpr KindName kKinds[] = {
    {"keydown", InputScriptKind::KeyDown},     {"keyup", InputScriptKind::KeyUp},
    {"text", InputScriptKind::Text},           {"mousemove", InputScriptKind::MouseMove},
    {"mousedown", InputScriptKind::MouseDown}, {"mouseup", InputScriptKind::MouseUp},
    {"wheel", InputScriptKind::Wheel},         {"focus", InputScriptKind::Focus},
    {"padattach", InputScriptKind::PadAttach}, {"paddetach", InputScriptKind::PadDetach},
    {"padaxis", InputScriptKind::PadAxis},     {"padbutton", InputScriptKind::PadButton},
};
constexpr const char* kAxes[6] = {"X", "Y", "Z", "Rz", "LT", "RT"};

// A cursor over one line.
struct Line {
  const char* p;
  const char* end;
  void SkipBlanks() {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
  }
  std::string Word() {
    SkipBlanks();
    const char* start = p;
    while (p < end && *p != ' ' && *p != '\t') ++p;
    return std::string(start, p);
  }
  std::string Rest() {
    SkipBlanks();
    const char* e = end;
    while (e > p && (e[-1] == ' ' || e[-1] == '\t')) --e;
    return std::string(p, e);
  }
  bool AtEnd() {
    SkipBlanks();
    return p == end;
  }
};

// A whole decimal integer within [low, high].
bool Integer(const std::string& word, long low, long high, int* out) {
  if (word.empty() || word.size() > 10) return false;
  char* stop = nullptr;
  const long v = std::strtol(word.c_str(), &stop, 10);
  if (*stop != 0 || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

bool Number(const std::string& word, float* out) {
  if (word.empty() || word.size() > 32) return false;
  char* stop = nullptr;
  const float v = std::strtof(word.c_str(), &stop);
  if (*stop != 0 || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ParseLine(Line line, InputScriptEvent* e, std::string* why) {
  int frame = 0;
  if (!Integer(line.Word(), 0, 0x7FFFFFFF, &frame)) return *why = "a frame number", false;
  e->frame = static_cast<std::uint32_t>(frame);
  const std::string kind = line.Word();
  bool known = false;
  for (const KindName& k : kKinds)
    if (kind == k.name) {
      e->kind = k.kind;
      known = true;
    }
  if (!known) return *why = "an event kind", false;
  switch (e->kind) {
    case InputScriptKind::KeyDown:
    case InputScriptKind::KeyUp:
      e->text = line.Rest();
      if (e->text.empty()) return *why = "a key name", false;
      return true;
    case InputScriptKind::Text:
      e->text = line.Rest();
      if (e->text.empty()) return *why = "a text", false;
      return true;
    case InputScriptKind::MouseMove:
      for (int i = 0; i < 4; ++i)
        if (!Integer(line.Word(), -100000, 100000, &e->values[i])) return *why = "x, y, dx and dy", false;
      break;
    case InputScriptKind::MouseDown:
    case InputScriptKind::MouseUp:
      if (!Integer(line.Word(), 0, 2, &e->values[0])) return *why = "a mouse button 0..2", false;
      break;
    case InputScriptKind::Wheel:
      if (!Integer(line.Word(), -100, 100, &e->values[0])) return *why = "notches -100..100", false;
      break;
    case InputScriptKind::Focus: {
      const std::string w = line.Word();
      if (w != "gained" && w != "lost") return *why = "gained or lost", false;
      e->values[0] = w == "gained";
      break;
    }
    case InputScriptKind::PadAttach:
    case InputScriptKind::PadDetach:
      if (!Integer(line.Word(), 0, kInputScriptPads - 1, &e->values[0])) return *why = "a pad 0..7", false;
      break;
    case InputScriptKind::PadAxis: {
      if (!Integer(line.Word(), 0, kInputScriptPads - 1, &e->values[0])) return *why = "a pad 0..7", false;
      const std::string axis = line.Word();
      e->values[1] = -1;
      for (int a = 0; a < 6; ++a)
        if (axis == kAxes[a]) e->values[1] = a;
      if (e->values[1] < 0) return *why = "an axis X, Y, Z, Rz, LT or RT", false;
      if (!Number(line.Word(), &e->value) || e->value < -1.0f || e->value > 1.0f)
        return *why = "a value -1..1", false;
      break;
    }
    case InputScriptKind::PadButton:
      if (!Integer(line.Word(), 0, kInputScriptPads - 1, &e->values[0]) ||
          !Integer(line.Word(), 0, 15, &e->values[1]) || !Integer(line.Word(), 0, 1, &e->values[2]))
        return *why = "a pad 0..7, a button 0..15 and 0 or 1", false;
      break;
  }
  if (!line.AtEnd()) return *why = "the end of the line", false;
  return true;
}

}  // namespace

bool ParseInputScript(const char* text, std::size_t size, std::vector<InputScriptEvent>* events,
                      std::string* error) {
  std::vector<InputScriptEvent> parsed;
  std::uint32_t lastFrame = 0;
  std::size_t at = 0;
  int number = 0;
  while (text && at < size) {
    const char* start = text + at;
    const void* lf = std::memchr(start, '\n', size - at);
    const char* end = lf ? static_cast<const char*>(lf) : text + size;
    at = static_cast<std::size_t>(end - text) + (lf ? 1 : 0);
    ++number;
    const char* e = end;
    if (e > start && e[-1] == '\r') --e;
    auto fail = [&](const std::string& why) {
      if (error) *error = "input script line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (static_cast<std::size_t>(e - start) > kInputScriptLineLimit) return fail("the line is too long");
    if (std::memchr(start, 0, static_cast<std::size_t>(e - start))) return fail("a NUL byte");
    Line line{start, e};
    line.SkipBlanks();
    if (line.p == e || *line.p == '#') continue;
    InputScriptEvent event;
    std::string why;
    if (!ParseLine(line, &event, &why)) return fail("expected " + why);
    if (event.frame < lastFrame) return fail("the frame goes back");
    lastFrame = event.frame;
    parsed.push_back(std::move(event));
  }
  if (events) *events = std::move(parsed);
  return true;
}

InputScriptPlayer::~InputScriptPlayer() {
  for (int& pad : pads_)
    if (pad) DetachVirtualController(pad), pad = 0;
}

bool InputScriptPlayer::Load(const char* path, std::string* error) {
  std::FILE* f = path ? WinFopen(path, "rb") : nullptr;
  if (!f) {
    if (error) *error = std::string("cannot open the input script ") + (path ? path : "(none)");
    return false;
  }
  std::string bytes;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() < (16u << 20)) bytes.append(chunk, n);
  std::fclose(f);
  std::vector<InputScriptEvent> events;
  if (!ParseInputScript(bytes.data(), bytes.size(), &events, error)) return false;
  SetEvents(std::move(events));
  return true;
}

void InputScriptPlayer::SetEvents(std::vector<InputScriptEvent> events) {
  events_ = std::move(events);
  next_ = 0;
}

int InputScriptPlayer::PlayUpTo(std::uint32_t frame, HWND window) {
  int failed = 0;
  for (; next_ < events_.size() && events_[next_].frame <= frame; ++next_) {
    const InputScriptEvent& e = events_[next_];
    bool ok = false;
    int& pad = pads_[e.values[0] & 7];
    switch (e.kind) {
      case InputScriptKind::KeyDown: ok = Win32InjectKey(window, e.text.c_str(), true); break;
      case InputScriptKind::KeyUp: ok = Win32InjectKey(window, e.text.c_str(), false); break;
      case InputScriptKind::Text: ok = Win32InjectText(window, e.text.c_str()); break;
      case InputScriptKind::MouseMove:
        ok = Win32InjectMouseMotion(window, e.values[0], e.values[1], e.values[2], e.values[3]);
        break;
      case InputScriptKind::MouseDown: ok = Win32InjectMouseButton(window, e.values[0], true); break;
      case InputScriptKind::MouseUp: ok = Win32InjectMouseButton(window, e.values[0], false); break;
      case InputScriptKind::Wheel: ok = Win32InjectMouseWheel(window, e.values[0]); break;
      case InputScriptKind::Focus: ok = Win32InjectFocus(window, e.values[0] != 0); break;
      case InputScriptKind::PadAttach:
        if (!pad) pad = AttachVirtualController("Script pad");
        ok = pad != 0;
        break;
      case InputScriptKind::PadDetach:
        ok = pad && DetachVirtualController(pad);
        pad = 0;
        break;
      case InputScriptKind::PadAxis:
        ok = pad && SetVirtualControllerAxis(pad, static_cast<VirtualAxis>(e.values[1]), e.value);
        break;
      case InputScriptKind::PadButton: ok = pad && SetVirtualControllerButton(pad, e.values[1], e.values[2] != 0); break;
    }
    if (!ok) {
      ++failed;
      std::fprintf(stderr, "input script: frame %u: event %zu could not be delivered\n", e.frame, next_ + 1);
    }
  }
  return failed;
}
