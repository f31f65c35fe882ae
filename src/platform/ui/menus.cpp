#include "platform/ui/menus.h"

#include <algorithm>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include "platform/ui/forms.h"
#include "platform/ui/strings.h"

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  dying_ = true;
  while (!items_.empty()) {
    TMenuItem* c = items_.back();
    c->BeforeDestruction();
    delete c;  // takes itself out of items_
  }
  delete action_;
  delete submenu_;
}

QAction* TMenuItem::Action() const { return const_cast<TMenuItem*>(this)->MakeAction(); }

QMenu* TMenuItem::SubMenu() const {
  const_cast<TMenuItem*>(this)->MakeAction();
  return submenu_;
}

QAction* TMenuItem::MakeAction() {
  if (action_) return action_;
  action_ = new QAction();
  QObject::connect(action_, &QAction::triggered, action_, [this] { Click(); });
  Sync();
  if (!items_.empty()) ShowChildren();
  return action_;
}

void TMenuItem::ShowChildren() {
  QWidget* box = ChildContainer();
  for (TMenuItem* c : items_) box->addAction(c->MakeAction());
}

void TMenuItem::ShowIn(QWidget* container) {
  external_container_ = container;
  ShowChildren();
}

QWidget* TMenuItem::ShownContainer() const {
  if (external_container_) return external_container_;
  return submenu_;
}

bool TMenuItem::ShowsAnItemInABar() const {
  for (const TMenuItem* c : items_)
    if (c->visible_ && c->caption_ != "-") return true;
  return false;
}

void TMenuItem::Sync() {
  if (!action_) return;
  QSignalBlocker block(action_);
  // A separator with text would be drawn as a section title showing "-".
  const bool separator = caption_ == "-";
  action_->setSeparator(separator);
  action_->setText(separator ? QString() : QString::fromStdString(caption_));
  action_->setEnabled(enabled_);
  action_->setVisible(visible_);
  action_->setCheckable(checked_);
  action_->setChecked(checked_);
  action_->setShortcut(QKeySequence(QString::fromStdString(shortcut_)));
}

void TMenuItem::SetCaption(const std::string& s) {
  caption_ = s;
  Sync();
}

void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Sync();
  if (v && radio_ && parent_) {
    for (TMenuItem* sib : parent_->items_) {
      if (sib != this && sib->radio_ && sib->group_index_ == group_index_ && sib->checked_) {
        sib->checked_ = false;
        sib->Sync();
      }
    }
  }
}

void TMenuItem::SetEnabled(bool v) {
  enabled_ = v;
  Sync();
}

void TMenuItem::SetVisible(bool v) {
  visible_ = v;
  Sync();
}

void TMenuItem::SetRadioItem(bool v) { radio_ = v; }

void TMenuItem::SetShortCut(const std::string& keys) {
  shortcut_ = keys;
  Sync();
}

QWidget* TMenuItem::ChildContainer() {
  if (external_container_) return external_container_;
  if (!submenu_) {
    submenu_ = new QMenu();
    // Opening a submenu is the item's click.
    QObject::connect(submenu_, &QMenu::aboutToShow, submenu_, [this] {
      if (OnClick) OnClick(this);
    });
    action_->setMenu(submenu_);
  }
  return submenu_;
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  // Until this item's own menu is made, its children are only listed.
  if (!external_container_ && !action_) return;
  // The container holds the items' actions in the items' order: the new one
  // goes before its successor's (or last).
  const size_t next = static_cast<size_t>(index) + 1;
  ChildContainer()->insertAction(next < items_.size() ? items_[next]->MakeAction() : nullptr, item->MakeAction());
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  if (dying_) return;
  if (QWidget* box = ShownContainer(); box && item->action_) box->removeAction(item->action_);
}

void TMenuItem::Delete(int index) {
  TMenuItem* c = Items(index);
  if (!c) return;
  c->BeforeDestruction();
  delete c;
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Items(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return items_[static_cast<size_t>(i)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<size_t>(i)] == item) return i;
  return -1;
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
  const std::string want = WithoutAccessKeys(caption);
  for (TMenuItem* c : items_)
    if (WithoutAccessKeys(c->caption_) == want) return c;
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_ || !visible_) return;
  if (OnClick) OnClick(this);
  // The real menu may have toggled its own mark: show ours again.
  Sync();
}

// ---------------------------------------------------------------- TMainMenu

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(nullptr)) {}

TMainMenu::~TMainMenu() {
  if (form_) form_->SetMenu(nullptr);
  FreeAndNil(root_);
  delete bar_.data();
}

QMenuBar* TMainMenu::MenuBar() const {
  if (!bar_made_) {
    auto* self = const_cast<TMainMenu*>(this);
    self->bar_made_ = true;
    auto* bar = new QMenuBar();
    bar->setNativeMenuBar(false);
    self->bar_ = bar;
    root_->ShowIn(bar);
  }
  return bar_.data();
}

// ---------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
  FreeAndNil(root_);
  delete menu_.data();
}

QMenu* TPopupMenu::Menu() const {
  if (!menu_made_) {
    auto* self = const_cast<TPopupMenu*>(this);
    self->menu_made_ = true;
    auto* menu = new QMenu();
    self->menu_ = menu;
    root_->ShowIn(menu);
  }
  return menu_.data();
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  if (QMenu* menu = Menu()) menu->popup(QPoint(x, y));
}
