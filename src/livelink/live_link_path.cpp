// Resolving a live link name to its socket path, and the owner checks that
// keep one local user from taking or imitating another user's live link.
#include "livelink/live_link_path.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace corvane::livelink {

namespace {

#ifdef Q_OS_UNIX

bool Fail(QString* error, const QString& reason) {
  if (error != nullptr) {
    *error = reason;
  }
  return false;
}

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool OwnedByMe(const struct stat& info) { return info.st_uid == ::geteuid(); }
bool OpenToOthers(const struct stat& info) { return (info.st_mode & (S_IRWXG | S_IRWXO)) != 0; }

// $XDG_RUNTIME_DIR when it names a folder of this user's that nobody else
// may enter; empty otherwise (then the temp folder serves).
QString RuntimeFolder() {
  const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
  struct stat info {};
  if (folder.isEmpty() || !folder.startsWith('/') || ::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      !OwnedByMe(info) || OpenToOthers(info)) {
    return {};
  }
  return QDir::cleanPath(QFile::decodeName(folder));
}

// Whether the folder at path may hold the live link: this user's, a real
// folder (not a link to one), closed to others. A missing folder passes when
// it is only looked for: nothing listens in it then.
bool CheckOwnFolder(const QString& path, LinkFolder use, QString* error) {
  const QByteArray bytes = QFile::encodeName(path);
  if (use == LinkFolder::Create && ::mkdir(bytes.constData(), 0700) != 0 && errno != EEXIST) {
    return Fail(error, QStringLiteral("cannot make the live link's folder %1: %2").arg(path, ErrnoText()));
  }
  struct stat info {};
  if (::lstat(bytes.constData(), &info) != 0) {
    return (errno == ENOENT && use == LinkFolder::Find) ||
           Fail(error, QStringLiteral("cannot use the live link's folder %1: %2").arg(path, ErrnoText()));
  }
  if (!S_ISDIR(info.st_mode)) {
    return Fail(error, QStringLiteral("the live link's folder %1 is not a folder").arg(path));
  }
  if (!OwnedByMe(info)) {
    return Fail(error, QStringLiteral("the live link's folder %1 belongs to another user").arg(path));
  }
  if (OpenToOthers(info)) {
    return Fail(error, QStringLiteral("the live link's folder %1 is open to other users (mode %2); "
                                      "make it mode 700 or remove it")
                           .arg(path, QString::number(info.st_mode & 07777, 8)));
  }
  return true;
}

#endif

}  // namespace

QString LiveLinkPath(const QString& name, QString* error, LinkFolder folder) {
#ifdef Q_OS_UNIX
  if (name.contains(QLatin1Char('/'))) {
    return name;
  }
  if (const QString runtime = RuntimeFolder(); !runtime.isEmpty()) {
    return runtime + QLatin1Char('/') + name;
  }
  const QString own = QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/corvane-%1").arg(::geteuid());
  if (!CheckOwnFolder(own, folder, error)) {
    return {};
  }
  return own + QLatin1Char('/') + name;
#else
  Q_UNUSED(error);
  Q_UNUSED(folder);
  return name;  // a named pipe
#endif
}

QString ForeignLinkProblem(const QString& path) {
#ifdef Q_OS_UNIX
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !OwnedByMe(info)) {
    return QStringLiteral("the live link %1 belongs to another user").arg(path);
  }
#else
  Q_UNUSED(path);
#endif
  return {};
}

}  // namespace corvane::livelink
