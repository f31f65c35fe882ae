// Text controls: labels, one-line edits, memos and combo boxes.
#pragma once

#include <string>

#include "platform/ui/control.h"
#include "platform/ui/strings.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A caption on its parent. It paints its Color only when not Transparent and
// a colour was set; otherwise the parent shows through. With AutoSize (the
// default) it takes the size of its text (a right-justified label keeps its
// right edge). "&&" shows as "&"; a single "&" is not shown.
class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override;
  void ApplyCaption() override;
  void ApplyColor() override;
  // With AutoSize the text decides the size, whatever SetBounds asked for.
  void Resized() override { AdjustSize(); }

 private:
  void AdjustSize();
  bool transparent_ = false;
  bool auto_size_ = true;
  bool word_wrap_ = false;
  bool adjusting_ = false;
  TAlignment alignment_ = taLeftJustify;
};

// A one-line text entry. OnChange runs on every real change of Text, from
// code or from the user; the key events of TWinControl give Enter and other keys.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& s);
  void Clear() { SetText(std::string()); }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  // 0: no limit. Limits what the user can type.
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int n);
  // The user changed the text since the flag was last cleared.
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  void SelectAll();

  TNotifyEvent OnChange;

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override;

 private:
  void ShowText();
  std::string text_;
  bool read_only_ = false;
  int max_length_ = 0;
  bool modified_ = false;
};

// A multi-line text. Lines() is the text; changing it from code shows the
// change and runs OnChange, as editing by the user does. Modified is set by
// the user's edits only.
class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* owner);
  TStrings& Lines() { return lines_; }
  const TStrings& Lines() const { return lines_; }
  // The lines joined by CR LF (no line break after the last).
  std::string Text() const;
  void SetText(const std::string& s) { lines_.SetText(s); }
  void Clear() { lines_.Clear(); }

  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle s);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }

  // Editing commands, as the Edit menu gives them to the user.
  bool CanUndo() const;
  void Undo();
  void ClearUndo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  // The clipboard holds text that a paste would insert.
  bool CanPaste() const;
  void SelectAll();
  void ClearSelection();
  int SelLength() const;
  std::string SelText() const;

  TNotifyEvent OnChange;

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override;

 private:
  void LinesChanged();
  void UserEdited();
  void ShowWrap();

  TStrings lines_;
  std::vector<std::string> shown_;
  // The last change added lines at the end: the end is in view.
  bool shown_at_end_ = false;
  bool from_widget_ = false;
  bool read_only_ = false;
  bool word_wrap_ = true;
  bool modified_ = false;
  TScrollStyle scroll_bars_ = ssNone;
};

// A drop-down list. ItemIndex and Text set from code run nothing; OnChange
// runs only when the user picks an item or types.
class TComboBox : public TWinControl {
 public:
  // A box made as a drop-down list from the start never builds the editor
  // that the default style needs.
  explicit TComboBox(TComponent* owner, TComboBoxStyle style = csDropDown);
  TStrings& Items() { return items_; }
  const TStrings& Items() const { return items_; }
  // -1: no item chosen.
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int i);
  const std::string& Text() const { return text_; }
  // Selects the item with that text; a csDropDown box also takes any other text.
  void SetText(const std::string& s);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);

  TNotifyEvent OnChange;

 protected:
  QWidget* MakeWidget() override;
  void ShowOwnState() override;

 private:
  void ItemsChanged();
  void ShowStyle();
  void ShowItems();
  void ShowState();
  void UserPicked(int i);
  void UserTyped(const std::string& s);

  TStrings items_;
  int item_index_ = -1;
  std::string text_;
  TComboBoxStyle style_ = csDropDown;
};
