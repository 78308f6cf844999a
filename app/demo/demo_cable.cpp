#include "app/demo/demo_cable.h"

#include "tester/simulated_tester.h"

#include <QRandomGenerator>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto changeInterval = 4s;
// Every this many changes of the ringing set, a step pulse goes astray.
constexpr int changesPerLostPulse = 3;
// Like a USB adapter, where each modem-line call is a round trip on the bus.
constexpr auto adapterLineCallDelay = 1ms;
// The search and the count run before the window shows and take a few
// milliseconds without the delay; with it, probing the silent port alone
// would take 256 pulses of three calls each, about 0.8 s.
constexpr auto adapterDelayStart = 200ms;

} // namespace

DemoCable::DemoCable()
    : ownedPort_(std::make_unique<SimulatedComPort>()), port_(ownedPort_.get())
{
    port_->setRecording(false);
    port_->addPort("COM1", SimulatedComPort::PortKind::Silent);
    port_->addPort("COM2", SimulatedComPort::PortKind::Busy);
    port_->addTester(testerPort, conductors, 5);
    changeRinging();

    QTimer::singleShot(adapterDelayStart, this, [this] { startAdapterDelay(); });
    changeTimer_.setInterval(changeInterval);
    connect(&changeTimer_, &QTimer::timeout, this, [this] { changeRinging(); });
    changeTimer_.start();
}

DemoCable::~DemoCable() = default;

std::unique_ptr<SimulatedComPort> DemoCable::takePort()
{
    return std::move(ownedPort_);
}

void DemoCable::changeRinging()
{
    SimulatedTester &tester = port_->tester(testerPort);
    tester.ringing.assign(conductors + 1, false);

    if (++changes_ % changesPerLostPulse == 0) {
        // The cable is being moved: a pulse goes astray and nothing rings for a
        // while. Every clip played clears the status line, so only this quiet
        // spell keeps the count error in view.
        port_->loseNextPulse();
        return;
    }
    QRandomGenerator &random = *QRandomGenerator::global();
    const int ringingCount = random.bounded(2, 6);
    for (int i = 0; i < ringingCount; ++i)
        tester.setRinging(random.bounded(1, conductors + 1), true);
}

void DemoCable::startAdapterDelay()
{
    port_->setLineCallDelay(adapterLineCallDelay);
}
