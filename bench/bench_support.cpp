#include "bench_support.h"

#include <ogg/ogg.h>
#include <sched.h>
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

// vorbisfile's own loop: 4096 bytes per ov_read, thrown away.
void BareVorbis(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  OggVorbis_File vf;
  if (f == nullptr || ov_open(f, &vf, nullptr, 0) < 0) std::abort();
  char pcm[4096];
  int section = 0;
  while (ov_read(&vf, pcm, sizeof pcm, 0, 2, 1, &section) != 0) {
  }
  ov_clear(&vf);
}

// libogg and libspeex with nothing around them: every frame decoded (with
// enhancement, as the converter does) into a buffer that nobody reads.
void BareSpeex(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) std::abort();
  ogg_sync_state sync;
  ogg_stream_state stream;
  ogg_sync_init(&sync);
  SpeexBits bits;
  speex_bits_init(&bits);
  void* decoder = nullptr;
  int fpp = 1;
  long packets = 0;
  bool stream_ready = false;
  float pcm[2000];
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
          speex_header_free(h);
        } else if (packets > 2) {
          speex_bits_read_from(&bits, reinterpret_cast<char*>(packet.packet),
                               static_cast<int>(packet.bytes));
          for (int i = 0; i < fpp && speex_decode(decoder, &bits, pcm) == 0; ++i) {
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
  std::fflush(nullptr);  // the child must not write this process's buffers again
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  ProcessRun run;
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

}  // namespace cdsetup::bench
