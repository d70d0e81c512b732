#include "demo_medium/demo_medium.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bmpkit/bmp_writer.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "sndpack/sound_archive_writer.h"

namespace cdsetup::demo {
namespace fs = std::filesystem;
using base::Status;

namespace {

base::Status Write(const fs::path& path, const std::string& bytes, bool executable = false) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::FILE* f = std::fopen(path.string().c_str(), "wb");
  if (!f) return base::Status::FromErrno(errno, "create " + path.string());
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) return base::Status::IoError("write " + path.string());
  if (executable) {
    fs::permissions(path,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    ec);
  }
  return base::Status::Ok();
}

// A 350 x 250 picture: a dusk sky over dark hills, with a sun.
std::string Background() {
  const int w = 350, h = 250;
  const int row = (w * 3 + 3) / 4 * 4;
  bmpkit::BmpFile bmp;
  bmp.width = w;
  bmp.height = h;
  for (int y = h - 1; y >= 0; --y) {  // bottom-up rows
    std::string line;
    for (int x = 0; x < w; ++x) {
      const double hill = 190 + 20 * std::sin(x / 40.0) + 10 * std::sin(x / 13.0);
      const double dx = x - 250, dy = y - 120;
      int r, g, b;
      if (y > hill) {
        r = 20, g = 40 + (y - 190) / 2, b = 30;
      } else if (dx * dx + dy * dy < 900) {
        r = 250, g = 200, b = 80;
      } else {
        r = 40 + y * 3 / 4, g = 30 + y / 3, b = 120 - y / 4;
      }
      line.push_back(static_cast<char>(b));
      line.push_back(static_cast<char>(g));
      line.push_back(static_cast<char>(r));
    }
    line.resize(static_cast<std::size_t>(row), '\0');
    bmp.pixels += line;
  }
  return bmpkit::WriteBmp(bmp);
}

// A little tune: notes of `seconds` in all, at `rate`.
std::vector<float> Tune(int rate, double seconds, int channels, double shift) {
  const double notes[] = {392, 440, 494, 523, 587, 523, 494, 440};
  const std::size_t per_note = static_cast<std::size_t>(rate * seconds / 8);
  std::vector<float> out;
  for (double f : notes) {
    std::vector<float> part =
        channels == 2 ? encoderkit::StereoSineTone(f * shift, f * shift * 1.5, 0.4, rate, per_note)
                      : encoderkit::SineTone(f * shift, 0.4, rate, per_note);
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

std::string Script(bool polish) {
  // Polish texts are in code page 1250, as the script's own code page.
  if (polish) {
    return "[Polski]\r\n"
           "IDS_NAZWA_GRY=Demo\r\n"
           "IDS_NAZWA_GRY2=Demo \xAF\xF3\xB3w \x8Cwiat\xB3"
           "a - instalacja\r\n"
           "IDS_DALEJ=Dalej >>\r\nIDS_WYJSCIE=Wyj\x9C"
           "cie\r\nIDS_POWROT=<< Powr\xF3t\r\nIDS_NIE=Nie\r\n"
           "IDS_LICENCJA=Umowa licencyjna\r\nIDS_AKCEPT_UMOWE=Akceptuj\xEA umow\xEA\r\n"
           "IDS_LICENCE_FILE_NAME=licencja.txt\r\n"
           "IDS_RODZAJ_INST=Rodzaj instalacji\r\nIDS_WYBIERZ_INST=Wybierz rodzaj instalacji:\r\n"
           "IDS_WERSJA_MIN=Wersja minimalna\r\nIDS_WERSJA_STD=Wersja standardowa\r\n"
           "IDS_WERSJA_MAX=Wersja pe\xB3na\r\n"
           "IDS_DYSK=Dysk\r\nIDS_KATALOG_NAME=Katalog\r\n"
           "IDS_KOPIOWANIE_PLIKOW=Kopiowanie plik\xF3w\r\nIDS_PRZERWIJ=Przerwij\r\n"
           "IDS_KOPIUJE_TERAZ_PLIK=Kopiuj\xEA plik\r\nIDS_E_WRITEOFILE=B\xB3\xB9"
           "d zapisu pliku\r\n"
           "IDS_E_COPYING_FILES=B\xB3\xB9"
           "d kopiowania\r\n"
           "IDS_E_DIR_DOESNOT_EXIST=Katalog nie istnieje. Utworzy\xE6 go?\r\n"
           "IDS_E_CREATING_DIR=Nie mo\xBFna utworzy\xE6 katalogu.\r\n"
           "IDS_E_CREATING_SHORTCUT=Nie mo\xBFna utworzy\xE6 skr\xF3t\xF3w.\r\n"
           "IDS_KONIEC_INST=Instalacja zako\xF1"
           "czona.\r\n"
           "IDS_INST_DX=Zainstalowa\xE6 DirectX?\r\n"
           "IDS_DXINSTALL_PATH=X:\\DirectX\\dxsetup.exe\r\n"
           "IDS_COMPANY_NAME=Torvanel\r\nIDS_PROGRAM_NAME=Demo \xAF\xF3\xB3w\r\n"
           "IDS_DOMYSLNY_KATALOG=C:\\Gry\\Demo\r\n"
           "Bitmap=tlo.bmp\r\n"
           "Shortcuts=3\r\n"
           "Description0=Demo.lnk\r\nFile0=demo.exe\r\nWork0=\r\n"
           "Description1=Czytaj mnie.lnk\r\nFile1=czytaj.txt\r\nWork1=\r\n"
           "Description2=Odinstaluj.lnk\r\nFile2=odinstaluj.exe\r\nWork2=\r\n"
           "OTHERFILES=2\r\n"
           "Message0=Zainstalowa\xE6 edytor poziom\xF3w?\r\nExe0=extras\\edytor.sh\r\n"
           "Message1=Zainstalowa\xE6 sterowniki d\x9Fwi\xEAku?\r\nExe1=extras\\sterowniki.sh\r\n";
  }
  return "[English]\r\n"
         "IDS_NAZWA_GRY=Demo\r\nIDS_NAZWA_GRY2=Demo of the Lights - setup\r\n"
         "IDS_DALEJ=Next >>\r\nIDS_WYJSCIE=Exit\r\nIDS_POWROT=<< Back\r\nIDS_NIE=No\r\n"
         "IDS_LICENCJA=Licence agreement\r\nIDS_AKCEPT_UMOWE=I accept\r\n"
         "IDS_LICENCE_FILE_NAME=licence.txt\r\n"
         "IDS_RODZAJ_INST=Install type\r\nIDS_WYBIERZ_INST=Choose the install type:\r\n"
         "IDS_WERSJA_MIN=Minimal\r\nIDS_WERSJA_STD=Standard\r\nIDS_WERSJA_MAX=Full\r\n"
         "IDS_DYSK=Drive\r\nIDS_KATALOG_NAME=Folder\r\n"
         "IDS_KOPIOWANIE_PLIKOW=Copying files\r\nIDS_PRZERWIJ=Abort\r\n"
         "IDS_KOPIUJE_TERAZ_PLIK=Copying\r\nIDS_E_WRITEOFILE=Cannot write\r\n"
         "IDS_E_COPYING_FILES=Copy failed\r\n"
         "IDS_E_DIR_DOESNOT_EXIST=The folder does not exist. Create it?\r\n"
         "IDS_E_CREATING_DIR=The folder cannot be created.\r\n"
         "IDS_E_CREATING_SHORTCUT=The shortcuts cannot be created.\r\n"
         "IDS_KONIEC_INST=Setup is complete.\r\nIDS_INST_DX=Install DirectX?\r\n"
         "IDS_DXINSTALL_PATH=X:\\DirectX\\dxsetup.exe\r\n"
         "IDS_COMPANY_NAME=Torvanel\r\nIDS_PROGRAM_NAME=Demo of the Lights\r\n"
         "IDS_DOMYSLNY_KATALOG=C:\\Games\\Demo\r\n"
         "Bitmap=tlo.bmp\r\n"
         "Shortcuts=3\r\n"
         "Description0=Demo.lnk\r\nFile0=demo.exe\r\nWork0=\r\n"
         "Description1=Read me.lnk\r\nFile1=czytaj.txt\r\nWork1=\r\n"
         "Description2=Uninstall.lnk\r\nFile2=odinstaluj.exe\r\nWork2=\r\n"
         "OTHERFILES=2\r\n"
         "Message0=Install the level editor?\r\nExe0=extras\\edytor.sh\r\n"
         "Message1=Install the sound drivers?\r\nExe1=extras\\sterowniki.sh\r\n";
}

std::string List(const std::vector<std::string>& files) {
  std::string s = "files=" + std::to_string(files.size()) + "\r\n";
  for (std::size_t i = 0; i < files.size(); ++i) s += std::to_string(i) + "=" + files[i] + "\r\n";
  return s;
}

// A program that notes it ran, for the tests and the demo's report.
std::string RecordingScript(const std::string& name) {
  return "#!/bin/sh\necho \"" + name +
         " $*\" >> \"${CDSETUP_DEMO_RECORD:-/tmp/cdsetup-demo-ran.txt}\"\n";
}

}  // namespace

base::Status BuildDemoMedium(const std::string& dir_text, const DemoOptions& options,
                             const std::vector<MediumFile>& more_max_files) {
  const fs::path dir(dir_text);
  std::vector<std::pair<std::string, std::string>> files;  // relative path, bytes

  files.emplace_back("demo.exe", RecordingScript("demo.exe"));
  files.emplace_back("odinstaluj.exe", RecordingScript("odinstaluj.exe"));
  files.emplace_back("czytaj.txt",
                     "Demo \xAF\xF3\xB3w \x8Cwiat\xB3"
                     "a\r\nGra demonstracyjna.\r\n");
  files.emplace_back("Dane/Poziomy/poziom1.dat", std::string(20000, 'a'));
  files.emplace_back("Dane/Poziomy/poziom2.dat", std::string(30000, 'b'));
  files.emplace_back("Dane/Grafika/tekstury.dat", std::string(100000, 'c'));
  for (int i = 0; i < options.extra_files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "Dodatki/Zestaw%02d/plik%03d.dat", i / 50, i);
    files.emplace_back(
        name, std::string(static_cast<std::size_t>(512 + i), static_cast<char>('A' + i % 26)));
  }
  files.emplace_back("licencja.txt",
                     "UMOWA LICENCYJNA\r\n\r\nTo jest gra demonstracyjna. Mo\xBF"
                     "esz j\xB9 "
                     "instalowa\xE6 i u\xBFywa\xE6 bez ogranicze\xF1.\r\n\xA3\xF3"
                     "d\x9F, \x8Cwit, "
                     "\xAF\xF3\xB3w.\r\n");
  files.emplace_back("licence.txt",
                     "LICENCE AGREEMENT\r\n\r\nThis is a demo game. You may install and use it "
                     "freely.\r\n");
  files.emplace_back("tlo.bmp", Background());
  // What Windows does with the disc when it is put in: start the setup
  // program that lies beside the script, with its icon and the disc's name.
  files.emplace_back("autorun.inf",
                     "[autorun]\r\nopen=cdsetup.exe\r\nicon=cdsetup.exe,0\r\n"
                     "label=Demo of the Lights\r\naction=Install Demo of the Lights\r\n");
  files.emplace_back("Kestrune.exe", RecordingScript("Kestrune.exe"));
  files.emplace_back("DirectX/dxsetup.exe", RecordingScript("dxsetup.exe"));
  files.emplace_back("extras/edytor.sh", RecordingScript("edytor.sh"));
  files.emplace_back("extras/sterowniki.sh", RecordingScript("sterowniki.sh"));

  for (const auto& more : more_max_files) files.push_back(more);
  for (const auto& [rel, bytes] : files) {
    const bool exe = rel.ends_with(".exe") || rel.ends_with(".sh");
    if (base::Status s = Write(dir / rel, bytes, exe); !s.ok()) return s;
  }

  // Speech and music: Vorbis mono and stereo, Speex in all three bands.
  const double t = options.seconds;
  std::string speech, music;
  {
    encoderkit::VorbisOptions mono;
    mono.rate = 22050;
    speech +=
        sndpack::EntryBytes(0, "Intro.OGG", encoderkit::EncodeVorbis(mono, Tune(22050, t, 1, 1.0)));
    for (int mode = 0; mode < 3; ++mode) {
      for (int channels = 1; channels <= 2; ++channels) {
        encoderkit::SpeexOptions sp;
        sp.mode = mode;
        sp.channels = channels;
        const int rate = 8000 << mode;
        const char* band[] = {"nb", "wb", "uwb"};
        const std::string name =
            std::string("Mowa_") + band[mode] + (channels == 2 ? "_stereo" : "") + ".spx";
        speech += sndpack::EntryBytes(1, name,
                                      encoderkit::EncodeSpeex(sp, Tune(rate, t, channels, 0.75)));
      }
    }
    encoderkit::VorbisOptions stereo;
    stereo.channels = 2;
    music += sndpack::EntryBytes(0, "Temat.ogg",
                                 encoderkit::EncodeVorbis(stereo, Tune(44100, t, 2, 1.0)));
    music += sndpack::EntryBytes(0, "Koniec.ogg",
                                 encoderkit::EncodeVorbis(stereo, Tune(44100, t / 2, 2, 1.5)));
  }
  if (base::Status s = Write(dir / "Dane/Mowa.snd", speech); !s.ok()) return s;
  if (base::Status s = Write(dir / "Muzyka/Muzyka.snd", music); !s.ok()) return s;

  std::vector<std::string> min = {"demo.exe", "odinstaluj.exe", "Dane\\Poziomy\\poziom1.dat",
                                  "Dane\\Mowa.snd"};
  std::vector<std::string> std_list = min;
  for (const char* f : {"czytaj.txt", "Dane\\Poziomy\\poziom2.dat", "Dane\\Grafika\\tekstury.dat",
                        "Muzyka\\Muzyka.snd"}) {
    std_list.push_back(f);
  }
  std::vector<std::string> max = std_list;
  for (int i = 0; i < options.extra_files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "Dodatki\\Zestaw%02d\\plik%03d.dat", i / 50, i);
    max.push_back(name);
  }
  for (const auto& [rel, bytes] : more_max_files) {
    std::string windows = rel;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    max.push_back(windows);
  }

  const std::string ini =
      "[Option]\r\nPROGRAM_NAME=DemoSwiatla\r\nDEINSTALLEXE_NAME=odinstaluj.exe\r\n"
      "show_licence=true\r\nshow_install_mode=true\r\n"
      "[Language]\r\nNr=2\r\n0=Polski\r\n1=English\r\n0415=Polski\r\n0409=English\r\n" +
      Script(true) + Script(false) + "[min]\r\n" + List(min) + "[std]\r\n" + List(std_list) +
      "[max]\r\n" + List(max);
  return Write(dir / "install.ini", ini);
}

}  // namespace cdsetup::demo
