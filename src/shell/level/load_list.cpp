#include "shell/level/load_list.h"

#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "foundation/system/message_box.h"
#include "shell/level/anim_slots.h"
#include "shell/level/load_environment.h"
#include "shell/program/game_objects.h"

namespace {

// The lists being read, outermost first (INCLUDE's cycle check).
std::vector<std::string>& Open() {
  static std::vector<std::string> open;
  return open;
}

// A cursor over a list's text.
struct Words {
  const char* p;
  const char* end;

  void SkipSpace() {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\0')) ++p;
  }
  // The next word; false at the end of the text.
  bool Next(std::string* word) {
    SkipSpace();
    if (p >= end) return false;
    const char* start = p;
    while (p < end && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '\0') ++p;
    word->assign(start, static_cast<std::size_t>(p - start));
    return true;
  }
  void SkipLine() {
    while (p < end && *p != '\r' && *p != '\n') ++p;
  }
};

enum Step { kGoOn, kStop, kFail };

class Reader {
 public:
  Reader(LoadListContext* context, const char* name, const std::string& text)
      : context_(context), name_(name), words_{text.data(), text.data() + text.size()} {}

  // Answers 1 at END with no error, 0 otherwise.
  int Run() {
    std::string word;
    for (;;) {
      if (!words_.Next(&word)) return 0;  // a list without END fails
      if (!Fits(word, kLoadListWordMax, "word")) return 0;
      const Step step = Keyword(word);
      if (step == kFail) {
        if (context_ != nullptr) context_->Error = 1;
        return 0;
      }
      if (step == kStop) return context_ == nullptr || context_->Error == 0 ? 1 : 0;
    }
  }

 private:
  bool Fits(const std::string& word, int limit, const char* what) {
    if (static_cast<int>(word.size()) <= limit) return true;
    ErrorBox("Load list \"%s\": the %s \"%.40s...\" is longer than %d characters", name_, what, word.c_str(), limit);
    return false;
  }
  // An argument word within its limit; false (with a message) when it is
  // missing or too long.
  bool Argument(std::string* word, int limit, const char* what) {
    if (!words_.Next(word)) {
      ErrorBox("Load list \"%s\": the %s is missing at the end of the list", name_, what);
      return false;
    }
    return Fits(*word, limit, what);
  }

  Step Keyword(const std::string& word) {
    std::string a, b;
    if (word == "BEGIN") return kGoOn;
    if (word == "//") {
      words_.SkipLine();
      return kGoOn;
    }
    if (word == "SOUND") {
      for (int i = 0; i < 5; ++i)
        if (!Argument(&a, kLoadListWordMax, "sound value")) return kFail;
      return kGoOn;
    }
    if (word == "ENVIRONMENT") {
      if (!Argument(&a, kLoadListFileMax, "environment file name")) return kFail;
      return LoadEnvironment(a.c_str()) ? kGoOn : kFail;
    }
    if (word == "ANIM") {
      if (!Argument(&a, kLoadListAnimMax, "animation slot name") ||
          !Argument(&b, kLoadListAnimMax, "animation file name"))
        return kFail;
      return AnimSlotLoad(a.c_str(), b.c_str()) ? kGoOn : kFail;
    }
    if (word == "INCLUDE") {
      if (!Argument(&a, kLoadListFileMax, "included list name")) return kFail;
      return ReadLoadList(context_, a.c_str()) ? kGoOn : kFail;
    }
    if (word == "END") return kStop;
    return kGoOn;  // not a keyword: skipped
  }

  LoadListContext* context_;
  const char* name_;
  Words words_;
};

}  // namespace

namespace {

// The cycle and depth checks of a list about to be read; false with a message.
bool MayOpen(const char* fileName) {
  std::vector<std::string>& open = Open();
  for (const std::string& name : open)
    if (strcasecmp(name.c_str(), fileName) == 0) {
      ErrorBox("Load list \"%s\" includes itself", fileName);
      return false;
    }
  if (static_cast<int>(open.size()) >= kLoadListIncludeDepth) {
    ErrorBox("Load list \"%s\": lists are included more than %d deep", fileName, kLoadListIncludeDepth);
    return false;
  }
  return true;
}

int Run(LoadListContext* context, const char* fileName, const std::string& text) {
  std::vector<std::string>& open = Open();
  if (context != nullptr && open.empty()) context->Error = 0;
  open.push_back(fileName);
  const int result = Reader(context, fileName, text).Run();
  open.pop_back();
  return result;
}

}  // namespace

int ReadLoadListText(LoadListContext* context, const char* fileName, const char* text, unsigned long size) {
  if (fileName == nullptr || text == nullptr || !MayOpen(fileName)) return 0;
  return Run(context, fileName, std::string(text, size));
}

int ReadLoadList(LoadListContext* context, const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0' || !MayOpen(fileName)) return 0;
  char* data = nullptr;
  std::uint32_t size = 0;
  if (!FileExists(fileName) || !LoadFile(fileName, &data, &size, nullptr, 0)) {
    ErrorBox("For some reason I can't open file \"%s\"", fileName);
    return 0;
  }
  const std::string text(data, size);
  FreeLoadedFile(data);
  return Run(context, fileName, text);
}
