#include "tester/serial_port_qt.h"

#include "tester/modem_lines.h"

#include <QFile>
#include <QSerialPort>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>

#include <unistd.h>
#endif

namespace {

QSerialPort::Parity parityOf(char parity)
{
    switch (parity) {
    case 'E': return QSerialPort::EvenParity;
    case 'O': return QSerialPort::OddParity;
    case 'M': return QSerialPort::MarkParity;
    case 'S': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

void applySettings(QSerialPort &serial, const ComPortSettings &settings)
{
    serial.setBaudRate(settings.baudRate);
    if (settings.byteSize >= 5 && settings.byteSize <= 8)
        serial.setDataBits(static_cast<QSerialPort::DataBits>(settings.byteSize));
    serial.setParity(parityOf(settings.parity));
    serial.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    serial.setFlowControl(QSerialPort::NoFlowControl);
}

// Qt reports a held lock, an exclusively opened device and a device node the
// user may not open all as PermissionError; only the last is a matter of rights.
bool deviceForbidden(const QString &name)
{
#ifdef Q_OS_UNIX
    const QString path = name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 && errno == EACCES;
#else
    Q_UNUSED(name);
    return false;
#endif
}

const char *openFailureMessage(QSerialPort::SerialPortError error, const QString &name)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return ComPortMessages::noSuchPort;
    case QSerialPort::PermissionError:
        return deviceForbidden(name) ? ComPortMessages::noPermission : ComPortMessages::portBusy;
    default:
        return ComPortMessages::openFailed;
    }
}

} // namespace

SerialPortQt::SerialPortQt() = default;

SerialPortQt::~SerialPortQt() = default;

bool SerialPortQt::connected() const
{
    return serial_ != nullptr;
}

void SerialPortQt::setDTR(bool on)
{
    if (!ModemLines::set(handle_, ModemLines::Output::DTR, on))
        throw EComPort(ComPortMessages::setLineFailed);
}

void SerialPortQt::setRTS(bool on)
{
    if (!ModemLines::set(handle_, ModemLines::Output::RTS, on))
        throw EComPort(ComPortMessages::setLineFailed);
}

unsigned SerialPortQt::readStatus()
{
    unsigned status = 0;
    if (!ModemLines::read(handle_, status))
        throw EComPort(ComPortMessages::readStatusFailed);
    return status;
}

QStringList SerialPortQt::enumeratePorts()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
    return names;
}

void SerialPortQt::openDevice(const QString &name)
{
    auto serial = std::make_unique<QSerialPort>(name);
    applySettings(*serial, settings);
    // Qt is never asked to touch DTR or RTS: they stay as the system's open
    // leaves them until the caller sets them.
    if (!serial->open(QIODevice::ReadWrite))
        throw EComPort(openFailureMessage(serial->error(), name));
    // A HANDLE on Windows, a file descriptor elsewhere.
    handle_ = qintptr(serial->handle());
    serial_ = std::move(serial);
}

void SerialPortQt::purge()
{
    if (!serial_ || !serial_->clear(QSerialPort::AllDirections))
        throw EComPort(ComPortMessages::purgeFailed);
}

void SerialPortQt::releaseDevice()
{
    if (serial_)
        serial_->close();
    serial_.reset();
    handle_ = -1;
}
