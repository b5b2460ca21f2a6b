#pragma once

#include "app/UserPrompts.h"

#include <QStringList>

// Records every box and beep instead of showing it; confirm answers with `answer`.
class FakePrompts final : public nimbar::UserPrompts {
public:
    struct Log {
        QStringList messages;
        QStringList confirmations;
        int beeps = 0;
        bool answer = true;
    };

    explicit FakePrompts(Log& log) : m_log(log) {}

    void showMessage(QWidget*, const QString& text) override { m_log.messages << text; }
    bool confirm(QWidget*, const QString& text, const QString& caption) override {
        m_log.confirmations << caption + ": " + text;
        return m_log.answer;
    }
    void beep() override { ++m_log.beeps; }

private:
    Log& m_log;
};
