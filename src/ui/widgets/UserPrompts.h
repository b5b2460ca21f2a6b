#pragma once

#include <QString>

class QWidget;

namespace nimbar {

// The modal boxes and the beep of the main window. Tests replace them so that nothing blocks.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // OK / Cancel; true for OK.
    virtual bool confirm(QWidget* parent, const QString& text, const QString& caption) = 0;
    virtual void beep() = 0;
    // A text input box; Cancel gives back the prefilled text.
    virtual QString inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                             const QString& prefill) = 0;
};

class DialogPrompts final : public UserPrompts {
public:
    void showMessage(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text, const QString& caption) override;
    void beep() override;
    QString inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                     const QString& prefill) override;
};

} // namespace nimbar
