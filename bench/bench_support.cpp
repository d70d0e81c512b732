#include "bench_support.h"

#include <fcntl.h>
#include <ogg/ogg.h>
#include <sched.h>
#include <spawn.h>
#include <speex/speex.h>
#include <speex/speex_header.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace cdsetup::bench {

// Music-like content, the same on every run: a chord of six notes with
// overtones and a slow vibrato over a bed of noise, so the codecs work about as
// hard as on the game's music and speech.
std::vector<float> Signal(int rate, int channels, double seconds) {
  const auto frames = static_cast<std::size_t>(rate * seconds);
  std::vector<float> out(frames * static_cast<std::size_t>(channels));
  static const double kNotes[] = {196.0, 246.9, 293.7, 392.0, 493.9, 587.3};
  std::uint32_t noise = 12345;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double vibrato = 1.0 + 0.01 * std::sin(2 * M_PI * 5.0 * t);
    for (int c = 0; c < channels; ++c) {
      double v = 0.0;
      for (int k = 0; k < 6; ++k) {
        const double f = kNotes[k] * vibrato * (c == 0 ? 1.0 : 1.003);
        v += 0.05 * std::sin(2 * M_PI * f * t) + 0.02 * std::sin(2 * M_PI * 2.0 * f * t) +
             0.01 * std::sin(2 * M_PI * 3.0 * f * t);
      }
      noise = noise * 1664525u + 1013904223u;
      v += (static_cast<double>(noise >> 8) / (1u << 24) - 0.5) * 0.08;
      out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
          static_cast<float>(v);
    }
  }
  return out;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

namespace {

// Where a bare loop writes: plain stdio with a buffer as large as the
// converters' own, so that both make the same number of system calls and the
// difference left is the code around the library, not the buffer's size.
class PcmSink {
 public:
  explicit PcmSink(const char* path) {
    if (path == nullptr) return;
    file_ = std::fopen(path, "wb");
    if (file_ == nullptr) std::abort();
    // glibc takes the size only with a buffer given; alone it keeps 4 KiB.
    buffer_ = std::make_unique_for_overwrite<char[]>(kBareWriteBuffer);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBareWriteBuffer);
  }
  ~PcmSink() {
    if (file_ != nullptr && std::fclose(file_) != 0) std::abort();
  }
  PcmSink(const PcmSink&) = delete;
  PcmSink& operator=(const PcmSink&) = delete;
  bool writes() const { return file_ != nullptr; }
  void Write(const void* data, std::size_t bytes) {
    if (std::fwrite(data, 1, bytes, file_) != bytes) std::abort();
  }

 private:
  static constexpr std::size_t kBareWriteBuffer = 64 * 1024;
  std::unique_ptr<char[]> buffer_;  // outlives file_
  std::FILE* file_ = nullptr;
};

}  // namespace

// vorbisfile's own loop: 4096 bytes per ov_read, thrown away or written.
void BareVorbis(const std::string& path, const char* output) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  OggVorbis_File vf;
  if (f == nullptr || ov_open(f, &vf, nullptr, 0) < 0) std::abort();
  PcmSink sink(output);
  char pcm[4096];
  int section = 0;
  for (;;) {
    const long n = ov_read(&vf, pcm, sizeof pcm, 0, 2, 1, &section);
    if (n == 0) break;
    if (n > 0 && sink.writes()) sink.Write(pcm, static_cast<std::size_t>(n));
  }
  ov_clear(&vf);
}

// libogg and libspeex with nothing around them: every frame decoded (with
// enhancement, as the converter does) into a buffer that nobody reads, or,
// to be written, into 16-bit samples by the library's own conversion.
void BareSpeex(const std::string& path, const char* output) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) std::abort();
  ogg_sync_state sync;
  ogg_stream_state stream;
  ogg_sync_init(&sync);
  SpeexBits bits;
  speex_bits_init(&bits);
  PcmSink sink(output);
  void* decoder = nullptr;
  int fpp = 1, frame_size = 0;
  long packets = 0;
  bool stream_ready = false;
  float pcm[2000];
  spx_int16_t samples[2000];
  while (!std::feof(f)) {
    char* buffer = ogg_sync_buffer(&sync, 4096);
    ogg_sync_wrote(&sync, static_cast<long>(std::fread(buffer, 1, 4096, f)));
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) {
      if (!stream_ready) {
        ogg_stream_init(&stream, ogg_page_serialno(&page));
        stream_ready = true;
      }
      ogg_stream_pagein(&stream, &page);
      ogg_packet packet;
      while (ogg_stream_packetout(&stream, &packet) == 1) {
        if (packets++ == 0) {
          SpeexHeader* h = speex_packet_to_header(reinterpret_cast<char*>(packet.packet),
                                                  static_cast<int>(packet.bytes));
          if (h == nullptr) std::abort();
          decoder = speex_decoder_init(speex_mode_list[h->mode]);
          int on = 1;
          speex_decoder_ctl(decoder, SPEEX_SET_ENH, &on);
          fpp = std::max(h->frames_per_packet, 1);
          speex_decoder_ctl(decoder, SPEEX_GET_FRAME_SIZE, &frame_size);
          if (frame_size <= 0 || frame_size > 2000) std::abort();
          speex_header_free(h);
        } else if (packets > 2) {
          speex_bits_read_from(&bits, reinterpret_cast<char*>(packet.packet),
                               static_cast<int>(packet.bytes));
          for (int i = 0; i < fpp; ++i) {
            if (!sink.writes()) {
              if (speex_decode(decoder, &bits, pcm) != 0) break;
              continue;
            }
            if (speex_decode_int(decoder, &bits, samples) != 0) break;
            sink.Write(samples, sizeof samples[0] * static_cast<std::size_t>(frame_size));
          }
        }
      }
    }
  }
  speex_decoder_destroy(decoder);
  speex_bits_destroy(&bits);
  if (stream_ready) ogg_stream_clear(&stream);
  ogg_sync_clear(&sync);
  std::fclose(f);
}

// The time this thread spent on the CPU, in user and kernel mode: on a
// machine shared with builds, time spent waiting for a core is not counted.
double ThreadMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Milliseconds(const std::function<void()>& run) {
  const double start = ThreadMilliseconds();
  run();
  return ThreadMilliseconds() - start;
}

std::string ScratchDir(const char* name) {
  // tmpfs keeps the disk out of the measurement.
  std::string base = "/dev/shm";
  if (::access(base.c_str(), W_OK) != 0) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
  }
  std::string templ = base + "/" + name + "-XXXXXX";
  if (::mkdtemp(templ.data()) == nullptr) std::abort();
  return templ;
}

ProcessRun RunProcess(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // Spawned, not forked: a fork copies the page tables of this large process,
  // a cost of the benchmark that the child's time would carry.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  ProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.status = 127;
    return run;
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  run.cpu_ms = ms(usage.ru_utime) + ms(usage.ru_stime);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

bool PinToOneCore() {
  cpu_set_t allowed;
  if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return false;
  for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu) {
    if (!CPU_ISSET(cpu, &allowed)) continue;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return ::sched_setaffinity(0, sizeof one, &one) == 0;
  }
  return false;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

void InAbbaOrder(bool a_first, const std::function<void()>& a, const std::function<void()>& b) {
  const std::function<void()>& first = a_first ? a : b;
  const std::function<void()>& second = a_first ? b : a;
  first();
  second();
  second();
  first();
}

Spread SpreadOf(const std::vector<double>& v) {
  if (v.empty()) return {};
  return {Median(v), *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end())};
}

}  // namespace cdsetup::bench
