// What the benchmarks share: a music-like signal to encode, the bare decode
// loops of the codecs that our converters are held to, CPU time of the
// calling thread, and a scratch directory on tmpfs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cdsetup::bench {

/// A chord with overtones and vibrato over noise, the same on every run, so
/// the codecs work about as hard as on the game's music and speech.
std::vector<float> Signal(int rate, int channels, double seconds);

bool WriteFile(const std::string& path, const std::string& bytes);

/// vorbisfile's own loop: 4096 bytes per ov_read, thrown away, or written to
/// `output` (created) through a stdio buffer as large as the converters'.
void BareVorbis(const std::string& path, const char* output = nullptr);
/// libogg and libspeex with nothing around them: every frame decoded (with
/// enhancement, as the converter does) into a buffer that nobody reads; with
/// `output`, into 16-bit samples by speex_decode_int, written as above.
/// Mono streams only: the stereo side information is not applied.
void BareSpeex(const std::string& path, const char* output = nullptr);

/// CPU time of this thread; time spent waiting for a core is not counted.
double ThreadMilliseconds();
/// The CPU time `run` takes on this thread.
double Milliseconds(const std::function<void()>& run);

/// The middle value (the upper of the two middle ones for an even count).
double Median(std::vector<double> v);
/// Runs each side twice, A B B A, or B A A B when `a_first` is false: a drift
/// of the machine then weighs on both sides alike, and the faster run of each
/// is free of a pause that only one of them met.
void InAbbaOrder(bool a_first, const std::function<void()>& a, const std::function<void()>& b);

/// The median of `v` with its lowest and highest values; zeros when empty.
struct Spread {
  double median = 0, low = 0, high = 0;
};
Spread SpreadOf(const std::vector<double>& v);

/// A finished process: wall time, CPU time (user and kernel) and exit status.
struct ProcessRun {
  double seconds = 0;
  double cpu_ms = 0;
  int status = -1;  // -1 when it did not exit by itself
};
/// Runs `argv` (a program found on PATH and its arguments) to its end with
/// its standard output and error discarded.
ProcessRun RunProcess(const std::vector<std::string>& argv);

/// Keeps this process (and what it starts) on one core, the last it may use,
/// so that runs do not move between cores. False when that is not allowed.
bool PinToOneCore();

/// A new directory named after `name`, on /dev/shm when it can be written
/// (the disk stays out of the measurement), else in TMPDIR or /tmp.
std::string ScratchDir(const char* name);

}  // namespace cdsetup::bench
