// Any bytes as the project's state file: a clear error, or a state that is
// written back exactly as it was read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kvo/state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Result<ProjectState> state = stateParse(text, "state");
  if (!state.ok()) {
    if (state.status.message.empty()) std::abort();
    return 0;
  }
  std::string written = stateWrite(state.value);
  Result<ProjectState> again = stateParse(written, "state");
  if (!again.ok() || stateWrite(again.value) != written) std::abort();
  return 0;
}
