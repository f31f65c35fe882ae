// Edits, memos, combo boxes, string lists and grids: text kept in the
// control, OnChange on real changes, and the user's typing.
#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"
#include "support/temp_home.h"

namespace {
void Type(QWidget* w, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
}
}  // namespace

TEST(Edit, OnChangeOnRealChangesFromCodeAndUser) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  std::vector<std::string> changes;
  edit->OnChange = [&](TObject* s) { changes.push_back(static_cast<TEdit*>(s)->Text()); };
  edit->SetText("125.5");
  edit->SetText("125.5");
  Type(edit->Widget(), Qt::Key_1, "1");
  EXPECT_EQ(changes, (std::vector<std::string>{"125.5", "125.51"}));
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(static_cast<QLineEdit*>(edit->Widget())->text(), "125.51");
}

TEST(Edit, KeyPressMayReplaceOrSwallowCharacters) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  std::vector<unsigned short> downs;
  edit->OnKeyDown = [&](TObject*, unsigned short& key, TShiftState) { downs.push_back(key); };
  edit->OnKeyPress = [](TObject*, char& c) {
    if (c == ',') c = '.';  // decimal comma accepted
    if (c == 'x') c = 0;
  };
  Type(edit->Widget(), Qt::Key_2, "2");
  Type(edit->Widget(), Qt::Key_Comma, ",");
  Type(edit->Widget(), Qt::Key_X, "x");
  Type(edit->Widget(), Qt::Key_5, "5");
  Type(edit->Widget(), Qt::Key_Return, "\r");
  EXPECT_EQ(edit->Text(), "2.5");
  EXPECT_EQ(downs, (std::vector<unsigned short>{'2', VK_OEM_COMMA, 'X', '5', VK_RETURN}));
}

TEST(Memo, LinesChangeTheTextAndRunOnChange) {
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  int changes = 0;
  memo->OnChange = [&](TObject*) { ++changes; };
  memo->Lines().Add("Calibration results:");
  memo->Lines().Add("");
  memo->Lines().Add("CH1\tOK");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(memo->Text(), "Calibration results:\r\n\r\nCH1\tOK");
  auto* edit = static_cast<QPlainTextEdit*>(memo->Widget());
  EXPECT_EQ(edit->toPlainText(), "Calibration results:\n\nCH1\tOK");
  EXPECT_FALSE(memo->Modified());
  EXPECT_FALSE(memo->CanUndo());

  memo->Lines().SetStrings(0, "Results");
  EXPECT_EQ(edit->toPlainText(), "Results\n\nCH1\tOK");
  memo->Lines().BeginUpdate();
  memo->Lines().Clear();
  memo->Lines().Add("a");
  memo->Lines().EndUpdate();
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(edit->toPlainText(), "a");
}

TEST(Memo, UserEditsUpdateLinesAndModified) {
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetText("1\r\n2");
  int changes = 0;
  memo->OnChange = [&](TObject*) { ++changes; };
  auto* edit = static_cast<QPlainTextEdit*>(memo->Widget());
  edit->moveCursor(QTextCursor::End);
  Type(edit, Qt::Key_Return, "\r");
  Type(edit, Qt::Key_3, "3");
  EXPECT_EQ(memo->Lines().Count(), 3);
  EXPECT_EQ(memo->Lines()[2], "3");
  EXPECT_TRUE(memo->Modified());
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(memo->CanUndo());
  memo->Undo();
  EXPECT_EQ(memo->Lines()[2], "");
}

TEST(ComboBox, OnChangeOnlyFromTheUser) {
  TForm form(nullptr);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  combo->SetStyle(csDropDownList);
  combo->Items().Add("COM 1");
  combo->Items().Add("COM 2");
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), "COM 2");
  combo->SetText("com 1");
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->SetText("COM 9");  // not an item of a list-only box
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(changes, 0);
  auto* q = static_cast<QComboBox*>(combo->Widget());
  EXPECT_EQ(q->currentIndex(), 0);
  emit q->activated(1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "COM 2");
  EXPECT_EQ(changes, 1);
  combo->Items().Clear();
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), "");
}

TEST(Strings, TextSplitsAnyLineEndAndFilesUseCrLf) {
  TStrings s;
  s.SetText("a\r\nb\nc\rd\r\n");
  EXPECT_EQ(s.Lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
  s.SetText("x\r\n\r\n");
  EXPECT_EQ(s.Lines(), (std::vector<std::string>{"x", ""}));
  EXPECT_EQ(s.Text(), "x\r\n\r\n");
  EXPECT_EQ(s[5], "");  // out of range reads empty
  s.SetStrings(7, "ignored");
  EXPECT_EQ(s.Count(), 2);

  TempHome home;
  const std::string path = home.Path() + "/seq.txt";
  s.SetText("1\t125.5\n2\t1000");
  ASSERT_TRUE(s.SaveToFile(path));
  std::ifstream in(path, std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(raw, "1\t125.5\r\n2\t1000\r\n");
  TStrings back;
  ASSERT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(back.Lines(), s.Lines());
  EXPECT_FALSE(back.LoadFromFile(home.Path() + "/missing.txt"));
  EXPECT_EQ(back.Lines(), s.Lines());
  EXPECT_FALSE(s.SaveToFile(home.Path() + "/no/such/dir/x.txt"));
}

TEST(StringGrid, CellsKeepTextAndIgnoreOutsideWrites) {
  TForm form(nullptr);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetColCount(3);
  grid->SetRowCount(25);
  grid->SetColWidth(0, 158);
  grid->SetCell(1, 8, "1.234 V");
  grid->SetCell(3, 0, "outside");
  grid->SetCell(-1, 2, "outside");
  EXPECT_EQ(grid->Cells(1, 8), "1.234 V");
  EXPECT_EQ(grid->Cells(3, 0), "");
  EXPECT_EQ(grid->ColWidths(0), 158);
  grid->SetRowCount(5);  // shrinking drops rows, keeps the rest
  grid->SetRowCount(25);
  EXPECT_EQ(grid->Cells(1, 8), "");
  grid->SetCell(2, 4, "x");
  grid->SetColCount(4);
  EXPECT_EQ(grid->Cells(2, 4), "x");
}

TEST(Label, AutoSizeFollowsCaptionAndRightJustifiedKeepsItsRightEdge) {
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetCaption("Trigger off");
  const int w = label->Width();
  EXPECT_GT(w, 0);
  label->SetCaption("Trigger off, waiting");
  EXPECT_GT(label->Width(), w);
  label->SetAlignment(taRightJustify);
  label->SetLeft(100);
  const int right = label->Left() + label->Width();
  label->SetCaption("x");
  EXPECT_EQ(label->Left() + label->Width(), right);
  // Placing an auto-sized label moves it but keeps the text's size.
  const int h = label->Height();
  label->SetAlignment(taLeftJustify);
  label->SetBounds(10, 170, 0, 0);
  EXPECT_EQ(label->Left(), 10);
  EXPECT_EQ(label->Height(), h);
  EXPECT_GT(label->Width(), 0);
  label->SetCaption("Calibrate && Exit");
  EXPECT_EQ(static_cast<QLabel*>(label->Widget())->text(), "Calibrate & Exit");
}

TEST(Label, EachCaptionTakesTheSizeItsOwnFontGivesIt) {
  // Measured in one font after another and back: a width kept for one font
  // must never size a caption in another.
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  const struct {
    int size;
    unsigned style;
    const char* caption;
  } cases[] = {
      {8, 0, "20ms"}, {12, 0, "20ms"}, {8, fsBold, "20ms"}, {8, 0, "20ms"}, {12, fsBold, "1.25 kHz"},
      {8, 0, "1.25 kHz"}, {12, fsBold, "20ms"}, {8, 0, "two\nlines"}, {12, 0, "two\nlines"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " " + c.caption);
    label->Font().Size = c.size;
    label->Font().Style = c.style;
    label->FontChanged();
    label->SetCaption(c.caption);
    TFont font;
    font.Size = c.size;
    font.Style = c.style;
    const QFontMetrics fm(ToQFont(font));
    const QString text = QString::fromUtf8(c.caption);
    EXPECT_EQ(label->Width(), fm.horizontalAdvance(text));
    EXPECT_EQ(label->Height(), fm.height() * (text.count(QLatin1Char('\n')) + 1));
  }
}

TEST(Memo, MouseClicksReachTheTextAndTheHandlers) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetBounds(0, 0, 280, 180);
  memo->SetText("first\r\nsecond\r\nthird");
  form.Show();
  int downs = 0, formDowns = 0;
  memo->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  form.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
  auto* edit = static_cast<QPlainTextEdit*>(memo->Widget());
  const QRect second = edit->cursorRect(QTextCursor(edit->document()->findBlockByNumber(1)));
  const QPoint p = second.center() + QPoint(2, 0);
  QMouseEvent press(QEvent::MouseButtonPress, p, edit->viewport()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(edit->viewport(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, edit->viewport()->mapToGlobal(p), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(edit->viewport(), &release);
  EXPECT_EQ(edit->textCursor().blockNumber(), 1);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(formDowns, 0);
}

TEST(ComboBox, KeysInAnEditableBoxStillWorkTheList) {
  TForm form(nullptr);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  combo->Items().Add("1000");
  combo->Items().Add("10000");
  combo->SetItemIndex(0);
  int changes = 0;
  std::string typed;
  combo->OnChange = [&](TObject*) { ++changes; };
  combo->OnKeyPress = [&](TObject*, char& c) { typed += c; };
  QLineEdit* line = static_cast<QComboBox*>(combo->Widget())->lineEdit();
  ASSERT_NE(line, nullptr);
  Type(line, Qt::Key_Down, {});
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "10000");
  Type(line, Qt::Key_5, "5");
  EXPECT_EQ(combo->Text(), "100005");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(typed, "5");
  EXPECT_EQ(changes, 2);
}
