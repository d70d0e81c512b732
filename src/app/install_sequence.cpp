// The main dialog's install sequence: a table of named steps, each returning
// its result. A step whose failure ends the run names the outcome; the rest
// are logged with their result and the sequence goes on.
#include <iterator>

#include "app/install_dlg.h"
#include "base/ascii.h"
#include "base/limits.h"
#include "base/number_text.h"
#include "copy/copy_progress_dlg.h"
#include "copy/list_paths.h"
#include "framework/app.h"
#include "framework/window_manager.h"
#include "pages/install_type_dlg.h"
#include "pages/licence_dlg.h"
#include "pages/target_dir_dlg.h"
#include "platform/create_directory_path.h"
#include "script/section_code_page.h"

namespace cdsetup::app {

using namespace framework;
using base::Status;

// The pages live for one run of the sequence and are destroyed in reverse
// order of their making, after it.
struct CInstallDlg::Run {
  Run(CInstallDlg& dlg, script::LocalizedTexts run_texts)
      : texts(std::move(run_texts)),
        licence(*dlg.windows(), texts),
        copy_page(dlg.m_szTargetDir, *dlg.windows(), texts),
        target_page(dlg, dlg.m_szTargetDir, texts),
        type_page(*dlg.windows(), texts),
        closing_text(texts.Get("IDS_KONIEC_INST")),
        caption(texts.Get("IDS_NAZWA_GRY")) {}

  const script::LocalizedTexts texts;
  pages::CLicenceDlg licence;
  copy::CCopyProgressDlg copy_page;
  pages::CTargetDirDlg target_page;
  pages::CInstallTypeDlg type_page;
  const std::string closing_text;
  const std::string caption;
};

namespace {

std::string Megabytes(std::uint64_t bytes) {
  return base::FormatTenths(static_cast<double>(bytes) / (1024.0 * 1024.0)) + " MB";
}

struct Step {
  const char* name;
  Status (*run)(CInstallDlg& dlg, CInstallDlg::Run& run);
  /// A failure ends the run with this outcome (a cancellation by the user
  /// with kCancelled); with kNotRun the failure is logged and the run goes on.
  Outcome on_failure;
  /// False: a failure does not stop the steps after it, which the user has
  /// been promised, but the run still ends with on_failure.
  bool stops = true;
};

}  // namespace

Status CInstallDlg::ShowLicence(Run& run) {
  if (!base::EqualsIgnoreCaseAscii(run.texts.Option("show_licence"), "true")) {
    return Status::Ok();
  }
  if (run.licence.DoModal() == IDCANCEL) return Status::Cancelled("the licence was not accepted");
  return Status::Ok();
}

Status CInstallDlg::ChooseInstallType(Run& run) {
  if (!base::EqualsIgnoreCaseAscii(run.texts.Option("show_install_mode"), "true")) {
    Log("install type page not shown: \"std\"");
    return Status::Ok();
  }
  if (run.type_page.DoModal() == IDOK) run.copy_page.SetInstallType(run.type_page.GetInstallType());
  return Status::Ok();
}

Status CInstallDlg::ChooseTargetDirectory(Run& run) {
  if (run.target_page.DoModal() != IDOK) {
    return Status::Cancelled("no target directory was chosen");
  }
  m_szTargetDir = run.target_page.m_strPath;
  return Status::Ok();
}

Status CInstallDlg::MakeTargetDirectory(Run& run) {
  // The script's default kept, though the system cannot spell it; or a
  // typed letter it cannot spell, which arrives as "?" (no name holds one).
  const std::string default_dir = run.texts.Get("IDS_DOMYSLNY_KATALOG");
  Status unfit = m_szTargetDir == default_dir
                     ? P().TextToName(default_dir).status().WithContext("the default directory")
                     : Status::Ok();
  if (unfit.ok() && m_szTargetDir.find_first_of("?*") != std::string::npos) {
    unfit = Status::Refused("the folder " + m_szTargetDir +
                            " holds a wildcard or a letter this system's code page " +
                            std::to_string(P().NameCodePage()) + " cannot spell in a file name");
  }
  if (!unfit.ok()) {
    Ask(run.texts.Get("IDS_E_CREATING_DIR"), run.caption, MB_OK | MB_ICONERROR,
        resources::IDP_CANNOT_CREATE_DIRECTORY);
    return unfit;
  }
  const std::string saved = P().GetCurrentDirectoryA();
  // Paths the original buffers cannot hold are refused, not cut.
  if (saved.size() > base::kMaxDirectory || m_szTargetDir.size() > base::kMaxText) {
    Ask(run.texts.Get("IDS_E_CREATING_DIR"), run.caption, MB_OK | MB_ICONERROR,
        resources::IDP_PATH_TOO_LONG);
    return Status::Refused("the path is too long: " + m_szTargetDir);
  }
  // The longest file the copy will make must fit a path too, and the
  // files the drive: refused or asked now, the copy would stop midway with
  // files written.
  const copy::ListMeasure list =
      copy::MeasureList(run.texts, run.copy_page.install_type(), m_szTargetDir);
  if (m_szTargetDir.size() + 1 + list.longest > base::kMaxText) {
    Ask(run.texts.Get("IDS_E_CREATING_DIR"), run.caption, MB_OK | MB_ICONERROR,
        resources::IDP_PATH_TOO_LONG);
    return Status::Refused("the path is too long: " + m_szTargetDir + "\\" + list.longest_entry +
                           " would be over " + std::to_string(base::kMaxText) + " characters");
  }
  std::uint64_t needed = list.bytes;
  // The copies of the script and of the picture go there too.
  for (const std::string& file : {std::string("install.ini"), run.texts.Get("Bitmap")}) {
    if (file.empty()) continue;
    if (auto info = P().GetFileInfo(file); info.ok() && !info->is_directory) needed += info->size;
  }
  if (Status room = CheckFreeSpace(run, needed); !room.ok()) return room;
  if (!P().SetCurrentDirectoryA(m_szTargetDir).ok()) {
    if (Ask(run.texts.Get("IDS_E_DIR_DOESNOT_EXIST"), run.caption, MB_YESNO | MB_ICONQUESTION,
            resources::IDP_CREATE_DIRECTORY) != IDYES) {
      return Status::Cancelled("the target directory was not created");
    }
    if (Status made = platform::CreateDirectoryPath(P(), m_szTargetDir); !made.ok()) {
      Ask(run.texts.Get("IDS_E_CREATING_DIR"), run.caption, MB_OK | MB_ICONERROR,
          resources::IDP_CANNOT_CREATE_DIRECTORY);
      return Status::IoError("cannot create " + m_szTargetDir + ": " + made.message());
    }
    Log("created " + base::NameInLog(m_szTargetDir));
  }
  // Going back to where the run started is not part of the result.
  (void)P().SetCurrentDirectoryA(saved);
  return Status::Ok();
}

Status CInstallDlg::CheckFreeSpace(Run& run, std::uint64_t needed) {
  const std::string& target = m_szTargetDir;
  // Only a drive letter's space is known; a network path is not asked about.
  if (target.size() < 2 || target[1] != ':' || !base::IsAsciiAlpha(target[0])) {
    return Status::Ok();
  }
  const std::string root = target.substr(0, 2) + "\\";
  const base::Result<platform::DiskSpace> space = P().GetDiskFreeSpaceA(root);
  if (!space.ok()) {
    Log("free space of " + root + " unknown: " + space.status().ToString());
    return Status::Ok();
  }
  const std::uint64_t free = space->FreeBytes();
  Log("the copy needs " + std::to_string(needed) + " bytes; " + root + " has " +
      std::to_string(free) + " free");
  if (needed <= free) return Status::Ok();
  const std::string question =
      resources::WithArguments(windows()->OwnText(resources::OwnText::kNotEnoughSpace),
                               {root, Megabytes(needed), Megabytes(free)});
  if (Ask(question, run.caption, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2,
          resources::IDP_NOT_ENOUGH_SPACE) == IDYES) {
    Log("going on although the drive looks too full");
    return Status::Ok();
  }
  return Status::IoError("not enough free space on " + root + ": " + std::to_string(needed) +
                         " bytes needed, " + std::to_string(free) + " free");
}

Status CInstallDlg::CheckRegistry(Run& run) {
  // While Wine runs for the prefix it owns the registry: stop before copying.
  Status writable = P().RegistryWritable();
  if (!writable.ok()) {
    Ask(writable.message(), run.caption, MB_OK | MB_ICONERROR, resources::IDP_REGISTRY_BUSY);
  }
  return writable;
}

Status CInstallDlg::CopyFiles(Run& run) {
  if (m_settings.converter) run.copy_page.SetConverter(m_settings.converter);
  run.copy_page.SetStepLog(m_settings.log);
  if (run.copy_page.DoModal() == IDOK) return Status::Ok();
  const std::string error = run.copy_page.GetErrorText();
  Ask(error, run.texts.Get("IDS_E_COPYING_FILES"), MB_OK | MB_ICONERROR,
      resources::IDP_COPY_FAILED);
  const Status why = run.copy_page.GetFailure();
  // No failure behind the end: the user pressed the abort button.
  if (why.ok()) return Status::Cancelled("the copy was stopped: " + error);
  return Status::IoError(error + ": " + why.ToString());
}

Status CInstallDlg::RegisterInstallation(Run& run) {
  const Status made = CreateShortcutsAndUninstallEntry(m_szTargetDir, m_strLanguage);
  if (made.ok()) return Status::Ok();
  Ask(run.texts.Get("IDS_E_CREATING_SHORTCUT"), run.caption, MB_OK | MB_ICONERROR,
      resources::IDP_SHORTCUTS_FAILED);
  // The product is still found by its fallback record.
  base::IgnoreResult(SaveProgramAndLanguage(m_szTargetDir, m_strLanguage),
                     "counted by RecordsWritten");
  return Status::IoError("the Start-menu shortcuts could not be made: " + made.message());
}

Status CInstallDlg::ShowClosingMessage(Run& run) {
  Ask(run.closing_text, run.texts.Get("IDS_NAZWA_GRY2"), MB_OK | MB_ICONINFORMATION,
      resources::IDP_SETUP_COMPLETE);
  return Status::Ok();
}

Status CInstallDlg::CopyScript(Run&) {
  const std::string script_copy = m_szTargetDir + "\\install.ini";
  Status copied = P().CopyFileA("install.ini", script_copy, false);
  // The attributes and the language are set on whatever is there now.
  Status attributes = P().SetFileAttributesArchive(script_copy);
  Status language =
      P().WritePrivateProfileStringA("Option", "Language", m_strLanguage, script_copy);
  if (!copied.ok()) return copied.WithContext("copy install.ini to " + script_copy);
  if (!attributes.ok()) return attributes;
  return language.WithContext("write Language to " + script_copy);
}

Status CInstallDlg::CopyBackground(Run& run) {
  const std::string bitmap = run.texts.Get("Bitmap");
  if (bitmap.empty()) return Status::Ok();  // a medium without a picture
  // The name comes from the medium: held to the rule of the file lists, so
  // that the copy lands below the target and nowhere else.
  if (Status safe = copy::CheckListEntry(bitmap); !safe.ok()) return safe.WithContext("Bitmap");
  const std::string bitmap_copy = platform::TextNamedPath(m_szTargetDir, bitmap);
  if (!P().GetFileInfo(bitmap).ok()) {
    // A medium without its picture: the main dialog showed none, and its
    // copy fails without a word, as every picture copy does.
    Log("the picture " + bitmap + " is not on the medium; not copied");
    return Status::Ok();
  }
  Status copied = P().CopyFileA(bitmap, bitmap_copy, false);
  Status attributes = P().SetFileAttributesArchive(bitmap_copy);
  if (!copied.ok()) return copied.WithContext("copy " + bitmap + " to " + bitmap_copy);
  return attributes;
}

Status CInstallDlg::OfferDirectX(Run& run) {
  // This one question belongs to the desktop's topmost window, not to us.
  if (DesktopMessageBox(*windows(), run.texts.Get("IDS_INST_DX"), "DirectX",
                        MB_YESNO | MB_ICONQUESTION, resources::IDP_INSTALL_DIRECTX) != IDYES) {
    return Status::Ok();
  }
  return RunDirectXSetup();
}

void CInstallDlg::OnOK() {
  static constexpr Step kSteps[] = {
      {"licence", [](CInstallDlg& d, Run& r) { return d.ShowLicence(r); }, Outcome::kCancelled},
      {"install type", [](CInstallDlg& d, Run& r) { return d.ChooseInstallType(r); },
       Outcome::kNotRun},
      {"target directory", [](CInstallDlg& d, Run& r) { return d.ChooseTargetDirectory(r); },
       Outcome::kCancelled},
      // A folder that cannot be made is a failure of the copy's; a No to
      // making it is the user's cancel.
      {"create the target directory",
       [](CInstallDlg& d, Run& r) { return d.MakeTargetDirectory(r); }, Outcome::kCopyFailed},
      {"registry check", [](CInstallDlg& d, Run& r) { return d.CheckRegistry(r); },
       Outcome::kRegistrationFailed},
      {"copy", [](CInstallDlg& d, Run& r) { return d.CopyFiles(r); }, Outcome::kCopyFailed},
      {"shortcuts and records", [](CInstallDlg& d, Run& r) { return d.RegisterInstallation(r); },
       Outcome::kRegistrationFailed},
      // A value that could not be written shows no message, yet the run
      // does not end as installed: the log's summary names each one.
      {"registry records", [](CInstallDlg& d, Run&) { return d.RecordsWritten(); },
       Outcome::kRegistrationFailed, false},
      {"closing message", [](CInstallDlg& d, Run& r) { return d.ShowClosingMessage(r); },
       Outcome::kNotRun},
      {"open the Start-menu folder", [](CInstallDlg& d, Run&) { return d.OpenProgramsFolder(); },
       Outcome::kNotRun},
      {"shared uninstaller", [](CInstallDlg& d, Run&) { return d.InstallSharedUninstaller(); },
       Outcome::kNotRun},
      // The game reads its language from the copy of the script: a full disk
      // here leaves an installation that is not whole, and the status says so.
      {"script copy", [](CInstallDlg& d, Run& r) { return d.CopyScript(r); }, Outcome::kCopyFailed,
       false},
      {"background copy", [](CInstallDlg& d, Run& r) { return d.CopyBackground(r); },
       Outcome::kCopyFailed, false},
      {"extra programs",
       [](CInstallDlg& d, Run&) {
         d.RunOtherFiles();
         return Status::Ok();
       },
       Outcome::kNotRun},
      {"DirectX", [](CInstallDlg& d, Run& r) { return d.OfferDirectX(r); }, Outcome::kNotRun},
  };
  Run run(*this, Texts());
  ShowWindow(SW_MINIMIZE);
  Outcome outcome = Outcome::kInstalled;
  std::string reason;
  for (const Step& step : kSteps) {
    const Status result = step.run(*this, run);
    Log(std::string("step ") + step.name + ": " +
        (result.ok() ? "done" : "failed: " + result.ToString()));
    if (result.ok() || step.on_failure == Outcome::kNotRun) continue;
    if (!step.stops) {
      if (outcome == Outcome::kInstalled) {
        outcome = step.on_failure;
        reason = result.message();
      }
      continue;
    }
    return EarlyEnd(
        result.kind() == Status::Kind::kCancelled ? Outcome::kCancelled : step.on_failure,
        result.message());
  }
  m_outcome = outcome;
  m_strReason = std::move(reason);
  OnCancel();
}

}  // namespace cdsetup::app
