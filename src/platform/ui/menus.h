// Menus: TMenuItem trees under a form's TMainMenu or a TPopupMenu.
//
// An item's state (caption, check mark, enabled, visible) lives in the item;
// the Qt action only shows it, and is made when a menu first needs it (the
// menu bar of a shown window, a popup menu): most windows are never opened. Choosing an item (Click(), or the user in the
// real menu) runs OnClick and never changes the check mark by itself: the
// handlers set Checked as they see fit. An item with children opens a
// submenu, and opening it runs the item's OnClick (handlers use this to
// enable entries before they are seen).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control.h"

class QAction;
class QMenu;
class QMenuBar;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  // "-" makes a separator; "&" marks the access key ("&&" is a plain "&").
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& s);
  bool Checked() const { return checked_; }
  // Checking a RadioItem unchecks the other radio items of the same
  // GroupIndex under the same parent. Runs no handler.
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool RadioItem() const { return radio_; }
  void SetRadioItem(bool v);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int g) { group_index_ = g; }
  // A key combination such as "Ctrl+X" (empty: none).
  const std::string& ShortCut() const { return shortcut_; }
  void SetShortCut(const std::string& keys);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& s) { hint_ = s; }

  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Takes the item out of this menu without deleting it.
  void Remove(TMenuItem* item);
  // Deletes the child at index.
  void Delete(int index);
  // Deletes every child.
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const;
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  // A child by caption, access-key marks ignored.
  TMenuItem* Find(const std::string& caption) const;

  // The user's choice of this item (simulates the user): OnClick when the
  // item is enabled and visible; the check mark is left as it is.
  virtual void Click();

  TNotifyEvent OnClick;

  // The action that shows the item (made now if it was not yet).
  QAction* Action() const;
  // The submenu that shows the children (made with the action of an item
  // that has children, or with its first child).
  QMenu* SubMenu() const;

 private:
  friend class TMainMenu;
  friend class TPopupMenu;
  friend class TForm;
  void Sync();
  QAction* MakeAction();
  // The widget the children's actions are in, once it is made.
  QWidget* ShownContainer() const;
  QWidget* ChildContainer();
  // Puts every child's action in the (new) container.
  void ShowChildren();
  // A root item's children go into the menu bar or popup menu made for them.
  void ShowIn(QWidget* container);
  // A menu bar of these items has a line of height.
  bool ShowsAnItemInABar() const;

  std::string caption_;
  std::string shortcut_;
  std::string hint_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radio_ = false;
  int group_index_ = 0;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  QAction* action_ = nullptr;
  QMenu* submenu_ = nullptr;
  // Root items show their children in the menu bar or the popup menu.
  QPointer<QWidget> external_container_;
  bool dying_ = false;
};

// The menu bar of a form (TForm::SetMenu).
class TMainMenu : public TComponent {
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  // The top-level items are the children of this root item.
  TMenuItem* Items() const { return root_; }
  // The bar (made now if it was not yet).
  QMenuBar* MenuBar() const;
  bool BarMade() const { return bar_made_; }
  TForm* Form() const { return form_; }

 private:
  friend class TForm;
  TMenuItem* root_ = nullptr;
  QPointer<QMenuBar> bar_;
  bool bar_made_ = false;
  TForm* form_ = nullptr;
};

// A context menu, shown by Popup or by a right click on a control whose
// PopupMenu it is.
class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  TMenuItem* Items() const { return root_; }
  // Runs OnPopup, then shows the menu at screen position (x, y) without waiting.
  void Popup(int x, int y);
  QMenu* Menu() const;
  TNotifyEvent OnPopup;

 private:
  TMenuItem* root_ = nullptr;
  QPointer<QMenu> menu_;
  bool menu_made_ = false;
};
