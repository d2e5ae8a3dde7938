// Loading and finding the page's files.
#include "web/page_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane::web {

namespace {

QByteArray ContentTypeOf(const QString& name) {
  static const std::map<QString, QByteArray> kTypes = {{QStringLiteral("html"), "text/html; charset=utf-8"},
                                                       {QStringLiteral("js"), "text/javascript; charset=utf-8"},
                                                       {QStringLiteral("css"), "text/css; charset=utf-8"},
                                                       {QStringLiteral("json"), "application/json"},
                                                       {QStringLiteral("png"), "image/png"},
                                                       {QStringLiteral("svg"), "image/svg+xml"},
                                                       {QStringLiteral("ico"), "image/x-icon"},
                                                       {QStringLiteral("txt"), "text/plain; charset=utf-8"},
                                                       {QStringLiteral("md"), "text/plain; charset=utf-8"}};
  const auto found = kTypes.find(QFileInfo(name).suffix().toLower());
  return found == kTypes.end() ? QByteArray("application/octet-stream") : found->second;
}

// Leaflet's and Chart.js's files, as Debian's libjs-leaflet and
// libjs-chart.js install them, and where the page finds them.
struct LibraryFile {
  const char* url;
  const char* file;
};
constexpr LibraryFile kLibraryFiles[] = {
    {"/vendor/leaflet/leaflet.js", "leaflet/leaflet.js"},
    {"/vendor/leaflet/leaflet.css", "leaflet/leaflet.css"},
    {"/vendor/leaflet/images/layers.png", "leaflet/images/layers.png"},
    {"/vendor/leaflet/images/layers-2x.png", "leaflet/images/layers-2x.png"},
    {"/vendor/leaflet/images/marker-icon.png", "leaflet/images/marker-icon.png"},
    {"/vendor/leaflet/images/marker-icon-2x.png", "leaflet/images/marker-icon-2x.png"},
    {"/vendor/leaflet/images/marker-shadow.png", "leaflet/images/marker-shadow.png"},
    {"/vendor/chart.js/chart.min.js", "chart.js/chart.min.js"}};

}  // namespace

bool PageFiles::Add(const QString& urlPath, const QString& filePath) {
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) {
    return false;
  }
  files_[urlPath] = {ContentTypeOf(filePath), file.readAll()};
  return true;
}

int PageFiles::Load(const QString& pageFolder, const QString& javascriptFolder) {
  files_.clear();
  int read = 0;
  const QDir page(pageFolder);
  for (const QFileInfo& entry : page.entryInfoList(QDir::Files | QDir::Readable | QDir::NoSymLinks, QDir::Name)) {
    read += Add("/" + entry.fileName(), entry.absoluteFilePath()) ? 1 : 0;
  }
  const QDir libraries(javascriptFolder);
  for (const LibraryFile& library : kLibraryFiles) {
    read += Add(QString::fromLatin1(library.url), libraries.filePath(QString::fromLatin1(library.file))) ? 1 : 0;
  }
  return read;
}

const PageFile* PageFiles::Find(const QString& path) const {
  const auto found = files_.find(path == QStringLiteral("/") ? QStringLiteral("/index.html") : path);
  return found == files_.end() ? nullptr : &found->second;
}

QString DefaultPageFolder() {
  const QString configured = qEnvironmentVariable("CORVANE_WEB_DIR");
  if (!configured.isEmpty()) {
    return configured;
  }
  const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/corvane/web");
  if (QFileInfo::exists(installed + QStringLiteral("/index.html"))) {
    return QDir::cleanPath(installed);
  }
  return QStringLiteral(CORVANE_SOURCE_WEB_DIR);
}

}  // namespace corvane::web
