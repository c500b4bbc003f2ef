// The number fields' conversion and the headless window's seven operations.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ui/main_window.h"

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

TEST(HeadlessWindow, DoesNothingBeforeItIsCreated) {
    MainWindow window;
    window.logMove("A1-B1");
    window.setStatistics("time:5");
    window.redraw();
    window.fillQuad(0, 1, 2, 3, 4);
    window.strokeLine(0, 1, 2, 3, 4);
    window.drawLabel("A", 1, 2);
    window.unlogMove();
    window.clearMoveLog();
    EXPECT_EQ(window.moveLogEntries(), Entries{});
    EXPECT_EQ(window.statisticsText(), "Aistatistics:");
    EXPECT_EQ(window.redrawCount(), 0);
    EXPECT_TRUE(window.takeDrawCalls().empty());
    // The fields exist with their initial texts all the same.
    EXPECT_EQ(window.readMaxDepth(), 25);
    EXPECT_EQ(window.readTimeLimit(), 5000);
    EXPECT_EQ(window.fieldText(MainWindow::SizeField), "4");
    EXPECT_EQ(window.fieldText(MainWindow::MoveField), "A1-B1");
}

TEST(HeadlessWindow, MoveLogListsNewestFirst) {
    MainWindow window;
    window.create(nullptr);
    window.logMove("A1-B1");
    window.logMove("B1-C1");
    window.logMove("A1-A2");
    EXPECT_EQ(window.moveLogEntries(), (Entries{"A1-A2", "B1-C1", "A1-B1"}));
    window.unlogMove();
    EXPECT_EQ(window.moveLogEntries(), (Entries{"B1-C1", "A1-B1"}));
    window.clearMoveLog();
    EXPECT_EQ(window.moveLogEntries(), Entries{});
    window.unlogMove();  // an empty log stays empty
    EXPECT_EQ(window.moveLogEntries(), Entries{});
}

TEST(HeadlessWindow, FieldsStatisticsAndRepaints) {
    MainWindow window;
    window.create(nullptr);
    window.setFieldText(MainWindow::DepthField, " 7");
    window.setFieldText(MainWindow::TimeLimitField, "2000ms");
    EXPECT_EQ(window.readMaxDepth(), 7);
    EXPECT_EQ(window.readTimeLimit(), 2000);
    window.setFieldText(MainWindow::TimeLimitField, "abc");
    EXPECT_EQ(window.readTimeLimit(), 0);
    window.setStatistics("l:1\nn:2");
    EXPECT_EQ(window.statisticsText(), "l:1\nn:2");
    window.redraw();
    window.redraw();
    EXPECT_EQ(window.redrawCount(), 2);
    window.setClientSize(734, 521);  // a resize repaints, like WM_SIZE
    EXPECT_EQ(window.redrawCount(), 3);
    EXPECT_EQ(window.clientWidth, 734);
    EXPECT_EQ(window.clientHeight, 521);
}

TEST(HeadlessWindow, RecordsDrawingCallsInOrder) {
    MainWindow window;
    window.create(nullptr);
    window.drawLabel("A", 145, 15);
    window.fillQuad(1, 150, 30, 184, 153);
    window.strokeLine(3, 150, 30, 334, 30);
    const std::vector<DrawCall> expected = {
        {DrawCall::DrawLabel, 145, 15, 0, 0, 0, "A"},
        {DrawCall::FillQuad, 1, 150, 30, 184, 153, ""},
        {DrawCall::StrokeLine, 3, 150, 30, 334, 30, ""},
    };
    EXPECT_EQ(window.takeDrawCalls(), expected);
    EXPECT_TRUE(window.takeDrawCalls().empty());
}
