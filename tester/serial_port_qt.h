#pragma once

#include "tester/comport.h"

#include <memory>

class QSerialPort;

// The system's serial ports, opened and locked through Qt SerialPort. Each line
// call is one system call on the port's native handle.
class SerialPortQt : public TBComPort {
public:
    SerialPortQt();
    ~SerialPortQt() override;

    bool connected() const override;
    void setDTR(bool on) override;
    void setRTS(bool on) override;
    unsigned readStatus() override;

protected:
    QStringList enumeratePorts() override;
    void openDevice(const QString &name) override;
    void purge() override;
    void releaseDevice() override;

private:
    std::unique_ptr<QSerialPort> serial_;
    qintptr handle_ = -1;
};
