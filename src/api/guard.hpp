#pragma once

#include <new>
#include <stdexcept>

namespace vantrix {

// Runs `work` and gives its result, or `nothing` when memory ran out on the way (a vector or
// string that could not grow). This is the one place the library catches what C++ throws:
// every public entry point goes through it, so nothing thrown reaches a caller.
template <class Result, class Work>
Result guarded(Result nothing, Work&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return nothing;
}

}  // namespace vantrix
