// What the two owner-drawn lists share: at creation they take their parent's
// font, measure a row in it and set the row height every row gets.
#pragma once

#include "framework/controls.h"
#include "pages/row_metrics.h"

namespace cdsetup::pages {

/// `List` is the framework's list box or combo box.
template <class List>
class COwnerDrawnList : public List {
 public:
  int item_height() const { return m_nItemHeight; }
  int text_height() const { return m_nTextHeight; }

  int OnCreate() override {
    InitFont(nullptr);
    const RowMetrics rows = MeasureRows(*this, m_pFont);
    m_nTextHeight = rows.text_height;
    m_nItemHeight = rows.item_height;
    this->SetItemHeight(m_nItemHeight);
    return 0;
  }
  virtual void InitFont(framework::CDC*) { m_pFont = ParentFont(*this); }
  void MeasureItem(framework::LPMEASUREITEMSTRUCT item) override {
    item->itemHeight = static_cast<framework::UINT>(m_nItemHeight);
  }

 protected:
  int m_nTextHeight = 0;
  int m_nItemHeight = 16;
  const framework::CFont* m_pFont = nullptr;
};

}  // namespace cdsetup::pages
