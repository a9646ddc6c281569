// Reading a command's argument triples: an argument the caller left out, or did not pass at all,
// has type code 0; a text argument may be null, which is the empty text.
#pragma once
#include "runtime/Value.h"

namespace cmdargs {

// The argument at `index`, or an omitted one when the caller passed fewer.
inline const rt::ArgTriple& At(const rt::ArgTriple* args, int32_t argCount, int32_t index) {
  static const rt::ArgTriple kOmitted{0, 0, rt::kTypeNone};
  return (index < argCount && args) ? args[index] : kOmitted;
}
inline bool Given(const rt::ArgTriple* args, int32_t argCount, int32_t index) {
  return At(args, argCount, index).Given();
}
// A text argument; the empty text for null, an omitted argument or a value that is no text.
inline const char* Text(const rt::ArgTriple& arg) {
  if (arg.type != rt::kTypeText || arg.lo == 0) return "";
  return arg.Text();
}
inline bool IsTrue(const rt::ArgTriple& arg) { return arg.Given() && arg.lo != 0; }

}  // namespace cmdargs
