#include "driver/run.hpp"

namespace vantrix {

int run(const std::vector<std::string>&) { return exitSuccess; }

}  // namespace vantrix
