// The answering point: message boxes, file, colour and print dialogs, and
// print jobs, as a scripted test sees them.
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"
#include "support/key_press.h"
#include "support/scripted_dialogs.h"

TEST(MessageBoxes, RecordExactTextCaptionKindAndButtons) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrNo);
  const int r = Application->MessageBox("Save changes to file?", "Wave Editor", MB_YESNOCANCEL | MB_ICONQUESTION);
  EXPECT_EQ(r, IDNO);
  Application->MessageBox("Darvik48 disconnected.", "Error", MB_OK | MB_ICONERROR);

  ASSERT_EQ(dialogs.Messages().size(), 2u);
  const auto& ask = dialogs.Messages()[0];
  EXPECT_EQ(ask.Text, "Save changes to file?");
  EXPECT_EQ(ask.Caption, "Wave Editor");
  EXPECT_EQ(ask.Kind, mtConfirmation);
  EXPECT_EQ(ask.Buttons, static_cast<TMsgDlgButtons>(mbYes | mbNo | mbCancel));
  EXPECT_EQ(ask.Source, MessageSource::MessageBox);
  EXPECT_EQ(ask.Answer, mrNo);
  EXPECT_EQ(dialogs.CountMessages("Darvik48 disconnected."), 1);
  EXPECT_EQ(dialogs.FindMessage("Darvik48 disconnected.")->Kind, mtError);
  EXPECT_EQ(dialogs.FindMessage("Darvik48 disconnected.")->Answer, IDOK);
}

TEST(MessageBoxes, UnscriptedBoxesAnswerTheirDefaultButton) {
  ScriptedDialogs dialogs;
  EXPECT_EQ(Application->MessageBox("q", "c", MB_YESNO), IDYES);
  EXPECT_EQ(Application->MessageBox("q", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(Application->MessageBox("q", "c", MB_OKCANCEL | MB_DEFBUTTON3), IDOK);  // no third button
  EXPECT_EQ(MessageDlg("q", mtConfirmation, mbYesNoCancel), mrYes);
  EXPECT_EQ(MessageDlg("q", mtWarning, mbOKCancel), mrOk);
  EXPECT_EQ(MessageDlg("q", mtError, mbAbortRetryIgnore), mrRetry);
  EXPECT_EQ(MessageDlg("q", mtInformation, mbNo | mbCancel), mrNo);
}

TEST(MessageBoxes, MessageDlgCaptionsAndLineBreaksKept) {
  ScriptedDialogs dialogs;
  Application->SetTitle("Oscilloscope");
  MessageDlgPos("Software runs now in demo mode.\rClick 'Run' to start the demo.", mtInformation, mbOK, 0, 240,
                200);
  ShowMessage("Hello");
  MessageDlg("x", mtConfirmation, mbYes | mbNo);
  MessageDlg("y", mtCustom, mbOK);
  const auto& m = dialogs.Messages();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].Text, "Software runs now in demo mode.\rClick 'Run' to start the demo.");
  EXPECT_EQ(m[0].Caption, "Information");
  EXPECT_EQ(m[0].X, 240);
  EXPECT_EQ(m[1].Caption, "Oscilloscope");
  EXPECT_EQ(m[1].Source, MessageSource::ShowMessage);
  EXPECT_EQ(m[1].Buttons, static_cast<TMsgDlgButtons>(mbOK));
  EXPECT_EQ(m[2].Caption, "Confirm");
  EXPECT_EQ(m[3].Caption, "Oscilloscope");
}

TEST(MessageBoxes, AnswerersNestAndRestore) {
  ScriptedDialogs outer;
  {
    ScriptedDialogs inner;
    ShowMessage("inner");
    EXPECT_EQ(inner.CountMessages("inner"), 1);
  }
  ShowMessage("outer");
  EXPECT_EQ(outer.CountMessages("outer"), 1);
  EXPECT_EQ(outer.CountMessages("inner"), 0);
}

TEST(FileDialogs, RequestIsRecordedAndCancelChangesNothing) {
  ScriptedDialogs dialogs;
  TSaveDialog save(nullptr);
  save.Name = "SaveDialog1";
  save.SetFilter("PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp");
  save.SetInitialDir("/home/u/Documents");
  save.SetDefaultExt("png");
  save.SetFileName("old.png");
  EXPECT_FALSE(save.Execute());
  EXPECT_EQ(save.FileName(), "old.png");
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  const auto& d = dialogs.FileDialogs()[0];
  EXPECT_TRUE(d.Save);
  EXPECT_EQ(d.DialogName, "SaveDialog1");
  EXPECT_EQ(d.Filter, "PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp");
  EXPECT_EQ(d.InitialDir, "/home/u/Documents");
  EXPECT_EQ(d.FileName, "old.png");
  EXPECT_FALSE(d.Chosen);
}

TEST(FileDialogs, ExtensionsFollowTheFilterAndDefaultExt) {
  ScriptedDialogs dialogs;
  TSaveDialog save(nullptr);
  save.SetFilter("PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp");
  save.SetDefaultExt("png");

  dialogs.AnswerFile("/tmp/shot");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/shot.png");
  EXPECT_FALSE(save.Options() & ofExtensionDifferent);

  dialogs.AnswerFile("/tmp/shot.jpg");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/shot.jpg");
  EXPECT_TRUE(save.Options() & ofExtensionDifferent);

  // No extension typed with the bitmap filter chosen: the filter's extension.
  dialogs.AnswerFile("/tmp/a.dir/shot", 2);
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/a.dir/shot.bmp");
  EXPECT_EQ(save.FilterIndex(), 2);
  EXPECT_TRUE(save.Options() & ofExtensionDifferent);

  // "*.lib" style default extensions and a filter extension in capitals.
  TOpenDialog open(nullptr);
  open.SetFilter("Library File|*.LIB|All Files|*.*");
  open.SetDefaultExt("*.lib");
  dialogs.AnswerFile("/w/burst01");
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName(), "/w/burst01.lib");
  dialogs.AnswerFile("/w/Burst.LIB");
  ASSERT_TRUE(open.Execute());
  EXPECT_FALSE(open.Options() & ofExtensionDifferent);
}

TEST(FileDialogs, QtFilterConversion) {
  EXPECT_EQ(QtNameFilters("Setup file (*.set)|*.set|All files (*.*)|*.*"),
            (std::vector<std::string>{"Setup file (*.set) (*.set)", "All files (*.*) (*.*)"}));
  EXPECT_EQ(QtNameFilters("Pictures|*.png;*.bmp"), (std::vector<std::string>{"Pictures (*.png *.bmp)"}));
  EXPECT_TRUE(QtNameFilters("").empty());
}

TEST(ColorDialog, PresetAndChoice) {
  ScriptedDialogs dialogs;
  TColorDialog dlg(nullptr);
  dlg.SetColor(0xF5FFFF);
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.Color(), 0xF5FFFFu);
  dialogs.AnswerColor(0x0000DC);
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.Color(), 0x0000DCu);
  ASSERT_EQ(dialogs.ColorDialogs().size(), 2u);
  EXPECT_EQ(dialogs.ColorDialogs()[1].Initial, 0xF5FFFFu);
}

TEST(Printing, PagesGoToTheAnsweringPoint) {
  ScriptedDialogs dialogs;
  TPrinterSetupDialog setup(nullptr);
  Printer()->SetOrientation(poPortrait);
  dialogs.AnswerPrintDialog(true, poLandscape);
  ASSERT_TRUE(setup.Execute());
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
  EXPECT_GT(Printer()->PageWidth(), Printer()->PageHeight());

  TPrinter* p = Printer();
  p->SetTitle("Darvik48");
  p->BeginDoc();
  EXPECT_TRUE(p->Printing());
  p->Canvas()->Brush.Color = clBlack;
  p->Canvas()->FillRect(Rect(10, 10, 20, 20));
  p->SetOrientation(poPortrait);  // ignored during a job
  p->NewPage();
  EXPECT_EQ(p->PageNumber(), 2);
  EXPECT_TRUE(p->EndDoc());
  EXPECT_FALSE(p->Printing());

  ASSERT_EQ(dialogs.Printed().size(), 1u);
  const PrintedDocument& doc = dialogs.Printed()[0];
  EXPECT_EQ(doc.Title, "Darvik48");
  EXPECT_EQ(doc.Orientation, poLandscape);
  ASSERT_EQ(doc.Pages.size(), 2u);
  EXPECT_EQ(doc.Pages[0].width(), p->PageWidth());
  EXPECT_EQ(doc.Pages[0].pixel(15, 15) & 0xFFFFFF, 0u);
  EXPECT_EQ(doc.Pages[1].pixel(15, 15) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_FALSE(p->EndDoc());  // no job any more

  // A cancelled print dialog changes nothing.
  TPrintDialog print(nullptr);
  EXPECT_FALSE(print.Execute());
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
}

// The program's own answerer, driven as a user would through the real boxes.
TEST(QtDialogs, MessageBoxReturnsTheClickedButton) {
  ASSERT_EQ(SetDialogAnswerer(nullptr), nullptr);
  QString shownText, shownTitle;
  int buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shownText = box->text();
    shownTitle = box->windowTitle();
    buttons = static_cast<int>(box->buttons().size());
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(MessageDlg("The text in the edit window has changed.\rDo you want to save changes?", mtConfirmation,
                       mbYesNoCancel),
            mrNo);
  EXPECT_EQ(shownText, "The text in the edit window has changed.\nDo you want to save changes?");
  EXPECT_EQ(shownTitle, "Confirm");
  EXPECT_EQ(buttons, 3);

  // Closed with Escape: Cancel when there is one.
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(Application->MessageBox("q", "c", MB_OKCANCEL), IDCANCEL);
}

TEST(QtDialogs, MessageBoxesAnswerTheKeyboard) {
  ASSERT_EQ(SetDialogAnswerer(nullptr), nullptr);
  struct Case {
    unsigned flags;
    Qt::Key key;
    int answer;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONERROR, Qt::Key_Return, IDOK},  {MB_OK, Qt::Key_Enter, IDOK},
      {MB_OK, Qt::Key_Space, IDOK},                  {MB_OK | MB_ICONERROR, Qt::Key_Escape, IDOK},
      {MB_YESNO, Qt::Key_Return, IDYES},             {MB_YESNO | MB_DEFBUTTON2, Qt::Key_Enter, IDNO},
      {MB_YESNO, Qt::Key_Escape, IDNO},              {MB_OKCANCEL, Qt::Key_Space, IDOK},
      {MB_OKCANCEL, Qt::Key_Escape, IDCANCEL},       {MB_YESNOCANCEL | MB_DEFBUTTON2, Qt::Key_Return, IDNO},
      {MB_YESNOCANCEL, Qt::Key_Escape, IDCANCEL},    {MB_RETRYCANCEL, Qt::Key_Escape, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(KeyName(c.key)) + " flags " + std::to_string(c.flags));
    bool leftOpen = false;
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      // Where the keys go once the box is the active window.
      QWidget* focus = box->focusWidget();
      PressKey(focus ? focus : box, c.key);
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
      leftOpen = true;
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->buttons().front()->click();
    });
    limit.start(1500);
    const int answer = Application->MessageBox("No hardware response!", "Oscilloscope", c.flags);
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(answer, c.answer);
  }
}

TEST(QtDialogs, FileDialogGetsFilterFolderAndGivesTheChoice) {
  QTimer::singleShot(0, [] {
    auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "Save History");
    EXPECT_EQ(dlg->nameFilters(), (QStringList{"History file (*.hst) (*.hst)", "All files (*.*) (*.*)"}));
    EXPECT_EQ(dlg->directory().path(), QDir::tempPath());
    dlg->selectNameFilter(dlg->nameFilters()[1]);
    dlg->selectFile(QDir::tempPath() + "/ring.hst");
    static_cast<QDialog*>(dlg)->accept();
  });
  TSaveDialog save(nullptr);
  save.SetTitle("Save History");
  save.SetFilter("History file (*.hst)|*.hst|All files (*.*)|*.*");
  save.SetInitialDir(QDir::tempPath().toStdString());
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), (QDir::tempPath() + "/ring.hst").toStdString());
  EXPECT_EQ(save.FilterIndex(), 2);
}

namespace {
// Calls check once the modal file dialog is up and has read its folder.
void WhenFileDialogIsReady(std::function<void(QFileDialog&)> check) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, check] {
    auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto* tree = dlg ? dlg->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
    if (!tree || !tree->model() || tree->model()->rowCount(tree->rootIndex()) == 0) return;
    poll->stop();
    poll->deleteLater();
    // Let the list settle (the folder is read in the background).
    QTimer::singleShot(300, dlg, [dlg, check] { check(*dlg); });
  });
  poll->start(20);
}
}  // namespace

TEST(QtDialogs, FileDialogShowsEveryColumnWholeAndAPatternAsTheName) {
  ASSERT_EQ(SetDialogAnswerer(nullptr), nullptr);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  {
    QFile lib(dir.filePath("burst01.lib"));
    ASSERT_TRUE(lib.open(QIODevice::WriteOnly));
    lib.write(QByteArray(565, '1'));
  }
  QDir(dir.path()).mkdir("older waveforms from the first measurement series");
  struct Case {
    bool save;
    const char* filter;
    const char* name;
    const char* shownName;  // the name field as the dialog opens
  };
  const Case cases[] = {
      {false, "Library File|*.LIB|All Files|*.*", "", ""},
      {true, "Setup file (*.set)|*.set|All files (*.*)|*.*", "*.set", "*.set"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    bool checked = false;
    WhenFileDialogIsReady([&](QFileDialog& dlg) {
      checked = true;
      auto* tree = dlg.findChild<QTreeView*>(QStringLiteral("treeView"));
      auto* name = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      EXPECT_EQ(name->text().toStdString(), c.shownName);
      QHeaderView* header = tree->header();
      int shownColumns = 0;
      for (int col = 0; col < header->count(); ++col) {
        if (tree->isColumnHidden(col)) continue;
        ++shownColumns;
        // Neither an entry ("565 bytes") nor the caption is cut.
        QStyleOptionViewItem option;
        option.initFrom(tree->viewport());
        option.font = tree->font();
        option.decorationSize = tree->iconSize().isValid() ? tree->iconSize() : QSize(16, 16);
        QAbstractItemModel* model = tree->model();
        for (int row = 0; row < model->rowCount(tree->rootIndex()); ++row) {
          const QModelIndex index = model->index(row, col, tree->rootIndex());
          EXPECT_GE(tree->columnWidth(col), tree->itemDelegate()->sizeHint(option, index).width())
              << "column " << col << ": " << index.data().toString().toStdString();
        }
        EXPECT_GE(tree->columnWidth(col), header->sectionSizeHint(col)) << "column " << col;
      }
      EXPECT_EQ(shownColumns, 4);
      EXPECT_LE(header->length(), tree->viewport()->width());
      if (c.save) {
        // Choosing the pattern only filters the list; then a name is chosen.
        QMetaObject::invokeMethod(&dlg, "accept");
        EXPECT_TRUE(dlg.isVisible());
        name->setText("mine");
      } else {
        name->setText("burst01.lib");
      }
      QMetaObject::invokeMethod(&dlg, "accept");
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [] {
      if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dlg->reject();
    });
    limit.start(5000);
    std::unique_ptr<TFileDialog> fd;
    if (c.save) fd = std::make_unique<TSaveDialog>(nullptr);
    else fd = std::make_unique<TOpenDialog>(nullptr);
    fd->SetFilter(c.filter);
    fd->SetFilterIndex(2);
    fd->SetInitialDir(dir.path().toStdString());
    fd->SetFileName(c.name);
    fd->SetDefaultExt(c.save ? "set" : "*.lib");
    EXPECT_TRUE(fd->Execute());
    EXPECT_TRUE(checked);
    EXPECT_EQ(fd->FileName(), dir.filePath(c.save ? "mine.set" : "burst01.lib").toStdString());
  }
}
