#pragma once
// The popups a command leaves when the link is down.

#include <gtest/gtest.h>

#include <cstddef>

#include "tests/support/popup_recorder.h"

// Exactly `count` popups, each the "Not connected" connection warning.
inline void ExpectOnlyConnectionWarnings(const PopupRecorder& recorder, std::size_t count) {
    ASSERT_EQ(recorder.popups.size(), count);
    for (const RecordedPopup& popup : recorder.popups) {
        EXPECT_EQ(popup.title, "Connection warning");
        EXPECT_EQ(popup.message, "Not connected");
    }
}
