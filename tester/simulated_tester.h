#pragma once

#include "tester/comport.h"

#include <map>

#include <chrono>
#include <vector>

// A stepping tester on the far side of a simulated port. It moves on by one
// conductor on every DTR rise while RTS is up, and comes back to its first
// conductor after its last.
struct SimulatedTester {
    int positions = 1;          // 1..255
    int position = 1;           // where it stands now, 1..positions
    std::vector<bool> ringing;  // indexed by position; missing entries do not ring

    bool ringsThrough(int pos) const { return pos < int(ringing.size()) && ringing[pos]; }
    void setRinging(int pos, bool on);
};

// A set of named serial ports, each absent, held by another program, silent,
// or carrying a tester. Records every call made on it and can be told to fail.
class SimulatedComPort : public TBComPort {
public:
    enum class PortKind { Absent, Busy, Silent, Tester };
    enum class CallKind { List, Open, SetDTR, SetRTS, ReadStatus, Purge, Release };

    struct Call {
        CallKind kind;
        bool on = false; // for SetDTR and SetRTS
        QString port;    // for Open
        bool operator==(const Call &other) const = default;
    };

    void addPort(const QString &name, PortKind kind);
    SimulatedTester &addTester(const QString &name, int positions, int startPosition = 1);
    SimulatedTester &tester(const QString &name);

    // Faults. A failing call kind fails from its n-th call on (1 = the next
    // one), as a pulled-out adapter would; on the named port only, or on any.
    void failListing(bool fail) { failListing_ = fail; }
    void failFrom(CallKind kind, int nthCall, const QString &port = {});
    void loseNextPulse() { ++lostPulses_; }
    void addExtraPulse() { ++extraPulses_; }

    // Each line call takes this long, like a USB adapter.
    void setLineCallDelay(std::chrono::microseconds delay) { lineCallDelay_ = delay; }

    // The record of calls; off for long runs.
    void setRecording(bool on) { recording_ = on; }
    const std::vector<Call> &calls() const { return calls_; }
    QStringList callLog() const;
    void clearCalls() { calls_.clear(); }

    bool dtr() const { return dtr_; }
    bool rts() const { return rts_; }
    QString openPort() const { return connected() ? openName_ : QString(); }

    bool connected() const override { return open_; }
    void setDTR(bool on) override;
    void setRTS(bool on) override;
    unsigned readStatus() override;

protected:
    QStringList enumeratePorts() override;
    void openDevice(const QString &name) override;
    void purge() override;
    void releaseDevice() override;

private:
    struct SimulatedPort {
        PortKind kind = PortKind::Silent;
        SimulatedTester tester;
    };
    struct Fault {
        CallKind kind;
        int callsLeft;
        QString port;
    };

    void record(CallKind kind, bool on = false, const QString &port = {});
    void failIfDue(CallKind kind, const char *message, const QString &port);
    void delayLineCall() const;
    void advanceTester();

    std::map<QString, SimulatedPort> ports_;
    QStringList portOrder_;
    std::vector<Fault> faults_;
    std::vector<Call> calls_;
    bool recording_ = true;
    bool failListing_ = false;
    int lostPulses_ = 0;
    int extraPulses_ = 0;
    std::chrono::microseconds lineCallDelay_{0};

    bool open_ = false;
    QString openName_;
    SimulatedPort *openPort_ = nullptr;
    bool dtr_ = false;
    bool rts_ = false;
};
