#include "app/install_dlg.h"

#include <cstdio>
#include <cstdlib>

#include "base/ascii.h"
#include "base/limits.h"
#include "copy/copy_progress_dlg.h"
#include "framework/app.h"
#include "framework/data_exchange.h"
#include "framework/window_manager.h"
#include "pages/install_type_dlg.h"
#include "pages/language_dlg.h"
#include "pages/licence_dlg.h"
#include "pages/target_dir_dlg.h"
#include "platform/create_directory_path.h"
#include "platform/read_whole_file.h"
#include "resources/image.h"
#include "script/install_script.h"
#include "script/language_resolution.h"
#include "script/section_code_page.h"

namespace cdsetup::app {

using namespace framework;

CInstallDlg::CInstallDlg(Owner owner, platform::Platform& platform, InstallSettings settings)
    : CDialog(IDD, owner), m_platform(platform), m_settings(std::move(settings)) {
  m_hIcon = kAppIcon;
  m_szCdDrive = "X";
  // The script is always the one beside the installer, wherever it was started.
  m_strIniPath = InstallerDirectory(base::kTextBuffer) + "\\install.ini";
  m_strRegKey = "Software\\Torvanel\\";
  m_strUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
}

platform::Platform& CInstallDlg::P() const {
  return m_platform;
}

std::string CInstallDlg::InstallerDirectory(std::size_t buffer) const {
  std::string module = P().GetModuleFileNameA();
  if (module.size() > buffer - 1) module.resize(buffer - 1);
  const std::size_t slash = module.rfind('\\');
  return slash == std::string::npos ? std::string() : module.substr(0, slash);
}

script::LocalizedTexts CInstallDlg::Texts() const {
  return script::LocalizedTexts(P(), m_strIniPath, m_strLanguage);
}

void CInstallDlg::Log(const std::string& line) const {
  base::WriteTo(m_settings.log, line);
}

int CInstallDlg::Ask(const std::string& text, const std::string& caption, UINT type, int id) {
  return MessageBox(text, caption, type, id);
}

void CInstallDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDOK, m_btnInstall);
  DDX_Control(dx, IDCANCEL, m_btnExit);
}

bool CInstallDlg::OnInitDialog() {
  pages::CLanguageDlg language_page(*windows(), Texts());
  CDialog::OnInitDialog();
  // The whole picture shows, whatever the template's font makes of its size.
  EnsureClientSize({ScaledPixels(kBackgroundWidth), ScaledPixels(kBackgroundHeight)});
  const script::InstallScript script(P(), m_strIniPath);

  if (m_settings.language) {
    m_strLanguage = *m_settings.language;
    Log("language from the command line: " + m_strLanguage);
  } else {
    auto chosen = script::ResolveLanguage(script, [&](const std::vector<std::string>&) {
      std::optional<std::string> picked;
      if (language_page.DoModal() == IDOK) picked = language_page.GetLanguage();
      return picked;
    });
    if (chosen) {
      m_strLanguage = *chosen;
    } else {
      m_outcome = Outcome::kCancelled;
      m_strReason = "no language was chosen";
      OnCancel();
    }
  }
  if (!m_strLanguage.empty()) {
    // The interface's own words (the message boxes' buttons) follow the pages.
    unsigned language_id = script::SectionLanguageId(script, m_strLanguage);
    if (language_id == 0) {
      language_id =
          static_cast<unsigned>(std::strtoul(P().GetSystemLanguageId().c_str(), nullptr, 16));
    }
    windows()->SetLanguage(language_id);
  }
  if (m_settings.use_code_page && !m_strLanguage.empty()) {
    if (const int code_page = script::SectionCodePage(script, m_strLanguage); code_page != 0) {
      Log("the texts of " + m_strLanguage + " are read in code page " + std::to_string(code_page));
      m_settings.use_code_page(code_page);
    }
  }

  const std::string program = script.ReadText("Option", "PROGRAM_NAME");
  m_strRegKey += program + "_" + m_strLanguage;
  m_strUninstallKey += program + "_" + m_strLanguage;
  SetIcon(kAppIcon);
  LoadBackground();

  m_nShortcuts = script::ParseNumber(Texts().Get("Shortcuts"));
  // The table holds ten entries; a larger count is cut to what fits.
  if (m_nShortcuts > kMaxShortcuts) {
    Log("Shortcuts = " + std::to_string(m_nShortcuts) + " cut to " + std::to_string(kMaxShortcuts));
    m_nShortcuts = kMaxShortcuts;
  }
  for (int n = 0; n < m_nShortcuts; ++n) {
    ShortcutEntry& e = m_shortcuts[static_cast<std::size_t>(n)];
    e.szDescription = Texts().Get(script::FamilyKey("Description%d", n));
    e.szFile = Texts().Get(script::FamilyKey("File%d", n));
    e.szWorkDir = Texts().Get(script::FamilyKey("Work%d", n));
  }
  m_szCompanyName = Texts().Get("IDS_COMPANY_NAME");
  m_szProgramName = Texts().Get("IDS_PROGRAM_NAME");
  const std::string default_dir = Texts().Get("IDS_DOMYSLNY_KATALOG");
  // One the system cannot spell is shown as the script has it, and refused
  // if kept (MakeTargetDirectory).
  const base::Result<std::string> name = P().TextToName(default_dir);
  if (!name.ok()) Log("the default directory cannot be used here: " + name.status().message());
  m_szTargetDir = name.value_or(default_dir);

  SetWindowText(Texts().Get("IDS_NAZWA_GRY2"));
  m_btnInstall.SetWindowText(Texts().Get("IDS_DALEJ"));
  m_btnExit.SetWindowText(Texts().Get("IDS_WYJSCIE"));
  FindCdDrive();
  return true;
}

void CInstallDlg::LoadBackground() {
  m_hBackground = nullptr;
  const std::string name = Texts().Get("Bitmap");
  if (name.empty()) return;
  auto image = resources::DecodeBmp(platform::ReadWholeFile(P(), name, kMaxBackgroundFile));
  if (!image.ok()) {
    Log("background " + name + " not shown: " + image.status().ToString());
    return;
  }
  resources::Image scaled = resources::Scale(*image, kBackgroundWidth, kBackgroundHeight);
  if (!scaled.empty()) m_hBackground = std::make_shared<const resources::Image>(std::move(scaled));
}

void CInstallDlg::FindCdDrive() {
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    std::string root = "x:\\";
    root[0] = letter;
    if (P().GetDriveTypeA(root) != platform::DriveType::kCdRom) continue;
    std::string ini = "x:\\install.ini";
    ini[0] = letter;
    if (P().OpenFile(ini, "rb").ok()) {
      m_szCdDrive = std::string(1, letter);
      return;
    }
  }
}

void CInstallDlg::OnPaint() {
  CDC dc = GetDC();
  Paint(dc);
}

void CInstallDlg::Paint(CDC& dc) {
  if (IsIconic()) {
    const CRect client = GetClientRect();
    const int cx = ScaledPixels(32), cy = cx;  // the system's icon size
    resources::Image icon = resources::LoadIconImage(kAppIcon, true);
    dc.DrawIcon((client.Width() - cx + 1) / 2, (client.Height() - cy + 1) / 2,
                std::make_shared<const resources::Image>(std::move(icon)), cx, cy,
                GetSysColor(COLOR_WINDOW));
  } else if (m_hBackground) {
    // The picture is meant at 96 dpi: drawn larger on a denser screen.
    dc.BitBlt(0, 0, ScaledPixels(kBackgroundWidth), ScaledPixels(kBackgroundHeight), m_hBackground);
  }
}

void CInstallDlg::EarlyEnd(Outcome outcome, std::string reason) {
  m_outcome = outcome;
  m_strReason = std::move(reason);
  Log("installation stopped: " + m_strReason);
  ShowWindow(SW_RESTORE);
}

}  // namespace cdsetup::app
