// Starts a main window as the program does and turns the event loop until
// its store is open: the store opens off the window's thread.
#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include "shell/main_window.h"

namespace corvane::shell {

inline void StartWindow(MainWindow& window) {
  window.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.StoreReady(); }, 15000));
}

}  // namespace corvane::shell
