// Where the live link's socket lives, shared by the server and the client so
// that both find the same file. On Unix a plain name goes into a folder only
// this user can enter ($XDG_RUNTIME_DIR, else <temp>/corvane-<uid>), so that
// another local user can neither take the name first nor stand in for
// Corvane; a name holding '/' is a path used as it is. On Windows the name is
// a named pipe's and is used as it is.
#pragma once

#include <QString>

namespace corvane::livelink {

enum class LinkFolder { Find, Create };

// The socket path of the live link `name`: $XDG_RUNTIME_DIR/<name> when that
// variable names a folder of this user's that nobody else may enter, else
// <temp>/corvane-<uid>/<name>, that folder made with mode 0700 when asked
// (LinkFolder::Create). Empty, with the reason in error, when the folder
// found there belongs to another user, is open to others or is no folder.
QString LiveLinkPath(const QString& name, QString* error = nullptr, LinkFolder folder = LinkFolder::Find);

// Empty when nothing is at path or it belongs to this user; otherwise why
// the live link must not be used ("the live link <path> belongs to another
// user").
QString ForeignLinkProblem(const QString& path);

}  // namespace corvane::livelink
