// nephrax: converts one geostationary weather-satellite image file into a picture.
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv, argv + argc);
  // The run state holds the count-to-index table and the settings of every channel: keep it off
  // the stack. Without it nothing can run.
  std::unique_ptr<nephrax::RunState> state;
  try {
    state = std::make_unique<nephrax::RunState>();
  } catch (const std::bad_alloc&) {
    nephrax::PrintMessage(nephrax::msg::kMemoryAllocate);
    return nephrax::kExitBadStart;
  }
  return nephrax::RunConverter(*state, arguments);
}
