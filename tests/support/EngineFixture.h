#pragma once

#include "engine/Engine.h"
#include "settings/BoardConfig.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

// An engine on a temporary program directory and home; what it would show is recorded.
struct EngineFixture {
    QTemporaryDir home;
    QString status;       // the status text as a status bar would show it now
    QStringList statuses; // every non-empty status text, in order
    QStringList messages; // what a window would show in boxes
    std::unique_ptr<nimbar::Engine> engine;

    EngineFixture() {
        qputenv("HOME", home.path().toUtf8());
        // Engines of tests running side by side must not compete for the logger's ports.
        qputenv("NIMBAR_BASE_PORT", "0");
    }

    nimbar::ProgramPaths paths(nimbar::BuildKind kind = nimbar::BuildKind::Logger) const {
        return nimbar::ProgramPaths(kind, home.path());
    }

    // Writes the logger's settings file from defaults changed by edit.
    template <typename Edit> void writeSettings(Edit&& edit) {
        nimbar::BoardConfigs boards{};
        nimbar::fillDefaultBoardConfigs(boards, home.filePath("data").toUtf8().constData());
        edit(boards);
        nimbar::saveBoardSettings(paths().settingsFile(), boards);
    }

    // The port map file, one "COM<n>=<path>" a line.
    void writePortMap(const QStringList& lines) const {
        QFile file(paths().portMap());
        if (file.open(QIODevice::WriteOnly))
            file.write(lines.join('\n').toUtf8() + '\n');
    }

    // Creates the engine and lets it start as the window or --headless would.
    nimbar::Engine& start(nimbar::BuildKind kind = nimbar::BuildKind::Logger) {
        create(kind);
        engine->TimerSTimer();
        return *engine;
    }

    nimbar::Engine& create(nimbar::BuildKind kind = nimbar::BuildKind::Logger) {
        engine = std::make_unique<nimbar::Engine>(kind, paths(kind));
        QObject::connect(engine.get(), &nimbar::Engine::statusShown, [this](const QString& text) {
            status = text;
            if (!text.isEmpty())
                statuses << text;
        });
        QObject::connect(engine.get(), &nimbar::Engine::messageShown,
                         [this](const QString& text) { messages << text; });
        return *engine;
    }
};
