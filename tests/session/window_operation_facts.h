// What the session relies on of the seven window operations, as one table of
// facts that both windows must show: the headless stand-in natively, and the
// Win32 window under Wine. The stand-in is only worth testing the session
// against as long as it behaves like the real window.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "main_window.h"

// How a test reads a window back and types into its fields.
struct WindowProbe {
    std::function<std::vector<std::string>()> moveLog;  // newest first
    std::function<std::string()> statistics;
    std::function<void(const char*)> typeTimeLimit;
    std::function<void(const char*)> typeMaxDepth;
};

// Before the window exists: nothing happens, and the fields read as their
// initial texts "25" and "5000".
inline void expectNoEffectBeforeTheWindowExists(MainWindow& window) {
    window.logMove("A1-B1");
    window.unlogMove();
    window.clearMoveLog();
    window.setStatistics("time:5");
    window.redraw();
    EXPECT_EQ(window.readMaxDepth(), 25);
    EXPECT_EQ(window.readTimeLimit(), 5000);
}

inline void expectWindowOperationFacts(MainWindow& window, const WindowProbe& probe) {
    using Entries = std::vector<std::string>;
    EXPECT_EQ(probe.moveLog(), Entries{});
    EXPECT_EQ(probe.statistics(), "Aistatistics:");
    EXPECT_EQ(window.readMaxDepth(), 25);
    EXPECT_EQ(window.readTimeLimit(), 5000);

    window.logMove("A1-B1");
    window.logMove("B1-C1");
    window.logMove("A1-A2");
    EXPECT_EQ(probe.moveLog(), (Entries{"A1-A2", "B1-C1", "A1-B1"}));
    window.unlogMove();
    EXPECT_EQ(probe.moveLog(), (Entries{"B1-C1", "A1-B1"}));
    // Texts are kept as given, never sorted: the log is the order of play.
    window.logMove("Z1-Z2");
    EXPECT_EQ(probe.moveLog(), (Entries{"Z1-Z2", "B1-C1", "A1-B1"}));
    window.clearMoveLog();
    EXPECT_EQ(probe.moveLog(), Entries{});
    window.unlogMove();  // on an empty log nothing happens
    EXPECT_EQ(probe.moveLog(), Entries{});

    window.setStatistics("l:12\nn:12\na:0\nd:1\nt:3");
    EXPECT_EQ(probe.statistics(), "l:12\nn:12\na:0\nd:1\nt:3");
    window.setStatistics("time:8");
    EXPECT_EQ(probe.statistics(), "time:8");

    const struct {
        const char* text;
        int32_t value;
    } reads[] = {{"2000ms", 2000},
                 {" 7", 7},
                 {"abc", 0},
                 {"", 0},
                 {"-5", -5},
                 {"+12", 12},
                 // Only the first 19 characters are read.
                 {"0000000000000000001234", 1}};
    for (const auto& read : reads) {
        probe.typeTimeLimit(read.text);
        probe.typeMaxDepth(read.text);
        EXPECT_EQ(window.readTimeLimit(), read.value) << '"' << read.text << '"';
        EXPECT_EQ(window.readMaxDepth(), read.value) << '"' << read.text << '"';
    }
    // Each field is read on its own.
    probe.typeTimeLimit("300");
    probe.typeMaxDepth("4");
    EXPECT_EQ(window.readTimeLimit(), 300);
    EXPECT_EQ(window.readMaxDepth(), 4);
}
