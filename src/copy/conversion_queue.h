// Runs the conversions of archive entries on worker threads while the copy
// goes on with the next steps. At most `capacity` entries are in flight;
// finished jobs are handed back in the order they were given, so that the
// copy reports a failure as the steps happened. With no workers each job
// runs at once, in Submit, as the steps did one after another.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/result.h"
#include "copy/sound_converter.h"

namespace cdsetup::copy {

class ConversionQueue {
 public:
  struct Job {
    std::uint32_t kind = 0;
    std::string input;         // host path of the compressed entry
    std::string output;        // host path of the WAV the converter writes
    std::string temp_path;     // the compressed entry's Windows path, for the copy to delete
    std::string temp_output;   // Windows path of `output`, renamed once converted
    std::string final_output;  // the WAV's own Windows path
    std::string error_text;    // what the page shows when this entry fails
  };
  struct Finished {
    Job job;
    base::Status status;
  };

  /// `workers` threads (0: none); `capacity` is at least 1.
  ConversionQueue(SoundConverter& converter, int workers, int capacity);
  /// Stops what runs, waits for it, and drops what is left.
  ~ConversionQueue();
  ConversionQueue(const ConversionQueue&) = delete;
  ConversionQueue& operator=(const ConversionQueue&) = delete;

  /// No room for another job until the oldest are handed back.
  bool full() const;
  /// Queues `job`; the caller has made room. Without workers it runs here.
  void Submit(Job job);
  /// Waits up to `wait_ms` for the oldest job to finish, then hands back
  /// every job at the head that has finished.
  std::vector<Finished> TakeFinished(int wait_ms = 0);
  /// Jobs given and not yet handed back.
  bool empty() const;

  /// Asks every conversion to stop soon; jobs not begun end Cancelled at
  /// once. Afterwards TakeFinished(-1) (waiting without limit) hands them back.
  void Stop();

 private:
  struct Slot {
    Job job;
    base::Status status;
    enum class State { kWaiting, kRunning, kDone } state = State::kWaiting;
  };

  void Work();
  void Run(Slot& slot);

  SoundConverter& converter_;
  const std::size_t capacity_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Slot> slots_;  // in order of submission; deque keeps references
  bool closing_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace cdsetup::copy
