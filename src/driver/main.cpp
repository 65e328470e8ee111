// nephrax: converts one geostationary weather-satellite image file into a picture.
#include <memory>
#include <string_view>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv, argv + argc);
  // The run state is large (settings of every channel, the source image): keep it off the stack.
  const auto state = std::make_unique<nephrax::RunState>();
  return nephrax::RunConverter(*state, arguments);
}
