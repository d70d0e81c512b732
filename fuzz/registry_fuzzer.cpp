// Feeds arbitrary bytes to the registry file reader: parsing must stay inside
// the text, an untouched document must write back exactly what it read, and
// an edit of an intact one must read back as written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/prefix/wine_registry.h"

using cdsetup::platform::RegistryDocument;
using cdsetup::platform::RegistryValue;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  RegistryDocument doc = RegistryDocument::Parse(text);
  if (doc.Serialize() != text) __builtin_trap();
  for (const std::u16string& path : doc.KeyPaths()) {
    if (!doc.HasKey(path)) __builtin_trap();
    for (const auto& [name, value] : doc.Values(path)) {
      if (doc.GetValue(path, name) != value) __builtin_trap();
      (void)value.Text();
    }
  }
  if (!doc.Intact().ok()) return 0;
  RegistryValue v = RegistryValue::String(u"C:\\Gry\\\u0141\u00f3d\u017a \"x\"\n");
  doc.SetValue(u"Software\\Torvanel\\Gra", u"ProgramPath", v, 1700000000);
  doc.DeleteValue(u"Software\\Wine\\Drives", u"d:", 1700000000);
  RegistryDocument again = RegistryDocument::Parse(doc.Serialize());
  if (!again.Intact().ok()) __builtin_trap();
  if (again.GetValue(u"software\\torvanel\\gra", u"programpath") != v) __builtin_trap();
  if (again.GetValue(u"Software\\Wine\\Drives", u"d:")) __builtin_trap();
  return 0;
}
