#include "ui/qt/qt_backend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "framework/input.h"
#include "framework/window_manager.h"
#include "resources/image.h"
#include "resources/resource_ids.h"
#include "ui/qt/dc_replay.h"
#include "ui/qt/dialog_window.h"

namespace cdsetup::ui::qt {

namespace {

int g_fail_status = 4;

// Qt ends the process when its platform cannot start: one line saying so,
// in place of Qt's own several, and the status the caller chose.
void StartupMessages(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtFatalMsg) return;
  const char* display = std::getenv("WAYLAND_DISPLAY");
  if (!display || !*display) display = std::getenv("DISPLAY");
  std::fprintf(stderr,
               "cdsetup: cannot open the display%s%s for the Qt interface; use --ui console\n",
               display && *display ? " " : "", display && *display ? display : "");
  std::_Exit(g_fail_status);
}

struct BoxButton {
  int answer;
  QMessageBox::StandardButton button;
};

std::vector<BoxButton> ButtonsOf(const fw::MessageBoxRequest& r) {
  switch (r.buttons()) {
    case fw::MB_OKCANCEL:
      return {{fw::IDOK, QMessageBox::Ok}, {fw::IDCANCEL, QMessageBox::Cancel}};
    case fw::MB_YESNO:
      return {{fw::IDYES, QMessageBox::Yes}, {fw::IDNO, QMessageBox::No}};
    case fw::MB_RETRYCANCEL:
      return {{fw::IDRETRY, QMessageBox::Retry}, {fw::IDCANCEL, QMessageBox::Cancel}};
    default:
      return {{fw::IDOK, QMessageBox::Ok}};
  }
}

QMessageBox::Icon IconOf(fw::UINT icon) {
  switch (icon) {
    case fw::MB_ICONSTOP:
      return QMessageBox::Critical;
    case fw::MB_ICONQUESTION:
      return QMessageBox::Question;
    case fw::MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case fw::MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A Yes/No box has no close box, and Escape does not answer it.
class NoEscape : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      event->ignore();
      return true;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      return true;
    }
    return false;
  }
};

// The system's boxes grow to show their whole caption, the product's title;
// Qt's fit their text alone and leave the window manager to cut the caption.
// A spacer across the box's grid keeps it that wide, up to half the screen.
void WidenForCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid || box.windowTitle().isEmpty()) return;
  // The window manager draws the caption in the title font, often in bold;
  // besides it go the window's icon, its three buttons and their gaps.
  int text = 0;
  for (QFont font : {box.font(), QFontDatabase::systemFont(QFontDatabase::TitleFont)}) {
    font.setBold(true);
    text = std::max(text, QFontMetrics(font).horizontalAdvance(box.windowTitle()));
  }
  const int bar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
  int width = text + 5 * bar;
  if (const QScreen* screen = box.screen()) {
    width = std::min(width, screen->availableGeometry().width() / 2);
  }
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

std::unique_ptr<QtSession> QtSession::Start(const char* argv0, int fail_status) {
  std::unique_ptr<QtSession> session(new QtSession());
  session->name_ = argv0 ? argv0 : "cdsetup";
  session->argv_[0] = session->name_.data();
  g_fail_status = fail_status;
  QtMessageHandler previous = qInstallMessageHandler(StartupMessages);
  session->app_ = std::make_unique<QApplication>(session->argc_, session->argv_);
  qInstallMessageHandler(previous);
  return session;
}

QtSession::~QtSession() = default;

QtBackend::QtBackend(QtOptions options) : o_(std::move(options)) {
  // The classic look of the system the pages were drawn for.
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows")))
    QApplication::setStyle(style);
  QIcon icon;
  for (bool large : {false, true}) {
    const QImage image = ToQImage(resources::LoadIconImage(resources::IDI_APP, large));
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  QApplication::setWindowIcon(icon);
  pump_.setSingleShot(true);
  QObject::connect(&pump_, &QTimer::timeout, [this] { Pump(); });
  key_filter_ = MakeInputFilter();
  qApp->installEventFilter(key_filter_.get());
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, key_filter_.get(), [this] { Abandon(); });
}

QtBackend::~QtBackend() {
  qApp->removeEventFilter(key_filter_.get());
  for (auto& [state, window] : windows_) delete window;
}

void QtBackend::Log(const std::string& line) const {
  base::WriteTo(o_.log, line);
}

namespace {

using Converter = std::function<std::string(std::string_view)>;

QString ToQt(const Converter& to_utf8, std::string_view text) {
  const std::string utf8 = to_utf8 ? to_utf8(text) : std::string(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const Converter& from_utf8, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  return from_utf8 ? from_utf8(view) : std::string(view);
}

}  // namespace

QString QtBackend::Text(std::string_view ansi) const {
  return ToQt(o_.to_utf8, ansi);
}

std::string QtBackend::Ansi(const QString& text) const {
  return FromQt(o_.from_utf8, text);
}

// Without converters of their own, names are converted as texts are.
QString QtBackend::Name(std::string_view name) const {
  return ToQt(o_.name_to_utf8 ? o_.name_to_utf8 : o_.to_utf8, name);
}

std::string QtBackend::NameOf(const QString& typed) const {
  return FromQt(o_.name_from_utf8 ? o_.name_from_utf8 : o_.from_utf8, typed);
}

namespace {

// Qt's language for a Windows language id, by its primary language (the low
// ten bits); the languages a game's CD is likely to carry.
QLocale::Language QtLanguageOf(unsigned language_id) {
  static constexpr std::pair<unsigned, QLocale::Language> kLanguages[] = {
      {0x02, QLocale::Bulgarian},       {0x04, QLocale::Chinese},   {0x05, QLocale::Czech},
      {0x06, QLocale::Danish},          {0x07, QLocale::German},    {0x08, QLocale::Greek},
      {0x09, QLocale::English},         {0x0A, QLocale::Spanish},   {0x0B, QLocale::Finnish},
      {0x0C, QLocale::French},          {0x0E, QLocale::Hungarian}, {0x10, QLocale::Italian},
      {0x11, QLocale::Japanese},        {0x12, QLocale::Korean},    {0x13, QLocale::Dutch},
      {0x14, QLocale::NorwegianBokmal}, {0x15, QLocale::Polish},    {0x16, QLocale::Portuguese},
      {0x18, QLocale::Romanian},        {0x19, QLocale::Russian},   {0x1A, QLocale::Croatian},
      {0x1B, QLocale::Slovak},          {0x1D, QLocale::Swedish},   {0x1F, QLocale::Turkish},
      {0x22, QLocale::Ukrainian},       {0x24, QLocale::Slovenian},
  };
  for (const auto& [primary, language] : kLanguages) {
    if (primary == (language_id & 0x3FF)) return language;
  }
  return QLocale::AnyLanguage;
}

}  // namespace

void QtBackend::SetLanguage(unsigned language_id) {
  const QLocale::Language language = QtLanguageOf(language_id);
  if (translator_) {
    QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
  }
  if (language == QLocale::AnyLanguage) return;
  auto translator = std::make_unique<QTranslator>();
  // Debian keeps Qt's own translations apart (qt6-translations-l10n).
  if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    base::WriteTo(o_.log, "no Qt translation for " + QLocale(language).name().toStdString());
    return;
  }
  QCoreApplication::installTranslator(translator.get());
  translator_ = std::move(translator);
}

double QtBackend::Scale() const {
  if (o_.scale > 0) return o_.scale;
  QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

QFont QtBackend::FontFor(const fw::CFont& font) const {
  // The templates' fonts are not on this system. They were laid out for MS
  // Sans Serif and Arial at 8 points; Liberation Sans has Arial's widths and
  // every letter of the code pages, so the labels fit as they were drawn.
  // DejaVu Sans, wider, is the fallback.
  QFont f;
  f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                 QString::fromStdString(font.name)});
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.points * 96.0 / 72.0 * Scale()))));
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

fw::CSize QtBackend::MeasureText(const fw::CFont& font, const std::string& text) {
  const QFontMetrics metrics(FontFor(font));
  return {metrics.horizontalAdvance(Text(text)), metrics.height()};
}

fw::CSize QtBackend::DialogBaseUnits() {
  // As Windows' dialog manager measures the template's font: the average
  // width of the 52 letters, rounded its way, and the height of a line
  // with the ascent and descent each rounded, as its font engine does.
  const QFont font = FontFor(fw::CFont{});
  const QFontMetrics metrics(font);
  const QFontMetricsF exact(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {
      std::max(1, (letters / 26 + 1) / 2),
      std::max(1, static_cast<int>(std::lround(exact.ascent()) + std::lround(exact.descent())))};
}

DialogWindow* QtBackend::FindWindow(const fw::WindowState& window) const {
  const fw::WindowState* top = &window;
  while (top->parent) top = top->parent;
  auto it = windows_.find(top);
  return it == windows_.end() ? nullptr : it->second;
}

QWidget* QtBackend::WindowOf(const fw::WindowState* state) const {
  auto it = windows_.find(state);
  return it == windows_.end() ? nullptr : it->second;
}

void QtBackend::WindowChanged(fw::WindowState& window) {
  DialogWindow* w = FindWindow(window);
  if (!w) return;  // not shown yet: it is built whole when its loop starts
  if (&window == &w->state()) {
    w->SyncAll();
  } else {
    w->SyncControl(window);
  }
}

void QtBackend::WindowDestroyed(fw::WindowState& window) {
  auto it = windows_.find(&window);
  if (it != windows_.end()) {
    DialogWindow* w = it->second;
    windows_.erase(it);
    w->hide();
    // Its loop has returned: no event of the window is being handled.
    delete w;
    return;
  }
  if (DialogWindow* w = FindWindow(window)) w->RemoveControl(window);
}

void QtBackend::CheckFrames() {
  for (const Frame& f : frames_) {
    fw::WindowState* s = f.dialog->state();
    if (gone_ || !s || s->end_modal) f.loop->quit();
  }
}

void QtBackend::Schedule() {
  if (frames_.empty()) return;
  const fw::WindowManager& wm = *frames_.back().dialog->windows();
  pump_.start(static_cast<int>(wm.MsUntilNextMessage(50)));
}

void QtBackend::Pump() {
  if (frames_.empty()) return;
  fw::WindowManager& wm = *frames_.back().dialog->windows();
  if (wm.PumpPendingForLoop(static_cast<int>(frames_.size()) - 1)) {
    CheckFrames();
  }
  Schedule();
}

void QtBackend::AfterInput() {
  CheckFrames();
  // Input changes the state without telling (a radio group, a typed text).
  for (auto& [state, window] : windows_) window->SyncAll();
  Schedule();
}

void QtBackend::Abandon() {
  gone_ = true;
  CheckFrames();
}

void QtBackend::RunModalLoop(fw::CDialog& dialog) {
  fw::WindowState* state = dialog.state();
  Log("page " + std::to_string(dialog.template_id()) + " shown: " + dialog.GetWindowText());
  if (gone_) {
    fw::UserClose(dialog);
    return;
  }
  auto* window = new DialogWindow(*this, *state);
  windows_[state] = window;
  if (state->show_state == fw::SW_SHOWMINIMIZED) {
    window->showMinimized();
  } else {
    window->show();
  }
  window->SyncAll();
  window->activateWindow();
  QEventLoop loop;
  frames_.push_back({&dialog, &loop});
  Schedule();
  while (!gone_ && dialog.state() && !dialog.state()->end_modal) loop.exec();
  frames_.pop_back();
  if (!frames_.empty()) Schedule();
  if (gone_ && dialog.state() && !dialog.state()->end_modal) {
    Log("page " + std::to_string(dialog.template_id()) + ": the display went away; closed");
    fw::UserClose(dialog);
  }
}

int QtBackend::MessageBox(const fw::MessageBoxRequest& request) {
  const std::string head = "message " + std::string(resources::MessageName(request.id)) + " " +
                           request.caption + ": " + request.text;
  if (gone_) {
    Log(head + " -> " + fw::MessageBoxRequest::AnswerName(request.CancelAnswer()) +
        " (no display)");
    return request.CancelAnswer();
  }
  // The owner's window, when it is up; a minimised one would hide the box.
  QWidget* parent = nullptr;
  if (request.owner && request.owner->state()) {
    const fw::WindowState* top = request.owner->state();
    while (top->parent) top = top->parent;
    QWidget* w = WindowOf(top);
    if (w && w->isVisible() && !w->isMinimized()) parent = w;
  }
  QMessageBox box(IconOf(request.icon()), Text(request.caption), Text(request.text),
                  QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("message-box"));
  box.setTextFormat(Qt::PlainText);
  WidenForCaption(box);
  if (!parent) {
    // The install waits for the answer, and the program or folder window
    // started just before must not hide the question.
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  const std::vector<BoxButton> buttons = ButtonsOf(request);
  for (const BoxButton& b : buttons) {
    QPushButton* button = box.addButton(b.button);
    if (b.answer == request.DefaultAnswer()) box.setDefaultButton(button);
    if (b.answer == request.CancelAnswer() && request.buttons() != fw::MB_YESNO) {
      box.setEscapeButton(button);
    }
  }
  NoEscape no_escape;
  if (request.buttons() == fw::MB_YESNO) box.installEventFilter(&no_escape);
  box.exec();
  int answer = request.CancelAnswer();
  for (const BoxButton& b : buttons) {
    if (box.clickedButton() && box.clickedButton() == box.button(b.button)) answer = b.answer;
  }
  Log(head + " -> " + fw::MessageBoxRequest::AnswerName(answer));
  return answer;
}

}  // namespace cdsetup::ui::qt
