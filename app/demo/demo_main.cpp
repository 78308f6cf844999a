#include "app/demo/demo_cable.h"
#include "app/program.h"
#include "tester/simulated_tester.h"

#include <QApplication>

// prozvonka's window and start-up on a simulated tester, for trying the
// program without hardware.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DemoCable cable;

    return runProgram(app, formPartsWithPort(cable.takePort()));
}
