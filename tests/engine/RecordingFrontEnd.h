#pragma once
// A front end that records what the engine asks of the window, in order.

#include "engine/FrontEnd.h"

#include <string>
#include <vector>

namespace vdx::test {

struct RecordingFrontEnd : FrontEnd {
    std::vector<std::string> events;   // every call, as text
    std::vector<std::string> log;      // the MessageLog as the window would show it
    std::vector<std::string> messages; // "<caption>|<text>" of every box
    bool busy = false;

    void setClientHeight(int height) override {
        events.push_back("height " + std::to_string(height));
    }
    void clearLog() override {
        events.push_back("clear");
        log.clear();
    }
    void appendLog(std::string_view line) override {
        events.push_back("log " + std::string(line));
        log.emplace_back(line);
    }
    void showMessage(MessageKind kind, std::string_view caption, std::string_view text) override {
        static const char* const kinds[] = {"running", "error", "information"};
        std::string m = std::string(caption) + "|" + std::string(text);
        events.push_back(std::string("box ") + kinds[static_cast<int>(kind)] + " " + m);
        messages.push_back(m);
    }
    void setBusy(bool on) override {
        events.push_back(on ? "busy on" : "busy off");
        busy = on;
    }
    void focusTeePath() override { events.push_back("focus tee path"); }
};

} // namespace vdx::test
