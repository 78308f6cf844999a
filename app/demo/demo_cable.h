#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class SimulatedComPort;

// A simulated port list with a stepping tester on a cable whose faults keep
// moving: every few seconds another handful of conductors rings through, and
// now and then a step pulse is lost on the way, so the count error shows.
//
// The timers fire in the window's message pumps, on the window's thread, so
// they may change the cable while a pass is under way.
class DemoCable : public QObject {
    Q_OBJECT
public:
    static constexpr int conductors = 37;
    static inline const QString testerPort = QStringLiteral("COM3");

    DemoCable();
    ~DemoCable() override;

    // The port the window is to work with. The cable's timers go on changing
    // it, so no events may be processed once the port is gone.
    std::unique_ptr<SimulatedComPort> takePort();

private:
    void changeRinging();
    void startAdapterDelay();

    std::unique_ptr<SimulatedComPort> ownedPort_;
    SimulatedComPort *port_;
    QTimer changeTimer_;
    int changes_ = 0;
};
