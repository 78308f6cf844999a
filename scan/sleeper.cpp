#include "scan/sleeper.h"

#include <chrono>
#include <thread>

void ThreadSleeper::sleep(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
