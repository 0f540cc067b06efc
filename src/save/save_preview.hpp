#pragma once

// The preview types are part of the library's public interface and live with it.
#include "vantrix/save_preview.hpp"
