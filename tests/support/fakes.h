#pragma once
// Stand-ins for the program's outside dependencies that need no Qt (the
// contract tests use them too).  Each is in place from its construction to
// its end, and the one before it comes back then.
#include <functional>
#include <string>

#include "core/bell.h"
#include "core/datetime.h"
#include "core/display.h"
#include "core/ini.h"
#include "core/instancelock.h"
#include "core/seam.h"
#include "core/windowsearch.h"

namespace testsupport {

// A clock that reads what the function says.
class FunctionClock : public platform::Clock {
public:
    explicit FunctionClock(std::function<platform::LocalTime()> now) : now_(std::move(now)) {}
    platform::LocalTime now() override { return now_(); }

private:
    std::function<platform::LocalTime()> now_;
    seam::Use<platform::Clock> use_{*this};
};

// A clock that stands still at one reading.
class StillClock : public FunctionClock {
public:
    explicit StillClock(const platform::LocalTime& t) : FunctionClock([t]() { return t; }) {}
};

// Every save asks the function, with the temporary file written, whether
// it may go on.
class FakeSaveStep : public platform::ini::SaveStep {
public:
    explicit FakeSaveStep(std::function<bool(const std::string& tempPath)> proceed) : proceed_(std::move(proceed)) {}
    bool proceed(const std::string& tempPath) override { return proceed_(tempPath); }

private:
    std::function<bool(const std::string&)> proceed_;
    seam::Use<platform::ini::SaveStep> use_{*this};
};

// Peer windows exist where the function says.
class FakeWindowSearch : public platform::WindowSearch {
public:
    explicit FakeWindowSearch(std::function<bool(const std::string& caption)> exists) : exists_(std::move(exists)) {}
    explicit FakeWindowSearch(bool exists) : exists_([exists](const std::string&) { return exists; }) {}
    bool exists(const std::string& caption) override { return exists_(caption); }

private:
    std::function<bool(const std::string&)> exists_;
    seam::Use<platform::WindowSearch> use_{*this};
};

// The program runs under another name.
class FakeExeName : public platform::ExecutableName {
public:
    explicit FakeExeName(std::string name) : name_(std::move(name)) {}
    std::string baseName() override { return name_; }
    void set(std::string name) { name_ = std::move(name); }

private:
    std::string name_;
    seam::Use<platform::ExecutableName> use_{*this};
};

// The process end only counts and keeps the status.
class FakeProcessEnd : public platform::ProcessEnd {
public:
    explicit FakeProcessEnd(std::function<void(int)> onEnd = {}) : onEnd_(std::move(onEnd)) {}
    void end(int status) override
    {
        ++ends_;
        status_ = status;
        if (onEnd_) onEnd_(status);
    }
    int ends() const { return ends_; }
    int status() const { return status_; }

private:
    std::function<void(int)> onEnd_;
    int ends_ = 0;
    int status_ = -1;
    seam::Use<platform::ProcessEnd> use_{*this};
};

// A bell that only counts its rings.
class CountingBell : public platform::Bell {
public:
    void ring(std::function<void()>) override { ++rings_; }
    int rings() const { return rings_; }

private:
    int rings_ = 0;
    seam::Use<platform::Bell> use_{*this};
};

}  // namespace testsupport
