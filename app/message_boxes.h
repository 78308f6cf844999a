#pragma once

#include <QString>

// The program's message boxes. Tests answer them without a screen.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // A box with OK (the default) and Cancel and no icon; true on OK. Esc and
    // the box's close button answer Cancel.
    virtual bool askRetry(const QString &caption, const QString &text) = 0;

    // The error box: error icon, OK, and every window of the program disabled while it is up.
    virtual void showError(const QString &caption, const QString &text) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    bool askRetry(const QString &caption, const QString &text) override;
    void showError(const QString &caption, const QString &text) override;
};
