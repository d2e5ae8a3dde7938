// The page's files, read once at start into memory: the files directly in
// the page's folder, and Leaflet and Chart.js from the system's JavaScript
// folder. A request names one of them exactly or gets nothing, so no path
// a browser sends can reach any other file.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <string>

namespace corvane::web {

struct PageFile {
  QByteArray contentType;
  QByteArray bytes;
};

class PageFiles {
 public:
  // Reads the page's folder (its regular files, no subfolders) and the
  // libraries the page uses from javascriptFolder (Debian's
  // /usr/share/javascript). Gives how many files it read.
  int Load(const QString& pageFolder, const QString& javascriptFolder = QStringLiteral("/usr/share/javascript"));

  // The file served at path ("/" is index.html), or null.
  [[nodiscard]] const PageFile* Find(const QString& path) const;
  [[nodiscard]] bool HasPage() const { return files_.count(QStringLiteral("/index.html")) != 0; }

 private:
  bool Add(const QString& urlPath, const QString& filePath);
  std::map<QString, PageFile> files_;
};

// The page's folder: CORVANE_WEB_DIR when set, else the installed one
// (../share/corvane/web beside the program), else the source tree's.
QString DefaultPageFolder();

}  // namespace corvane::web
