#pragma once

// convertSaveFile and its result are part of the library's public interface.
#include "vantrix/vantrix.hpp"
