#include "ui/qt/row_widgets.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

#include "framework/controls.h"
#include "framework/input.h"
#include "ui/qt/dc_replay.h"
#include "ui/qt/window_host.h"

namespace cdsetup::ui::qt {

namespace {

fw::CListControl* ListOf(fw::WindowState& state) {
  if (!state.wnd && state.parent && state.parent->wnd) state.parent->wnd->GetDlgItem(state.id);
  return dynamic_cast<fw::CListControl*>(state.wnd);
}

bool HasFocus(const fw::WindowState& state) {
  const fw::WindowState* top = &state;
  while (top->parent) top = top->parent;
  return top->focus == &state;
}

int RowHeight(const fw::WindowState& state) {
  return std::max(1, state.item_height);
}

}  // namespace

void ShowFieldText(QLineEdit& field, const QString& text, std::size_t limit) {
  const int room = limit > 0 ? static_cast<int>(std::min<std::size_t>(limit, 32767)) : 32767;
  // Set before the text: a shorter limit would cut it.
  field.setMaxLength(std::max(room, static_cast<int>(text.size())));
  if (field.text() != text) field.setText(text);
}

void PaintListRow(WindowHost& backend, fw::WindowState& list, QPainter& painter, const QRect& rect,
                  int row, fw::UINT row_state) {
  fw::CListControl* control = ListOf(list);
  painter.save();
  painter.translate(rect.topLeft());
  if (control && control->OwnerDrawn()) {
    fw::CDC dc(
        [&backend](const fw::CFont& f, const std::string& t) { return backend.MeasureText(f, t); });
    control->PaintRow(dc, row, row_state, fw::CRect{0, 0, rect.width(), rect.height()});
    ReplayOps(painter, dc.ops(),
              {[&backend](const fw::CFont& f) { return backend.FontFor(f); },
               [&backend](std::string_view t, bool name) { return backend.Shown(t, name); }});
  } else if (row >= 0 && row < static_cast<int>(list.items.size())) {
    // Rows with texts only: the system's own look.
    const bool selected = (row_state & fw::ODS_SELECTED) != 0;
    const QRect local(0, 0, rect.width(), rect.height());
    painter.fillRect(local,
                     ToQColor(fw::GetSysColor(selected ? fw::COLOR_HIGHLIGHT : fw::COLOR_WINDOW)));
    painter.setPen(
        ToQColor(fw::GetSysColor(selected ? fw::COLOR_HIGHLIGHTTEXT : fw::COLOR_WINDOWTEXT)));
    painter.setFont(backend.FontFor(list.font));
    painter.drawText(local.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     backend.Shown(list, list.items[static_cast<std::size_t>(row)].text));
  }
  painter.restore();
}

// --- List boxes ------------------------------------------------------------------

RowList::RowList(WindowHost& backend, fw::WindowState& state, QWidget* parent)
    : QAbstractScrollArea(parent), backend_(backend), state_(state) {
  setFocusPolicy(Qt::StrongFocus);
  setFrameStyle((state.style & fw::kStyleBorder) ? (QFrame::StyledPanel | QFrame::Sunken)
                                                 : QFrame::NoFrame);
  // A list that keeps its scroll bar shows it even when everything fits.
  setVerticalScrollBarPolicy((state.style & fw::kStyleDisableNoScroll) ? Qt::ScrollBarAlwaysOn
                             : (state.style & fw::kStyleVScroll)       ? Qt::ScrollBarAsNeeded
                                                                       : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setAutoFillBackground(true);
  QPalette pal = viewport()->palette();
  pal.setColor(QPalette::Base, ToQColor(fw::GetSysColor(fw::COLOR_WINDOW)));
  viewport()->setPalette(pal);
}

QRect RowList::RowRect(int row) const {
  const int h = RowHeight(state_);
  return QRect(0, row * h - verticalScrollBar()->value(), viewport()->width(), h);
}

int RowList::RowAt(int y) const {
  const int row = (y + verticalScrollBar()->value()) / RowHeight(state_);
  return row >= 0 && row < static_cast<int>(state_.items.size()) ? row : -1;
}

void RowList::UpdateRange() {
  const int h = RowHeight(state_);
  const int total = static_cast<int>(state_.items.size()) * h;
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, std::max(0, total - viewport()->height()));
  bar->setPageStep(std::max(h, viewport()->height()));
  bar->setSingleStep(h);
}

void RowList::Sync() {
  UpdateRange();
  if (state_.cur_sel != shown_sel_) {
    shown_sel_ = state_.cur_sel;
    if (state_.cur_sel >= 0) {
      // The selected row is scrolled into view, as the list does.
      const int h = RowHeight(state_);
      QScrollBar* bar = verticalScrollBar();
      const int top = state_.cur_sel * h;
      if (top < bar->value()) bar->setValue(top);
      if (top + h > bar->value() + viewport()->height())
        bar->setValue(top + h - viewport()->height());
    }
  }
  viewport()->update();
}

void RowList::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateRange();
}

void RowList::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), ToQColor(fw::GetSysColor(fw::COLOR_WINDOW)));
  const int n = static_cast<int>(state_.items.size());
  const bool focused = HasFocus(state_);
  for (int row = 0; row < n; ++row) {
    const QRect r = RowRect(row);
    if (r.bottom() < 0) continue;
    if (r.top() >= viewport()->height()) break;
    fw::UINT flags = 0;
    if (row == state_.cur_sel) flags |= fw::ODS_SELECTED;
    // Without a selection the mark stands on the first row, where the
    // arrow keys start.
    const int caret = state_.caret >= 0 ? state_.caret : std::max(state_.cur_sel, 0);
    if (focused && row == caret) flags |= fw::ODS_FOCUS;
    PaintListRow(backend_, state_, painter, r, row, flags);
  }
}

void RowList::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int row = RowAt(event->position().toPoint().y());
  if (row >= 0) {
    fw::UserPickRow(state_, row);
    backend_.AfterInput();
  }
}

void RowList::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int row = RowAt(event->position().toPoint().y());
  if (row >= 0) {
    fw::UserDoubleClickRow(state_, row);
    backend_.AfterInput();
  }
}

// --- Combo boxes -------------------------------------------------------------------

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  PaintListRow(backend_, state_, *painter, option.rect, index.row(),
               selected ? (fw::ODS_SELECTED | fw::ODS_FOCUS) : 0);
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(option.rect.width(), RowHeight(state_));
}

RowCombo::RowCombo(WindowHost& backend, fw::WindowState& state, QWidget* parent)
    : QComboBox(parent), backend_(backend), state_(state) {
  setFocusPolicy(Qt::StrongFocus);
  const bool editable = (state.style & fw::kStyleDropDownList) == 0;
  setEditable(editable);
  setInsertPolicy(QComboBox::NoInsert);
  setItemDelegate(new RowDelegate(backend, state, this));
  connect(this, &QComboBox::activated, this, [this](int row) {
    fw::UserPickComboRow(state_, row);
    backend_.AfterInput();
  });
  if (editable) {
    lineEdit()->setFrame(false);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
      fw::UserType(state_, backend_.Typed(state_, text));
      backend_.AfterInput();
    });
  }
}

bool RowCombo::OwnerDrawn() const {
  return (state_.style & fw::kStyleOwnerDrawFixed) != 0;
}

void RowCombo::Sync() {
  const QSignalBlocker block(this);
  const int n = static_cast<int>(state_.items.size());
  bool same = count() == n;
  for (int i = 0; same && i < n; ++i) {
    same = itemText(i) == backend_.Shown(state_, state_.items[static_cast<std::size_t>(i)].text);
  }
  if (!same) {
    clear();
    for (const fw::ListItem& item : state_.items) addItem(backend_.Shown(state_, item.text));
  }
  if (currentIndex() != state_.cur_sel) setCurrentIndex(state_.cur_sel);
  if (isEditable()) {
    ShowFieldText(*lineEdit(), backend_.Shown(state_, state_.text), state_.limit);
  }
  // The open list is as tall as the template's box allows.
  const int rows = (state_.dropped_rect.Height() - state_.rect.Height()) / RowHeight(state_);
  setMaxVisibleItems(std::max(1, rows));
  update();
}

void RowCombo::paintEvent(QPaintEvent* event) {
  if (!OwnerDrawn() || isEditable()) {
    QComboBox::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  const fw::UINT flags = fw::ODS_COMBOBOXEDIT | (hasFocus() ? fw::ODS_SELECTED | fw::ODS_FOCUS : 0);
  // The closed field shows the row picked, drawn by the owner as a list row.
  PaintListRow(backend_, state_, painter, field, state_.cur_sel, flags);
}

}  // namespace cdsetup::ui::qt
