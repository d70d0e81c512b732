#include "copy/conversion_queue.h"

#include <algorithm>
#include <chrono>

namespace cdsetup::copy {

ConversionQueue::ConversionQueue(SoundConverter& converter, int workers, int capacity)
    : converter_(converter), capacity_(static_cast<std::size_t>(std::max(capacity, 1))) {
  for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

ConversionQueue::~ConversionQueue() {
  Stop();
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : workers_) t.join();
}

bool ConversionQueue::full() const {
  std::lock_guard lock(mutex_);
  return slots_.size() >= capacity_;
}

void ConversionQueue::Submit(Job job) {
  std::unique_lock lock(mutex_);
  Slot& slot = slots_.emplace_back();
  slot.job = std::move(job);
  if (stop_) {
    slot.status = base::Status::Cancelled("the copy was stopped");
    slot.state = Slot::State::kDone;
  } else if (workers_.empty()) {
    slot.state = Slot::State::kRunning;
    lock.unlock();
    Run(slot);
    return;
  }
  lock.unlock();
  changed_.notify_all();
}

void ConversionQueue::Run(Slot& slot) {
  // The converter writes only its own output: no lock is held meanwhile.
  base::Status status = converter_.Convert(slot.job.kind, slot.job.input, slot.job.output, stop_);
  {
    std::lock_guard lock(mutex_);
    slot.status = std::move(status);
    slot.state = Slot::State::kDone;
  }
  changed_.notify_all();
}

void ConversionQueue::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    auto next = std::find_if(slots_.begin(), slots_.end(),
                             [](const Slot& s) { return s.state == Slot::State::kWaiting; });
    if (next == slots_.end()) {
      if (closing_) return;
      changed_.wait(lock);
      continue;
    }
    next->state = Slot::State::kRunning;
    Slot& slot = *next;
    lock.unlock();
    Run(slot);
    lock.lock();
  }
}

std::vector<ConversionQueue::Finished> ConversionQueue::TakeFinished(int wait_ms) {
  std::unique_lock lock(mutex_);
  auto head_done = [this] { return slots_.empty() || slots_.front().state == Slot::State::kDone; };
  if (wait_ms < 0) {
    changed_.wait(lock, head_done);
  } else if (wait_ms > 0) {
    changed_.wait_for(lock, std::chrono::milliseconds(wait_ms), head_done);
  }
  std::vector<Finished> finished;
  while (!slots_.empty() && slots_.front().state == Slot::State::kDone) {
    finished.push_back({std::move(slots_.front().job), std::move(slots_.front().status)});
    slots_.pop_front();
  }
  lock.unlock();
  if (!finished.empty()) changed_.notify_all();  // room for the next job
  return finished;
}

bool ConversionQueue::empty() const {
  std::lock_guard lock(mutex_);
  return slots_.empty();
}

void ConversionQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    for (Slot& s : slots_) {
      if (s.state == Slot::State::kWaiting) {
        s.status = base::Status::Cancelled("the copy was stopped");
        s.state = Slot::State::kDone;
      }
    }
  }
  changed_.notify_all();
}

}  // namespace cdsetup::copy
