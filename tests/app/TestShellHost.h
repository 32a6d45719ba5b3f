// The application's engine host with a shell of the test's own: message
// boxes are noted, file dialogs noted and answered with the next queued
// path (none queued: cancelled), so that nothing waits for a user.
#pragma once

#include "AppShell.h"
#include "ForwardingHost.h"
#include "QtEngineHost.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

class TestShellHost : public ForwardingHost, public IAppShell {
public:
    TestShellHost() : ForwardingHost(qt) {}
    std::string OpenFileDialog(const FileDialogSpec& spec) override { return Answer(spec, false); }
    std::string SaveFileDialog(const FileDialogSpec& spec) override { return Answer(spec, true); }
    void MessageBox(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> TakeMessages() { return std::exchange(messages, {}); }

    struct Asked {
        FileDialogSpec spec;
        bool save;
    };
    std::deque<std::string> paths;
    std::vector<Asked> asked;
    std::vector<std::string> messages;

private:
    std::string Answer(const FileDialogSpec& spec, bool save) {
        asked.push_back({spec, save});
        if (paths.empty()) return {};
        std::string path = paths.front();
        paths.pop_front();
        return path;
    }

    CQtEngineHost qt;
};
