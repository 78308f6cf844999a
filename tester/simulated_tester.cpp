#include "tester/simulated_tester.h"

#include <thread>

void SimulatedTester::setRinging(int pos, bool on)
{
    if (pos >= int(ringing.size()))
        ringing.resize(pos + 1, false);
    ringing[pos] = on;
}

void SimulatedComPort::addPort(const QString &name, PortKind kind)
{
    if (ports_.find(name) == ports_.end())
        portOrder_.append(name);
    ports_[name].kind = kind;
}

SimulatedTester &SimulatedComPort::addTester(const QString &name, int positions, int startPosition)
{
    addPort(name, PortKind::Tester);
    SimulatedTester &t = ports_[name].tester;
    t.positions = positions;
    t.position = startPosition;
    return t;
}

SimulatedTester &SimulatedComPort::tester(const QString &name)
{
    return ports_[name].tester;
}

void SimulatedComPort::failFrom(CallKind kind, int nthCall, const QString &port)
{
    faults_.push_back({kind, nthCall, port});
}

QStringList SimulatedComPort::callLog() const
{
    QStringList log;
    for (const Call &call : calls_) {
        switch (call.kind) {
        case CallKind::List: log << "list"; break;
        case CallKind::Open: log << "open " + call.port; break;
        case CallKind::SetDTR: log << (call.on ? "DTR+" : "DTR-"); break;
        case CallKind::SetRTS: log << (call.on ? "RTS+" : "RTS-"); break;
        case CallKind::ReadStatus: log << "status"; break;
        case CallKind::Purge: log << "purge"; break;
        case CallKind::Release: log << "release"; break;
        }
    }
    return log;
}

void SimulatedComPort::record(CallKind kind, bool on, const QString &port)
{
    if (recording_)
        calls_.push_back({kind, on, port});
}

void SimulatedComPort::failIfDue(CallKind kind, const char *message, const QString &port)
{
    for (Fault &fault : faults_) {
        if (fault.kind != kind || (!fault.port.isEmpty() && fault.port != port))
            continue;
        if (--fault.callsLeft <= 0) {
            fault.callsLeft = 0;
            throw EComPort(message);
        }
    }
}

void SimulatedComPort::delayLineCall() const
{
    if (lineCallDelay_.count() > 0)
        std::this_thread::sleep_for(lineCallDelay_);
}

QStringList SimulatedComPort::enumeratePorts()
{
    record(CallKind::List);
    if (failListing_)
        throw EComPort(ComPortMessages::registryUnreadable);
    return portOrder_;
}

void SimulatedComPort::openDevice(const QString &name)
{
    record(CallKind::Open, false, name);
    failIfDue(CallKind::Open, ComPortMessages::openFailed, name);
    auto it = ports_.find(name);
    if (it == ports_.end() || it->second.kind == PortKind::Absent)
        throw EComPort(ComPortMessages::noSuchPort);
    if (it->second.kind == PortKind::Busy)
        throw EComPort(ComPortMessages::portBusy);
    open_ = true;
    openName_ = name;
    openPort_ = &it->second;
    dtr_ = false;
    rts_ = false;
}

void SimulatedComPort::setDTR(bool on)
{
    record(CallKind::SetDTR, on);
    delayLineCall();
    if (!open_)
        throw EComPort(ComPortMessages::setLineFailed);
    failIfDue(CallKind::SetDTR, ComPortMessages::setLineFailed, openName_);
    const bool rising = on && !dtr_;
    dtr_ = on;
    if (rising && rts_ && openPort_->kind == PortKind::Tester)
        advanceTester();
}

void SimulatedComPort::setRTS(bool on)
{
    record(CallKind::SetRTS, on);
    delayLineCall();
    if (!open_)
        throw EComPort(ComPortMessages::setLineFailed);
    failIfDue(CallKind::SetRTS, ComPortMessages::setLineFailed, openName_);
    rts_ = on;
}

unsigned SimulatedComPort::readStatus()
{
    record(CallKind::ReadStatus);
    delayLineCall();
    if (!open_)
        throw EComPort(ComPortMessages::readStatusFailed);
    failIfDue(CallKind::ReadStatus, ComPortMessages::readStatusFailed, openName_);
    if (openPort_->kind != PortKind::Tester || !rts_)
        return 0;
    const SimulatedTester &t = openPort_->tester;
    unsigned lines = 0;
    if (t.ringsThrough(t.position))
        lines |= LineCTS;
    if (t.position == t.positions)
        lines |= LineDSR | LineRLSD;
    return lines;
}

void SimulatedComPort::purge()
{
    record(CallKind::Purge);
    failIfDue(CallKind::Purge, ComPortMessages::purgeFailed, openName_);
}

void SimulatedComPort::releaseDevice()
{
    record(CallKind::Release);
    open_ = false;
    openPort_ = nullptr;
    dtr_ = false;
    rts_ = false;
}

void SimulatedComPort::advanceTester()
{
    if (lostPulses_ > 0) {
        --lostPulses_;
        return;
    }
    int steps = 1;
    if (extraPulses_ > 0) {
        --extraPulses_;
        ++steps;
    }
    SimulatedTester &t = openPort_->tester;
    while (steps-- > 0)
        t.position = t.position % t.positions + 1;
}
