// The physics library's messages: information, warnings, fatal errors and
// debug text, each with a replaceable formatter and output function, plus
// the library's version text and a path helper.
#pragma once

#include <cstdarg>

// Receives one piece of finished text.
using MeOutputFn = void (*)(int level, const char* text);
// Formats one message and sends it to its output function.
using MeFormatterFn = void (*)(int level, const char* format, va_list args);
// Ends the program after a fatal error; receives the exit code.  Tests
// install one that throws so that the fatal path can be checked.
using MeFatalExitFn = void (*)(int code);

// Info, warning and debug messages appear when level <= their threshold (0).
// Each default formatter makes two output calls: the prefix
// ("MeInfo{%d}: " ...), then the text, both cut to 5000 characters.
void MeInfo(int level, const char* format, ...);
void MeWarning(int level, const char* format, ...);
void MeDebug(int level, const char* format, ...);
// Prints "MeFatalError\n" to standard output, then the default formatter
// sends the prefix and the text (also echoed to standard output) and ends the
// program with code 1 through the fatal exit function.  Does not return
// unless a test's exit function returns.
void MeFatalError(int level, const char* format, ...);

// Each setter installs a function and answers the previous one.
MeOutputFn MeSetInfoOutput(MeOutputFn fn);
MeOutputFn MeSetWarningOutput(MeOutputFn fn);
MeOutputFn MeSetFatalErrorOutput(MeOutputFn fn);
MeOutputFn MeSetDebugOutput(MeOutputFn fn);
MeFormatterFn MeSetInfoFormatter(MeFormatterFn fn);
MeFormatterFn MeSetWarningFormatter(MeFormatterFn fn);
MeFormatterFn MeSetFatalErrorFormatter(MeFormatterFn fn);
MeFormatterFn MeSetDebugFormatter(MeFormatterFn fn);
MeFatalExitFn MeSetFatalExit(MeFatalExitFn fn);

// Stock output functions: standard error (the default for info and
// warnings), standard output, and nothing (the default for debug).
void MeOutputToStderr(int level, const char* text);
void MeOutputToStdout(int level, const char* text);
void MeOutputNull(int level, const char* text);
// The stock fatal output: the message box of the physics toolkit, shown on
// standard error (the game may install its own box).
void MeOutputFatalBox(int level, const char* text);

// Verbosity thresholds (0 at start).
void MeSetInfoLevel(int level);
void MeSetWarningLevel(int level);
void MeSetDebugLevel(int level);

// The part of `path` after its last backslash, or the whole path.
const char* MePathBaseName(const char* path);

// The library's version text, "1.0.2 (build 622)".
const char* MeVersionString();
