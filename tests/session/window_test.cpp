// The number fields' conversion and the headless window's seven operations.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "main_window.h"
#include "window_operation_facts.h"

using Entries = std::vector<std::string>;

TEST(FieldText, ConvertsLikeTheWindowFields) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"25", 25},
        {"5000", 5000},
        {"2000ms", 2000},
        {" 7", 7},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"+12", 12},
        {"\t\n 42x", 42},
        {"- 5", 0},
        {"--5", 0},
        {"+", 0},
        {"0", 0},
        {"007", 7},
        {"4 5", 4},
        {"1e3", 1},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX},
        {"-99999999999999999", INT32_MIN},
        {"999999999999999999999999", INT32_MAX},
        {"9999999999999999999", INT32_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(fieldTextToInt(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(fieldTextToInt(nullptr), 0);
}

TEST(FieldText, ReadsOnlyTheFirstNineteenCharacters) {
    // 18 blanks leave room for one digit; the second digit is the 20th character.
    EXPECT_EQ(fieldTextToInt("                  12"), 1);
    EXPECT_EQ(fieldTextToInt("                   12"), 0);
    EXPECT_EQ(fieldTextToInt("1234567890123456789"), INT32_MAX);
    EXPECT_EQ(fieldTextToInt("-000000000000000003"), -3);
    EXPECT_EQ(fieldTextToInt("-0000000000000000003"), 0);
}

// The headless window shows the same facts as the Win32 window does under
// Wine (tests/window), and records the drawing primitives for the painting
// tests, which compare exact lists of them.

WindowProbe probeOf(MainWindow& window) {
    return {[&window] { return window.moveLogEntries(); },
            [&window] { return window.statisticsText(); },
            [&window](const char* text) { window.setFieldText(MainWindow::TimeLimitField, text); },
            [&window](const char* text) { window.setFieldText(MainWindow::DepthField, text); }};
}

TEST(HeadlessWindow, DoesNothingBeforeItIsCreated) {
    MainWindow window;
    expectNoEffectBeforeTheWindowExists(window);
    window.fillQuad(0, 1, 2, 3, 4);
    window.strokeLine(0, 1, 2, 3, 4);
    window.drawLabel("A", 1, 2);
    EXPECT_EQ(window.moveLogEntries(), Entries{});
    EXPECT_EQ(window.statisticsText(), "Aistatistics:");
    EXPECT_EQ(window.redrawCount(), 0);
    EXPECT_TRUE(window.takeDrawCalls().empty());
    // Once created, it starts from that same state.
    window.create(nullptr);
    expectWindowOperationFacts(window, probeOf(window));
}

TEST(HeadlessWindow, RepaintRequestsAreCountedAndAResizeIsOne) {
    MainWindow window;
    window.create(nullptr);
    window.redraw();
    window.redraw();
    EXPECT_EQ(window.redrawCount(), 2);
    window.setClientSize(734, 521);  // as WM_SIZE does
    EXPECT_EQ(window.redrawCount(), 3);
    EXPECT_EQ(window.clientWidth, 734);
    EXPECT_EQ(window.clientHeight, 521);
}
