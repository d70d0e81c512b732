// The check on media whose script has one fault each: file lists, counts,
// paths, languages, texts, shortcuts, programs and keys nothing reads. Every
// case names the problems it must get, whole, on their lines.
#include <gtest/gtest.h>

#include "check/check_fixture.h"

namespace cdsetup::check {
namespace {

struct Edit {
  std::string from, to;
};
struct Expected {
  std::string line_of;  // text of the line the problem stands on; "" for none
  std::string text;
};
struct Case {
  const char* name;
  std::vector<Edit> edits;
  std::vector<Expected> problems;
};

class ScriptFaults : public CheckFixture {
 protected:
  void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      ASSERT_TRUE(demo::BuildDemoMedium(medium(), demo::DemoOptions{2, 0.2}).ok());
      for (const Edit& e : c.edits) EditScript(e.from, e.to);
      std::vector<std::string> expected;
      for (const Expected& p : c.problems) {
        expected.push_back((p.line_of.empty() ? "install.ini:" : At(p.line_of) + ":") + " " +
                           p.text);
      }
      EXPECT_EQ(Problems(), expected);
    }
  }
};

TEST_F(ScriptFaults, TheDemoMediumIsClean) {
  Report report = Check();
  EXPECT_TRUE(report.clean()) << report.Lines()[0];
  ASSERT_EQ(report.notes().size(), 4u);
  EXPECT_EQ(report.notes()[0].rfind("min: 3 files of 20174 bytes and 7 WAV files of ", 0), 0u)
      << report.notes()[0];
  EXPECT_EQ(report.notes()[3].rfind("sounds: 2 archives become 9 WAV files of ", 0), 0u)
      << report.notes()[3];
}

TEST_F(ScriptFaults, ListEntriesThatNameNoFileOrClimbOut) {
  const std::string stops = ": the copy would stop there";
  RunCases({
      {"no such file",
       {{"2=Dane\\Poziomy\\poziom1.dat", "2=Dane\\Poziomy\\brak.dat"}},
       {{"2=Dane\\Poziomy\\brak.dat",
         "[min] 2=Dane\\Poziomy\\brak.dat: no such file on the medium" + stops}}},
      {"a folder",
       {{"2=Dane\\Poziomy\\poziom1.dat", "2=dane\\POZIOMY"}},
       {{"2=dane\\POZIOMY", "[min] 2=dane\\POZIOMY: a folder, not a file" + stops}}},
      {"empty",
       {{"2=Dane\\Poziomy\\poziom1.dat", "2="}},
       {{"\n2=\r", "[min] 2 is empty: it names no file" + stops}}},
      {"out of the target",
       {{"2=Dane\\Poziomy\\poziom1.dat", "2=Dane\\..\\..\\poziom1.dat"}},
       {{"2=Dane\\..",
         "[min] 2=Dane\\..\\..\\poziom1.dat: list entry Dane\\..\\..\\poziom1.dat: "
         "unsafe entry name .." +
             stops}}},
      {"from the root",
       {{"1=odinstaluj.exe", "1=\\odinstaluj.exe"}},
       {{"1=\\odinstaluj.exe",
         "[min] 1=\\odinstaluj.exe: a list entry from the root: \\odinstaluj.exe" + stops}}},
      {"longer than a value holds",
       {{"1=odinstaluj.exe", "1=" + std::string(300, 'x')}},
       {{"1=xxx", "[min] 1=" + std::string(259, 'x') +
                      "...: longer than the 259 characters a value holds: the name is cut" +
                      stops}}},
  });
}

TEST_F(ScriptFaults, TargetPathsLongerThanTheirBuffers) {
  // 232 characters: the 28 of Dodatki\Zestaw00\plik000.dat no longer fit in
  // 259, the 25 of Dane\Grafika\tekstury.dat still do.
  const std::string dir = "C:\\" + std::string(229, 'g');
  const std::string why = ": below " + dir + " its path is 261 characters: a path holds 259";
  RunCases({
      {"the path",
       {{"IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo", "IDS_DOMYSLNY_KATALOG=" + dir}},
       {{"8=Dodatki\\Zestaw00\\plik000.dat", "[max] 8=Dodatki\\Zestaw00\\plik000.dat" + why},
        {"9=Dodatki\\Zestaw00\\plik001.dat", "[max] 9=Dodatki\\Zestaw00\\plik001.dat" + why}}},
      {"a relative target folder",
       {{"IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo", "IDS_DOMYSLNY_KATALOG=Games\\Demo"}},
       {{"IDS_DOMYSLNY_KATALOG=Games",
         "[English] IDS_DOMYSLNY_KATALOG=Games\\Demo: not a full path: the folder would be "
         "made on the CD"}}},
      {"a target folder too long to be made",
       {{"IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo",
         "IDS_DOMYSLNY_KATALOG=C:\\" + std::string(253, 'g')}},
       {{"IDS_DOMYSLNY_KATALOG=C:\\ggg", "[English] IDS_DOMYSLNY_KATALOG=C:\\" +
                                             std::string(253, 'g') +
                                             ": 256 characters: a folder path holds 255"}}},
      {"a target folder an English system cannot spell",
       {{"IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo", "IDS_DOMYSLNY_KATALOG=C:\\Gry\\Żółw"}},
       {{"IDS_DOMYSLNY_KATALOG=C:\\Gry\\Ż",
         "[English] IDS_DOMYSLNY_KATALOG=C:\\Gry\\Żółw: the name \"C:\\Gry\\Żółw\" holds the "
         "letter \"Ż\", which code page 1252 cannot hold in a file name: a system of this "
         "language refuses the folder"}}},
  });
}

TEST_F(ScriptFaults, CountsThatDisagreeWithTheirKeys) {
  const std::string unread = " does not count it: it is never read";
  RunCases({
      {"a list entry missing",
       {{"[std]\r\nfiles=8", "[std]\r\nfiles=9"}},
       {{"files=9", "[std] 8 is missing, though files=9 counts it: the copy would stop there"}}},
      {"a list entry beyond the count",
       {{"3=Dane\\Mowa.snd\r\n[std]", "3=Dane\\Mowa.snd\r\n4=czytaj.txt\r\n[std]"}},
       {{"4=czytaj.txt", "[min] 4=czytaj.txt: files=4" + unread}}},
      {"a count that is no number",
       {{"files=4", "files=f4"}},
       {{"files=f4", "[min] files=f4 is not a number: it reads as 0"},
        {"\n0=demo.exe", "[min] 0=demo.exe: files=f4" + unread},
        {"1=odinstaluj.exe", "[min] 1=odinstaluj.exe: files=f4" + unread},
        {"2=Dane\\Poziomy\\poziom1.dat", "[min] 2=Dane\\Poziomy\\poziom1.dat: files=f4" + unread},
        {"3=Dane\\Mowa.snd", "[min] 3=Dane\\Mowa.snd: files=f4" + unread}}},
      {"shortcuts missing",
       {{"Shortcuts=3", "Shortcuts=4"}},
       {{"Shortcuts=4",
         "[Polski] Description3 is missing, though Shortcuts=4 counts it: it reads as empty"},
        {"Shortcuts=4",
         "[Polski] File3 is missing, though Shortcuts=4 counts it: it reads as empty"}}},
      {"an extra program beyond the count",
       {{"OTHERFILES=2", "OTHERFILES=1"}},
       {{"Message1=Zainstalowa",
         "[Polski] Message1=Zainstalowa\xE6 sterowniki d\x9Fwi\xEAku?: "
         "OTHERFILES=1" +
             unread},
        {"Exe1=extras", "[Polski] Exe1=extras\\sterowniki.sh: OTHERFILES=1" + unread}}},
      {"a language beyond Nr",
       {{"Nr=2", "Nr=1"}},
       {{"1=English", "[Language] 1=English: Nr=1" + unread}}},
  });
}

TEST_F(ScriptFaults, MoreShortcutsThanTheTableHolds) {
  EditScript("Shortcuts=3", "Shortcuts=12");
  const std::vector<std::string> problems = Problems();
  ASSERT_EQ(problems.size(), 15u);  // the cut, and seven of each family missing
  EXPECT_EQ(problems[0], At("Shortcuts=12") +
                             ": [Polski] Shortcuts=12: at most 10 are taken, 2 "
                             "left out");
}

TEST_F(ScriptFaults, LanguagesAndTheirTexts) {
  RunCases({
      {"a listed language without its section",
       {{"1=English", "1=Deutsch"}},
       {{"1=Deutsch", "there is no section [Deutsch]: every text of Deutsch would be empty"}}},
      {"a language id no system reports",
       {{"0409=English", "0999=English"}},
       {{"0999=English", "[Language] 0999=English: no such language id: no system reports it"}}},
      {"a text missing",
       {{"IDS_DALEJ=Next >>\r\n", ""}},
       {{"[English]", "[English] has no IDS_DALEJ: the install and next buttons would be empty"}}},
      {"a text empty",
       {{"IDS_WYJSCIE=Exit", "IDS_WYJSCIE="}},
       {{"IDS_WYJSCIE=\r",
         "[English] IDS_WYJSCIE is empty: the main dialog's exit button would be empty"}}},
      {"a text too long",
       {{"IDS_KONIEC_INST=Setup is complete.", "IDS_KONIEC_INST=" + std::string(300, 'k')}},
       {{"IDS_KONIEC_INST=kkk",
         "[English] IDS_KONIEC_INST: 300 characters: a value holds 259, the rest is cut"}}},
      {"a byte code page 1250 leaves undefined",
       {{"IDS_WYJSCIE=Wyj\x9C", "IDS_WYJSCIE=Wyj\x98"}},
       {{"IDS_WYJSCIE=Wyj",
         "[Polski] IDS_WYJSCIE: byte 0x98 at column 4 is no character of code page 1250"}}},
      {"a Polish letter in the English section",
       {{"IDS_WYJSCIE=Exit", "IDS_WYJSCIE=\x8Fxit"}},
       {{"IDS_WYJSCIE=\x8F",
         "[English] IDS_WYJSCIE: byte 0x8F at column 1 is no character of code page 1252"}}},
      {"the licence page's texts are needed only when it is shown",
       {{"show_licence=true", "show_licence=no"}, {"IDS_LICENCJA=Licence agreement\r\n", ""}},
       {}},
  });
}

TEST_F(ScriptFaults, TextsWiderThanTheirControls) {
  // Realistic longer Polish texts, each cut on a page as it stood; the
  // demo's own fit (the clean demo above), "Dysk" to the last pixel.
  const std::string clipped = ": it will be clipped";
  RunCases(
      {{"clipped",
        {{"IDS_AKCEPT_UMOWE=Akceptuj\xEA umow\xEA",
          "IDS_AKCEPT_UMOWE=Akceptuj\xEA warunki umowy licencyjnej"},
         {"IDS_WERSJA_MAX=Wersja pe\xB3na", "IDS_WERSJA_MAX=Wersja pe\xB3na (z dodatkami)"},
         {"IDS_DYSK=Dysk",
          "IDS_DYSK=Nap\xEA"
          "d"},
         {"IDS_KOPIOWANIE_PLIKOW=Kopiowanie plik\xF3w",
          "IDS_KOPIOWANIE_PLIKOW=Kopiowanie plik\xF3w gry Demo \xAF\xF3\xB3w \x8Cwiat\xB3\x61 na "
          "dysk twardy"}},
        {{"IDS_AKCEPT_UMOWE=",
          "[Polski] IDS_AKCEPT_UMOWE=Akceptuj\xEA warunki umowy licencyjnej: 180 pixels "
          "wide, but the licence page's accept button shows 105" +
              clipped},
         {"IDS_WERSJA_MAX=",
          "[Polski] IDS_WERSJA_MAX=Wersja pe\xB3na (z dodatkami): 133 "
          "pixels wide, but the full install choice shows 119" +
              clipped},
         {"IDS_DYSK=Nap",
          "[Polski] IDS_DYSK=Nap\xEA"
          "d: 32 pixels wide, but the target "
          "page's drive label shows 26" +
              clipped},
         {"IDS_KOPIOWANIE_PLIKOW=Kopiowanie plik\xF3w gry",
          "[Polski] IDS_KOPIOWANIE_PLIKOW=Kopiowanie plik\xF3w gry Demo \xAF\xF3\xB3w "
          "\x8Cwiat\xB3\x61 na dysk twardy: 308 pixels wide, but the copy page's caption "
          "shows 268" +
              clipped}}}});
}

TEST_F(ScriptFaults, ACodePageGivenForEveryText) {
  EditScript("IDS_WYJSCIE=Exit", "IDS_WYJSCIE=\x8Fxit");
  EXPECT_EQ(Problems().size(), 1u);
  EXPECT_TRUE(Problems({1250, ""}).empty());
}

TEST_F(ScriptFaults, ShortcutsAndTheUninstaller) {
  const std::string nowhere = ": no install type installs it: the shortcut would point nowhere";
  RunCases({
      {"a shortcut to a file no type installs",
       {{"File1=czytaj.txt", "File1=brak.txt"}},
       {{"File1=brak.txt", "[Polski] File1=brak.txt" + nowhere}}},
      {"a shortcut to a sound, which the archive installs",
       {{"File1=czytaj.txt", "File1=Muzyka\\TEMAT.wav"}},
       {}},
      {"a shortcut to a file only max installs, with no install type page",
       {{"show_install_mode=true", "show_install_mode=false"},
        {"File1=czytaj.txt", "File1=Dodatki\\Zestaw00\\plik000.dat"}},
       {{"File1=Dodatki",
         "[Polski] File1=Dodatki\\Zestaw00\\plik000.dat: the std install (the "
         "only one offered) does not install it: the shortcut would point "
         "nowhere"}}},
      {"a link name a file system refuses",
       {{"Description0=Demo.lnk", "Description0=De/mo.lnk"}},
       {{"Description0=De/mo",
         "[Polski] Description0=De/mo.lnk: a name cannot hold '/': the shortcut cannot be made"}}},
      {"a link name without .lnk",
       {{"Description0=Demo.lnk", "Description0=Demo"}},
       {{"Description0=Demo\r",
         "[Polski] Description0=Demo: no .lnk ending: the file made is no shortcut"}}},
      {"a Start-menu folder a file system refuses",
       {{"IDS_COMPANY_NAME=Torvanel", "IDS_COMPANY_NAME=Tor*vanel"}},
       {{"IDS_COMPANY_NAME=Tor*",
         "[Polski] IDS_COMPANY_NAME=Tor*vanel: a name cannot hold '*': "
         "the Start-menu folder cannot be made"}}},
      {"an uninstaller no type installs",
       {{"DEINSTALLEXE_NAME=odinstaluj.exe", "DEINSTALLEXE_NAME=brak.exe"}},
       {{"DEINSTALLEXE_NAME",
         "[Option] DEINSTALLEXE_NAME=brak.exe: no install type installs "
         "it: the uninstall entry would point nowhere"}}},
  });
}

TEST_F(ScriptFaults, ProgramsTheClosingStepsStart) {
  RunCases({
      {"an extra program missing",
       {{"Exe0=extras\\edytor.sh", "Exe0=extras\\brak.sh"}},
       {{"Exe0=extras\\brak.sh",
         "[Polski] Exe0=extras\\brak.sh: no such program on the medium: Yes would start "
         "nothing"}}},
      {"a DirectX installer that is no full path",
       {{"IDS_DXINSTALL_PATH=X:\\DirectX\\dxsetup.exe", "IDS_DXINSTALL_PATH=DirectX\\dxsetup.exe"}},
       {{"IDS_DXINSTALL_PATH=DirectX",
         "[Polski] IDS_DXINSTALL_PATH=DirectX\\dxsetup.exe: not a full path, whose drive letter "
         "would become the CD's"}}},
  });
}

TEST_F(ScriptFaults, WhatNothingReads) {
  RunCases({
      {"a misspelt switch",
       {{"show_licence=true", "show_licence=true\r\nshow_license=true"}},
       {{"show_license", "[Option] show_license is never read"}}},
      {"a repeated key",
       {{"files=4\r\n", "files=4\r\nfiles=2\r\n"}},
       {{"files=2", "[min] files again: only the one on line " + std::to_string(LineOf("files=4")) +
                        " is read"}}},
      {"a repeated section",
       {{"[Language]", "[Option]\r\nshow_licence=false\r\n[Language]"}},
       {{"[Option]\r\nshow_licence=false", "[Option] again: only the one on line 1 is read"}}},
      {"a section nothing names",
       {{"[min]", "[Deutsch]\r\nIDS_DALEJ=Weiter\r\n[min]"}},
       {{"[Deutsch]", "[Deutsch] is never read: no setting, list or language of that name"}}},
  });
}

}  // namespace
}  // namespace cdsetup::check
