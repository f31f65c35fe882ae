#include "platform/ui/text_controls.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/ui/strings.h"

namespace {

Qt::Alignment QtAlignment(TAlignment a) {
  return a == taCenter ? Qt::AlignHCenter : a == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
}

// Measures captions in one font. Metrics made anew resolve the font each
// time, and captions are measured at every change (read-outs at every
// picture), so each font's metrics and the widths measured in it are kept.
class CaptionMeasure {
 public:
  static CaptionMeasure& Of(const TFont& font) {
    static std::vector<std::unique_ptr<CaptionMeasure>> fonts;
    static QCoreApplication* app = nullptr;
    // Fonts belong to the application of the moment (a test may make a new one).
    if (QCoreApplication::instance() != app) {
      fonts.clear();
      app = QCoreApplication::instance();
    }
    const QFont f = ToQFont(font);
    for (const auto& m : fonts)
      if (m->font_ == f) return *m;
    fonts.push_back(std::make_unique<CaptionMeasure>(f));
    return *fonts.back();
  }

  explicit CaptionMeasure(const QFont& f) : font_(f), metrics_(f) {}
  const QFontMetrics& Metrics() const { return metrics_; }
  int Width(const QString& text) {
    if (auto it = widths_.constFind(text); it != widths_.constEnd()) return *it;
    // Changing read-outs would make the list grow without end.
    if (widths_.size() >= 4096) widths_.clear();
    const int w = metrics_.horizontalAdvance(text);
    widths_.insert(text, w);
    return w;
  }

 private:
  QFont font_;
  QFontMetrics metrics_;
  QHash<QString, int> widths_;
};

std::string JoinLines(const std::vector<std::string>& lines, const char* sep) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += sep;
    out += lines[i];
  }
  return out;
}
}  // namespace

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  SetClickOnMouseUp(true);
  SetBounds(0, 0, 65, 13);
  AdjustSize();
}

QWidget* TLabel::MakeWidget() {
  auto* l = new QLabel();
  l->setTextFormat(Qt::PlainText);
  return l;
}

void TLabel::ShowOwnState() {
  auto* l = static_cast<QLabel*>(MadeWidget());
  l->setAlignment(QtAlignment(alignment_) | Qt::AlignTop);
  l->setWordWrap(word_wrap_);
}

void TLabel::ApplyCaption() {
  if (auto* l = static_cast<QLabel*>(MadeWidget())) l->setText(QString::fromStdString(WithoutAccessKeys(caption_)));
  AdjustSize();
}

void TLabel::ApplyColor() {
  QWidget* w = MadeWidget();
  if (!w) return;
  if (transparent_ || !ColorSet()) {
    w->setAutoFillBackground(false);
    return;
  }
  TControl::ApplyColor();
}

void TLabel::SetTransparent(bool v) {
  transparent_ = v;
  ApplyColor();
}

void TLabel::SetAutoSize(bool v) {
  auto_size_ = v;
  AdjustSize();
}

void TLabel::SetAlignment(TAlignment a) {
  alignment_ = a;
  if (auto* l = static_cast<QLabel*>(MadeWidget())) l->setAlignment(QtAlignment(a) | Qt::AlignTop);
  AdjustSize();
}

void TLabel::SetWordWrap(bool v) {
  word_wrap_ = v;
  if (auto* l = static_cast<QLabel*>(MadeWidget())) l->setWordWrap(v);
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!auto_size_ || adjusting_) return;
  CaptionMeasure& measure = CaptionMeasure::Of(font_);
  const QFontMetrics& fm = measure.Metrics();
  const QString text = QString::fromStdString(WithoutAccessKeys(caption_));
  int w, h;
  if (word_wrap_) {
    const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, width_), 100000), Qt::TextWordWrap, text);
    w = width_;
    h = std::max(fm.height(), r.height());
  } else {
    w = measure.Width(text);
    h = fm.height() * std::max<int>(1, static_cast<int>(text.count(QLatin1Char('\n'))) + 1);
  }
  int left = left_;
  if (alignment_ == taRightJustify) left = left_ + width_ - w;
  adjusting_ = true;
  SetBounds(left, top_, w, h);
  adjusting_ = false;
}

// ---------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  color_ = clWindow;
  SetBounds(0, 0, 121, 21);
}

QWidget* TEdit::MakeWidget() {
  auto* e = new QLineEdit();
  QObject::connect(e, &QLineEdit::textEdited, e, [this](const QString& s) {
    const std::string t = s.toStdString();
    if (t == text_) return;
    text_ = t;
    modified_ = true;
    if (OnChange) OnChange(this);
  });
  return e;
}

void TEdit::ShowOwnState() {
  auto* e = static_cast<QLineEdit*>(MadeWidget());
  e->setReadOnly(read_only_);
  if (max_length_ > 0) e->setMaxLength(max_length_);
  ShowText();
}

void TEdit::ShowText() {
  auto* e = static_cast<QLineEdit*>(MadeWidget());
  if (!e) return;
  QSignalBlocker block(e);
  e->setText(QString::fromStdString(text_));
}

void TEdit::SetText(const std::string& s) {
  if (s == text_) return;
  text_ = s;
  ShowText();
  if (OnChange) OnChange(this);
}

void TEdit::SetReadOnly(bool v) {
  read_only_ = v;
  if (auto* e = static_cast<QLineEdit*>(MadeWidget())) e->setReadOnly(v);
}

void TEdit::SetMaxLength(int n) {
  max_length_ = std::max(0, n);
  if (auto* e = static_cast<QLineEdit*>(MadeWidget())) {
    QSignalBlocker block(e);
    e->setMaxLength(max_length_ > 0 ? max_length_ : 32767);
    e->setText(QString::fromStdString(text_));
  }
}

void TEdit::SelectAll() {
  if (auto* e = static_cast<QLineEdit*>(Widget())) e->selectAll();
}

// ---------------------------------------------------------------- TMemo

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
  lines_.OnChange = [this] { LinesChanged(); };
  color_ = clWindow;
  SetBounds(0, 0, 185, 89);
}

QWidget* TMemo::MakeWidget() {
  auto* e = new QPlainTextEdit();
  HookWidget(e->viewport());
  QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] { UserEdited(); });
  return e;
}

void TMemo::ShowOwnState() {
  auto* e = static_cast<QPlainTextEdit*>(MadeWidget());
  ShowWrap();
  e->setReadOnly(read_only_);
  QSignalBlocker block(e);
  e->setPlainText(QString::fromStdString(JoinLines(shown_, "\n")));
  if (shown_at_end_) {
    QTextCursor c(e->document());
    c.movePosition(QTextCursor::End);
    e->setTextCursor(c);
    e->ensureCursorVisible();
  }
  e->document()->clearUndoRedoStacks();
}

std::string TMemo::Text() const { return JoinLines(lines_.Lines(), "\r\n"); }

void TMemo::LinesChanged() {
  if (from_widget_) return;
  auto* e = static_cast<QPlainTextEdit*>(MadeWidget());
  const std::vector<std::string>& now = lines_.Lines();
  const bool appended = now.size() > shown_.size() && std::equal(shown_.begin(), shown_.end(), now.begin());
  shown_at_end_ = appended;
  if (e) {
    QSignalBlocker block(e);
    if (appended) {
      // Lines added at the end: append them and show the end, as a log does.
      QTextCursor c(e->document());
      c.movePosition(QTextCursor::End);
      for (size_t i = shown_.size(); i < now.size(); ++i) {
        const QString line = QString::fromStdString(now[i]);
        c.insertText(i == 0 ? line : QStringLiteral("\n") + line);
      }
      e->setTextCursor(c);
      e->ensureCursorVisible();
    } else {
      e->setPlainText(QString::fromStdString(JoinLines(now, "\n")));
    }
    // Changes from code are not the user's to undo.
    e->document()->clearUndoRedoStacks();
  }
  shown_ = now;
  if (OnChange) OnChange(this);
}

void TMemo::UserEdited() {
  auto* e = static_cast<QPlainTextEdit*>(MadeWidget());
  if (!e) return;
  from_widget_ = true;
  lines_.SetText(e->toPlainText().toStdString());
  from_widget_ = false;
  shown_ = lines_.Lines();
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TMemo::SetReadOnly(bool v) {
  read_only_ = v;
  if (auto* e = static_cast<QPlainTextEdit*>(MadeWidget())) e->setReadOnly(v);
}

void TMemo::SetScrollBars(TScrollStyle s) {
  scroll_bars_ = s;
  ShowWrap();
}

void TMemo::SetWordWrap(bool v) {
  word_wrap_ = v;
  ShowWrap();
}

void TMemo::ShowWrap() {
  auto* e = static_cast<QPlainTextEdit*>(MadeWidget());
  if (!e) return;
  const bool h = scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth;
  const bool v = scroll_bars_ == ssVertical || scroll_bars_ == ssBoth;
  e->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  e->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  // A horizontal scroll bar means long lines are not wrapped.
  e->setLineWrapMode(word_wrap_ && !h ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool TMemo::CanUndo() const {
  auto* e = static_cast<QPlainTextEdit*>(MadeWidget());
  return e && e->document()->isUndoAvailable();
}

void TMemo::Undo() {
  if (auto* e = static_cast<QPlainTextEdit*>(Widget())) e->undo();
}

void TMemo::ClearUndo() {
  if (auto* e = static_cast<QPlainTextEdit*>(MadeWidget())) e->document()->clearUndoRedoStacks();
}

void TMemo::CutToClipboard() {
  if (auto* e = static_cast<QPlainTextEdit*>(Widget())) e->cut();
}

void TMemo::CopyToClipboard() {
  if (auto* e = static_cast<QPlainTextEdit*>(Widget())) e->copy();
}

void TMemo::PasteFromClipboard() {
  if (auto* e = static_cast<QPlainTextEdit*>(Widget())) e->paste();
}

bool TMemo::CanPaste() const {
  const auto* e = static_cast<QPlainTextEdit*>(Widget());
  return e && e->canPaste();
}

void TMemo::SelectAll() {
  if (auto* e = static_cast<QPlainTextEdit*>(Widget())) e->selectAll();
}

void TMemo::ClearSelection() {
  if (auto* e = static_cast<QPlainTextEdit*>(Widget()); e && e->textCursor().hasSelection())
    e->textCursor().removeSelectedText();
}

int TMemo::SelLength() const {
  auto* e = static_cast<QPlainTextEdit*>(Widget());
  return e ? static_cast<int>(e->textCursor().selectedText().size()) : 0;
}

std::string TMemo::SelText() const {
  auto* e = static_cast<QPlainTextEdit*>(Widget());
  if (!e) return {};
  QString t = e->textCursor().selectedText();
  t.replace(QChar(0x2029), QStringLiteral("\r\n"));
  return t.toStdString();
}

// ---------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TComponent* owner, TComboBoxStyle style) : TWinControl(owner) {
  items_.OnChange = [this] { ItemsChanged(); };
  color_ = clWindow;
  SetStyle(style);
  SetBounds(0, 0, 145, 21);
}

QWidget* TComboBox::MakeWidget() {
  auto* c = new QComboBox();
  c->setInsertPolicy(QComboBox::NoInsert);
  QObject::connect(c, &QComboBox::activated, c, [this](int i) { UserPicked(i); });
  return c;
}

void TComboBox::ShowOwnState() {
  ShowStyle();
  ShowItems();
  ShowState();
}

void TComboBox::SetStyle(TComboBoxStyle s) {
  style_ = s;
  if (s == csDropDownList && item_index_ < 0) text_.clear();
  ShowStyle();
  ShowState();
}

void TComboBox::ShowStyle() {
  auto* c = static_cast<QComboBox*>(MadeWidget());
  if (!c) return;
  QSignalBlocker block(c);
  const bool editable = style_ != csDropDownList;
  if (c->isEditable() != editable || (editable && !c->lineEdit())) {
    c->setEditable(editable);
    if (QLineEdit* e = c->lineEdit()) {
      HookWidget(e);
      QObject::connect(e, &QLineEdit::textEdited, e, [this](const QString& t) { UserTyped(t.toStdString()); });
    }
  }
}

void TComboBox::ShowItems() {
  auto* c = static_cast<QComboBox*>(MadeWidget());
  if (!c) return;
  QSignalBlocker block(c);
  c->clear();
  for (const std::string& s : items_.Lines()) c->addItem(QString::fromStdString(s));
}

void TComboBox::ShowState() {
  auto* c = static_cast<QComboBox*>(MadeWidget());
  if (!c) return;
  QSignalBlocker block(c);
  c->setCurrentIndex(item_index_);
  if (c->isEditable()) c->setEditText(QString::fromStdString(text_));
}

void TComboBox::ItemsChanged() {
  ShowItems();
  // The chosen item stays chosen only while it is still there.
  if (item_index_ >= items_.Count() || (item_index_ >= 0 && items_[item_index_] != text_))
    item_index_ = items_.IndexOf(text_);
  if (style_ == csDropDownList) text_ = item_index_ >= 0 ? items_[item_index_] : std::string();
  ShowState();
}

void TComboBox::SetItemIndex(int i) {
  if (i < -1 || i >= items_.Count()) i = -1;
  item_index_ = i;
  text_ = i >= 0 ? items_[i] : std::string();
  ShowState();
}

void TComboBox::SetText(const std::string& s) {
  const int i = items_.IndexOf(s);
  if (style_ == csDropDownList) {
    if (i >= 0) SetItemIndex(i);
    return;
  }
  text_ = s;
  item_index_ = i;
  ShowState();
}

void TComboBox::UserPicked(int i) {
  if (i < 0 || i >= items_.Count()) return;
  item_index_ = i;
  text_ = items_[i];
  ShowState();
  if (OnChange) OnChange(this);
}

void TComboBox::UserTyped(const std::string& s) {
  if (s == text_) return;
  text_ = s;
  item_index_ = items_.IndexOf(s);
  if (OnChange) OnChange(this);
}
