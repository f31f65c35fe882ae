// Special folders (XDG) and the few file operations the program needs from the
// system. Paths use "/"; folders come without a trailing "/" unless said.
#pragma once

#include <string>

namespace os {

// Shell special-folder ids the program asks for.
constexpr int kCsidlPersonal = 5;       // the user's documents
constexpr int kCsidlLocalAppData = 28;  // per-user application data

// $HOME, else the home folder of the user's password entry.
std::string UserHomeFolder();
// $XDG_DATA_HOME, else ~/.local/share.
std::string LocalAppDataFolder();
// $XDG_DOCUMENTS_DIR, else XDG_DOCUMENTS_DIR of user-dirs.dirs in
// $XDG_CONFIG_HOME (or ~/.config) with $HOME expanded, else ~/Documents.
std::string DocumentsFolder();
// The folder of the running program, with a trailing "/".
std::string ProgramFileFolder();
// 5: documents, 28: local application data; other ids: "".
std::string GetSpecialFolderPath(int csidl);

// Creates the folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// An existing file that is not a folder.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Removes a file (not a folder); true when it was removed.
bool DeleteFile(const std::string& path);
// Copies src to dst; with overwrite false an existing dst is kept and the call
// fails. (Note: the reverse sense of the Windows call's "fail if exists".)
// dst is replaced in one step, so it never holds half a copy.
bool CopyFile(const std::string& src, const std::string& dst, bool overwrite);
// Writes the bytes as the whole file: written beside it, synced, then renamed
// over it, so the file holds either its old or its new content. False when
// anything failed (the old file is then left as it was;
// errno tells why).
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// The last part of a path: "/a/b.txt" gives "b.txt".
std::string FileNameOnly(const std::string& path);

}  // namespace os
