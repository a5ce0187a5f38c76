// Test helper: records every piece of text the physics library's message
// functions send, and turns fatal errors into a C++ exception so that the
// fatal path can be checked without ending the test program.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "physics/util/me_message.h"

struct MeFatalErrorThrown : std::runtime_error {
  MeFatalErrorThrown() : std::runtime_error("MeFatalError") {}
};

class MessageRecorder {
 public:
  MessageRecorder() {
    active() = this;
    oldInfo_ = MeSetInfoOutput(&MessageRecorder::Info);
    oldWarning_ = MeSetWarningOutput(&MessageRecorder::Warning);
    oldFatal_ = MeSetFatalErrorOutput(&MessageRecorder::Fatal);
    oldDebug_ = MeSetDebugOutput(&MessageRecorder::Debug);
    oldExit_ = MeSetFatalExit(&MessageRecorder::Exit);
  }
  ~MessageRecorder() {
    MeSetInfoOutput(oldInfo_);
    MeSetWarningOutput(oldWarning_);
    MeSetFatalErrorOutput(oldFatal_);
    MeSetDebugOutput(oldDebug_);
    MeSetFatalExit(oldExit_);
    MeSetInfoLevel(0);
    MeSetWarningLevel(0);
    MeSetDebugLevel(0);
    active() = nullptr;
  }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  std::vector<std::string> info, warnings, fatals, debug;
  std::vector<int> exitCodes;

  // The pieces of one kind joined together.
  static std::string Joined(const std::vector<std::string>& pieces) {
    std::string all;
    for (const auto& p : pieces) all += p;
    return all;
  }

 private:
  static MessageRecorder*& active() {
    static MessageRecorder* r = nullptr;
    return r;
  }
  static void Info(int, const char* t) { active()->info.emplace_back(t); }
  static void Warning(int, const char* t) { active()->warnings.emplace_back(t); }
  static void Fatal(int, const char* t) { active()->fatals.emplace_back(t); }
  static void Debug(int, const char* t) { active()->debug.emplace_back(t); }
  static void Exit(int code) {
    active()->exitCodes.push_back(code);
    throw MeFatalErrorThrown();
  }

  MeOutputFn oldInfo_, oldWarning_, oldFatal_, oldDebug_;
  MeFatalExitFn oldExit_;
};
