// List boxes and combo boxes whose rows their owner draws: each row is
// painted by the control's own DrawItem through a recording CDC replayed on
// a QPainter, at the control's fixed row height.
#pragma once

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "framework/wnd.h"

namespace cdsetup::ui::qt {

namespace fw = framework;
class WindowHost;

/// Shows the core's text of an edit field with its limit as Windows keeps
/// it: typing stops at the limit, but a text the program set is shown whole,
/// however long (a Qt length limit would cut it where the core does not).
void ShowFieldText(QLineEdit& field, const QString& text, std::size_t limit);

/// Paints row `row` of `list` into `painter` at `rect` (its own coordinates).
void PaintListRow(WindowHost& backend, fw::WindowState& list, QPainter& painter, const QRect& rect,
                  int row, fw::UINT row_state);

/// A list box: rows item_height pixels high, a click picks, a double-click opens.
class RowList : public QAbstractScrollArea {
 public:
  RowList(WindowHost& backend, fw::WindowState& state, QWidget* parent);
  void Sync();
  /// Where row `row` is drawn, in the viewport's coordinates.
  QRect RowRect(int row) const;
  int RowAt(int y) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateRange();
  WindowHost& backend_;
  fw::WindowState& state_;
  int shown_sel_ = -2;
};

/// Paints a combo box's list rows through the owner.
class RowDelegate : public QStyledItemDelegate {
 public:
  RowDelegate(WindowHost& backend, fw::WindowState& state, QObject* parent)
      : QStyledItemDelegate(parent), backend_(backend), state_(state) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  WindowHost& backend_;
  fw::WindowState& state_;
};

/// A combo box: list-only or with an edit field; owner-drawn rows, the
/// closed field included, when its style says so.
class RowCombo : public QComboBox {
 public:
  RowCombo(WindowHost& backend, fw::WindowState& state, QWidget* parent);
  void Sync();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool OwnerDrawn() const;
  WindowHost& backend_;
  fw::WindowState& state_;
};

}  // namespace cdsetup::ui::qt
