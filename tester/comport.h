#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

// A failure of the serial-port layer. The message is the text the operator sees.
class EComPort : public std::runtime_error {
public:
    explicit EComPort(const QString &message) : std::runtime_error(message.toStdString()) {}
};

namespace ComPortMessages {
inline const char *const registryUnreadable = "Ошибка обращения к системному реестру";
inline const char *const portIsOpen = "Нельзя менять свойство, пока порт открыт";
inline const char *const noSuchPort = "Попытка открыть несуществующий COM-порт";
inline const char *const portBusy = "Порт занят другой программой";
inline const char *const noPermission = "Нет прав на доступ к COM-порту";
inline const char *const openFailed = "Не удалось открыть COM-порт";
inline const char *const setLineFailed = "Ошибка функции EscapeCommFunction";
inline const char *const readStatusFailed = "Ошибка функции GetCommModemStatus";
inline const char *const purgeFailed = "Ошибка функции PurgeComm";
} // namespace ComPortMessages

// The input lines that are on, as a status read reports them.
enum ModemLine : unsigned {
    LineCTS = 0x10,
    LineDSR = 0x20,
    LineRING = 0x40,
    LineRLSD = 0x80,
};

// Line settings kept with the port. No data crosses the line, so nothing
// depends on them reaching the device.
struct ComPortSettings {
    int baudRate = 9600;
    int byteSize = 8;
    char parity = 'N';
    int stopBits = 1;
    int inBufSize = 2048;
    int outBufSize = 2048;
    int readIntervalTimeout = -1;
    int readTotalMultiplier = 0;
    int readTotalConstant = 0;
    int writeTotalMultiplier = 100;
    int writeTotalConstant = 1000;
};

// The serial-port component. Every call is made on the window's thread and
// every failure is an EComPort with the message the operator sees.
class TBComPort {
public:
    virtual ~TBComPort() = default;

    ComPortSettings settings;

    // The names of the system's serial ports, sorted by the locale's collation
    // ignoring case (COM10 before COM2).
    QStringList listPorts();

    QString port() const { return portName_; }
    void setPort(const QString &name);

    // Opens the named port for exclusive use; does nothing when already open.
    void open();

    // Lowers DTR and RTS, discards pending data and releases the device; does
    // nothing when not open. A failing step skips the rest, but the device is
    // released all the same before the error is raised.
    void close();

    virtual bool connected() const = 0;
    virtual void setDTR(bool on) = 0;
    virtual void setRTS(bool on) = 0;
    // The ModemLine bits that are on.
    virtual unsigned readStatus() = 0;

protected:
    virtual QStringList enumeratePorts() = 0;
    virtual void openDevice(const QString &name) = 0;
    virtual void purge() = 0;
    virtual void releaseDevice() = 0;

private:
    QString portName_ = QStringLiteral("COM2");
};

// Sorts port names the way the port list shows them.
void sortPortNames(QStringList &names);
