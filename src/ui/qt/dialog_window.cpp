#include "ui/qt/dialog_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "framework/controls.h"
#include "framework/input.h"
#include "framework/window_manager.h"
#include "resources/image.h"
#include "resources/resource_ids.h"
#include "ui/qt/dc_replay.h"
#include "ui/qt/row_widgets.h"
#include "ui/qt/window_host.h"

namespace cdsetup::ui::qt {

namespace {

using fw::WindowClass;

constexpr const char* kAnsiProperty = "cdsetupAnsi";

bool IsPushButton(const fw::WindowState& w) {
  return w.cls == WindowClass::kButton &&
         (w.style & (fw::kStyleGroupBox | fw::kStyleAutoRadioButton)) == 0;
}

// Multi-line fields hold CR LF line ends; the box shows lines.
QString WithoutCarriageReturns(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

class InputFilter : public QObject {
 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::FocusIn) return false;
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return false;
    auto* window = dynamic_cast<DialogWindow*>(widget->window());
    if (!window) return false;
    fw::WindowState* control = window->ControlOf(widget);
    if (type == QEvent::KeyPress)
      return window->HandleKey(*static_cast<QKeyEvent*>(event), control);
    if (control && static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
      window->HandleFocusIn(*control);
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<QObject> MakeInputFilter() {
  return std::make_unique<InputFilter>();
}

DialogWindow::DialogWindow(WindowHost& backend, fw::WindowState& state)
    : QDialog(nullptr), backend_(backend), state_(state) {
  // No window owns another: a page must stay up while the main dialog is
  // minimised, which an owned window would not.
  Qt::WindowFlags flags = (state.style & fw::kStyleAppWindow) ? Qt::Window : Qt::Dialog;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (state.style & fw::kStyleSysMenu)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (state.style & fw::kStyleMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  setWindowFlags(flags);
  setWindowModality(Qt::ApplicationModal);
  setObjectName(QStringLiteral("dialog-%1").arg(state.id));
  setFont(backend.FontFor(state.font));
  setFixedSize(state.rect.Width(), state.rect.Height());
  const int icon_id = state.icon_id ? state.icon_id : resources::IDI_APP;
  QIcon icon;
  for (bool large : {false, true}) {
    const QImage image = ToQImage(resources::LoadIconImage(icon_id, large));
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  setWindowIcon(icon);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  for (fw::WindowState* control : state.children) AddControl(*control);
  SyncAll();
}

QWidget* DialogWindow::MakeWidget(fw::WindowState& c) {
  switch (c.cls) {
    case WindowClass::kButton: {
      if (c.style & fw::kStyleGroupBox) return new QGroupBox(this);
      fw::WindowState* state = &c;
      QAbstractButton* button;
      if (c.style & fw::kStyleAutoRadioButton) {
        auto* radio = new QRadioButton(this);
        radio->setAutoExclusive(false);  // the core keeps the group
        button = radio;
      } else {
        auto* push = new QPushButton(this);
        push->setAutoDefault(false);  // Enter goes through the core
        button = push;
      }
      connect(button, &QAbstractButton::clicked, this, [this, state, wm = state->manager] {
        fw::UserClick(*state);
        backend_.AfterInput();
        if (wm->Alive(state)) SyncControl(*state);
      });
      return button;
    }
    case WindowClass::kStatic: {
      if (c.style & fw::kStyleBlackRect) {
        auto* rule = new QFrame(this);
        // One dialog unit thin (two pixels at 96 dpi): a rule between parts
        // of the page, drawn as the style's etched separator.
        const int thin = static_cast<int>(std::lround(2 * backend_.Scale()));
        const bool flat = c.rect.Height() <= thin;
        if (flat || c.rect.Width() <= thin) {
          rule->setFrameShape(flat ? QFrame::HLine : QFrame::VLine);
          rule->setFrameShadow(QFrame::Sunken);
          return rule;
        }
        rule->setAutoFillBackground(true);
        QPalette pal = rule->palette();
        pal.setColor(QPalette::Window, Qt::black);
        rule->setPalette(pal);
        return rule;
      }
      auto* label = new QLabel(this);
      if (c.style & fw::kStyleIcon) {
        label->setPixmap(QPixmap::fromImage(ToQImage(resources::LoadIconImage(c.icon_id, true))));
        return label;
      }
      label->setWordWrap(true);
      Qt::Alignment align = Qt::AlignTop;
      align |= (c.style & fw::kStyleCenter)  ? Qt::AlignHCenter
               : (c.style & fw::kStyleRight) ? Qt::AlignRight
                                             : Qt::AlignLeft;
      label->setAlignment(align);
      return label;
    }
    case WindowClass::kEdit: {
      fw::WindowState* state = &c;
      if (c.style & fw::kStyleMultiLine) {
        auto* box = new QPlainTextEdit(this);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setReadOnly((c.style & fw::kStyleReadOnly) != 0);
        if (c.style & fw::kStyleReadOnly) {
          // As Windows shows a read-only edit: on the window's grey, not white.
          QPalette pal = box->palette();
          pal.setColor(QPalette::Base, pal.color(QPalette::Window));
          box->setPalette(pal);
        }
        box->setVerticalScrollBarPolicy((c.style & fw::kStyleVScroll) ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAsNeeded);
        box->setHorizontalScrollBarPolicy((c.style & fw::kStyleHScroll) ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAsNeeded);
        box->setTabChangesFocus(true);
        if (!(c.style & fw::kStyleReadOnly)) {
          connect(box, &QPlainTextEdit::textChanged, this, [this, state, box] {
            if (syncing_) return;
            fw::UserType(*state, backend_.Typed(*state, box->toPlainText()));
            backend_.AfterInput();
          });
        }
        return box;
      }
      auto* field = new QLineEdit(this);
      field->setReadOnly((c.style & fw::kStyleReadOnly) != 0);
      field->setFrame((c.style & fw::kStyleBorder) != 0);
      connect(field, &QLineEdit::textEdited, this, [this, state](const QString& text) {
        fw::UserType(*state, backend_.Typed(*state, text));
        backend_.AfterInput();
      });
      return field;
    }
    case WindowClass::kComboBox:
      return new RowCombo(backend_, c, this);
    case WindowClass::kListBox:
      return new RowList(backend_, c, this);
    case WindowClass::kProgress: {
      auto* bar = new QProgressBar(this);
      bar->setTextVisible(false);
      return bar;
    }
    case WindowClass::kDialog:
      break;
  }
  return nullptr;
}

void DialogWindow::AddControl(fw::WindowState& c) {
  if (widgets_.count(&c)) return;
  QWidget* w = MakeWidget(c);
  if (!w) return;
  w->setObjectName(QStringLiteral("control-%1").arg(c.id));
  w->setFont(backend_.FontFor(c.font));
  const bool takes_focus = (c.style & fw::kStyleTabStop) != 0 || c.cls == WindowClass::kListBox ||
                           c.cls == WindowClass::kComboBox || c.cls == WindowClass::kEdit;
  w->setFocusPolicy(takes_focus && c.cls != WindowClass::kStatic ? Qt::StrongFocus : Qt::NoFocus);
  w->setGeometry(c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height());
  widgets_[&c] = w;
  SyncControl(c);
}

void DialogWindow::RemoveControl(const fw::WindowState& c) {
  auto it = widgets_.find(&c);
  if (it == widgets_.end()) return;
  QWidget* w = it->second;
  widgets_.erase(it);
  // The control may go while one of its own signals runs.
  w->hide();
  w->deleteLater();
}

QWidget* DialogWindow::WidgetOf(const fw::WindowState& c) const {
  auto it = widgets_.find(&c);
  return it == widgets_.end() ? nullptr : it->second;
}

fw::WindowState* DialogWindow::ControlOf(const QWidget* widget) const {
  for (; widget && widget != this; widget = widget->parentWidget()) {
    for (const auto& [state, w] : widgets_) {
      if (w == widget) return const_cast<fw::WindowState*>(state);
    }
  }
  return nullptr;
}

void DialogWindow::SyncControl(fw::WindowState& c) {
  QWidget* w = WidgetOf(c);
  if (!w) {
    AddControl(c);
    return;
  }
  const bool was_syncing = syncing_;
  syncing_ = true;
  w->setEnabled(c.enabled);
  w->setGeometry(c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height());
  const QString text = backend_.Shown(c, c.text);
  switch (c.cls) {
    case WindowClass::kButton:
      if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QSignalBlocker block(button);
        button->setText(text);
        if (auto* radio = qobject_cast<QRadioButton*>(w)) radio->setChecked(c.check != 0);
        if (auto* push = qobject_cast<QPushButton*>(w)) {
          auto* dialog = dynamic_cast<fw::CDialog*>(state_.wnd);
          push->setDefault(IsPushButton(c) && dialog && dialog->GetDefID() == c.id);
        }
      }
      break;
    case WindowClass::kStatic:
      if (auto* label = qobject_cast<QLabel*>(w); label && !(c.style & fw::kStyleIcon)) {
        label->setText(text);
      }
      break;
    case WindowClass::kEdit:
      if (auto* field = qobject_cast<QLineEdit*>(w)) {
        ShowFieldText(*field, text, c.limit);
      } else if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
        // Set only when changed, so the box keeps its scroll position.
        if (box->property(kAnsiProperty).toString() != text) {
          box->setProperty(kAnsiProperty, text);
          box->setPlainText(WithoutCarriageReturns(text));
        }
      }
      break;
    case WindowClass::kComboBox:
      static_cast<RowCombo*>(w)->Sync();
      break;
    case WindowClass::kListBox:
      static_cast<RowList*>(w)->Sync();
      break;
    case WindowClass::kProgress:
      if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        bar->setRange(std::min(c.range_lo, c.range_hi), std::max(c.range_lo, c.range_hi));
        bar->setValue(c.pos);
      }
      break;
    case WindowClass::kDialog:
      break;
  }
  w->setVisible(c.visible);
  syncing_ = was_syncing;
}

void DialogWindow::SyncAll() {
  const bool was_syncing = syncing_;
  syncing_ = true;
  setWindowTitle(backend_.Text(state_.text));
  setEnabled(state_.enabled);
  for (fw::WindowState* c : state_.children) SyncControl(*c);
  // Window order is tab order, and also which control lies on top.
  for (fw::WindowState* c : state_.children) {
    if (QWidget* w = WidgetOf(*c)) w->raise();
  }
  if (isVisible() || shown_minimised_) {
    const bool minimise = state_.show_state == fw::SW_SHOWMINIMIZED;
    if (minimise && !isMinimized()) {
      showMinimized();
    } else if (!minimise && isMinimized()) {
      showNormal();
    }
    shown_minimised_ = minimise;
  }
  syncing_ = was_syncing;
  SyncFocus();
  update();
}

void DialogWindow::SyncFocus() {
  const bool was_syncing = syncing_;
  syncing_ = true;
  if (state_.focus) {
    if (QWidget* w = WidgetOf(*state_.focus); w && !w->hasFocus() && w->isVisible()) {
      w->setFocus(Qt::OtherFocusReason);
    }
  }
  // Rows draw their focus frame from the core's focus.
  for (const auto& [state, w] : widgets_) {
    if (state->cls == WindowClass::kListBox || state->cls == WindowClass::kComboBox) w->update();
    if (IsPushButton(*state)) {
      auto* dialog = dynamic_cast<fw::CDialog*>(state_.wnd);
      static_cast<QPushButton*>(w)->setDefault(dialog && dialog->GetDefID() == state->id);
    }
  }
  syncing_ = was_syncing;
}

bool DialogWindow::HandleKey(QKeyEvent& event, fw::WindowState* control) {
  auto* dialog = dynamic_cast<fw::CDialog*>(state_.wnd);
  if (!dialog) return false;
  fw::UINT key = 0;
  bool shift = false;
  switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      // Qt reports Shift+Tab as Backtab; the core hears Tab with Shift.
      key = fw::VK_TAB;
      shift = event.key() == Qt::Key_Backtab || (event.modifiers() & Qt::ShiftModifier);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = fw::VK_RETURN;
      break;
    case Qt::Key_Escape:
      key = fw::VK_ESCAPE;
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      if (control && control->cls == WindowClass::kEdit) return false;  // the caret moves
      if (control && control->cls == WindowClass::kComboBox) {
        if (event.modifiers() & Qt::AltModifier) return false;  // opens the list
        const int n = static_cast<int>(control->items.size());
        if (n == 0) return true;
        int row = control->cur_sel;
        if (event.key() == Qt::Key_Up || event.key() == Qt::Key_Left) row = std::max(0, row - 1);
        if (event.key() == Qt::Key_Down || event.key() == Qt::Key_Right) {
          row = std::min(n - 1, row + 1);
        }
        if (event.key() == Qt::Key_Home || event.key() == Qt::Key_PageUp) row = 0;
        if (event.key() == Qt::Key_End || event.key() == Qt::Key_PageDown) row = n - 1;
        if (row != control->cur_sel) fw::UserPickComboRow(*control, row);
        backend_.AfterInput();
        return true;
      }
      static const std::pair<int, fw::UINT> keys[] = {
          {Qt::Key_Up, fw::VK_UP},        {Qt::Key_Down, fw::VK_DOWN},
          {Qt::Key_Left, fw::VK_LEFT},    {Qt::Key_Right, fw::VK_RIGHT},
          {Qt::Key_Home, fw::VK_HOME},    {Qt::Key_End, fw::VK_END},
          {Qt::Key_PageUp, fw::VK_PRIOR}, {Qt::Key_PageDown, fw::VK_NEXT}};
      for (const auto& [qt_key, vk] : keys) {
        if (qt_key == event.key()) key = vk;
      }
      break;
    }
    default:
      return false;
  }
  fw::UserKey(*dialog, key, shift);
  backend_.AfterInput();
  return true;
}

void DialogWindow::HandleFocusIn(fw::WindowState& control) {
  if (syncing_) return;
  if (state_.focus != &control) fw::UserFocus(control);
}

void DialogWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!state_.wnd) return;
  fw::CDC dc(
      [this](const fw::CFont& f, const std::string& t) { return backend_.MeasureText(f, t); });
  state_.wnd->PaintClient(dc);
  if (dc.ops().empty()) return;
  QPainter painter(this);
  // The picture is in 96-dpi pixels, as the client area's base units are.
  const double scale = backend_.Scale();
  painter.scale(scale, scale);
  ReplayOps(painter, dc.ops(),
            {[this](const fw::CFont& f) { return backend_.FontFor(f); },
             [this](std::string_view t, bool name) { return backend_.Shown(t, name); }});
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The window goes when the core destroys it, never by itself.
  event->ignore();
  auto* dialog = dynamic_cast<fw::CDialog*>(state_.wnd);
  if (!dialog || QApplication::activeModalWidget() != this) return;
  if (state_.style & fw::kStyleSysMenu) {
    fw::UserClose(*dialog);
  } else if (fw::WindowState* exit = fw::FindChild(state_, fw::IDCANCEL)) {
    // A window without a system menu has no close box of its own; the one
    // the window manager draws anyway does what its exit button does.
    fw::UserClick(*exit);
  }
  backend_.AfterInput();
}

void DialogWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || syncing_ || !isVisible()) return;
  const bool minimised = isMinimized();
  if (minimised != (state_.show_state == fw::SW_SHOWMINIMIZED)) {
    shown_minimised_ = minimised;
    fw::UserMinimise(state_, minimised);
    backend_.AfterInput();
  }
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  // Not QDialog's: Escape and Enter are the core's to handle.
  if (!HandleKey(*event, nullptr)) QWidget::keyPressEvent(event);
}

}  // namespace cdsetup::ui::qt
