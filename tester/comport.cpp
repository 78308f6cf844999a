#include "tester/comport.h"

#include <QCollator>

#include <algorithm>

void sortPortNames(QStringList &names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

QStringList TBComPort::listPorts()
{
    QStringList names = enumeratePorts();
    sortPortNames(names);
    return names;
}

void TBComPort::setPort(const QString &name)
{
    if (connected())
        throw EComPort(ComPortMessages::portIsOpen);
    portName_ = name;
}

void TBComPort::open()
{
    if (!connected())
        openDevice(portName_);
}

void TBComPort::close()
{
    if (!connected())
        return;
    try {
        setDTR(false);
        setRTS(false);
        purge();
    } catch (...) {
        releaseDevice();
        throw;
    }
    releaseDevice();
}
