#include "app/program.h"

#include "app/error_box.h"
#include "scan/sdl_media_player.h"
#include "tester/serial_port_qt.h"

#include <QApplication>
#include <QIcon>

FormParts formPartsWithPort(std::unique_ptr<TBComPort> port)
{
    FormParts parts;
    parts.comPort = std::move(port);
    parts.mediaPlayer = std::make_unique<SdlMediaPlayer>();
    parts.messageBoxes = std::make_unique<QtMessageBoxes>();
    parts.sleeper = std::make_unique<ThreadSleeper>();
    return parts;
}

FormParts systemFormParts()
{
    return formPartsWithPort(std::make_unique<SerialPortQt>());
}

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(":/icons/prozvonka-16.png", QSize(16, 16));
    icon.addFile(":/icons/prozvonka-32.png", QSize(32, 32));
    return icon;
}

int runProgram(QApplication &app, FormParts parts)
{
    app.setWindowIcon(programIcon());

    TForm1 Form1(std::move(parts));
    Form1.create();
    Form1.show();
    const int status = app.exec();
    // Closing drops DTR and RTS; a failure is still worth telling the operator.
    runHandler(Form1.messageBoxes(), [&] { Form1.BComPort1->close(); });
    return status;
}
