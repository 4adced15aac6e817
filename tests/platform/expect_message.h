// Checks that an operation raises E with exactly the given message text.
#pragma once

#include <gtest/gtest.h>

#include <string>

template <typename E, typename F>
void ExpectMessage(F&& operation, const std::string& message) {
  try {
    operation();
    ADD_FAILURE() << "nothing raised; expected \"" << message << "\"";
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message);
  }
}
