#include "pages/target_dir_dlg.h"

#include "framework/data_exchange.h"

namespace cdsetup::pages {

using namespace framework;

namespace {
constexpr std::uint64_t kListStyle = kStyleVisible | kStyleBorder | kStyleTabStop;
}

CTargetDirDlg::CTargetDirDlg(Owner owner, std::string initial_dir, script::LocalizedTexts texts)
    : CDialog(IDD, owner),
      m_strInitialDir(std::move(initial_dir)),
      m_driveList(texts.platform()),
      m_dirList(texts.platform()),
      m_texts(std::move(texts)) {}

void CTargetDirDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_DIRECTORY_LABEL, m_lblDirectory);
  DDX_Text(dx, IDC_PATH, m_strPath);
  DDV_MaxChars(dx, m_strPath, kMaxPath);
}

bool CTargetDirDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(m_texts.Get("IDS_NAZWA_GRY"));
  const std::pair<int, const char*> texts[] = {{IDC_DRIVE_LABEL, "IDS_DYSK"},
                                               {IDC_DIRECTORY_LABEL, "IDS_KATALOG_NAME"},
                                               {IDOK, "IDS_DALEJ"},
                                               {IDCANCEL, "IDS_POWROT"}};
  for (const auto& [id, key] : texts) {
    if (CWnd* control = GetDlgItem(id)) control->SetWindowText(m_texts.Get(key));
  }

  // The directory list takes the place of its placeholder, and its place in
  // the tab order: right after the directory label.
  if (CWnd* placeholder = GetDlgItem(IDC_DIRECTORIES)) {
    CRect rect = placeholder->GetWindowRect();
    ScreenToClient(&rect);
    placeholder->DestroyWindow();
    if (m_dirList.Create(kListStyle, rect, this, IDC_DIRECTORIES, m_strInitialDir)) {
      m_dirList.SetWindowPosAfter(&m_lblDirectory);
    }
  }
  m_strPath = m_strInitialDir;

  // The drive list in place of its placeholder, at the size of its open list.
  if (auto* placeholder = dynamic_cast<CComboBox*>(GetDlgItem(IDC_DRIVES))) {
    CRect rect;
    placeholder->GetDroppedControlRect(&rect);
    ScreenToClient(&rect);
    placeholder->DestroyWindow();
    m_driveList.Create(kListStyle | kShowVolumeName | kShowFreeSpace | kShowIcons, rect, this,
                       IDC_DRIVES);
    m_driveList.SelectDrive(m_dirList.GetPath());
  }
  // The path and the lists are the system's names: a Polish folder reads
  // right on an English page.
  if (CWnd* path = GetDlgItem(IDC_PATH)) path->HoldNames();
  m_dirList.HoldNames();
  m_driveList.HoldNames();
  UpdateData(false);
  return true;
}

bool CTargetDirDlg::OnCommand(UINT id, UINT code, CWnd* source) {
  if (id == IDC_DRIVES && code == CBN_SELENDOK) {
    OnSelEndOkDrive();
    return true;
  }
  if (id == IDC_DIRECTORIES && code == kDirListChanged) {
    OnChangeDirList();
    return true;
  }
  if (id == IDC_DIRECTORIES && code == LBN_DBLCLK) {
    OnDblClkDirList();
    return true;
  }
  return CDialog::OnCommand(id, code, source);
}

void CTargetDirDlg::OnSelEndOkDrive() {
  const std::string drive = m_driveList.GetDrive();
  m_dirList.SetPath(drive, true);
  const std::string shown = m_dirList.GetPath();
  // After a fallback this puts the drive list back on the drive still shown.
  m_driveList.SelectDrive(shown);
  m_strPath = shown;
  UpdateData(false);
}

void CTargetDirDlg::OnDblClkDirList() {
  m_strPath = m_dirList.GetPath();
  UpdateData(false);
}

}  // namespace cdsetup::pages
