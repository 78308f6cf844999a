#include "app/demo/demo_cable.h"
#include "app/message_boxes.h"
#include "app/program.h"
#include "scan/sdl_media_player.h"
#include "scan/sleeper.h"
#include "tester/simulated_tester.h"

#include <QApplication>

// prozvonka's window and start-up on a simulated tester, for trying the
// program without hardware.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DemoCable cable;

    FormParts parts;
    parts.comPort = cable.takePort();
    parts.mediaPlayer = std::make_unique<SdlMediaPlayer>();
    parts.messageBoxes = std::make_unique<QtMessageBoxes>();
    parts.sleeper = std::make_unique<ThreadSleeper>();
    return runProgram(app, std::move(parts));
}
