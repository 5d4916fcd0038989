// The host callback: the handle and callback address of the latest MODLL
// call, kept module-wide, and the services the module asks of the host.
//
// Every service first tests that a callback is installed; without one it
// does not call and answers as stated per function.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zel/zel.h"

namespace zel::host {

// Module-wide, overwritten by every MODLL call; only the thread inside
// MODLL uses them. Cell requests come millions at a time, so the calls
// below are inline.
extern uint32_t g_handle;
extern ZelHostCallback g_callback;

// Stored on every MODLL call before anything else.
void Bind(uint32_t handle, ZelHostCallback callback);
inline uint32_t Handle() { return g_handle; }
inline bool Available() { return g_callback != nullptr; }

// One callback request with another first argument (the row request uses a
// worksheet handle in place of the host handle); 0 without a callback.
inline int32_t CallOn(uint32_t handle, int32_t code, intptr_t arg, intptr_t out) {
    return g_callback != nullptr ? g_callback(handle, code, arg, out) : 0;
}
// One callback request with the host handle (0 without a callback).
inline int32_t Call(int32_t code, intptr_t arg, intptr_t out) { return CallOn(g_handle, code, arg, out); }

template <class A, class B>
int32_t Call(int32_t code, A* arg, B* out) {
    return Call(code, reinterpret_cast<intptr_t>(arg), reinterpret_cast<intptr_t>(out));
}

// One line of output (0x1000).
void PrintLine(const char* text);
inline void PrintLine(const std::string& text) { PrintLine(text.c_str()); }

// The host's text for a number (0x103A, format "*"); empty without callback.
std::string NumberToText(double value);

// The number the host reads in a text (0x101C); 0 when it reads none or
// there is no callback.
double TextToNumber(const char* text);

// String variables A..Z (a letter in either case). SetStringVariable answers
// true when stored (also without callback, where it has no effect); false
// for a letter outside A..Z or a refusal by the host.
bool SetStringVariable(char letter, const std::string& text);
// Fills buffer (ZEL_TEXT_BUFFER bytes) with the variable's text; outside
// A..Z or without callback the buffer is left as it is.
void GetStringVariable(char letter, char* buffer);

// The host's verdict on a separator text (0x100E): -1 = refused.
int32_t CheckSeparator(const char* text);

// Asks the host to update its windows (0x300C).
void UpdateWindows();

// Whether the host serves the block request (0x7A40): true only for its
// exact answer, the magic and the version this module speaks, with result
// 0. A transfer asks once, before its first cell, and keeps the answer.
bool ServesBlocks();

}  // namespace zel::host
