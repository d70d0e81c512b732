// Wine's registry files in memory: a generated file of thousands of keys and
// every value kind read and written back whole, edits that leave the rest of
// the file as it was, and damaged files.
#include "platform/prefix/wine_registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "platform/prefix/utf16.h"

namespace cdsetup::platform {
namespace {

std::u16string U(std::string_view utf8) {
  return Utf8ToUtf16(utf8);
}

RegistryValue Bytes(std::uint32_t type, std::vector<std::uint8_t> data) {
  return RegistryValue{type, std::move(data)};
}

// Hex data written the way Wine breaks it: 25 bytes to a line here, with a
// comma, a backslash and two blanks at each break.
std::string WineHex(const std::vector<std::uint8_t>& data) {
  std::string out;
  char b[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(b, sizeof b, "%02x", data[i]);
    out += b;
    if (i + 1 < data.size()) out += (i % 25 == 24) ? ",\\\n  " : ",";
  }
  return out;
}

// A file of `keys` keys in Wine's own layout, every value kind among them,
// with the values each key is expected to hold.
struct Generated {
  std::string text;
  std::vector<std::pair<std::u16string, std::vector<std::pair<std::u16string, RegistryValue>>>>
      keys;
};

Generated Generate(int keys) {
  Generated g;
  g.text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
  for (int k = 0; k < keys; ++k) {
    std::string n = std::to_string(k);
    std::string path = "Software\\\\Vendor" + std::to_string(k % 40) + "\\\\Product " + n;
    std::u16string upath = U("Software\\Vendor" + std::to_string(k % 40) + "\\Product " + n);
    std::vector<std::pair<std::u16string, RegistryValue>> values;
    g.text += "\n[" + path + "] 1700000" + n + "\n#time=1d9" + n + "abc\n";
    if (k % 7 == 0) g.text += "#class=\"Class " + n + "\"\n";
    if (k % 11 == 0) {
      g.keys.emplace_back(upath, values);  // a key with no values
      continue;
    }
    g.text += "@=\"default " + n + "\"\n";
    values.emplace_back(u"", RegistryValue::String(U("default " + n)));
    g.text += "\"Path\"=\"C:\\\\Gry\\\\Gra " + n + "\\\\\\\"quoted\\\"\"\n";
    values.emplace_back(u"Path", RegistryValue::String(U("C:\\Gry\\Gra " + n + "\\\"quoted\"")));
    g.text += "\"Polski \\x142\"=\"\\x17c\\x00f3\\x142\\x107 \\x15b\\x107\\t" + n + "\"\n";
    values.emplace_back(
        U("Polski \xC5\x82"),
        RegistryValue::String(U("\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xC5\x9B\xC4\x87\t" + n)));
    g.text += "\"Expand\"=str(2):\"%SystemRoot%\\\\system32\"\n";
    values.emplace_back(u"Expand", RegistryValue::String(u"%SystemRoot%\\system32", kRegExpandSz));
    g.text += "\"Multi\"=str(7):\"one\\0two\\0\"\n";
    values.emplace_back(u"Multi",
                        RegistryValue::String(std::u16string(u"one\0two\0", 8), kRegMultiSz));
    char dword[32];
    std::snprintf(dword, sizeof dword, "dword:%08x", static_cast<unsigned>(k * 2654435761u));
    g.text += std::string("\"Count\"=") + dword + "\n";
    std::uint32_t d = static_cast<std::uint32_t>(k * 2654435761u);
    values.emplace_back(
        u"Count",
        Bytes(kRegDword, {static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(d >> 8),
                          static_cast<std::uint8_t>(d >> 16), static_cast<std::uint8_t>(d >> 24)}));
    std::vector<std::uint8_t> blob(static_cast<std::size_t>(k % 90));
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * k);
    g.text += "\"Blob\"=hex:" + WineHex(blob) + "\n";
    values.emplace_back(u"Blob", Bytes(kRegBinary, blob));
    g.text += "\"Qword\"=hex(b):" + WineHex({1, 2, 3, 4, 5, 6, 7, 8}) + "\n";
    values.emplace_back(u"Qword", Bytes(0xb, {1, 2, 3, 4, 5, 6, 7, 8}));
    g.text += "\"Bare\"=hex(7):" + WineHex({'a', 0, 'b'}) + "\n";  // not whole UTF-16
    values.emplace_back(u"Bare", Bytes(kRegMultiSz, {'a', 0, 'b'}));
    g.text += "\"Nothing\"=hex(0):\n";
    values.emplace_back(u"Nothing", Bytes(kRegNone, {}));
    if (k % 13 == 0) {
      g.text += ";; a comment Wine does not write, kept all the same\n";
      g.text += "\"Odd type\"=hex(100000):ff\n";
      values.emplace_back(u"Odd type", Bytes(0x100000, {0xff}));
    }
    g.keys.emplace_back(upath, values);
  }
  return g;
}

TEST(WineRegistry, GeneratedFileRoundTripsWithEveryValueKind) {
  Generated g = Generate(3000);
  RegistryDocument doc = RegistryDocument::Parse(g.text);
  ASSERT_TRUE(doc.Intact().ok()) << doc.Intact().ToString();
  EXPECT_EQ(doc.Serialize(), g.text);
  std::vector<std::u16string> paths = doc.KeyPaths();
  ASSERT_EQ(paths.size(), g.keys.size());
  for (std::size_t k = 0; k < g.keys.size(); ++k) {
    ASSERT_EQ(paths[k], g.keys[k].first);
    ASSERT_EQ(doc.Values(g.keys[k].first), g.keys[k].second) << k;
  }
  // Our own encoding of every value reads back as the same value.
  std::string ours = "WINE REGISTRY Version 2\n[Key]\n";
  for (const auto& [name, value] : g.keys[1].second) ours += EncodeRegistryValueLine(name, value);
  for (const auto& [name, value] : g.keys[89].second) {
    ours += EncodeRegistryValueLine(name + u"2", value);
  }
  RegistryDocument again = RegistryDocument::Parse(ours);
  ASSERT_TRUE(again.Intact().ok()) << ours;
  for (const auto& [name, value] : g.keys[1].second) EXPECT_EQ(again.GetValue(u"key", name), value);
  for (const auto& [name, value] : g.keys[89].second) {
    EXPECT_EQ(again.GetValue(u"KEY", name + u"2"), value);
  }
}

TEST(WineRegistry, EditsLeaveUntouchedKeysAsTheyWere) {
  Generated g = Generate(2000);
  RegistryDocument doc = RegistryDocument::Parse(g.text);
  doc.SetValue(u"software\\VENDOR2\\product 1002", u"path", RegistryValue::String(u"D:\\New"),
               1800000000);
  ASSERT_TRUE(doc.DeleteValue(u"Software\\Vendor38\\Product 78", u"Blob", 1800000000));
  EXPECT_FALSE(doc.DeleteValue(u"Software\\Vendor38\\Product 78", u"Blob", 1800000000));
  EXPECT_FALSE(doc.DeleteValue(u"Software\\Missing", u"Blob", 1800000000));
  doc.SetValue(u"Software\\Torvanel\\Gra_Polski", u"Lang", RegistryValue::String(u"Polski"),
               1800000000);
  std::string out = doc.Serialize();

  // Every untouched key's block comes out byte for byte.
  std::set<std::string> touched = {"Product 1002]", "Product 78]"};
  std::size_t pos = g.text.find("\n[");
  std::size_t checked = 0;
  while (pos != std::string::npos) {
    std::size_t next = g.text.find("\n[", pos + 1);
    std::string block = g.text.substr(pos, next == std::string::npos ? next : next - pos);
    bool is_touched = false;
    for (const std::string& t : touched) is_touched |= block.find(t) != std::string::npos;
    if (!is_touched) {
      ASSERT_NE(out.find(block), std::string::npos) << block;
      ++checked;
    }
    pos = next;
  }
  EXPECT_EQ(checked, 1998u);

  RegistryDocument back = RegistryDocument::Parse(out);
  ASSERT_TRUE(back.Intact().ok());
  for (const auto& [path, values] : g.keys) {
    if (path == u"Software\\Vendor2\\Product 1002" || path == u"Software\\Vendor38\\Product 78") {
      continue;
    }
    ASSERT_EQ(back.Values(path), values);
  }
  // The edited value keeps the case of its name; the key gets a new stamp.
  EXPECT_NE(out.find("[Software\\\\Vendor2\\\\Product 1002] 1800000000\n#time="),
            std::string::npos);
  EXPECT_NE(out.find("\"Path\"=\"D:\\\\New\"\n"), std::string::npos);
  EXPECT_EQ(back.GetValue(u"Software\\Vendor2\\Product 1002", u"Path")->Text(), u"D:\\New");
  EXPECT_FALSE(back.GetValue(u"Software\\Vendor38\\Product 78", u"Blob").has_value());
  EXPECT_TRUE(back.GetValue(u"Software\\Vendor38\\Product 78", u"Qword").has_value());
  EXPECT_EQ(back.GetValue(u"software\\torvanel\\gra_polski", u"LANG")->Text(), u"Polski");
  // A new key goes at the end, with a blank line before it, as Wine writes it.
  char time[32];
  std::snprintf(time, sizeof time, "%llx", (1800000000ull + 11644473600ull) * 10000000ull);
  EXPECT_EQ(out.substr(out.rfind("\n[")), std::string("\n[Software\\\\Torvanel\\\\Gra_Polski] ") +
                                              "1800000000\n#time=" + time +
                                              "\n\"Lang\"=\"Polski\"\n");
}

TEST(WineRegistry, KeysMatchWithoutRegardToCaseAndImplyTheirParents) {
  RegistryDocument doc = RegistryDocument::Parse(
      "WINE REGISTRY Version 2\n"
      "[Software\\\\Wine\\\\Drives] 1\n"
      "\"d:\"=\"cdrom\"\n"
      "\n[Software\\\\\\x15a\\x0142ad] 2\n"
      "\"\"=\"empty name is the default\"\n"
      "\n[Software\\\\Wine\\\\Drives] 3\n"
      "\"D:\"=\"hd\"\n");
  ASSERT_TRUE(doc.Intact().ok());
  for (const char16_t* key : {u"software", u"SOFTWARE\\wine", u"Software\\Wine\\Drives",
                              u"software\\\u015b\u0141AD", u""}) {
    EXPECT_TRUE(doc.HasKey(key)) << Utf16ToUtf8(key);
  }
  EXPECT_FALSE(doc.HasKey(u"Softwar"));
  EXPECT_FALSE(doc.HasKey(u"Software\\Wine\\Drives\\X"));
  // A key named twice reads as Wine loads it: the later value wins.
  EXPECT_EQ(doc.GetValue(u"software\\wine\\drives", u"d:")->Text(), u"hd");
  EXPECT_EQ(doc.GetValue(u"Software\\\u015a\u0142ad", u"")->Text(), u"empty name is the default");
  doc.SetValue(u"Software\\Wine\\Drives", u"d:", RegistryValue::String(u"cdrom"), 4);
  EXPECT_EQ(doc.GetValue(u"Software\\Wine\\Drives", u"D:")->Text(), u"cdrom");
  std::string out = doc.Serialize();
  EXPECT_NE(out.find("[Software\\\\Wine\\\\Drives] 1\n\"d:\"=\"cdrom\"\n"), std::string::npos);
  EXPECT_NE(out.find("[Software\\\\Wine\\\\Drives] 4\n#time="), std::string::npos);
  EXPECT_NE(out.find("\"D:\"=\"cdrom\"\n"), std::string::npos);

  doc.CreateKey(u"Software\\Torvanel\\Gra", 5);
  EXPECT_TRUE(doc.HasKey(u"software\\torvanel"));
  doc.CreateKey(u"Software\\Torvanel", 6);  // implied already: no block of its own
  EXPECT_EQ(doc.KeyPaths().size(), 4u);
  EXPECT_EQ(RegistryDocument::Parse(doc.Serialize()).KeyPaths().back(), u"Software\\Torvanel\\Gra");
  EXPECT_TRUE(doc.Values(u"Software\\Torvanel\\Gra").empty());
}

TEST(WineRegistry, DamagedFilesReadWhatTheyCanAndAreNotIntact) {
  const std::string good =
      "WINE REGISTRY Version 2\n"
      ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
      "\n#arch=win64\n"
      "\n[A] 1\n\"one\"=\"1\"\n\"blob\"=hex:01,02,\\\n  03,04\n\"two\"=dword:00000002\n"
      "\n[B] 2\n\"three\"=\"3\"\n";
  ASSERT_TRUE(RegistryDocument::Parse(good).Intact().ok());
  EXPECT_EQ(RegistryDocument::Parse(good).GetValue(u"a", u"blob")->data,
            (std::vector<std::uint8_t>{1, 2, 3, 4}));

  struct Case {
    const char* what;
    std::string text;
    std::size_t first_bad_line;
    std::vector<std::pair<const char16_t*, const char16_t*>> readable;  // key, value name
    std::vector<std::pair<const char16_t*, const char16_t*>> missing;
  };
  std::string one_byte = good;
  one_byte[good.find("\"two\"=") + 5] = '~';
  const Case cases[] = {
      {"cut in a hex list",
       good.substr(0, good.find("  03")),
       8,
       {{u"A", u"one"}},
       {{u"A", u"blob"}}},
      {"cut in a string",
       good.substr(0, good.size() - 3),
       13,
       {{u"A", u"two"}},
       {{u"B", u"three"}}},
      {"a garbled line",
       good.substr(0, good.find("\"two\"")) + "garbage\n" + good.substr(good.find("\"two\"")),
       10,
       {{u"A", u"two"}, {u"B", u"three"}},
       {}},
      {"one damaged byte", one_byte, 10, {{u"A", u"one"}, {u"B", u"three"}}, {{u"A", u"two"}}},
      {"a key header without its end",
       good.substr(0, good.find("[B] 2")) + "[B\\\\x 2" + good.substr(good.find("[B] 2") + 5),
       12,
       {{u"A", u"one"}},
       {{u"B", u"three"}, {u"A", u"three"}}},
      {"a value before any key", "WINE REGISTRY Version 2\n\"x\"=\"y\"\n", 2, {}, {}},
      {"a hex list with a foreign byte",
       good.substr(0, good.find("03,04")) + "03,0g\n" + good.substr(good.find("03,04") + 6),
       8,
       {{u"A", u"two"}},
       {{u"A", u"blob"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryDocument doc = RegistryDocument::Parse(c.text);
    base::Status intact = doc.Intact();
    EXPECT_TRUE(intact.IsCorrupt());
    EXPECT_NE(intact.message().find("at line " + std::to_string(c.first_bad_line)),
              std::string::npos)
        << intact.message();
    for (auto [key, name] : c.readable) EXPECT_TRUE(doc.GetValue(key, name).has_value());
    for (auto [key, name] : c.missing) EXPECT_FALSE(doc.GetValue(key, name).has_value());
    // What could not be read is still there to be written back.
    std::string back = doc.Serialize();
    EXPECT_EQ(back.substr(0, c.text.size()), c.text);
  }

  for (std::string text : {std::string(), std::string("REGEDIT4\n[A]\n\"x\"=\"1\"\n"),
                           std::string("WINE REGISTRY Version 1\n")}) {
    RegistryDocument doc = RegistryDocument::Parse(text);
    EXPECT_TRUE(doc.Intact().IsCorrupt());
    EXPECT_FALSE(doc.HasKey(u"A"));
    EXPECT_EQ(doc.Serialize(), text);
  }
}

TEST(WineRegistry, LineEndsOfHandEditedFilesAreKept) {
  std::string crlf =
      "WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n\"x\"=\"1\"\r\n\"h\"=hex:01,\\\r\n  02";
  RegistryDocument doc = RegistryDocument::Parse(crlf);
  ASSERT_TRUE(doc.Intact().ok());
  EXPECT_EQ(doc.Serialize(), crlf);
  EXPECT_EQ(doc.GetValue(u"A", u"h")->data, (std::vector<std::uint8_t>{1, 2}));
  doc.SetValue(u"A", u"y", RegistryValue::String(u"2"), 9);
  std::string out = doc.Serialize();
  EXPECT_NE(out.find("\"x\"=\"1\"\r\n\"h\"=hex:01,\\\r\n  02\n\"y\"=\"2\"\n"), std::string::npos)
      << out;
}

}  // namespace
}  // namespace cdsetup::platform
