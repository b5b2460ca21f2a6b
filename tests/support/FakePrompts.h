#pragma once

#include "ui/widgets/UserPrompts.h"

#include <QStringList>

#include <functional>

// Records every box and beep instead of showing it; confirm answers with `answer`.
class FakePrompts final : public nimbar::UserPrompts {
public:
    struct Log {
        QStringList messages;
        QStringList confirmations;
        QStringList inputs;       // caption: prompt [prefill]
        QStringList inputAnswers; // taken in order; none left gives the prefill
        int beeps = 0;
        bool answer = true;
        std::function<void()> whileMessageShown; // what happens while a box waits for OK
    };

    explicit FakePrompts(Log& log) : m_log(log) {}

    void showMessage(QWidget*, const QString& text) override {
        m_log.messages << text;
        if (m_log.whileMessageShown)
            m_log.whileMessageShown();
    }
    bool confirm(QWidget*, const QString& text, const QString& caption) override {
        m_log.confirmations << caption + ": " + text;
        return m_log.answer;
    }
    void beep() override { ++m_log.beeps; }
    QString inputBox(QWidget*, const QString& caption, const QString& prompt,
                     const QString& prefill) override {
        m_log.inputs << caption + ": " + prompt + " [" + prefill + "]";
        return m_log.inputAnswers.isEmpty() ? prefill : m_log.inputAnswers.takeFirst();
    }

private:
    Log& m_log;
};
