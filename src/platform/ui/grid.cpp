#include "platform/ui/grid.h"

#include <algorithm>

#include <QHeaderView>
#include <QTableWidget>

namespace {
QTableWidget* Table(QWidget* w) { return static_cast<QTableWidget*>(w); }
}  // namespace

TStringGrid::TStringGrid(TComponent* owner) : TWinControl(owner) {
  color_ = clWindow;
  Reshape();
  SetBounds(0, 0, 320, 120);
}

QWidget* TStringGrid::MakeWidget() {
  auto* t = new QTableWidget();
  t->horizontalHeader()->hide();
  t->verticalHeader()->hide();
  t->horizontalHeader()->setMinimumSectionSize(1);
  t->verticalHeader()->setMinimumSectionSize(1);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->setFocusPolicy(Qt::NoFocus);
  HookWidget(t->viewport());
  return t;
}

void TStringGrid::ShowOwnState() {
  ShowShape();
  if (QTableWidget* t = Table(MadeWidget())) t->setShowGrid(grid_lines_);
}

void TStringGrid::Reshape() {
  cells_.resize(static_cast<size_t>(row_count_));
  for (auto& row : cells_) row.resize(static_cast<size_t>(col_count_));
  col_widths_.resize(static_cast<size_t>(col_count_), default_col_width_);
  row_heights_.resize(static_cast<size_t>(row_count_), default_row_height_);
  ShowShape();
}

void TStringGrid::ShowShape() {
  QTableWidget* t = Table(MadeWidget());
  if (!t) return;
  t->setColumnCount(col_count_);
  t->setRowCount(row_count_);
  for (int c = 0; c < col_count_; ++c) t->setColumnWidth(c, col_widths_[static_cast<size_t>(c)]);
  for (int r = 0; r < row_count_; ++r) t->setRowHeight(r, row_heights_[static_cast<size_t>(r)]);
  for (int r = 0; r < row_count_; ++r)
    for (int c = 0; c < col_count_; ++c) ShowCell(c, r);
}

void TStringGrid::ShowCell(int col, int row) {
  QTableWidget* t = Table(MadeWidget());
  if (!t) return;
  QTableWidgetItem* item = t->item(row, col);
  if (!item) {
    item = new QTableWidgetItem();
    t->setItem(row, col, item);
  }
  item->setText(QString::fromStdString(cells_[static_cast<size_t>(row)][static_cast<size_t>(col)]));
  const bool fixed = row < fixed_rows_ || col < fixed_cols_;
  item->setBackground(fixed ? QBrush(ToQColor(clBtnFace)) : QBrush());
}

void TStringGrid::SetColCount(int n) {
  col_count_ = std::max(1, n);
  fixed_cols_ = std::min(fixed_cols_, col_count_ - 1);
  Reshape();
}

void TStringGrid::SetRowCount(int n) {
  row_count_ = std::max(1, n);
  fixed_rows_ = std::min(fixed_rows_, row_count_ - 1);
  Reshape();
}

void TStringGrid::SetFixedCols(int n) {
  fixed_cols_ = std::clamp(n, 0, col_count_ - 1);
  Reshape();
}

void TStringGrid::SetFixedRows(int n) {
  fixed_rows_ = std::clamp(n, 0, row_count_ - 1);
  Reshape();
}

const std::string& TStringGrid::Cells(int col, int row) const {
  static const std::string empty;
  if (col < 0 || row < 0 || col >= col_count_ || row >= row_count_) return empty;
  return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || col >= col_count_ || row >= row_count_) return;
  std::string& cell = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
  if (cell == text) return;
  cell = text;
  ShowCell(col, row);
}

void TStringGrid::SetDefaultColWidth(int w) {
  default_col_width_ = std::max(0, w);
  std::fill(col_widths_.begin(), col_widths_.end(), default_col_width_);
  Reshape();
}

void TStringGrid::SetDefaultRowHeight(int h) {
  default_row_height_ = std::max(0, h);
  std::fill(row_heights_.begin(), row_heights_.end(), default_row_height_);
  Reshape();
}

int TStringGrid::ColWidths(int col) const {
  if (col < 0 || col >= col_count_) return 0;
  return col_widths_[static_cast<size_t>(col)];
}

void TStringGrid::SetColWidth(int col, int w) {
  if (col < 0 || col >= col_count_) return;
  col_widths_[static_cast<size_t>(col)] = std::max(0, w);
  if (QTableWidget* t = Table(MadeWidget())) t->setColumnWidth(col, col_widths_[static_cast<size_t>(col)]);
}

int TStringGrid::RowHeights(int row) const {
  if (row < 0 || row >= row_count_) return 0;
  return row_heights_[static_cast<size_t>(row)];
}

void TStringGrid::SetRowHeight(int row, int h) {
  if (row < 0 || row >= row_count_) return;
  row_heights_[static_cast<size_t>(row)] = std::max(0, h);
  if (QTableWidget* t = Table(MadeWidget())) t->setRowHeight(row, row_heights_[static_cast<size_t>(row)]);
}

void TStringGrid::SetGridLines(bool v) {
  grid_lines_ = v;
  if (QTableWidget* t = Table(MadeWidget())) t->setShowGrid(v);
}
