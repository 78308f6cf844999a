#pragma once

// Blocks the calling thread. Tests put a virtual clock in its place.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleep(int milliseconds) = 0;
};

class ThreadSleeper : public Sleeper {
public:
    void sleep(int milliseconds) override;
};
