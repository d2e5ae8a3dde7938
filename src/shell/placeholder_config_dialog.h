// A plain configuration dialog for the card settings, used until the full
// configuration dialog with its card search takes its place.
#pragma once

#include <QWidget>

#include "config/settings.h"

namespace corvane::shell {

// Shows the dialog on the settings; true (with the settings changed) when
// the user accepted it.
bool RunPlaceholderConfigDialog(QWidget* parent, config::Settings& settings);

}  // namespace corvane::shell
