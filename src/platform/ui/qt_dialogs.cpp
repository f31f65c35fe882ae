// The answering point of the running program: real Qt dialogs.
#include <algorithm>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>

#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/printer.h"
#include "platform/ui/window_place.h"

namespace {

QString BoxText(const std::string& s) {
  QString t = QString::fromStdString(s);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

// A system dialog belongs to the window the user works in, and stays on top
// while one of the program's windows does, so that none of them hides it; it
// opens within the screen's free area, clear of panels and task bars.
QWidget* DialogParent() { return ui::ActiveProgramWindow(); }

void PlaceDialog(QWidget& dialog) {
  if (ui::StayOnTopWindowShown(&dialog)) dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  ui::KeepInWorkArea(dialog);
}

// A file dialog in which a name with wildcards ("*.set") chooses which files
// the list shows instead of naming a file.
class FileDialogWithPatterns : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* model = findChild<QFileSystemModel*>();
    const QString typed = edit ? edit->text().trimmed() : QString();
    if (model && (typed.contains(QLatin1Char('*')) || typed.contains(QLatin1Char('?')))) {
      model->setNameFilters(typed.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts));
      return;
    }
    QFileDialog::accept();
  }
};

// Widens a file dialog so that every column of its file list shows whole:
// names, sizes, kinds and dates are what the user chooses by. The list
// fills in the background, so this runs again each time a folder is read.
void SizeToColumns(QFileDialog& dlg) {
  auto* tree = dlg.findChild<QTreeView*>(QStringLiteral("treeView"));
  auto* model = dlg.findChild<QFileSystemModel*>();
  if (!tree || !model) return;
  auto fit = [&dlg, tree] {
    QAbstractItemModel* m = tree->model();
    if (!m || !dlg.isVisible()) return;
    for (int c = 0; c < m->columnCount(tree->rootIndex()); ++c) {
      if (tree->isColumnHidden(c)) continue;
      tree->resizeColumnToContents(c);
      // The header's caption counts as well as the entries.
      tree->setColumnWidth(c, std::max(tree->columnWidth(c), tree->header()->sectionSizeHint(c)));
    }
    const int list = tree->header()->length() + tree->verticalScrollBar()->sizeHint().width() + 2 * tree->frameWidth();
    const int rest = dlg.width() - tree->width();
    int wanted = rest + list;
    if (QScreen* screen = dlg.screen()) wanted = std::min(wanted, screen->availableGeometry().width() * 9 / 10);
    if (wanted > dlg.width()) dlg.resize(wanted, dlg.height());
  };
  QObject::connect(model, &QFileSystemModel::directoryLoaded, &dlg, [fit](const QString&) { fit(); });
  QTimer::singleShot(0, &dlg, fit);
}

QPrinter& SharedPrinter() {
  // Keeps the user's printer choices from one dialog to the next.
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

QPageLayout::Orientation ToQt(TPrinterOrientation o) {
  return o == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

class QtDialogAnswerer : public DialogAnswerer {
 public:
  int Message(const MessageRequest& r) override {
    QMessageBox box(DialogParent());
    box.setWindowTitle(QString::fromStdString(r.Caption));
    box.setText(BoxText(r.Text));
    box.setTextFormat(Qt::PlainText);
    switch (r.Kind) {
      case mtWarning: box.setIcon(QMessageBox::Warning); break;
      case mtError: box.setIcon(QMessageBox::Critical); break;
      case mtInformation: box.setIcon(QMessageBox::Information); break;
      case mtConfirmation: box.setIcon(QMessageBox::Question); break;
      default: box.setIcon(QMessageBox::NoIcon); break;
    }
    std::vector<std::pair<QAbstractButton*, int>> results;
    for (TMsgDlgBtn b : ButtonsInOrder(r.Buttons)) {
      QAbstractButton* button = nullptr;
      switch (b) {
        case mbYes: button = box.addButton(QMessageBox::Yes); break;
        case mbNo: button = box.addButton(QMessageBox::No); break;
        case mbOK: button = box.addButton(QMessageBox::Ok); break;
        case mbCancel: button = box.addButton(QMessageBox::Cancel); break;
        case mbAbort: button = box.addButton(QMessageBox::Abort); break;
        case mbRetry: button = box.addButton(QMessageBox::Retry); break;
        case mbIgnore: button = box.addButton(QMessageBox::Ignore); break;
        case mbAll: button = box.addButton(QStringLiteral("All"), QMessageBox::AcceptRole); break;
        case mbNoToAll: button = box.addButton(QMessageBox::NoToAll); break;
        case mbYesToAll: button = box.addButton(QMessageBox::YesToAll); break;
        case mbHelp: button = box.addButton(QMessageBox::Help); break;
      }
      if (!button) continue;
      const int result = ResultOfButton(b);
      results.emplace_back(button, result);
      if (result == r.DefaultResult)
        if (auto* push = qobject_cast<QPushButton*>(button)) box.setDefaultButton(push);
    }
    // Escape gives what closing the box gives: Cancel, else No, else the
    // only button.
    QAbstractButton* escape = nullptr;
    for (int wanted : {mrCancel, mrNo})
      for (auto& [button, result] : results)
        if (!escape && result == wanted) escape = button;
    if (!escape && results.size() == 1) escape = results.front().first;
    if (escape) box.setEscapeButton(escape);
    if (r.X >= 0 && r.Y >= 0) box.move(r.X, r.Y);
    PlaceDialog(box);
    box.exec();
    for (auto& [button, result] : results)
      if (box.clickedButton() == button) return result;
    // Closed without a button (Escape or the close box).
    return (r.Buttons & mbCancel) ? mrCancel : (r.Buttons & mbNo) ? mrNo : r.DefaultResult;
  }

  int ModalForm(TForm& form) override { return form.RunModalLoop(); }

  bool FileDialog(const FileDialogRequest& r, std::string& fileName, int& filterIndex) override {
    FileDialogWithPatterns dlg(DialogParent(), QString::fromStdString(r.Title));
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setAcceptMode(r.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(r.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (r.Save && !(r.Options & ofOverwritePrompt)) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters;
    for (const std::string& f : QtNameFilters(r.Filter)) filters << QString::fromStdString(f);
    if (!filters.isEmpty()) {
      dlg.setNameFilters(filters);
      const int i = std::clamp(r.FilterIndex, 1, static_cast<int>(filters.size())) - 1;
      dlg.selectNameFilter(filters[i]);
    }
    QString dir = QString::fromStdString(r.StartFolder);
    const QString name = QString::fromStdString(r.FileName);
    if (dir.isEmpty() && name.contains(QLatin1Char('/'))) dir = QFileInfo(name).absolutePath();
    dlg.setDirectory(dir.isEmpty() ? QDir::currentPath() : dir);
    // A pattern such as "*.set" shows in the name field as it is.
    if (!name.isEmpty()) dlg.selectFile(QFileInfo(name).fileName());
    dlg.setViewMode(QFileDialog::Detail);
    SizeToColumns(dlg);
    PlaceDialog(dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    fileName = dlg.selectedFiles().first().toStdString();
    const int chosen = static_cast<int>(filters.indexOf(dlg.selectedNameFilter()));
    if (chosen >= 0) filterIndex = chosen + 1;
    return true;
  }

  bool ColorDialog(TColor& color) override {
    QColorDialog dlg(ToQColor(color), DialogParent());
    PlaceDialog(dlg);
    if (dlg.exec() != QDialog::Accepted) return false;
    color = FromQRgb(dlg.selectedColor().rgb());
    return true;
  }

  bool PrintDialog(PrintDialogRequest& r) override {
    QPrinter& printer = SharedPrinter();
    printer.setPageOrientation(ToQt(r.Orientation));
    int rc;
    if (r.Setup) {
      QPageSetupDialog dlg(&printer, DialogParent());
      PlaceDialog(dlg);
      rc = dlg.exec();
    } else {
      QPrintDialog dlg(&printer, DialogParent());
      PlaceDialog(dlg);
      rc = dlg.exec();
    }
    if (rc != QDialog::Accepted) return false;
    r.Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
    return true;
  }

  bool Print(const PrintedDocument& doc) override {
    QPrinter& printer = SharedPrinter();
    printer.setDocName(QString::fromStdString(doc.Title));
    printer.setPageOrientation(ToQt(doc.Orientation));
    // Without any printer the job becomes a PDF file that the user names.
    QString pdf;
    if (printer.outputFileName().isEmpty() && QPrinterInfo::availablePrinters().isEmpty()) {
      const QString base = doc.Title.empty() ? QStringLiteral("print") : QString::fromStdString(doc.Title);
      QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      if (folder.isEmpty()) folder = QDir::homePath();
      QFileDialog dlg(DialogParent(), QStringLiteral("No printer is set up: save the pages as PDF"));
      dlg.setOption(QFileDialog::DontUseNativeDialog, true);
      dlg.setAcceptMode(QFileDialog::AcceptSave);
      dlg.setNameFilter(QStringLiteral("PDF (*.pdf)"));
      dlg.setDefaultSuffix(QStringLiteral("pdf"));
      dlg.setDirectory(folder);
      dlg.selectFile(base + QStringLiteral(".pdf"));
      PlaceDialog(dlg);
      if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
      pdf = dlg.selectedFiles().first();
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
    }
    if (!PaintPages(printer, doc)) {
      QMessageBox::warning(DialogParent(), QStringLiteral("Print"),
                           pdf.isEmpty() ? QStringLiteral("The printer could not be started.")
                                         : QStringLiteral("Unable to write to ") + pdf);
      if (!pdf.isEmpty()) printer.setOutputFileName(QString());
      return false;
    }
    if (!pdf.isEmpty()) {
      printer.setOutputFileName(QString());
    }
    return true;
  }

  PrinterPage PageOfPrinter(TPrinterOrientation orientation) override {
    return ::PageOfPrinter(SharedPrinter(), orientation);
  }
};

}  // namespace

DialogAnswerer& QtDialogAnswererInstance() {
  static QtDialogAnswerer answerer;
  return answerer;
}
