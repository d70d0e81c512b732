// The audio converters, except that the entry named `held` waits until it is
// let go: a long conversion, during which the window must go on answering.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "copy/sound_converter.h"

namespace cdsetup::testing {

class HeldConverter : public copy::SoundConverter {
 public:
  HeldConverter(copy::SoundConverter& real, std::string held)
      : real_(real), held_(std::move(held)) {}
  base::Status Convert(std::uint32_t kind, const std::string& input, const std::string& output,
                       const std::atomic<bool>& stop) override {
    if (output.ends_with(held_)) {
      while (!released && !stop) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return real_.Convert(kind, input, output, stop);
  }
  std::atomic<bool> released{false};

 private:
  copy::SoundConverter& real_;
  std::string held_;
};

}  // namespace cdsetup::testing
