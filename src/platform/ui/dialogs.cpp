#include "platform/ui/dialogs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "platform/os/folders.h"
#include "platform/ui/printer.h"

DialogAnswerer& QtDialogAnswererInstance();  // qt_dialogs.cpp

namespace {
DialogAnswerer* g_answerer = nullptr;
bool g_unattended = false;

// Answers for nobody: what a box closed without a button gives, after the
// text has gone to standard error.
class UnattendedAnswerer : public DialogAnswerer {
 public:
  int Message(const MessageRequest& r) override {
    ReportOnStandardError(r.Text);
    if (r.Buttons & mbCancel) return mrCancel;
    if (r.Buttons & mbNo) return mrNo;
    return r.DefaultResult;
  }
  int ModalForm(TForm&) override { return mrCancel; }
  bool FileDialog(const FileDialogRequest&, std::string&, int&) override { return false; }
  bool ColorDialog(TColor&) override { return false; }
  bool PrintDialog(PrintDialogRequest&) override { return false; }
  bool Print(const PrintedDocument&) override { return false; }
};

}  // namespace

PrinterPage A4Page(TPrinterOrientation orientation, int dotsPerInch) {
  // 210 x 297 mm.
  const int shortSide = static_cast<int>(std::lround(210.0 / 25.4 * dotsPerInch));
  const int longSide = static_cast<int>(std::lround(297.0 / 25.4 * dotsPerInch));
  return orientation == poPortrait ? PrinterPage{shortSide, longSide, dotsPerInch}
                                   : PrinterPage{longSide, shortSide, dotsPerInch};
}

namespace {

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) break;
    start = p + 1;
  }
  return out;
}

std::string TrimSpaces(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// "png", ".png" and "*.png" all mean "png".
std::string BareExtension(std::string e) {
  e = TrimSpaces(e);
  if (e.rfind("*.", 0) == 0) e.erase(0, 2);
  else if (!e.empty() && e[0] == '.') e.erase(0, 1);
  if (e.find_first_of("*?") != std::string::npos) return {};
  return e;
}

// The extension of the first pattern of filter entry index (1-based), if it names one.
std::string FilterExtension(const std::string& filter, int index) {
  const std::vector<std::string> parts = Split(filter, '|');
  const size_t i = static_cast<size_t>(std::max(index, 1) - 1) * 2 + 1;
  if (i >= parts.size()) return {};
  return BareExtension(Split(parts[i], ';').front());
}

std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot == std::string::npos || dot + 1 == base.size()) return {};
  return base.substr(dot + 1);
}
}  // namespace

DialogAnswerer& CurrentDialogAnswerer() {
  static UnattendedAnswerer unattended;
  if (g_unattended) return unattended;
  return g_answerer ? *g_answerer : QtDialogAnswererInstance();
}

void SetUnattended(bool on) { g_unattended = on; }
bool Unattended() { return g_unattended; }

void ReportOnStandardError(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool lineBreak = c == '\r' || c == '\n';
    if (!lineBreak) line += c;
    else if (!line.empty() && line.back() != ' ') line += ' ';
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  std::fprintf(stderr, "darvik48: %s\n", line.c_str());
  std::fflush(stderr);
}

DialogAnswerer* SetDialogAnswerer(DialogAnswerer* answerer) {
  DialogAnswerer* previous = g_answerer;
  g_answerer = answerer;
  return previous;
}

std::vector<TMsgDlgBtn> ButtonsInOrder(TMsgDlgButtons buttons) {
  std::vector<TMsgDlgBtn> out;
  for (unsigned bit = mbYes; bit <= mbHelp; bit <<= 1)
    if (buttons & bit) out.push_back(static_cast<TMsgDlgBtn>(bit));
  return out;
}

int ResultOfButton(TMsgDlgBtn b) {
  switch (b) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    default: return mrNone;
  }
}

std::vector<std::string> QtNameFilters(const std::string& filter) {
  std::vector<std::string> out;
  if (filter.empty()) return out;
  const std::vector<std::string> parts = Split(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns;
    for (const std::string& p : Split(parts[i + 1], ';')) {
      const std::string t = TrimSpaces(p);
      if (t.empty()) continue;
      if (!patterns.empty()) patterns += ' ';
      patterns += t;
    }
    out.push_back(parts[i] + " (" + patterns + ")");
  }
  return out;
}

// The folder a file dialog opens in. Left to itself it would open in the
// working folder, the program's own, where a save would write into the
// installation: a start folder that is missing (or not given, with no folder
// in the file name) is the user's home folder instead.
static std::string DialogStartFolder(const std::string& initialDir, const std::string& fileName) {
  if (!initialDir.empty() && os::DirectoryExists(initialDir)) return initialDir;
  if (initialDir.empty() && fileName.find('/') != std::string::npos) return initialDir;
  return os::UserHomeFolder() + "/";
}

// ---------------------------------------------------------------- components

TFileDialog::TFileDialog(TComponent* owner, bool save) : TComponent(owner), save_(save) {}

bool TFileDialog::Execute() {
  FileDialogRequest req;
  req.Save = save_;
  req.DialogName = Name;
  req.Title = title_;
  req.Filter = filter_;
  req.InitialDir = initial_dir_;
  req.StartFolder = DialogStartFolder(initial_dir_, file_name_);
  req.FileName = file_name_;
  req.DefaultExt = default_ext_;
  req.FilterIndex = filter_index_;
  req.Options = options_;
  std::string name = file_name_;
  int index = filter_index_;
  if (!CurrentDialogAnswerer().FileDialog(req, name, index)) return false;
  if (name.empty()) return false;

  options_ &= ~static_cast<TOpenOptions>(ofExtensionDifferent);
  const std::string def = BareExtension(default_ext_);
  std::string ext = ExtensionOf(name);
  if (ext.empty()) {
    std::string add = FilterExtension(filter_, index);
    if (add.empty() || SameText(add, def)) add = def;
    if (!add.empty()) {
      name += "." + add;
      ext = add;
    }
  }
  if (!def.empty() && !SameText(ext, def)) options_ |= ofExtensionDifferent;
  file_name_ = name;
  filter_index_ = index;
  return true;
}

bool TColorDialog::Execute() {
  TColor c = color_;
  if (!CurrentDialogAnswerer().ColorDialog(c)) return false;
  color_ = c & 0xFFFFFF;
  return true;
}

namespace {
bool RunPrintDialog(bool setup) {
  PrintDialogRequest r;
  r.Setup = setup;
  r.Orientation = Printer()->Orientation();
  if (!CurrentDialogAnswerer().PrintDialog(r)) return false;
  Printer()->SetOrientation(r.Orientation);
  return true;
}
}  // namespace

bool TPrintDialog::Execute() { return RunPrintDialog(false); }

bool TPrinterSetupDialog::Execute() { return RunPrintDialog(true); }
