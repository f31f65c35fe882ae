// TStringGrid: a table of text cells with fixed (header) rows and columns.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/control.h"

class TStringGrid : public TWinControl {
 public:
  explicit TStringGrid(TComponent* owner);

  int ColCount() const { return col_count_; }
  void SetColCount(int n);
  int RowCount() const { return row_count_; }
  void SetRowCount(int n);
  int FixedCols() const { return fixed_cols_; }
  void SetFixedCols(int n);
  int FixedRows() const { return fixed_rows_; }
  void SetFixedRows(int n);

  // Cells(column, row); cells outside the grid read as "" and ignore writes.
  const std::string& Cells(int col, int row) const;
  void SetCell(int col, int row, const std::string& text);

  int DefaultColWidth() const { return default_col_width_; }
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return default_row_height_; }
  void SetDefaultRowHeight(int h);
  int ColWidths(int col) const;
  void SetColWidth(int col, int w);
  int RowHeights(int row) const;
  void SetRowHeight(int row, int h);
  bool GridLines() const { return grid_lines_; }
  void SetGridLines(bool v);

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override;

 private:
  void Reshape();
  void ShowShape();
  void ShowCell(int col, int row);

  int col_count_ = 5, row_count_ = 5;
  int fixed_cols_ = 1, fixed_rows_ = 1;
  int default_col_width_ = 64, default_row_height_ = 24;
  bool grid_lines_ = true;
  std::vector<std::vector<std::string>> cells_;  // [row][col]
  std::vector<int> col_widths_, row_heights_;
};
