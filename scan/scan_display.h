#pragma once

#include <QString>

// The window as the scan sees it: where it shows what it finds, and the pump
// that keeps the window alive between steps.
class ScanDisplay {
public:
    virtual ~ScanDisplay() = default;

    // Lets the window handle all of its pending messages, then returns.
    virtual void processMessages() = 0;

    virtual void showConductor(const QString &number) = 0;
    virtual void hideConductor() = 0;
    virtual void setStatusText(const QString &text) = 0;
    virtual void showMissingClip(const QString &message) = 0;
    virtual void hideMissingClip() = 0;
};
