#pragma once

#include "FakePrompts.h"
#include "settings/BoardConfig.h"
#include "settings/SettingsFile.h"
#include "ui/main/TForm1.h"

#include <QTemporaryDir>

#include <memory>

// A main window on a temporary program directory and home, its boxes recorded.
struct WindowFixture {
    QTemporaryDir home;
    FakePrompts::Log prompts;
    std::unique_ptr<nimbar::TForm1> window;

    WindowFixture() {
        qputenv("HOME", home.path().toUtf8());
        // Windows of tests running side by side must not compete for the logger's ports.
        qputenv("NIMBAR_BASE_PORT", "0");
    }

    nimbar::ProgramPaths paths(nimbar::BuildKind kind) const {
        return nimbar::ProgramPaths(kind, home.path());
    }

    // Writes the logger's settings file from defaults changed by edit.
    template <typename Edit> void writeSettings(Edit&& edit) {
        nimbar::BoardConfigs boards{};
        nimbar::fillDefaultBoardConfigs(boards, home.filePath("data").toUtf8().constData());
        edit(boards);
        nimbar::saveBoardSettings(paths(nimbar::BuildKind::Logger).settingsFile(), boards);
    }

    nimbar::TForm1& start(nimbar::BuildKind kind = nimbar::BuildKind::Logger) {
        window = std::make_unique<nimbar::TForm1>(kind, paths(kind));
        window->setPrompts(std::make_unique<FakePrompts>(prompts));
        window->TimerSTimer();
        return *window;
    }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
};
