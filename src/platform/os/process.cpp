#include "platform/os/process.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/os/folders.h"

namespace os {

bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workdir) {
  if (program.empty()) return false;
  // Starting in a folder that is not there would run the program elsewhere.
  if (!workdir.empty() && !DirectoryExists(workdir)) return false;
  QStringList list;
  list.reserve(static_cast<qsizetype>(args.size()));
  for (const std::string& a : args) list << QString::fromStdString(a);
  // Double fork inside: the program is re-parented and never becomes our zombie.
  return QProcess::startDetached(QString::fromStdString(program), list, QString::fromStdString(workdir));
}

bool OpenWebLink(const std::string& url) {
  // A leading '-' would be taken as an option of the opener.
  if (url.empty() || url[0] == '-') return false;
  return StartProgram("xdg-open", {url});
}

}  // namespace os
