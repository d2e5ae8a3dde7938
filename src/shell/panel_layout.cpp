// The panel arithmetic of the message area.
#include "shell/panel_layout.h"

namespace corvane::shell {

namespace {

// The panels start just under the separator line.
constexpr int kUnderSeparator = 3;

}  // namespace

PanelLayout LayOutPanels(int baseTop, int baseHeight, int separator, int pxxHeight) {
  PanelLayout layout;
  layout.pxx.top = baseTop + separator + kUnderSeparator;
  const int underPxx = layout.pxx.top + pxxHeight;
  layout.lower.top = underPxx;
  layout.inf.top = underPxx;
  layout.inf.height = (baseTop + baseHeight) - underPxx;
  layout.topPanels.top = baseTop + separator + kUnderSeparator;
  layout.msg.top = baseTop + separator;
  layout.msg.height = baseHeight - separator;
  return layout;
}

}  // namespace corvane::shell
