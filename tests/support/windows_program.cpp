#include "support/windows_program.h"

#include <cstdint>

#include "base/byte_order.h"
#include "platform/prefix/utf16.h"

namespace cdsetup::testing {

namespace {

using base::Put16;
using base::Put32;
using base::Put64;

constexpr std::uint32_t kFileAlign = 0x200;
constexpr std::uint32_t kText = 0x1000;  // the one section's address
constexpr std::uint64_t kImageBase = 0x140000000;
// Where things lie in the section.
constexpr std::uint32_t kImports = 0x40;    // descriptor for msvcrt.dll, then a null one
constexpr std::uint32_t kLookup = 0x80;     // import lookup table
constexpr std::uint32_t kAddresses = 0x90;  // import address table
constexpr std::uint32_t kHintName = 0xA0;
constexpr std::uint32_t kDllName = 0xB0;
constexpr std::uint32_t kCommand = 0xC0;

void Rel32(std::string& code, std::uint32_t next_instruction, std::uint32_t target) {
  Put32(code, target - next_instruction);
}

std::string Section() {
  std::string s;
  // sub rsp, 0x28; lea rcx, [command]; call [_wsystem]; xor eax, eax;
  // add rsp, 0x28; ret
  s += std::string("\x48\x83\xEC\x28", 4);
  s += std::string("\x48\x8D\x0D", 3);
  Rel32(s, 0x0B, kCommand);
  s += std::string("\xFF\x15", 2);
  Rel32(s, 0x11, kAddresses);
  s += std::string("\x31\xC0\x48\x83\xC4\x28\xC3", 7);
  s.resize(kImports, '\0');
  Put32(s, kText + kLookup);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, kText + kDllName);
  Put32(s, kText + kAddresses);
  s.append(20, '\0');
  s.resize(kLookup, '\0');
  Put64(s, kText + kHintName);
  Put64(s, 0);
  Put64(s, kText + kHintName);  // the loader puts the address here
  Put64(s, 0);
  Put16(s, 0);
  s += std::string("_wsystem\0", 9);
  s.resize(kDllName, '\0');
  s += std::string("msvcrt.dll\0", 11);
  s.resize(kCommand, '\0');
  base::PutUtf16(s, u"cmd /u /c cd > ran.txt");
  Put16(s, 0);
  s.resize(kFileAlign, '\0');
  return s;
}

}  // namespace

std::string WorkingDirectoryRecorder() {
  std::string pe("MZ", 2);
  pe.resize(0x3C, '\0');
  Put32(pe, 0x40);  // where the PE header starts
  pe += std::string("PE\0\0", 4);
  Put16(pe, 0x8664);  // x86-64
  Put16(pe, 1);       // one section
  Put32(pe, 0);
  Put32(pe, 0);
  Put32(pe, 0);
  Put16(pe, 0xF0);        // optional header size
  Put16(pe, 0x0022);      // executable, large addresses
  Put16(pe, 0x20B);       // PE32+
  Put16(pe, 0x000E);      // linker 14.0
  Put32(pe, kFileAlign);  // code
  Put32(pe, 0);
  Put32(pe, 0);
  Put32(pe, kText);  // entry point
  Put32(pe, kText);  // base of code
  Put64(pe, kImageBase);
  Put32(pe, 0x1000);  // section alignment
  Put32(pe, kFileAlign);
  Put16(pe, 6);  // OS 6.0
  Put16(pe, 0);
  Put32(pe, 0);  // image version
  Put16(pe, 6);  // subsystem 6.0
  Put16(pe, 0);
  Put32(pe, 0);
  Put32(pe, 0x2000);      // image size
  Put32(pe, kFileAlign);  // headers size
  Put32(pe, 0);           // checksum
  Put16(pe, 2);           // Windows GUI
  Put16(pe, 0);
  Put64(pe, 0x100000);  // stack reserve, commit; heap reserve, commit
  Put64(pe, 0x1000);
  Put64(pe, 0x100000);
  Put64(pe, 0x1000);
  Put32(pe, 0);
  Put32(pe, 16);  // data directories
  for (int d = 0; d < 16; ++d) {
    if (d == 1) {  // imports
      Put32(pe, kText + kImports);
      Put32(pe, 40);
    } else if (d == 12) {  // import addresses
      Put32(pe, kText + kAddresses);
      Put32(pe, 16);
    } else {
      Put64(pe, 0);
    }
  }
  pe += std::string(".text\0\0\0", 8);
  Put32(pe, kFileAlign);  // virtual size
  Put32(pe, kText);
  Put32(pe, kFileAlign);  // raw size
  Put32(pe, kFileAlign);  // raw data
  Put32(pe, 0);
  Put32(pe, 0);
  Put32(pe, 0);
  Put32(pe, 0xE0000020);  // code; executable, readable, writable
  pe.resize(kFileAlign, '\0');
  return pe + Section();
}

std::string RecordedDirectory(const std::string& utf8) {
  std::string out;
  base::PutUtf16(out, platform::Utf8ToUtf16(utf8) + u"\r\n");
  return out;
}

}  // namespace cdsetup::testing
