// An engine host that hands every call on to another host: a host derives
// from it and overrides only what it does its own way.
#pragma once

#include "EngineHost.h"

#include <string>

class ForwardingHost : public IEngineHost {
public:
    explicit ForwardingHost(IEngineHost& inner) : inner_(inner) {}

    void SetStatusText(const std::string& text, COLORREF colour) override { inner_.SetStatusText(text, colour); }
    void SetProgress(int pos) override { inner_.SetProgress(pos); }
    void Sleep(DWORD ms) override { inner_.Sleep(ms); }
    std::tm LocalTime() override { return inner_.LocalTime(); }

private:
    IEngineHost& inner_;
};
